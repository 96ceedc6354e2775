#include "platform/framework/RichTextView.h"

#include <QAbstractTextDocumentLayout>
#include <QPainter>
#include <QRegularExpression>
#include <QTextBlock>
#include <QTextBrowser>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextDocumentFragment>
#include <algorithm>
#include <memory>
#include <vector>

#include "platform/framework/Printers.h"
#include "platform/framework/QtBridge.h"

namespace {
// Refuses every resource the document names: nothing is loaded from a file,
// a network address or a data URL the HTML might carry.
class TSealedBrowser : public QTextBrowser {
public:
    TSealedBrowser() {
        setOpenLinks(false);
        setOpenExternalLinks(false);
        setReadOnly(true);
        setUndoRedoEnabled(false);
        setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
    }
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};

class TSealedDocument : public QTextDocument {
public:
    using QTextDocument::QTextDocument;

protected:
    QVariant loadResource(int, const QUrl&) override { return QVariant(); }
};

// Qt's rich text knows no <wbr>: each becomes a zero-width space in an
// anchor of its own name, where a line may break and which no copy keeps.
const QString kBreakAnchor = QStringLiteral("zrx-wbr");

QString markBreaks(const QString& html) {
    static const QRegularExpression wbr(QStringLiteral("<wbr\\s*/?\\s*>"), QRegularExpression::CaseInsensitiveOption);
    QString out = html;
    out.replace(wbr, QStringLiteral("<a name=\"zrx-wbr\">&#8203;</a>"));
    return out;
}

bool isBreakMark(const QTextCharFormat& f) { return f.isAnchor() && f.anchorNames().contains(kBreakAnchor); }

// The document positions of the break marks in [from, to).
std::vector<int> breakMarks(const QTextDocument* doc, int from, int to) {
    std::vector<int> marks;
    for (QTextBlock b = doc->findBlock(from); b.isValid() && b.position() < to; b = b.next())
        for (auto it = b.begin(); !it.atEnd(); ++it) {
            const QTextFragment f = it.fragment();
            if (!f.isValid() || !isBreakMark(f.charFormat())) continue;
            for (int i = 0; i < f.length(); ++i)
                if (const int at = f.position() + i; at >= from && at < to) marks.push_back(at);
        }
    return marks;
}

// The text of positions [from, from + text.size()) without the break marks.
QString withoutMarks(const QTextDocument* doc, int from, const QString& text) {
    const std::vector<int> marks = breakMarks(doc, from, from + int(text.size()));
    if (marks.empty()) return text;
    QString out;
    out.reserve(text.size());
    size_t m = 0;
    for (int i = 0; i < int(text.size()); ++i) {
        if (m < marks.size() && marks[m] == from + i) {
            ++m;
            continue;
        }
        out += text[i];
    }
    return out;
}
}  // namespace

struct TRichTextView::Impl {
    TSealedBrowser* browser = nullptr;
    QString html;
    QString preFont = "Courier New";
    QColor link = Qt::blue;
};

IMPLEMENT_CLASS(TRichTextView, TWinControl) {}

TRichTextView::TRichTextView(TComponent* AOwner) : TWinControl(AOwner), FImpl(new Impl) {
    FImpl->browser = new TSealedBrowser;
    FWidth = 200;
    FHeight = 150;
    SetTabStop(true);
    SetWidget(FImpl->browser);
}

TRichTextView::~TRichTextView() { delete FImpl; }

void TRichTextView::SetHtml(const String& html) {
    FImpl->html = markBreaks(toQ(html));
    FImpl->browser->setHtml(FImpl->html);
}

String TRichTextView::PlainText() const {
    const QTextDocument* doc = FImpl->browser->document();
    return fromQ(withoutMarks(doc, 0, doc->toPlainText()));
}

void TRichTextView::SetBackground(TColor c) {
    QPalette pal = FImpl->browser->palette();
    pal.setColor(QPalette::Base, toQColor(c));
    FImpl->browser->setPalette(pal);
}

// The document is built again for new defaults to reach it; an empty one
// has nothing to rebuild (viewers are set up before they show anything).
void TRichTextView::reload() {
    if (!FImpl->html.isEmpty()) FImpl->browser->setHtml(FImpl->html);
}

void TRichTextView::SetDefaultFont(const String& name, int size, TColor color) {
    QFont f(toQ(name));
    if (size > 0) f.setPointSize(size);
    FImpl->browser->document()->setDefaultFont(f);
    QPalette pal = FImpl->browser->palette();
    pal.setColor(QPalette::Text, toQColor(color));
    FImpl->browser->setPalette(pal);
    reload();
}

