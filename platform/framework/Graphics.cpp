#include "platform/framework/Graphics.h"

#include <QApplication>
#include <QFontDatabase>
#include <QFontInfo>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <QPolygon>
#include <QPalette>
#include <QScreen>

#include "platform/framework/QtBridge.h"

namespace {

struct NamedColor { TColor c; const char* name; };
const NamedColor kNames[] = {
    {clBlack, "clBlack"}, {clMaroon, "clMaroon"}, {clGreen, "clGreen"}, {clOlive, "clOlive"},
    {clNavy, "clNavy"}, {clPurple, "clPurple"}, {clTeal, "clTeal"}, {clGray, "clGray"},
    {clSilver, "clSilver"}, {clRed, "clRed"}, {clLime, "clLime"}, {clYellow, "clYellow"},
    {clBlue, "clBlue"}, {clFuchsia, "clFuchsia"}, {clAqua, "clAqua"}, {clWhite, "clWhite"},
    {clMoneyGreen, "clMoneyGreen"}, {clSkyBlue, "clSkyBlue"}, {clCream, "clCream"}, {clMedGray, "clMedGray"},
    {clNone, "clNone"}, {clDefault, "clDefault"},
    {clScrollBar, "clScrollBar"}, {clBackground, "clBackground"}, {clActiveCaption, "clActiveCaption"},
    {clInactiveCaption, "clInactiveCaption"}, {clMenu, "clMenu"}, {clWindow, "clWindow"},
    {clWindowFrame, "clWindowFrame"}, {clMenuText, "clMenuText"}, {clWindowText, "clWindowText"},
    {clCaptionText, "clCaptionText"}, {clActiveBorder, "clActiveBorder"}, {clInactiveBorder, "clInactiveBorder"},
    {clAppWorkSpace, "clAppWorkSpace"}, {clHighlight, "clHighlight"}, {clHighlightText, "clHighlightText"},
    {clBtnFace, "clBtnFace"}, {clBtnShadow, "clBtnShadow"}, {clGrayText, "clGrayText"},
    {clBtnText, "clBtnText"}, {clInactiveCaptionText, "clInactiveCaptionText"},
    {clBtnHighlight, "clBtnHighlight"}, {cl3DDkShadow, "cl3DDkShadow"}, {cl3DLight, "cl3DLight"},
    {clInfoText, "clInfoText"}, {clInfoBk, "clInfoBk"}, {clHotLight, "clHotLight"},
    {clGradientActiveCaption, "clGradientActiveCaption"}, {clGradientInactiveCaption, "clGradientInactiveCaption"},
    {clMenuHighlight, "clMenuHighlight"}, {clMenuBar, "clMenuBar"},
};

// Classic Windows values, used when no application palette exists yet and for
// indexes the palette has no role for.
uint32_t classicSystemRGB(int idx) {
    static const uint32_t rgb[31] = {
        0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000, 0x000000,
        0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0, 0xA0A0A0, 0x6D6D6D,
        0x000000, 0x434E54, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000, 0xFFFFE1, 0xB5B5B5, 0x0066CC,
        0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0};
    uint32_t v = (idx >= 0 && idx < 31) ? rgb[idx] : 0;
    // Table is 0xRRGGBB; TColor is 0xBBGGRR.
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

bool paletteRole(int idx, QPalette::ColorGroup& g, QPalette::ColorRole& r) {
    g = QPalette::Active;
    switch (idx) {
    case 4: case 15: case 30: r = QPalette::Button; return true;    // menu, button face, menu bar
    case 5: r = QPalette::Base; return true;
    case 7: case 8: r = QPalette::Text; return true;
    case 18: r = QPalette::ButtonText; return true;
    case 13: case 29: r = QPalette::Highlight; return true;
    case 14: r = QPalette::HighlightedText; return true;
    case 16: r = QPalette::Mid; return true;
    case 17: g = QPalette::Disabled; r = QPalette::Text; return true;
    case 20: r = QPalette::Light; return true;
    case 21: r = QPalette::Shadow; return true;
    case 22: r = QPalette::Midlight; return true;
    case 23: r = QPalette::ToolTipText; return true;
    case 24: r = QPalette::ToolTipBase; return true;
    case 26: r = QPalette::Link; return true;
    default: return false;
    }
}

}  // namespace

int32_t ColorToRGB(TColor c) {
    if (uint32_t(c) & 0xFF000000u) {
        if ((uint32_t(c) & 0xFF000000u) == 0xFF000000u) {
            int idx = int(c & 0xFF);
            QPalette::ColorGroup g;
            QPalette::ColorRole r;
            if (qApp && paletteRole(idx, g, r)) return fromQColor(QGuiApplication::palette().color(g, r));
            return TColor(classicSystemRGB(idx));
        }
        if (c == clNone) return clWhite;
        if (c == clDefault) return ColorToRGB(clWindow);
        return c & 0xFFFFFF;
    }
    return c;
}

QColor toQColor(TColor c) {
    int32_t v = ColorToRGB(c);
    return QColor(v & 0xFF, (v >> 8) & 0xFF, (v >> 16) & 0xFF);
}
TColor fromQColor(const QColor& c) { return RGB(c.red(), c.green(), c.blue()); }

String ColorToString(TColor c) {
    for (auto& n : kNames)
        if (n.c == c) return n.name;
    char buf[16];
    snprintf(buf, sizeof buf, "$%08X", uint32_t(c));
    return buf;
}

TColor StringToColor(const String& s) {
    String t = Trim(s);
    for (auto& n : kNames)
        if (SameText(t, n.name)) return n.c;
    if (!t.empty()) {
        char* e = nullptr;
        long long v = (t[0] == '$') ? strtoll(t.c_str() + 1, &e, 16) : strtoll(t.c_str(), &e, 0);
        if (e && !*e && t != "$") return TColor(uint32_t(v));
    }
    throw EConvertError("'" + s + "' is not a valid colour");
}

// ---- TFont

const TEnumInfo FontStyleInfo{"TFontStyle", {"fsBold", "fsItalic", "fsUnderline", "fsStrikeOut"}};
static const TEnumInfo FontPitchInfo{"TFontPitch", {"fpDefault", "fpVariable", "fpFixed"}};

IMPLEMENT_CLASS(TFont, TPersistent) {
    r.Integer("Charset", &TFont::Charset, &TFont::SetCharset);
    r.Integer("Color", &TFont::Color, &TFont::SetColor);
    r.Integer("Height", &TFont::Height, &TFont::SetHeight);
    r.Str("Name", &TFont::Name, &TFont::SetName);
    r.Enum("Pitch", FontPitchInfo, &TFont::Pitch, &TFont::SetPitch);
    r.Integer("Size", &TFont::Size, &TFont::SetSize);
    r.Set("Style", FontStyleInfo, &TFont::Style, &TFont::SetStyle);
}

TFont::TFont() {
    if (qApp) {
        QFont f = QApplication::font();
        FName = fromQ(f.family());
        FSize = f.pointSize() > 0 ? f.pointSize() : 9;
    } else {
        FName = "DejaVu Sans";
        FSize = 9;
    }
}
void TFont::Changed() {
    FDefault = false;
    fire(OnChange, this);
}
void TFont::SetName(const String& v) { if (v != FName) { FName = v; Changed(); } }
void TFont::SetSize(int v) {
    if (v < 0) { SetHeight(v); return; }
    if (v != FSize && v > 0) { FSize = v; Changed(); }
}
static int screenDpi() {
    if (qApp)
        if (QScreen* s = QGuiApplication::primaryScreen()) return int(s->logicalDotsPerInchY() + 0.5);
    return 96;
}
int TFont::Height() const { return -(FSize * screenDpi() + 36) / 72; }
void TFont::SetHeight(int v) {
    int px = v < 0 ? -v : v;
    int size = (px * 72 + screenDpi() / 2) / screenDpi();
    if (size < 1) size = 1;
    if (size != FSize) { FSize = size; Changed(); }
}
void TFont::SetColor(TColor v) { if (v != FColor) { FColor = v; Changed(); } }
void TFont::SetStyle(TFontStyles v) { if (v != FStyle) { FStyle = v; Changed(); } }
void TFont::SetPitch(TFontPitch v) { if (v != FPitch) { FPitch = v; Changed(); } }
void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        FName = f->FName;
        FSize = f->FSize;
        FColor = f->FColor;
        FStyle = f->FStyle;
        FPitch = f->FPitch;
        FCharset = f->FCharset;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

QFont toQFont(const TFont& f) {
    QFont q(toQ(f.Name()));
    q.setPointSize(f.Size() > 0 ? f.Size() : 9);
    q.setBold(f.Style() & fsSet(fsBold));
    q.setItalic(f.Style() & fsSet(fsItalic));
    q.setUnderline(f.Style() & fsSet(fsUnderline));
    q.setStrikeOut(f.Style() & fsSet(fsStrikeOut));
    if (f.Pitch() == fpFixed) q.setFixedPitch(true);
    return q;
}

void fromQFont(TFont& f, const QFont& q) {
    f.SetName(fromQ(q.family()));
    if (q.pointSize() > 0) f.SetSize(q.pointSize());
    TFontStyles s = 0;
    if (q.bold()) s |= fsSet(fsBold);
    if (q.italic()) s |= fsSet(fsItalic);
    if (q.underline()) s |= fsSet(fsUnderline);
    if (q.strikeOut()) s |= fsSet(fsStrikeOut);
    f.SetStyle(s);
}

// ---- pens, brushes, canvas

const TEnumInfo PenStyleInfo{"TPenStyle", {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
const TEnumInfo BrushStyleInfo{"TBrushStyle", {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"}};

IMPLEMENT_CLASS(TPen, TPersistent) {
    r.Integer("Color", &TPen::Color, &TPen::SetColor);
    r.Enum("Style", PenStyleInfo, &TPen::Style, &TPen::SetStyle);
    r.Integer("Width", &TPen::Width, &TPen::SetWidth);
}
void TPen::Assign(TPersistent* Source) {
    if (auto* p = dynamic_cast<TPen*>(Source)) {
        FColor = p->FColor;
        FWidth = p->FWidth;
        FStyle = p->FStyle;
        fire(OnChange, this);
        return;
    }
    TPersistent::Assign(Source);
}

IMPLEMENT_CLASS(TBrush, TPersistent) {
    r.Integer("Color", &TBrush::Color, &TBrush::SetColor);
    r.Enum("Style", BrushStyleInfo, &TBrush::Style, &TBrush::SetStyle);
}
void TBrush::SetColor(TColor v) {
    FColor = v;
    if (FStyle == bsClear) FStyle = bsSolid;  // as the framework does
    fire(OnChange, this);
}
void TBrush::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBrush*>(Source)) {
        FColor = b->FColor;
        FStyle = b->FStyle;
        fire(OnChange, this);
        return;
    }
    TPersistent::Assign(Source);
}

IMPLEMENT_CLASS(TCanvas, TPersistent) {
    r.Object<TBrush>("Brush", &TCanvas::Brush, nullptr);
    r.Object<TFont>("Font", &TCanvas::Font, &TCanvas::SetFont);
    r.Object<TPen>("Pen", &TCanvas::Pen, nullptr);
}

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {}
TCanvas::~TCanvas() {
    delete FFont;
    delete FPen;
    delete FBrush;
}

void TCanvas::BeginPaint(QPainter* p) { FPainter = p; }
void TCanvas::EndPaint() { FPainter = nullptr; }

void TCanvas::applyPen() {
    if (!FPainter) return;
    if (FPen->Style() == psClear) {
        FPainter->setPen(Qt::NoPen);
        return;
    }
    static const Qt::PenStyle styles[] = {Qt::SolidLine, Qt::DashLine, Qt::DotLine, Qt::DashDotLine,
                                          Qt::DashDotDotLine, Qt::NoPen, Qt::SolidLine};
    QPen pen(toQColor(FPen->Color()));
    pen.setWidth(FPen->Width());
    pen.setStyle(styles[FPen->Style()]);
    FPainter->setPen(pen);
}

void TCanvas::applyBrush() {
    if (!FPainter) return;
    static const Qt::BrushStyle styles[] = {Qt::SolidPattern, Qt::NoBrush, Qt::HorPattern, Qt::VerPattern,
                                            Qt::FDiagPattern, Qt::BDiagPattern, Qt::CrossPattern, Qt::DiagCrossPattern};
    FPainter->setBrush(QBrush(toQColor(FBrush->Color()), styles[FBrush->Style()]));
}

void TCanvas::MoveTo(int X, int Y) { FPenPos = Point(X, Y); }
void TCanvas::LineTo(int X, int Y) {
    if (FPainter) {
        applyPen();
        FPainter->drawLine(FPenPos.X, FPenPos.Y, X, Y);
    }
    FPenPos = Point(X, Y);
}
void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    if (!FPainter) return;
    applyPen();
    applyBrush();
    FPainter->drawRect(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
}
void TCanvas::FillRect(const TRect& r) {
    if (!FPainter || FBrush->Style() == bsClear) return;
    FPainter->fillRect(QRect(r.Left, r.Top, r.Width(), r.Height()), toQColor(FBrush->Color()));
}
void TCanvas::FrameRect(const TRect& r) {
    if (!FPainter) return;
    FPainter->save();
    FPainter->setPen(toQColor(FBrush->Color()));
    FPainter->setBrush(Qt::NoBrush);
    FPainter->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    FPainter->restore();
}
void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    if (!FPainter) return;
    applyPen();
    applyBrush();
    FPainter->drawEllipse(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1));
}
void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    if (!FPainter) return;
    applyPen();
    applyBrush();
    FPainter->drawRoundedRect(QRect(X1, Y1, X2 - X1 - 1, Y2 - Y1 - 1), X3 / 2.0, Y3 / 2.0);
}
static QPolygon toPolygon(const std::vector<TPoint>& pts) {
    QPolygon poly;
    for (const TPoint& p : pts) poly << QPoint(p.X, p.Y);
    return poly;
}
void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (!FPainter || points.empty()) return;
    applyPen();
    applyBrush();
    FPainter->drawPolygon(toPolygon(points));
}
void TCanvas::Polyline(const std::vector<TPoint>& points) {
    if (!FPainter || points.empty()) return;
    applyPen();
    FPainter->drawPolyline(toPolygon(points));
    FPenPos = points.back();
}
void TCanvas::DrawFocusRect(const TRect& r) {
    if (!FPainter) return;
    FPainter->save();
    QPen pen(Qt::black);
    pen.setStyle(Qt::DotLine);
    FPainter->setPen(pen);
    FPainter->setBrush(Qt::NoBrush);
    FPainter->drawRect(QRect(r.Left, r.Top, r.Width() - 1, r.Height() - 1));
    FPainter->restore();
}
void TCanvas::TextOut(int X, int Y, const String& Text) {
    if (!FPainter) return;
    QFont f = toQFont(*FFont);
    QFontMetrics fm(f);
    QString t = toQ(Text);
    QRect r(X, Y, fm.horizontalAdvance(t), fm.height());
    if (FBrush->Style() != bsClear) FPainter->fillRect(r, toQColor(FBrush->Color()));
    FPainter->setFont(f);
    FPainter->setPen(toQColor(FFont->Color()));
    FPainter->drawText(X, Y + fm.ascent(), t);
    FPenPos = Point(X + r.width(), Y);
}
void TCanvas::TextRect(const TRect& r, int X, int Y, const String& Text) {
    if (!FPainter) return;
    FPainter->save();
    QRect qr(r.Left, r.Top, r.Width(), r.Height());
    if (FBrush->Style() != bsClear) FPainter->fillRect(qr, toQColor(FBrush->Color()));
    FPainter->setClipRect(qr, Qt::IntersectClip);
    QFont f = toQFont(*FFont);
    FPainter->setFont(f);
    FPainter->setPen(toQColor(FFont->Color()));
    FPainter->drawText(X, Y + QFontMetrics(f).ascent(), toQ(Text));
    FPainter->restore();
}
int TCanvas::DrawText(const String& Text, TRect& r, unsigned flags) {
    QFont f = toQFont(*FFont);
    QPaintDevice* dev = FPainter ? FPainter->device() : nullptr;
    QFontMetrics fm = dev ? QFontMetrics(f, dev) : QFontMetrics(f);
    int align = (flags & DT_CENTER) ? Qt::AlignHCenter : (flags & DT_RIGHT) ? Qt::AlignRight : Qt::AlignLeft;
    align |= (flags & DT_VCENTER) ? Qt::AlignVCenter : (flags & DT_BOTTOM) ? Qt::AlignBottom : Qt::AlignTop;
    if (flags & DT_WORDBREAK) align |= Qt::TextWordWrap;
    if (flags & DT_SINGLELINE) align |= Qt::TextSingleLine;
    QString t = toQ(Text);
    if (flags & DT_CALCRECT) {
        int w = (flags & DT_WORDBREAK) ? std::max(r.Width(), 1) : 1 << 24;
        QRect need = fm.boundingRect(QRect(r.Left, r.Top, w, 1 << 24), align, t);
        int h = t.isEmpty() ? fm.height() : need.height();
        if (!(flags & DT_WORDBREAK)) r.Right = r.Left + need.width();
        r.Bottom = r.Top + h;
        return h;
    }
    if (!FPainter) return 0;
    FPainter->save();
    QRect qr(r.Left, r.Top, r.Width(), r.Height());
    if (!(flags & DT_NOCLIP)) FPainter->setClipRect(qr, Qt::IntersectClip);
    FPainter->setFont(f);
    FPainter->setPen(toQColor(FFont->Color()));
    QRect used;
    FPainter->drawText(qr, align, t, &used);
    FPainter->restore();
    return used.height();
}

