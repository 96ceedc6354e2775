// TCanvas: the framework's canvas over a device context.
#include <algorithm>
#include <climits>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/Metafile.h"
#include "platform/framework/QtDeviceContext.h"
#include "platform/runtime/TCString.h"

namespace {
std::u16string utf16(const String& s) { return TCString(s).toUtf16(); }

// Sizes in points become pixels of the device drawn on (a printer's are many
// more than the screen's); heights set in pixels stay as they are.
TLogFont logFont(const TFont& f, const TDeviceContext& dc) {
    TLogFont lf = LogFontOf(f);
    if (f.PixelHeight() == 0) lf.Height = -MulDiv(f.Size(), dc.GetDeviceCaps(LOGPIXELSY), 72);
    return lf;
}

TLogPen logPen(const TPen& p) {
    static const int styles[] = {PS_SOLID, PS_DASH, PS_DOT, PS_DASHDOT, PS_DASHDOTDOT, PS_NULL, PS_INSIDEFRAME};
    return TLogPen{styles[p.Style()], p.Width(), p.Color()};
}
}  // namespace

IMPLEMENT_CLASS(TCanvas, TPersistent) {
    r.Object<TBrush>("Brush", &TCanvas::Brush, nullptr);
    r.Object<TFont>("Font", &TCanvas::Font, &TCanvas::SetFont);
    r.Object<TPen>("Pen", &TCanvas::Pen, nullptr);
}

TCanvas::TCanvas() : FFont(new TFont), FPen(new TPen), FBrush(new TBrush) {
    FFont->OnChange = [this](TObject*) { FFontDirty = true; };
    FPen->OnChange = [this](TObject*) { FPenDirty = true; };
    FBrush->OnChange = [this](TObject*) { FBrushDirty = true; };
}
TCanvas::~TCanvas() {
    SetDevice(nullptr);
    delete FFont;
    delete FPen;
    delete FBrush;
}

void TCanvas::SetDevice(TDeviceContext* dc) {
    FDevice = dc;
    Refresh();
}
void TCanvas::Refresh() {
    FPenDirty = FBrushDirty = FFontDirty = true;
    FReadyFor = nullptr;
}

void TCanvas::BeginPaint(QPainter* p) {
    FPainter = p;
    FOwnedDevice = p ? NewQtDeviceContext(p) : nullptr;
    SetDevice(FOwnedDevice.get());
}
void TCanvas::BeginPaint(QPainter* p, TDeviceContext* dc) {
    FPainter = p;
    FOwnedDevice.reset();
    SetDevice(dc);
}
void TCanvas::EndPaint() {
    SetDevice(nullptr);
    FOwnedDevice.reset();
    FPainter = nullptr;
}

TDeviceContext* TCanvas::ready(bool pen, bool brush, bool font) const {
    TDeviceContext* dc = FDevice;
    if (!dc) return nullptr;
    // A restored context has forgotten what the canvas selected.
    if (FReadyFor != dc || FGeneration != dc->StateGeneration()) {
        FPenDirty = FBrushDirty = FFontDirty = true;
        FReadyFor = dc;
    }
    if (pen && FPenDirty) {
        dc->SelectPen(logPen(*FPen));
        FPenDirty = false;
    }
    if (brush && FBrushDirty) {
        // Hatched styles fill solid: nothing in the program draws hatches.
        dc->SelectBrush(TLogBrush{FBrush->Style() == bsClear ? BS_NULL : BS_SOLID, FBrush->Color()});
        dc->SetBkColor(FBrush->Color());
        dc->SetBkMode(FBrush->Style() == bsClear ? TRANSPARENT : OPAQUE);
        FBrushDirty = false;
    }
    if (font && FFontDirty) {
        dc->SelectFont(logFont(*FFont, *dc));
        dc->SetTextColor(FFont->Color());
        FFontDirty = false;
    }
    FGeneration = dc->StateGeneration();
    return dc;
}

