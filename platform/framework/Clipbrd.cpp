#include "platform/framework/Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include <map>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"

IMPLEMENT_CLASS(TClipboard, TPersistent) {}

namespace {

constexpr unsigned kHtmlFormat = 0xC000 + 1;

// Registered formats: ids by case-folded name, and the names as registered.
struct Formats {
    std::map<QString, unsigned> ids{{QStringLiteral("html format"), kHtmlFormat}};
    std::map<unsigned, QString> names{{kHtmlFormat, QStringLiteral("HTML Format")}};
    unsigned next = kHtmlFormat + 1;
};
Formats& formats() {
    static Formats f;
    return f;
}

QString mimeOf(unsigned format) {
    const auto it = formats().names.find(format);
    if (it == formats().names.end()) return QString();
    return QStringLiteral("application/x-qt-windows-mime;value=\"%1\"").arg(it->second);
}

QClipboard* cb() {
    EnsureApplication();
    return QGuiApplication::clipboard();
}

}  // namespace

unsigned CF_HTML() { return kHtmlFormat; }

unsigned RegisterClipboardFormat(const String& name) {
    const QString n = toQ(name);
    if (n.isEmpty()) return 0;
    Formats& f = formats();
    const QString key = n.toCaseFolded();
    if (auto it = f.ids.find(key); it != f.ids.end()) return it->second;
    const unsigned id = f.next++;
    f.ids.emplace(key, id);
    f.names.emplace(id, n);
    return id;
}

String ClipboardFormatMimeType(unsigned format) { return fromQ(mimeOf(format)); }

QMimeData* TClipboard::pending() {
    if (!FPending) FPending = new QMimeData;
    return FPending;
}

// Hands the data to the system clipboard, or keeps it for Close.
void TClipboard::publish(QMimeData* data) {
    if (FOpen > 0) return;
    FPending = nullptr;
    cb()->setMimeData(data);
}

void TClipboard::Open() { ++FOpen; }

void TClipboard::Close() {
    if (FOpen == 0) return;
    if (--FOpen == 0 && FPending) publish(FPending);
}

String TClipboard::AsText() const { return fromQ(cb()->text()); }

void TClipboard::SetAsText(const String& text) {
    QMimeData* d = FOpen > 0 ? pending() : new QMimeData;
    d->setText(toQ(text));
    publish(d);
}

void TClipboard::SetAsHtml(const String& html, const String& plainText) {
    QMimeData* d = FOpen > 0 ? pending() : new QMimeData;
    d->setHtml(toQ(html));
    d->setText(toQ(plainText));
    publish(d);
}

void TClipboard::SetHtml(const String& html) {
    QMimeData* d = FOpen > 0 ? pending() : new QMimeData;
    d->setHtml(toQ(html));
    publish(d);
}

String TClipboard::AsHtml() const {
    const QMimeData* d = cb()->mimeData();
    return d && d->hasHtml() ? fromQ(d->html()) : String();
}

void TClipboard::SetBuffer(unsigned format, const void* data, size_t size) {
    const QString mime = mimeOf(format);
    if (mime.isEmpty()) return;
    QMimeData* d = FOpen > 0 ? pending() : new QMimeData;
    d->setData(mime, QByteArray(static_cast<const char*>(data), qsizetype(size)));
    publish(d);
}

std::string TClipboard::GetBuffer(unsigned format) const {
    const QString mime = mimeOf(format);
    const QMimeData* d = cb()->mimeData();
    if (mime.isEmpty() || !d || !d->hasFormat(mime)) return std::string();
    return d->data(mime).toStdString();
}

bool TClipboard::HasFormat(unsigned format) const {
    const QMimeData* d = cb()->mimeData();
    if (!d) return false;
    if (format == CF_TEXT || format == CF_UNICODETEXT) return d->hasText();
    if (format == CF_HTML() && d->hasHtml()) return true;
    const QString mime = mimeOf(format);
    return !mime.isEmpty() && d->hasFormat(mime);
}

void TClipboard::Clear() {
    if (FOpen > 0) {
        delete FPending;
        FPending = new QMimeData;
        return;
    }
    cb()->clear();
}

TClipboard* Clipboard() {
    static TClipboard c;
    return &c;
}