int TCanvas::TextWidth(const String& Text) const { return TextExtent(Text).cx; }
int TCanvas::TextHeight(const String& Text) const { return TextExtent(Text).cy; }
TSize TCanvas::TextExtent(const String& Text) const {
    QFontMetrics fm(toQFont(*FFont));
    return TSize{fm.horizontalAdvance(toQ(Text)), fm.height()};
}
TColor TCanvas::Pixel(int X, int Y) const {
    if (!FPainter || !FPainter->device()) return clNone;
    if (auto* img = dynamic_cast<QImage*>(FPainter->device())) {
        if (!img->rect().contains(X, Y)) return clNone;
        return fromQColor(img->pixelColor(X, Y));
    }
    return clNone;
}
void TCanvas::SetPixel(int X, int Y, TColor c) {
    if (!FPainter) return;
    FPainter->save();
    FPainter->setPen(toQColor(c));
    FPainter->drawPoint(X, Y);
    FPainter->restore();
}
TRect TCanvas::ClipRect() const {
    if (!FPainter) return TRect{};
    QRect r = FPainter->hasClipping() ? FPainter->clipBoundingRect().toAlignedRect()
                                      : QRect(QPoint(0, 0), FPainter->device() ? QSize(FPainter->device()->width(), FPainter->device()->height()) : QSize());
    return Rect(r.left(), r.top(), r.left() + r.width(), r.top() + r.height());
}