TDeviceContext* TCanvas::drawing(bool pen, bool brush, bool font) {
    fire(OnChanging, this);
    return ready(pen, brush, font);
}

TDeviceContext* TCanvas::measureDC() const {
    if (FDevice) return ready(false, false, true);
    if (!FMeasure) FMeasure = GetScreenDC();
    FMeasure->SelectFont(logFont(*FFont, *FMeasure));
    return FMeasure.get();
}

TDeviceContext* TCanvas::Handle() {
    if (TDeviceContext* dc = ready(true, true, true)) return dc;
    return measureDC();
}

TPoint TCanvas::PenPos() const { return FDevice ? FDevice->CurrentPosition() : TPoint{}; }
void TCanvas::MoveTo(int X, int Y) {
    if (auto* dc = ready(false, false, false)) dc->MoveTo(X, Y);
}
void TCanvas::LineTo(int X, int Y) {
    if (auto* dc = drawing(true, false, false)) dc->LineTo(X, Y);
    Changed();
}
void TCanvas::Rectangle(int X1, int Y1, int X2, int Y2) {
    if (auto* dc = drawing(true, true, false)) dc->Rectangle(X1, Y1, X2, Y2);
    Changed();
}
void TCanvas::FillRect(const TRect& r) {
    if (FBrush->Style() == bsClear) return;
    if (auto* dc = drawing(false, true, false)) dc->FillRect(r, FBrush->Color());
    Changed();
}
void TCanvas::FrameRect(const TRect& r) {
    auto* dc = drawing(false, true, false);
    if (!dc || r.Width() <= 0 || r.Height() <= 0) return;
    const TColor c = FBrush->Color();
    dc->FillRect(Rect(r.Left, r.Top, r.Right, r.Top + 1), c);
    dc->FillRect(Rect(r.Left, r.Bottom - 1, r.Right, r.Bottom), c);
    dc->FillRect(Rect(r.Left, r.Top, r.Left + 1, r.Bottom), c);
    dc->FillRect(Rect(r.Right - 1, r.Top, r.Right, r.Bottom), c);
    Changed();
}
void TCanvas::Ellipse(int X1, int Y1, int X2, int Y2) {
    if (auto* dc = drawing(true, true, false)) dc->Ellipse(X1, Y1, X2, Y2);
    Changed();
}
void TCanvas::RoundRect(int X1, int Y1, int X2, int Y2, int X3, int Y3) {
    auto* dc = drawing(true, true, false);
    if (!dc) return;
    const TRect r{std::min(X1, X2), std::min(Y1, Y2), std::max(X1, X2), std::max(Y1, Y2)};
    // Corners cut at 45 degrees: close to a rounded corner at the sizes controls use.
    const int cx = std::clamp(X3 / 2, 0, r.Width() / 2), cy = std::clamp(Y3 / 2, 0, r.Height() / 2);
    if (cx == 0 || cy == 0) {
        dc->Rectangle(r.Left, r.Top, r.Right, r.Bottom);
    } else {
        const int R = r.Right - 1, B = r.Bottom - 1;
        dc->Polygon({Point(r.Left + cx, r.Top), Point(R - cx, r.Top), Point(R, r.Top + cy), Point(R, B - cy),
                     Point(R - cx, B), Point(r.Left + cx, B), Point(r.Left, B - cy), Point(r.Left, r.Top + cy)});
    }
    Changed();
}
void TCanvas::Polygon(const std::vector<TPoint>& points) {
    if (auto* dc = drawing(true, true, false)) dc->Polygon(points);
    Changed();
}
void TCanvas::Polyline(const std::vector<TPoint>& points) {
    auto* dc = drawing(true, false, false);
    if (!dc || points.empty()) return;
    dc->Polyline(points);
    dc->MoveTo(points.back().X, points.back().Y);
    Changed();
}
void TCanvas::DrawFocusRect(const TRect& r) {
    if (auto* dc = drawing(false, false, false)) dc->DrawFocusRect(r);
    Changed();
}

