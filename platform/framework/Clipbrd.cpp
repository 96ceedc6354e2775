#include "platform/framework/Clipbrd.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QMimeData>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"

IMPLEMENT_CLASS(TClipboard, TPersistent) {}

unsigned CF_HTML() { return 0xC000 + 1; }

static QClipboard* cb() {
    EnsureApplication();
    return QGuiApplication::clipboard();
}

String TClipboard::AsText() const { return fromQ(cb()->text()); }
void TClipboard::SetAsText(const String& text) { cb()->setText(toQ(text)); }

void TClipboard::SetAsHtml(const String& html, const String& plainText) {
    auto* data = new QMimeData;
    data->setHtml(toQ(html));
    data->setText(toQ(plainText));
    cb()->setMimeData(data);
}

String TClipboard::AsHtml() const {
    const QMimeData* d = cb()->mimeData();
    return d && d->hasHtml() ? fromQ(d->html()) : String();
}

bool TClipboard::HasFormat(unsigned format) const {
    const QMimeData* d = cb()->mimeData();
    if (!d) return false;
    if (format == CF_TEXT || format == CF_UNICODETEXT) return d->hasText();
    if (format == CF_HTML()) return d->hasHtml();
    return false;
}

void TClipboard::Clear() { cb()->clear(); }

TClipboard* Clipboard() {
    static TClipboard c;
    return &c;
}
