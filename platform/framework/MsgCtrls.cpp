#include "platform/framework/MsgCtrls.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>
#include <QPainterPath>
#include <QPlainTextEdit>
#include <QScreen>
#include <QScrollBar>
#include <QStyle>
#include <QTextBlock>
#include <QTextCursor>
#include <QTextDocument>
#include <QTextLayout>
#include <QTextEdit>
#include <QTimer>
#include <QWidget>
#include <QtMath>

#include <algorithm>
#include <cmath>

#include "platform/framework/Forms.h"
#include "platform/framework/QtBridge.h"
#include "platform/framework/QtInternals.h"

const TEnumInfo IconKindInfo{"TIconKind", {"ikNone", "ikQuestion", "ikInformation", "ikWarning", "ikError"}};

// ---- TIconImage

namespace {
void paintIcon(QPainter& p, const QRect& area, TIconKind kind) {
    if (kind == ikNone) return;
    p.setRenderHint(QPainter::Antialiasing, true);
    const int side = std::min(area.width(), area.height());
    QRectF r(area.left() + (area.width() - side) / 2.0 + 1, area.top() + (area.height() - side) / 2.0 + 1, side - 2,
             side - 2);
    QColor fill, edge, glyphColor(Qt::white);
    QString glyph;
    switch (kind) {
    case ikQuestion:
        fill = QColor(0x2F, 0x6F, 0xC8);
        edge = QColor(0x1C, 0x4A, 0x8C);
        glyph = "?";
        break;
    case ikInformation:
        fill = QColor(0x2F, 0x8F, 0xD8);
        edge = QColor(0x1C, 0x5E, 0x99);
        glyph = "i";
        break;
    case ikWarning:
        fill = QColor(0xF5, 0xC2, 0x1B);
        edge = QColor(0xB0, 0x85, 0x00);
        glyph = "!";
        glyphColor = Qt::black;
        break;
    default:
        fill = QColor(0xD0, 0x2B, 0x2B);
        edge = QColor(0x8E, 0x16, 0x16);
        glyph = "\u00D7";
        break;
    }
    p.setPen(QPen(edge, std::max(1.0, side / 24.0)));
    p.setBrush(fill);
    QRectF textArea = r;
    if (kind == ikWarning) {
        QPainterPath tri;
        tri.moveTo(r.center().x(), r.top());
        tri.lineTo(r.right(), r.bottom());
        tri.lineTo(r.left(), r.bottom());
        tri.closeSubpath();
        p.drawPath(tri);
        textArea = r.adjusted(0, r.height() * 0.25, 0, 0);
    } else {
        p.drawEllipse(r);
    }
    QFont f = QApplication::font();
    f.setBold(true);
    f.setPixelSize(std::max(6, int(side * (kind == ikWarning ? 0.5 : 0.62))));
    p.setFont(f);
    p.setPen(glyphColor);
    p.drawText(textArea, Qt::AlignCenter, glyph);
}
}  // namespace

IMPLEMENT_CLASS(TIconImage, TControl) { r.Enum("Kind", IconKindInfo, &TIconImage::Kind, &TIconImage::SetKind); }

TIconImage::TIconImage(TComponent* AOwner) : TControl(AOwner) {
    FWidth = 48;
    FHeight = 48;
    SetWidget(newPaintWidget([this](QPainter& p) {
        if (QWidget* w = Handle()) paintIcon(p, w->rect(), FKind);
    }));
}

void TIconImage::SetKind(TIconKind v) {
    FKind = v;
    Invalidate();
}

// ---- TScrollText

namespace {
QPlainTextEdit* newTextView() {
    auto* e = new QPlainTextEdit;
    e->setReadOnly(true);
    e->setFrameShape(QFrame::NoFrame);
    e->setTextInteractionFlags(Qt::TextSelectableByMouse);  // copyable, no caret
    e->setCursorWidth(0);
    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    e->setVerticalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    e->setLineWrapMode(QPlainTextEdit::WidgetWidth);
    e->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    e->document()->setDocumentMargin(0);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    e->setFocusPolicy(Qt::NoFocus);
    return e;
}

// The view's background follows the control's colour (the parent's face by default).
void applyViewColor(QAbstractScrollArea* e, TColor color) {
    QPalette pal = e->palette();
    QColor c =
        (color == clNone || color == clDefault) ? QApplication::palette().color(QPalette::Button) : toQColor(color);
    pal.setColor(QPalette::Base, c);
    pal.setColor(QPalette::Window, c);
    e->setPalette(pal);
    e->viewport()->setPalette(pal);
}

bool scrollBarShown(QAbstractScrollArea* e) {
    if (!e) return false;
    return e->verticalScrollBar()->maximum() > e->verticalScrollBar()->minimum();
}
}  // namespace

IMPLEMENT_CLASS(TScrollText, TWinControl) { r.Str("Caption", &TScrollText::GetText, &TScrollText::SetText); }

TScrollText::TScrollText(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 200;
    FHeight = 40;
    SetWidget(newTextView());
}

void TScrollText::ApplyText() {
    if (auto* e = static_cast<QPlainTextEdit*>(Handle())) e->setPlainText(toQ(FText));
}

void TScrollText::ApplyColor() {
    if (auto* e = static_cast<QPlainTextEdit*>(Handle())) applyViewColor(e, Color());
}

bool TScrollText::Scrolling() const { return scrollBarShown(static_cast<QAbstractScrollArea*>(Handle())); }