void TCanvas::Draw(int X, int Y, const TGraphic* g) {
    if (g) StretchDraw(Rect(X, Y, X + g->Width(), Y + g->Height()), g);
}
void TCanvas::StretchDraw(const TRect& r, const TGraphic* g) {
    if (auto* m = dynamic_cast<const TMetafile*>(g)) {
        if (auto* dc = drawing(false, false, false)) m->Play(dc, r);
        Changed();
        return;
    }
    auto* b = dynamic_cast<const TBitmap*>(g);
    auto* dc = drawing(false, false, false);
    if (!dc || !b || b->Empty()) return;
    // Transparent bitmaps leave their key colour out; others keep their own alpha.
    if (b->Transparent && b->TransparentColor() != clNone) {
        std::unique_ptr<TBitmap> mask(b->CreateMask(b->TransparentColor()));
        dc->StretchDrawMasked(r, b, mask.get());
    } else {
        dc->StretchDrawMasked(r, b, nullptr);
    }
    Changed();
}

void TCanvas::TextOut(int X, int Y, const String& Text) { TextOutW(X, Y, utf16(Text)); }
void TCanvas::TextRect(const TRect& r, int X, int Y, const String& Text) { TextRectW(r, X, Y, utf16(Text)); }
int TCanvas::TextWidth(const String& Text) const { return TextExtentW(utf16(Text)).cx; }
int TCanvas::TextHeight(const String& Text) const { return TextExtentW(utf16(Text)).cy; }
TSize TCanvas::TextExtent(const String& Text) const { return TextExtentW(utf16(Text)); }

void TCanvas::TextOutW(int X, int Y, std::u16string_view Text) {
    auto* dc = drawing(false, true, true);
    if (!dc) return;
    // Measured before output, from where it goes: output moves a justified
    // line's spread on, and only text that continues the line continues it.
    if (!dc->InPath()) dc->MoveTo(X, Y);
    const int w = dc->GetTextExtentPoint(Text).cx;
    dc->ExtTextOut(X, Y, TextFlags, nullptr, Text);
    dc->MoveTo(X + w, Y);
    Changed();
}
void TCanvas::TextRectW(const TRect& r, int X, int Y, std::u16string_view Text) {
    auto* dc = drawing(false, true, true);
    if (!dc) return;
    uint32_t opts = ETO_CLIPPED | TextFlags;
    if (FBrush->Style() != bsClear) opts |= ETO_OPAQUE;
    dc->ExtTextOut(X, Y, opts, &r, Text);
    Changed();
}
int TCanvas::TextWidthW(std::u16string_view Text) const { return TextExtentW(Text).cx; }
TSize TCanvas::TextExtentW(std::u16string_view Text) const { return measureDC()->GetTextExtentPoint(Text); }

int TCanvas::DrawText(const String& Text, TRect& r, unsigned flags) {
    const std::u16string text = utf16(Text);
    if (flags & DT_CALCRECT) {
        TRect need = r;
        const int h = measureDC()->DrawText(text, need, flags);
        // Wrapped text keeps the width it was given.
        if (!(flags & DT_WORDBREAK)) r.Right = need.Right;
        r.Bottom = need.Bottom;
        return h;
    }
    auto* dc = drawing(false, true, true);
    if (!dc) return 0;
    const int h = dc->DrawText(text, r, flags);
    Changed();
    return h;
}

TColor TCanvas::Pixel(int X, int Y) const { return FDevice ? FDevice->GetPixel(X, Y) : clNone; }
void TCanvas::SetPixel(int X, int Y, TColor c) {
    if (auto* dc = drawing(false, false, false)) dc->SetPixel(X, Y, c);
    Changed();
}
TRect TCanvas::ClipRect() const { return FDevice ? FDevice->GetClipBox() : TRect{}; }
