#include "html/layout/Borders.h"

#include <algorithm>
#include <cmath>

#include "html/layout/Document.h"
#include "html/text/ScreenColors.h"
#include "platform/framework/DeviceContext.h"

htBorderStyleArray htStyles(ThtBorderStyle L, ThtBorderStyle T, ThtBorderStyle R, ThtBorderStyle B) {
    return {L, T, R, B};
}

htColorArray htColors(TColor L, TColor T, TColor R, TColor B) { return {L, T, R, B}; }

namespace {

constexpr TColor Silver = 12632256;  // C0C0C0

// Corner points in side order: bottom-left, top-left, top-right, bottom-right.
std::array<TPoint, 4> cornersOf(const TRect& R) {
    return {Point(R.Left, R.Bottom), Point(R.Left, R.Top), Point(R.Right, R.Top), Point(R.Right, R.Bottom)};
}

bool anyStyle(const htBorderStyleArray& S, std::initializer_list<ThtBorderStyle> Styles) {
    for (ThtBorderStyle s : S)
        for (ThtBorderStyle t : Styles)
            if (s == t) return true;
    return false;
}

TColor withPalette(TColor C) { return C | TColor(PalRelative); }

// A geometric pen of a border side that stays selected while its path is
// open; the old pen comes back on every way out.
class TBorderPen {
public:
    explicit TBorderPen(TDeviceContext* DC) : FDC(DC) {}
    ~TBorderPen() { Release(); }
    TBorderPen(const TBorderPen&) = delete;
    TBorderPen& operator=(const TBorderPen&) = delete;
    bool Selected() const { return FSelected; }
    void Select(const TLogPen& Pen) {
        Release();
        FOld = FDC->SelectPen(Pen);
        FSelected = true;
    }
    void Release() {
        if (!FSelected) return;
        if (FDC->InPath()) FDC->AbortPath();
        FDC->SelectPen(FOld);
        FSelected = false;
    }

private:
    TDeviceContext* FDC;
    TLogPen FOld;
    bool FSelected = false;
};

}  // namespace

void FillQuad(TCanvas* Canvas, const std::array<TPoint, 4>& Points, TColor Colour) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    if (!dc) return;
    std::vector<TPoint> device;
    device.reserve(4);
    for (const TPoint& p : Points) device.push_back(dc->LPtoDP(p));
    dc->FillRgn(TRegion::Polygon(device, ALTERNATE), Colour);
    Canvas->Changed();
}