int TScrollText::TextAreaWidth(int width) const {
    QWidget* w = Handle();
    const int bar = w ? w->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, w) : 16;
    return std::max(1, width - bar - 2);
}

// ---- TLinesView

IMPLEMENT_CLASS(TLinesView, TWinControl) {}

TLinesView::TLinesView(TComponent* AOwner) : TWinControl(AOwner) {
    FWidth = 300;
    FHeight = 100;
    auto* e = new QTextEdit;
    e->setReadOnly(true);
    e->setAcceptRichText(false);
    e->setTextInteractionFlags(Qt::TextSelectableByMouse);  // no blinking caret in a read-only list
    e->setCursorWidth(0);
    e->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    e->setWordWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    e->document()->setDocumentMargin(2);
    e->setContextMenuPolicy(Qt::NoContextMenu);
    SetWidget(e);
    SetTabStop(true);
}

void TLinesView::AddLine(const String& text, TColor color) {
    FLines.push_back({text, color});
    auto* e = static_cast<QTextEdit*>(Handle());
    if (!e) return;
    QTextCursor cur(e->document());
    cur.movePosition(QTextCursor::End);
    if (FLines.size() > 1) cur.insertBlock();
    QTextCharFormat fmt;
    fmt.setForeground(toQColor(color));
    cur.insertText(toQ(text), fmt);  // inserted as text: markup in it is shown as typed
}

void TLinesView::Clear() {
    FLines.clear();
    if (auto* e = static_cast<QTextEdit*>(Handle())) e->clear();
}

bool TLinesView::Scrolling() const { return scrollBarShown(static_cast<QAbstractScrollArea*>(Handle())); }

int TLinesView::TextAreaWidth(int width) const {
    auto* e = static_cast<QTextEdit*>(Handle());
    if (!e) return std::max(1, width - 24);
    const int bar = e->style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, e);
    const int margin = int(std::ceil(e->document()->documentMargin()));
    return std::max(1, width - 2 * e->frameWidth() - 2 * margin - bar - 2);
}

int TLinesView::ExtraHeight() const {
    auto* e = static_cast<QTextEdit*>(Handle());
    if (!e) return 10;
    return 2 * e->frameWidth() + 2 * int(std::ceil(e->document()->documentMargin())) + 2;
}

void TLinesView::ApplyColor() {
    if (auto* e = static_cast<QTextEdit*>(Handle())) applyViewColor(e, Color());
}

// ---- TBusyPicture

IMPLEMENT_CLASS(TBusyPicture, TControl) { r.Boolean("Active", &TBusyPicture::Active, &TBusyPicture::SetActive); }

TBusyPicture::TBusyPicture(TComponent* AOwner) : TControl(AOwner), FTimer(new QTimer) {
    FWidth = 32;
    FHeight = 32;
    SetWidget(newPaintWidget([this](QPainter& p) {
        QWidget* w = Handle();
        if (!w) return;
        p.setRenderHint(QPainter::Antialiasing, true);
        const int side = std::min(w->width(), w->height());
        const QPointF c(w->width() / 2.0, w->height() / 2.0);
        const double rOut = side / 2.0 - 1, rDot = std::max(1.5, side / 10.0);
        const QColor base = QApplication::palette().color(QPalette::Highlight);
        for (int i = 0; i < 8; ++i) {
            QColor col = base;
            col.setAlphaF(0.15 + 0.85 * (((i - FFrame) % 8 + 8) % 8 == 0 ? 1.0 : ((i - FFrame + 8) % 8) / 10.0));
            const double a = i * M_PI / 4;
            p.setPen(Qt::NoPen);
            p.setBrush(col);
            p.drawEllipse(QPointF(c.x() + (rOut - rDot) * std::cos(a), c.y() + (rOut - rDot) * std::sin(a)), rDot,
                          rDot);
        }
    }));
    FTimer->setInterval(100);
    QObject::connect(FTimer, &QTimer::timeout, FTimer, [this] {
        FFrame = (FFrame + 1) % 8;
        Invalidate();
    });
}

TBusyPicture::~TBusyPicture() { delete FTimer; }

void TBusyPicture::SetActive(bool v) {
    FActive = v;
    if (v) FTimer->start();
    else FTimer->stop();
}

// ---- helpers

TSize MeasureWrappedText(const String& text, const TFont* font, int width) {
    EnsureApplication();
    const QFont f = font && !font->IsDefault() ? toQFont(*font) : QApplication::font();
    // Laid out line by line as the text views lay out plain text: breaking at
    // word boundaries and inside words wider than the line, leading included.
    QTextOption opt;
    opt.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
    const qreal lineWidth = std::max(width, 1);
    qreal height = 0, widest = 0;
    for (const QString& para : toQ(text).split(QChar('\n'))) {
        QTextLayout layout(para, f);
        layout.setTextOption(opt);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLeadingIncluded(true);
            line.setLineWidth(lineWidth);
            height += line.height();
            widest = std::max(widest, line.naturalTextWidth());
        }
        layout.endLayout();
    }
    const int lineH = QFontMetrics(f).height();
    return TSize{int(std::ceil(widest)), std::max(int(std::ceil(height)), lineH)};
}

TRect AvailableScreenArea() {
    EnsureApplication();
    return Screen->WorkAreaRect();
}

bool SaveControlImage(TControl* c, const String& fileName) {
    QWidget* w = c ? c->Handle() : nullptr;
    if (!w) return false;
    return w->grab().save(toQ(fileName), "PNG");
}