void TRichTextView::SetPreFontName(const String& name) {
    FImpl->preFont = toQ(name);
    const QString sheet =
        "pre, code, tt { font-family: \"" + FImpl->preFont + "\"; } a { color: " + FImpl->link.name() + "; }";
    QTextDocument* doc = FImpl->browser->document();
    if (doc->defaultStyleSheet() == sheet) return;
    doc->setDefaultStyleSheet(sheet);
    reload();
}

void TRichTextView::SetLinkColor(TColor c) {
    FImpl->link = toQColor(c);
    SetPreFontName(fromQ(FImpl->preFont));
}

void TRichTextView::SetBordered(bool v) { FImpl->browser->setFrameShape(v ? QFrame::StyledPanel : QFrame::NoFrame); }

void TRichTextView::SetDocumentMargin(int px) { FImpl->browser->document()->setDocumentMargin(std::max(0, px)); }

void TRichTextView::SetVerticalScrollBar(bool always) {
    FImpl->browser->setVerticalScrollBarPolicy(always ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAsNeeded);
}

bool TRichTextView::HasSelection() const { return FImpl->browser->textCursor().hasSelection(); }

String TRichTextView::SelectedText() const {
    const QTextCursor cursor = FImpl->browser->textCursor();
    QString s = withoutMarks(FImpl->browser->document(), cursor.selectionStart(), cursor.selectedText());
    s.replace(QChar::ParagraphSeparator, '\n');
    s.replace(QChar::LineSeparator, '\n');
    return fromQ(s);
}

String TRichTextView::SelectedHtml() const {
    TSealedDocument copy;
    QTextCursor(&copy).insertFragment(FImpl->browser->textCursor().selection());
    // Back to front, so the positions ahead stay valid.
    const std::vector<int> marks = breakMarks(&copy, 0, copy.characterCount());
    for (auto it = marks.rbegin(); it != marks.rend(); ++it) {
        QTextCursor c(&copy);
        c.setPosition(*it);
        c.setPosition(*it + 1, QTextCursor::KeepAnchor);
        c.removeSelectedText();
    }
    return fromQ(copy.toHtml());
}

void TRichTextView::SelectAll() { FImpl->browser->selectAll(); }

namespace {
// A copy of the document laid out on the printer's page.
std::unique_ptr<QTextDocument> pagedCopy(const QTextDocument* source, TPrinter* printer, QRectF& body, int ml, int mt,
                                         int mr, int mb) {
    auto doc = std::make_unique<TSealedDocument>();
    doc->setDefaultFont(source->defaultFont());
    doc->setDefaultStyleSheet(source->defaultStyleSheet());
    doc->setHtml(source->toHtml());
    const int w = std::max(1, printer->PageWidth() - ml - mr);
    const int h = std::max(1, printer->PageHeight() - mt - mb);
    body = QRectF(ml, mt, w, h);
    // Lay out at screen resolution scaled to the printer's, so fonts keep their size.
    const double scale = printer->PixelsPerInchX() / 96.0;
    doc->setPageSize(QSizeF(w / scale, h / scale));
    doc->documentLayout()->setPaintDevice(nullptr);
    return doc;
}
}  // namespace

int TRichTextView::PageCount(TPrinter* printer, int ml, int mt, int mr, int mb) const {
    if (!printer) return 0;
    QRectF body;
    auto doc = pagedCopy(FImpl->browser->document(), printer, body, ml, mt, mr, mb);
    return std::max(1, doc->pageCount());
}

int TRichTextView::Print(TPrinter* printer, int fromPage, int toPage, int ml, int mt, int mr, int mb) const {
    if (!printer) return 0;
    QRectF body;
    auto doc = pagedCopy(FImpl->browser->document(), printer, body, ml, mt, mr, mb);
    const int pages = std::max(1, doc->pageCount());
    const int first = std::max(1, fromPage), last = std::min(pages, toPage);
    if (first > last) return 0;
    const double scale = printer->PixelsPerInchX() / 96.0;
    const QSizeF page = doc->pageSize();
    printer->BeginDoc();
    int printed = 0;
    for (int p = first; p <= last; ++p) {
        if (printed) printer->NewPage();
        QPainter* painter = printer->Canvas()->Painter();
        painter->save();
        painter->translate(body.topLeft());
        painter->scale(scale, scale);
        painter->translate(0, -(p - 1) * page.height());
        const QRectF clip(0, (p - 1) * page.height(), page.width(), page.height());
        doc->drawContents(painter, clip);
        painter->restore();
        ++printed;
    }
    printer->EndDoc();
    return printed;
}