void DrawBorder(TCanvas* Canvas, TRect ORect, TRect IRect, const htColorArray& C, const htBorderStyleArray& S,
                TColor BGround, TStyleElements StyleElements) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    if (!dc) return;
    const std::array<int32_t, 4> W = {IRect.Left - ORect.Left, IRect.Top - ORect.Top, ORect.Right - IRect.Right,
                                      ORect.Bottom - IRect.Bottom};
    if (W[0] == 0 && W[1] == 0 && W[2] == 0 && W[3] == 0) return;

    // What lies far outside the clip is cut off (coordinates stay small for
    // the device); the margin keeps every visible corner where it was.
    const TRect clip = dc->GetClipBox();
    const int32_t margin = 200 + std::max({std::abs(W[0]), std::abs(W[1]), std::abs(W[2]), std::abs(W[3])});
    const int32_t lowest = clip.Top - margin, highest = clip.Bottom + margin;
    for (TRect* r : {&ORect, &IRect}) {
        r->Top = std::clamp(r->Top, lowest, highest);
        r->Bottom = std::clamp(r->Bottom, lowest, highest);
    }

    const std::array<TPoint, 4> OP = cornersOf(ORect), IP = cornersOf(IRect);
    std::array<TPoint, 4> MP{}, ODP{}, IDP{};
    if (anyStyle(S, {bssGroove, bssRidge, bssDashed, bssDotted}))
        MP = cornersOf(Rect((ORect.Left + IRect.Left) / 2, (ORect.Top + IRect.Top) / 2, (ORect.Right + IRect.Right) / 2,
                            (ORect.Bottom + IRect.Bottom) / 2));
    if (anyStyle(S, {bssDouble})) {
        std::array<int32_t, 4> w3{};
        for (int i = 0; i < 4; ++i) w3[size_t(i)] = W[size_t(i)] / 3 + (W[size_t(i)] % 3 == 2 ? 1 : 0);
        ODP = cornersOf(Rect(ORect.Left + w3[0], ORect.Top + w3[1], ORect.Right - w3[2], ORect.Bottom - w3[3]));
        IDP = cornersOf(Rect(IRect.Left - w3[0], IRect.Top - w3[1], IRect.Right + w3[2], IRect.Bottom + w3[3]));
    }

    const bool themed = (StyleElements & seSet(seClient)) != 0;
    if (BGround != clNone && anyStyle(S, {bssDashed, bssDotted, bssDouble})) {
        // The gaps of the broken styles show the background.
        TRegion ring;
        ring.Combine(TRegion::Rect(dc->LPtoDP(ORect)), TRegion::Rect(dc->LPtoDP(IRect)), RGN_DIFF);
        dc->FillRgn(ring, withPalette(ThemedColor(BGround, themed)));
    }

    TBorderPen pen(dc);
    int pathStart = -1;
    for (int i = 0; i < 4; ++i) {
        const size_t a = size_t(i), b = size_t((i + 1) % 4);
        const TColor c = ThemedColor(C[a], themed);
        const bool leftOrTop = i < 2;
        switch (S[a]) {
        case bssSolid:
        case bssInset:
        case bssOutset: {
            TColor fill = c;
            if (S[a] == bssInset) fill = leftOrTop ? DarkSysColor(c) : LightSysColor(c);
            if (S[a] == bssOutset) fill = leftOrTop ? LightSysColor(c) : DarkSysColor(c);
            FillQuad(Canvas, {OP[a], OP[b], IP[b], IP[a]}, withPalette(fill));
            break;
        }
        case bssGroove:
        case bssRidge: {
            const bool darkOuter = (S[a] == bssGroove) == leftOrTop;
            const TColor outer = darkOuter ? DarkSysColor(c) : LightSysColor(c);
            const TColor inner = darkOuter ? LightSysColor(c) : DarkSysColor(c);
            FillQuad(Canvas, {OP[a], OP[b], MP[b], MP[a]}, withPalette(outer));
            FillQuad(Canvas, {MP[a], MP[b], IP[b], IP[a]}, withPalette(inner));
            break;
        }
        case bssDouble:
            FillQuad(Canvas, {OP[a], OP[b], ODP[b], ODP[a]}, withPalette(c));
            FillQuad(Canvas, {IDP[a], IDP[b], IP[b], IP[a]}, withPalette(c));
            break;
        case bssDashed:
        case bssDotted: {
            if (W[a] <= 0) break;  // a side without width has no dots
            if (!pen.Selected()) {
                TLogPen p;
                p.Style = PS_GEOMETRIC | PS_JOIN_MITER | (S[a] == bssDotted ? PS_DOT : PS_DASH | PS_ENDCAP_SQUARE);
                p.Width = W[a];
                p.Color = withPalette(c);
                pen.Select(p);
                dc->BeginPath();
                dc->MoveTo(MP[a].X, MP[a].Y);
                pathStart = i;
            }
            dc->LineTo(MP[b].X, MP[b].Y);
            const bool continues = i < 3 && S[b] == S[a] && C[b] == C[a] && W[b] == W[a];
            if (!continues) {
                if (i == 3 && pathStart == 0) dc->CloseFigure();
                dc->EndPath();
                dc->StrokePath();
                pen.Release();
                Canvas->Changed();
            }
            break;
        }
        default: break;
        }
    }
}

void GetRaisedColors(ThtDocument* Document, TCanvas* Canvas, TColor& Light, TColor& Dark) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    const bool printing = Document && Document->Printing;
    if (printing && Document->PrintMonoBlack && dc && dc->GetDeviceCaps(BITSPIXEL) == 1 &&
        dc->GetDeviceCaps(PLANES) == 1) {
        Light = Dark = clBlack;
        return;
    }
    const TStyleElements se = Document ? Document->StyleElements() : AllStyleElements;
    const bool fontThemed = (se & seSet(seFont)) != 0;
    Dark = ThemedColor(clBtnShadow, fontThemed);
    const bool whiteBackground =
        Document && ThemedColor(Document->BackGround, (se & seSet(seClient)) != 0) == TColor(0xFFFFFF);
    Light = printing || whiteBackground ? Silver : ThemedColor(clBtnHighlight, fontThemed);
}

htColorArray MakeRaisedColors(TColor Light, TColor Dark, bool Raised) {
    return Raised ? htColorArray{Light, Light, Dark, Dark} : htColorArray{Dark, Dark, Light, Light};
}

htColorArray GetRaisedColorArray(ThtDocument* Document, TCanvas* Canvas, bool Raised) {
    TColor light, dark;
    GetRaisedColors(Document, Canvas, light, dark);
    return MakeRaisedColors(light, dark, Raised);
}

void DrawPlainBorder(TCanvas* Canvas, const TRect& ORect, const TRect& IRect, const htColorArray& C,
                     const htBorderStyleArray& S) {
    DrawBorder(Canvas, ORect, IRect, C, S, clNone, AllStyleElements);
}