// ---- graphics

IMPLEMENT_CLASS(TGraphic, TPersistent) {}
IMPLEMENT_CLASS(TBitmap, TGraphic) {}

TBitmap::TBitmap() : FImage(new QImage) {}
TBitmap::TBitmap(int w, int h) : FImage(new QImage) { SetSize(w, h); }
TBitmap::~TBitmap() {
    while (FPainter) ReleaseCanvas();
    delete FCanvas;
    delete FImage;
}
int TBitmap::Width() const { return FImage->width(); }
int TBitmap::Height() const { return FImage->height(); }
bool TBitmap::Empty() const { return FImage->isNull(); }
void TBitmap::SetSize(int w, int h) {
    if (FPainter) ReleaseCanvas();
    w = std::max(w, 0);
    h = std::max(h, 0);
    if (w == Width() && h == Height()) return;
    QImage img(w, h, QImage::Format_ARGB32_Premultiplied);
    img.fill(Qt::white);
    if (!FImage->isNull()) {
        QPainter p(&img);
        p.drawImage(0, 0, *FImage);
    }
    *FImage = img;
    fire(OnChange, this);
}
bool TBitmap::LoadFromFile(const String& path) {
    QImage img;
    if (!img.load(toQ(path))) return false;
    SetImage(img);
    return true;
}
bool TBitmap::SaveToFile(const String& path) const { return FImage->save(toQ(path)); }
void TBitmap::Assign(TPersistent* Source) {
    if (auto* b = dynamic_cast<TBitmap*>(Source)) {
        SetImage(*b->FImage);
        Transparent = b->Transparent;
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(Source)) {
        if (p->Graphic()) Assign(p->Graphic());
        else SetImage(QImage());
        return;
    }
    TGraphic::Assign(Source);
}
TCanvas* TBitmap::Canvas() {
    if (!FCanvas) FCanvas = new TCanvas;
    if (!FPainter && !FImage->isNull()) {
        if (FImage->format() != QImage::Format_ARGB32_Premultiplied)
            *FImage = FImage->convertToFormat(QImage::Format_ARGB32_Premultiplied);
        FPainter = new QPainter(FImage);
        FCanvas->BeginPaint(FPainter);
    }
    return FCanvas;
}
void TBitmap::ReleaseCanvas() {
    if (!FPainter) return;
    FCanvas->EndPaint();
    FPainter->end();
    delete FPainter;
    FPainter = nullptr;
    fire(OnChange, this);
}
const QImage& TBitmap::Image() const {
    if (FPainter) const_cast<TBitmap*>(this)->ReleaseCanvas();
    return *FImage;
}
void TBitmap::SetImage(const QImage& img) {
    if (FPainter) ReleaseCanvas();
    *FImage = img;
    fire(OnChange, this);
}

