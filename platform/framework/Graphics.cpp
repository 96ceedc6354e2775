#include "platform/framework/Graphics.h"

#include <algorithm>
#include <cstdint>

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

// clang-format off
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
// clang-format on

// Classic Windows values, used when no application palette exists yet and for
// indexes the palette has no role for.
uint32_t classicSystemRGB(int idx) {
    static const uint32_t rgb[31] = {0xC8C8C8, 0x000000, 0x99B4D1, 0xBFCDDB, 0xF0F0F0, 0xFFFFFF, 0x646464, 0x000000,
                                     0x000000, 0x000000, 0xB4B4B4, 0xF4F7FC, 0xABABAB, 0x3399FF, 0xFFFFFF, 0xF0F0F0,
                                     0xA0A0A0, 0x6D6D6D, 0x000000, 0x434E54, 0xFFFFFF, 0x696969, 0xE3E3E3, 0x000000,
                                     0xFFFFE1, 0xB5B5B5, 0x0066CC, 0xB9D1EA, 0xD7E4F2, 0x3399FF, 0xF0F0F0};
    uint32_t v = (idx >= 0 && idx < 31) ? rgb[idx] : 0;
    // Table is 0xRRGGBB; TColor is 0xBBGGRR.
    return ((v & 0xFF) << 16) | (v & 0xFF00) | ((v >> 16) & 0xFF);
}

bool paletteRole(int idx, QPalette::ColorGroup& g, QPalette::ColorRole& r) {
    g = QPalette::Active;
    switch (idx) {
    case 4:
    case 15:
    case 30: r = QPalette::Button; return true;  // menu, button face, menu bar
    case 5: r = QPalette::Base; return true;
    case 7:
    case 8: r = QPalette::Text; return true;
    case 18: r = QPalette::ButtonText; return true;
    case 13:
    case 29: r = QPalette::Highlight; return true;
    case 14: r = QPalette::HighlightedText; return true;
    case 16: r = QPalette::Mid; return true;
    case 17:
        g = QPalette::Disabled;
        r = QPalette::Text;
        return true;
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

namespace {
int sat(long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); }
}  // namespace

bool IsRectEmpty(const TRect& r) { return r.Width() <= 0 || r.Height() <= 0; }
void InflateRect(TRect& r, int dx, int dy) {
    r = TRect{sat((long long)r.Left - dx), sat((long long)r.Top - dy), sat((long long)r.Right + dx),
              sat((long long)r.Bottom + dy)};
}
void OffsetRect(TRect& r, int dx, int dy) {
    r = TRect{sat((long long)r.Left + dx), sat((long long)r.Top + dy), sat((long long)r.Right + dx),
              sat((long long)r.Bottom + dy)};
}
bool PtInRect(const TRect& r, TPoint p) { return p.X >= r.Left && p.X < r.Right && p.Y >= r.Top && p.Y < r.Bottom; }
bool IntersectRect(TRect& out, const TRect& a, const TRect& b) {
    const TRect r{std::max(a.Left, b.Left), std::max(a.Top, b.Top), std::min(a.Right, b.Right),
                  std::min(a.Bottom, b.Bottom)};
    if (IsRectEmpty(r)) {
        out = TRect{};
        return false;
    }
    out = r;
    return true;
}
bool UnionRect(TRect& out, const TRect& a, const TRect& b) {
    if (IsRectEmpty(a)) out = b;
    else if (IsRectEmpty(b)) out = a;
    else
        out = TRect{std::min(a.Left, b.Left), std::min(a.Top, b.Top), std::max(a.Right, b.Right),
                    std::max(a.Bottom, b.Bottom)};
    if (IsRectEmpty(out)) {
        out = TRect{};
        return false;
    }
    return true;
}
int MulDiv(int number, int numerator, int denominator) {
    if (denominator == 0) return -1;
    const long long p = (long long)number * numerator;
    long long q = p / denominator;
    const long long r = p % denominator;
    if (2 * std::llabs(r) >= std::llabs((long long)denominator)) q += ((p < 0) != (denominator < 0)) ? -1 : 1;
    if (q > INT_MAX || q < INT_MIN) return -1;
    return int(q);
}

int32_t UnstyledColorToRGB(TColor c) {
    if ((uint32_t(c) & 0xFF000000u) == 0xFF000000u) return TColor(classicSystemRGB(int(c & 0xFF)));
    return ColorToRGB(c);
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
void TFont::SetName(const String& v) {
    if (v != FName) {
        FName = v;
        Changed();
    }
}
void TFont::SetSize(int v) {
    if (v < 0) {
        SetHeight(v);
        return;
    }
    if (v > 0 && (v != FSize || FPixelHeight)) {
        FSize = v;
        FPixelHeight = 0;
        Changed();
    }
}
// Larger point sizes are kept at this one, so that the pixel height made
// from a size fits an int at any resolution.
constexpr int64_t kMaxPointSize = 100000;

static int screenDpi() {
    if (qApp)
        if (QScreen* s = QGuiApplication::primaryScreen()) return int(s->logicalDotsPerInchY() + 0.5);
    return 96;
}
int TFont::Height() const { return FPixelHeight ? FPixelHeight : -(FSize * screenDpi() + 36) / 72; }
// The pixel height is kept as given: sizes of HTML text fall between whole points.
void TFont::SetHeight(int v) {
    if (v == 0 || v == FPixelHeight) return;
    // In 64 bits: a page's nested relative sizes can ask for any height.
    const int64_t px = v < 0 ? -int64_t(v) : int64_t(v);
    const int64_t size = (px * 72 + screenDpi() / 2) / screenDpi();
    FSize = int(std::clamp<int64_t>(size, 1, kMaxPointSize));
    FPixelHeight = v;
    Changed();
}
void TFont::SetColor(TColor v) {
    if (v != FColor) {
        FColor = v;
        Changed();
    }
}
void TFont::SetStyle(TFontStyles v) {
    if (v != FStyle) {
        FStyle = v;
        Changed();
    }
}
void TFont::SetPitch(TFontPitch v) {
    if (v != FPitch) {
        FPitch = v;
        Changed();
    }
}
void TFont::Assign(TPersistent* Source) {
    if (auto* f = dynamic_cast<TFont*>(Source)) {
        FName = f->FName;
        FSize = f->FSize;
        FColor = f->FColor;
        FStyle = f->FStyle;
        FPitch = f->FPitch;
        FCharset = f->FCharset;
        FPixelHeight = f->FPixelHeight;
        Changed();
        return;
    }
    TPersistent::Assign(Source);
}

QFont toQFont(const TFont& f) {
    QFont q(toQ(f.Name()));
    if (f.PixelHeight() < 0) q.setPixelSize(std::min(-f.PixelHeight(), 10000));
    else q.setPointSize(f.Size() > 0 ? f.Size() : 9);
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

const TEnumInfo PenStyleInfo{"TPenStyle",
                             {"psSolid", "psDash", "psDot", "psDashDot", "psDashDotDot", "psClear", "psInsideFrame"}};
const TEnumInfo BrushStyleInfo{
    "TBrushStyle",
    {"bsSolid", "bsClear", "bsHorizontal", "bsVertical", "bsFDiagonal", "bsBDiagonal", "bsCross", "bsDiagCross"}};

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

// The canvas lives in Canvas.cpp, bitmaps in Bitmap.cpp.

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