void RaisedRect(ThtDocument* Document, TCanvas* Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, bool Raised,
                int32_t W) {
    DrawBorder(Canvas, Rect(X1, Y1, X2, Y2), Rect(X1 + W, Y1 + W, X2 - W, Y2 - W),
               GetRaisedColorArray(Document, Canvas, Raised), htStyles(bssSolid, bssSolid, bssSolid, bssSolid), clNone,
               Document ? Document->StyleElements() : AllStyleElements);
}

void ThtBorderRec::DrawTheBorder(TCanvas* Canvas, int32_t XOff, int32_t YOff, TStyleElements StyleElements) {
    const TRect inner = Rect(BRect.Left + XOff, BRect.Top - YOff, BRect.Right + XOff, BRect.Bottom - YOff);
    // A box that goes on across a line break has no side border at the break.
    if (OpenStart) MargArray[BorderLeftStyle] = bssNone;
    if (OpenEnd) MargArray[BorderRightStyle] = bssNone;
    const TColor bg = MargArray[BackgroundColor];
    if (bg != clNone && Canvas) {
        if (TDeviceContext* dc = Canvas->Handle()) {
            dc->FillRect(inner, withPalette(ThemedColor(bg, (StyleElements & seSet(seClient)) != 0)));
            Canvas->Changed();
        }
    }
    const TRect outer = Rect(inner.Left - MargArray[BorderLeftWidth], inner.Top - MargArray[BorderTopWidth],
                             inner.Right + MargArray[BorderRightWidth], inner.Bottom + MargArray[BorderBottomWidth]);
    DrawBorder(Canvas, outer, inner,
               htColors(MargArray[BorderLeftColor], MargArray[BorderTopColor], MargArray[BorderRightColor],
                        MargArray[BorderBottomColor]),
               htStyles(ThtBorderStyle(MargArray[BorderLeftStyle]), ThtBorderStyle(MargArray[BorderTopStyle]),
                        ThtBorderStyle(MargArray[BorderRightStyle]), ThtBorderStyle(MargArray[BorderBottomStyle])),
               bg, StyleElements);
}

void ScaleRectBy(const TRect& Src, TRect& Dst, double FY, double FX) {
    // The current rounding mode is to nearest with ties to even.
    auto scale = [](int32_t v, double f) { return int32_t(std::lrint(double(v) * f)); };
    Dst = Rect(scale(Src.Left, FX), scale(Src.Top, FY), scale(Src.Right, FX), scale(Src.Bottom, FY));
}

void LogicalToDeviceRect(TCanvas* Canvas, const TRect& R, bool Printing, TRect& R2) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    if (!dc) {
        R2 = R;
        return;
    }
    const TPoint org = dc->GetWindowOrg();
    const TPoint vorg = dc->GetViewportOrg();
    TRect moved = Rect(R.Left - org.X, R.Top - org.Y, R.Right - org.X, R.Bottom - org.Y);
    if (Printing) {
        const TSize vp = dc->GetViewportExt(), win = dc->GetWindowExt();
        const double fx = win.cx ? double(vp.cx) / win.cx : 1.0;
        const double fy = win.cy ? double(vp.cy) / win.cy : 1.0;
        ScaleRectBy(moved, moved, fy, fx);
    }
    R2 = Rect(moved.Left + vorg.X, moved.Top + vorg.Y, moved.Right + vorg.X, moved.Bottom + vorg.Y);
}

void MakeClipRegion(TCanvas* Canvas, const TRect& R, bool Printing, TRegion& OldRgn, bool& HadOld, TRegion& NewRgn) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    HadOld = dc && dc->GetClipRgn(OldRgn) == 1;
    if (!HadOld) OldRgn = TRegion();
    TRect device;
    LogicalToDeviceRect(Canvas, R, Printing, device);
    NewRgn = TRegion::Rect(device);
    if (HadOld) NewRgn.Combine(TRegion(NewRgn), OldRgn, RGN_AND);
}

void DrawWrappedText(TCanvas* Canvas, int32_t X1, int32_t Y1, int32_t X2, int32_t Y2, std::u16string_view Text) {
    TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
    if (!dc) return;
    struct RestoreAlign {
        TDeviceContext* dc;
        uint32_t old;
        ~RestoreAlign() { dc->SetTextAlign(old); }
    } restore{dc, dc->SetTextAlign(0)};
    TRect r = Rect(X1, Y1, X2, Y2);
    dc->DrawText(Text, r, DT_WORDBREAK);
    Canvas->Changed();
}