IMPLEMENT_CLASS(TPicture, TPersistent) {}

TPicture::TPicture() = default;
TPicture::~TPicture() { delete FGraphic; }
void TPicture::SetGraphic(TGraphic* g) {
    if (!g) {
        Clear();
        return;
    }
    Bitmap()->Assign(g);
    FFileName.clear();
    fire(OnChange, this);
}
TBitmap* TPicture::Bitmap() {
    if (!FGraphic) FGraphic = new TBitmap;
    return FGraphic;
}
bool TPicture::LoadFromFile(const String& path) {
    if (!Bitmap()->LoadFromFile(path)) return false;
    FFileName = path;
    fire(OnChange, this);
    return true;
}
bool TPicture::SaveToFile(const String& path) const { return FGraphic && FGraphic->SaveToFile(path); }
void TPicture::Assign(TPersistent* Source) {
    if (!Source) {
        Clear();
        return;
    }
    if (auto* p = dynamic_cast<TPicture*>(Source)) {
        if (p->FGraphic) Bitmap()->Assign(p->FGraphic);
        else Clear();
        FFileName = p->FFileName;
        fire(OnChange, this);
        return;
    }
    if (auto* g = dynamic_cast<TGraphic*>(Source)) {
        SetGraphic(g);
        return;
    }
    TPersistent::Assign(Source);
}
void TPicture::Clear() {
    delete FGraphic;
    FGraphic = nullptr;
    FFileName.clear();
    fire(OnChange, this);
}

void TCanvas::Draw(int X, int Y, const TGraphic* g) {
    auto* b = dynamic_cast<const TBitmap*>(g);
    if (!FPainter || !b || b->Empty()) return;
    FPainter->drawImage(X, Y, b->Image());
}
void TCanvas::StretchDraw(const TRect& r, const TGraphic* g) {
    auto* b = dynamic_cast<const TBitmap*>(g);
    if (!FPainter || !b || b->Empty()) return;
    FPainter->save();
    FPainter->setRenderHint(QPainter::SmoothPixmapTransform);
    FPainter->drawImage(QRect(r.Left, r.Top, r.Width(), r.Height()), b->Image());
    FPainter->restore();
}
