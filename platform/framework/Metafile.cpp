// TMetafile and TMetafileCanvas: pages recorded from the device context's
// primitives, with the state each was drawn in, and replayed through the
// public operations of another context.
#include "platform/framework/Metafile.h"

#include <QImage>

#include <algorithm>
#include <climits>
#include <cmath>
#include <numeric>
#include <optional>
#include <variant>

namespace {

int clampInt(long long v) { return int(std::clamp<long long>(v, INT_MIN, INT_MAX)); }

// The surface of a page recorded without a size: room for anything drawn.
constexpr int kUnbounded = 1 << 24;

// ---- the records

// clang-format off
struct RPen { TLogPen Pen; };
struct RBrush { TLogBrush Brush; };
struct RFont { TLogFont Font; };
struct RColors { TColor Text, Back; };
struct RModes { int PolyFill, Stretch; };
struct RMapping { int Mode; TPoint WindowOrg, ViewportOrg; TSize WindowExt, ViewportExt; };
struct RClip { bool Has; TRegion Clip; };  // device units of the page

struct RPolyline { std::vector<TPoint> Points; };
struct RRectangle { TRect R; };
struct REllipse { TRect R; };
struct RPolygon { std::vector<TPoint> Points; };
struct RFill { TRect R; int32_t Rgb; };
struct RRegion { TRegion Rgn; int32_t Rgb; };  // device units of the page
struct RFocus { TRect R; };
struct RPixel { int X, Y; int32_t Rgb; };
struct RPath { std::vector<TDeviceContext::Figure> Figures; bool Stroke, Fill; };
// clang-format on
// Glyphs at the positions measured on the reference device, with the
// advance of the last one (its underline ends there).
struct RText {
    std::u16string Text;
    std::vector<int> Xs;
    int LastAdvance;
    int Baseline;
    std::optional<TRect> Clip, Opaque;
};
// clang-format off
struct RBits { TRect Dest; std::shared_ptr<TBitmap> Src; uint32_t Rop; };  // the source part alone
struct RPattern { TRect Dest; uint32_t Rop; };
struct RMasked { TRect Dest; std::shared_ptr<TBitmap> Bmp, Mask; };
// clang-format on

using Record = std::variant<RPen, RBrush, RFont, RColors, RModes, RMapping, RClip, RPolyline, RRectangle, REllipse,
                            RPolygon, RFill, RRegion, RFocus, RPixel, RPath, RText, RBits, RPattern, RMasked>;

bool isDrawing(const Record& r) { return r.index() >= 7; }

std::shared_ptr<TBitmap> copyOf(const TBitmap* b, const QRect& part) {
    auto c = std::make_shared<TBitmap>();
    c->SetImage(b->Image().copy(part));
    return c;
}

}  // namespace

struct TMetafile::Page {
    TDeviceCaps Caps;
    std::vector<Record> Records;
};

// ---- recording

class TMetafileCanvas::Recorder : public TDeviceContext {
public:
    Recorder(TDeviceContext* reference, TSize size) {
        FMeasure = reference ? reference->NewMeasuringContext() : GetScreenDC();
        FCaps = FMeasure->Caps();
        if ((size.cx <= 0 || size.cy <= 0) && reference) size = reference->SurfaceSize();
        FSize = TSize{std::max(size.cx, 0), std::max(size.cy, 0)};
        if (FSize.cx == 0 || FSize.cy == 0) FSize = TSize{};
        FCaps.HorzRes = FSize.cx;
        FCaps.VertRes = FSize.cy;
        FPage = std::make_shared<TMetafile::Page>();
        FPage->Caps = FCaps;
    }
    // The page's size (none: the page takes what is drawn, at its own scale).
    TSize PageSize() const { return FSize; }
    TSize SurfaceSize() const override { return FSize.cx > 0 ? FSize : TSize{kUnbounded, kUnbounded}; }
    std::unique_ptr<TDeviceContext> NewMeasuringContext() const override { return FMeasure->NewMeasuringContext(); }
    std::shared_ptr<TMetafile::Page> Take() { return std::move(FPage); }

protected:
    // Text is measured on the reference device, in the page's font.
    void CharAdvances(std::u16string_view text, std::vector<int>& out) override {
        measureFont();
        std::vector<int> partial;
        TSize size;
        FMeasure->GetTextExtentExPoint(text, 0, nullptr, &partial, size);
        out.resize(text.size());
        int last = 0;
        for (size_t i = 0; i < text.size() && i < partial.size(); ++i) {
            out[i] = partial[i] - last;
            last = partial[i];
        }
    }
    TTextMetric FontMetrics() override {
        measureFont();
        return FMeasure->GetTextMetrics();
    }

    void DrawPolyline(const std::vector<TPoint>& pts) override { add(RPolyline{pts}); }
    void DrawRectangle(const TRect& r) override { add(RRectangle{r}); }
    void DrawEllipse(const TRect& r) override { add(REllipse{r}); }
    void DrawPolygon(const std::vector<TPoint>& pts) override { add(RPolygon{pts}); }
    void DrawFill(const TRect& r, int32_t rgb) override { add(RFill{r, rgb}); }
    void DrawRegion(const TRegion& rgn, int32_t rgb) override { add(RRegion{rgn, rgb}); }
    void DrawFocus(const TRect& r) override { add(RFocus{r}); }
    void DrawPixel(int x, int y, int32_t rgb) override { add(RPixel{x, y, rgb}); }
    TColor ReadPixel(int, int) override { return clNone; }  // a page has no pixels to read
    void DrawPath(const std::vector<Figure>& figures, bool stroke, bool fill) override {
        add(RPath{figures, stroke, fill});
    }
    void DrawGlyphs(std::u16string_view text, const std::vector<int>& xs, int baseline, const TRect* clip,
                    const TRect* opaque) override {
        RText t{std::u16string(text), xs, 0, baseline, std::nullopt, std::nullopt};
        if (!text.empty()) {
            std::vector<int> adv;
            CharAdvances(text.substr(text.size() - 1), adv);
            t.LastAdvance = adv.empty() ? 0 : adv.back();
            // The second unit of a pair ends where its character does.
            if (text.size() >= 2 && IsSurrogatePairAt(text, text.size() - 2)) t.LastAdvance = 0;
        }
        if (clip) t.Clip = *clip;
        if (opaque) t.Opaque = *opaque;
        add(std::move(t));
    }
    bool DrawBits(const TRect& dest, const TBitmap* src, const TRect& srcRect, uint32_t rop) override {
        const QRect part(srcRect.Left, srcRect.Top, srcRect.Width(), srcRect.Height());
        if (part.intersected(src->Image().rect()).isEmpty()) return false;
        add(RBits{dest, copyOf(src, part), rop});
        return true;
    }
    bool DrawPattern(const TRect& dest, uint32_t rop) override {
        if (rop != BLACKNESS && rop != WHITENESS && rop != PATCOPY && rop != DSTINVERT) return false;
        add(RPattern{dest, rop});
        return true;
    }
    void DrawMasked(const TRect& dest, const TBitmap* bmp, const TBitmap* mask) override {
        std::shared_ptr<TBitmap> m;
        if (mask && !mask->Empty()) m = copyOf(mask, mask->Image().rect());
        add(RMasked{dest, copyOf(bmp, bmp->Image().rect()), m});
    }

private:
    void measureFont() {
        if (!(FMeasure->CurrentFont() == S.Font)) FMeasure->SelectFont(S.Font);
    }
    // Before each drawing, the state it depends on, as far as it changed.
    void sync() {
        auto& out = FPage->Records;
        if (!FSynced || !(FLast.Pen == S.Pen)) out.push_back(RPen{S.Pen});
        if (!FSynced || !(FLast.Brush == S.Brush)) out.push_back(RBrush{S.Brush});
        if (!FSynced || !(FLast.Font == S.Font)) out.push_back(RFont{S.Font});
        if (!FSynced || FLast.TextColor != S.TextColor || FLast.BkColor != S.BkColor)
            out.push_back(RColors{S.TextColor, S.BkColor});
        if (!FSynced || FLast.PolyFillMode != S.PolyFillMode || FLast.StretchMode != S.StretchMode)
            out.push_back(RModes{S.PolyFillMode, S.StretchMode});
        if (!FSynced || FLast.MapMode != S.MapMode || FLast.WindowOrg.X != S.WindowOrg.X ||
            FLast.WindowOrg.Y != S.WindowOrg.Y || FLast.ViewportOrg.X != S.ViewportOrg.X ||
            FLast.ViewportOrg.Y != S.ViewportOrg.Y || FLast.WindowExt.cx != S.WindowExt.cx ||
            FLast.WindowExt.cy != S.WindowExt.cy || FLast.ViewportExt.cx != S.ViewportExt.cx ||
            FLast.ViewportExt.cy != S.ViewportExt.cy)
            out.push_back(RMapping{S.MapMode, S.WindowOrg, S.ViewportOrg, S.WindowExt, S.ViewportExt});
        if (!FSynced || FLast.HasClip != S.HasClip || (S.HasClip && FLast.Clip != S.Clip))
            out.push_back(RClip{S.HasClip, S.Clip});
        FLast = S;
        FSynced = true;
    }
    void add(Record r) {
        sync();
        FPage->Records.push_back(std::move(r));
    }

    std::unique_ptr<TDeviceContext> FMeasure;
    TSize FSize;
    std::shared_ptr<TMetafile::Page> FPage;
    State FLast;
    bool FSynced = false;
};

IMPLEMENT_CLASS(TMetafileCanvas, TCanvas) {}

TMetafileCanvas::TMetafileCanvas(TMetafile* metafile, TDeviceContext* reference) : FMetafile(metafile) {
    const TSize size = metafile ? TSize{metafile->Width(), metafile->Height()} : TSize{};
    FRecorder = std::make_unique<Recorder>(reference, size);
    SetDevice(FRecorder.get());
}

TMetafileCanvas::~TMetafileCanvas() {
    SetDevice(nullptr);
    if (!FMetafile) return;
    const TSize size = FRecorder->PageSize();
    FMetafile->FPage = FRecorder->Take();
    FMetafile->FWidth = size.cx;
    FMetafile->FHeight = size.cy;
    fire(FMetafile->OnChange, FMetafile);
}

// ---- the metafile

IMPLEMENT_CLASS(TMetafile, TGraphic) {}

TMetafile::TMetafile() = default;
TMetafile::~TMetafile() = default;

void TMetafile::SetSize(int w, int h) {
    FWidth = std::max(w, 0);
    FHeight = std::max(h, 0);
}

bool TMetafile::Empty() const { return !FPage || FPage->Records.empty(); }

void TMetafile::Assign(TPersistent* Source) {
    if (auto* m = dynamic_cast<TMetafile*>(Source)) {
        FPage = m->FPage;
        FWidth = m->FWidth;
        FHeight = m->FHeight;
        fire(OnChange, this);
        return;
    }
    TGraphic::Assign(Source);
}

void TMetafile::Clear() {
    FPage.reset();
    fire(OnChange, this);
}

TDeviceCaps TMetafile::ReferenceCaps() const { return FPage ? FPage->Caps : TDeviceCaps(); }

int TMetafile::RecordCount() const {
    if (!FPage) return 0;
    return int(std::count_if(FPage->Records.begin(), FPage->Records.end(), isDrawing));
}

// ---- replaying

namespace {

// a × b / c for the extents of a composed mapping, reduced to fit an int.
// (den > 0 on entry; the ratio stays as near as an int allows.)
void reduce(long long& num, long long& den) {
    const long long g = std::gcd(num, den);
    if (g > 1) {
        num /= g;
        den /= g;
    }
    const long long sign = num < 0 ? -1 : 1;
    num = std::llabs(num);
    while (num > INT_MAX || den > INT_MAX) {
        num = std::max(num / 2, 1LL);
        den = std::max(den / 2, 1LL);
    }
    num *= sign;
}

// One axis of the placement: page device units to the target's device
// units (through the target's own mapping at the start of the replay).
struct Axis {
    long long PageSize, DestSize;  // the page's extent and the destination's, logical of the target
    int DestStart;
    int TargetWindowOrg, TargetViewportOrg;
    int TargetWindowExt, TargetViewportExt;
    double Scale() const {
        return double(DestSize) / double(PageSize) * double(TargetViewportExt) / double(TargetWindowExt);
    }
    double Offset() const {
        return double((long long)DestStart - TargetWindowOrg) * TargetViewportExt / TargetWindowExt + TargetViewportOrg;
    }
};

class Player {
public:
    Player(TDeviceContext* dc, const TRect& dest, TSize page) : FDc(dc) {
        const TDeviceContext::State& t = dc->CurrentState();
        // A page without a size keeps its own scale, placed at dest's corner.
        const bool sized = page.cx > 0 && page.cy > 0;
        const long long pw = sized ? page.cx : 1, ph = sized ? page.cy : 1;
        const long long dw = sized ? dest.Width() : 1, dh = sized ? dest.Height() : 1;
        FX = Axis{pw, dw, dest.Left, t.WindowOrg.X, t.ViewportOrg.X, t.WindowExt.cx, t.ViewportExt.cx};
        FY = Axis{ph, dh, dest.Top, t.WindowOrg.Y, t.ViewportOrg.Y, t.WindowExt.cy, t.ViewportExt.cy};
        // What may show: the destination within the target's own clip.
        FBase = sized ? TRegion::Rect(dc->LPtoDP(dest)) : dc->SurfaceRegion();
        TRegion clip;
        if (dc->GetClipRgn(clip) == 1) FBase.Combine(FBase, clip, RGN_AND);
        dc->SetTextAlign(TA_BASELINE | TA_LEFT);
        dc->SetTextCharacterExtra(0);
        dc->SetTextJustification(0, 0);
        dc->SetBkMode(TRANSPARENT);  // text records say where they are opaque
    }

    void operator()(const RPen& r) { FDc->SelectPen(r.Pen); }
    void operator()(const RBrush& r) { FDc->SelectBrush(r.Brush); }
    void operator()(const RFont& r) { FDc->SelectFont(r.Font); }
    void operator()(const RColors& r) {
        FDc->SetTextColor(r.Text);
        FDc->SetBkColor(r.Back);
    }
    void operator()(const RModes& r) {
        FDc->SetPolyFillMode(r.PolyFill);
        FDc->SetStretchBltMode(r.Stretch);
    }
    void operator()(const RMapping& r) {
        // The page's mapping followed by the placement and the target's mapping.
        auto axis = [](const Axis& a, int wExt, int vExt, int vOrg, int& outW, int& outV, int& outOrg) {
            long long num = (long long)vExt * a.DestSize * a.TargetViewportExt;
            long long den = (long long)wExt * a.PageSize * a.TargetWindowExt;
            if (den < 0) {
                num = -num;
                den = -den;
            }
            reduce(num, den);
            outW = int(den);
            outV = int(num);
            outOrg = clampInt(std::llround(std::clamp(vOrg * a.Scale() + a.Offset(), -2e9, 2e9)));
        };
        int wx, vx, ox, wy, vy, oy;
        axis(FX, r.WindowExt.cx, r.ViewportExt.cx, r.ViewportOrg.X, wx, vx, ox);
        axis(FY, r.WindowExt.cy, r.ViewportExt.cy, r.ViewportOrg.Y, wy, vy, oy);
        FDc->SetMapMode(MM_ANISOTROPIC);
        FDc->SetWindowExt(wx, wy);
        FDc->SetViewportExt(vx, vy);
        FDc->SetWindowOrg(r.WindowOrg.X, r.WindowOrg.Y);
        FDc->SetViewportOrg(ox, oy);
    }
    void operator()(const RClip& r) {
        TRegion clip = FBase;
        if (r.Has) clip.Combine(clip, toTarget(r.Clip), RGN_AND);
        FDc->SelectClipRgn(&clip);
    }
    void operator()(const RPolyline& r) { FDc->Polyline(r.Points); }
    void operator()(const RRectangle& r) { FDc->Rectangle(r.R.Left, r.R.Top, r.R.Right, r.R.Bottom); }
    void operator()(const REllipse& r) { FDc->Ellipse(r.R.Left, r.R.Top, r.R.Right, r.R.Bottom); }
    void operator()(const RPolygon& r) { FDc->Polygon(r.Points); }
    void operator()(const RFill& r) { FDc->FillRect(r.R, TColor(r.Rgb)); }
    void operator()(const RRegion& r) { FDc->FillRgn(toTarget(r.Rgn), TColor(r.Rgb)); }
    void operator()(const RFocus& r) { FDc->DrawFocusRect(r.R); }
    void operator()(const RPixel& r) { FDc->SetPixel(r.X, r.Y, TColor(r.Rgb)); }
    void operator()(const RPath& r) {
        FDc->BeginPath();
        for (const auto& f : r.Figures) {
            if (f.Points.empty()) continue;
            FDc->MoveTo(f.Points[0].X, f.Points[0].Y);
            for (size_t i = 1; i < f.Points.size(); ++i) FDc->LineTo(f.Points[i].X, f.Points[i].Y);
            if (f.Closed) FDc->CloseFigure();
        }
        FDc->EndPath();
        if (r.Stroke && r.Fill) FDc->StrokeAndFillPath();
        else if (r.Stroke) FDc->StrokePath();
        else if (r.Fill) FDc->FillPath();
        else FDc->AbortPath();
    }
    void operator()(const RText& r) {
        std::vector<int> dx(r.Text.size());
        for (size_t i = 0; i < dx.size(); ++i) dx[i] = i + 1 < r.Xs.size() ? r.Xs[i + 1] - r.Xs[i] : r.LastAdvance;
        const int x = r.Xs.empty() ? (r.Opaque ? r.Opaque->Left : 0) : r.Xs.front();
        const int* adv = dx.empty() ? nullptr : dx.data();
        if (r.Opaque && r.Clip &&
            !(r.Opaque->Left == r.Clip->Left && r.Opaque->Top == r.Clip->Top && r.Opaque->Right == r.Clip->Right &&
              r.Opaque->Bottom == r.Clip->Bottom)) {
            TClipGuard guard(FDc);
            FDc->IntersectClipRect(r.Clip->Left, r.Clip->Top, r.Clip->Right, r.Clip->Bottom);
            FDc->ExtTextOut(x, r.Baseline, ETO_OPAQUE, &*r.Opaque, r.Text, adv);
        } else if (r.Opaque) {
            FDc->ExtTextOut(x, r.Baseline, ETO_OPAQUE | (r.Clip ? ETO_CLIPPED : 0), &*r.Opaque, r.Text, adv);
        } else if (r.Clip) {
            FDc->ExtTextOut(x, r.Baseline, ETO_CLIPPED, &*r.Clip, r.Text, adv);
        } else {
            FDc->ExtTextOut(x, r.Baseline, 0, nullptr, r.Text, adv);
        }
    }
    void operator()(const RBits& r) {
        FDc->StretchBlt(r.Dest.Left, r.Dest.Top, r.Dest.Width(), r.Dest.Height(), r.Src.get(), 0, 0, r.Src->Width(),
                        r.Src->Height(), r.Rop);
    }
    void operator()(const RPattern& r) { FDc->PatBlt(r.Dest.Left, r.Dest.Top, r.Dest.Width(), r.Dest.Height(), r.Rop); }
    void operator()(const RMasked& r) { FDc->StretchDrawMasked(r.Dest, r.Bmp.get(), r.Mask.get()); }

private:
    // A region in the page's device units, in the target's.
    TRegion toTarget(const TRegion& rgn) const {
        TXForm x;
        x.eM11 = FX.Scale();
        x.eM22 = FY.Scale();
        x.eDx = FX.Offset();
        x.eDy = FY.Offset();
        return TRegion::FromRects(rgn.Rects(), &x);
    }
    TDeviceContext* FDc;
    Axis FX{}, FY{};
    TRegion FBase;
};

}  // namespace

void TMetafile::Play(TDeviceContext* dc, const TRect& dest) const {
    if (!dc || !FPage || FPage->Records.empty()) return;
    if (FWidth > 0 && FHeight > 0 && (dest.Width() <= 0 || dest.Height() <= 0)) return;
    TSaveDCGuard guard(dc);
    Player player(dc, dest, TSize{FWidth, FHeight});
    // A page starts from a fresh context's state, as it was recorded.
    const TDeviceContext::State fresh;
    player(RPen{fresh.Pen});
    player(RBrush{fresh.Brush});
    player(RFont{fresh.Font});
    player(RColors{fresh.TextColor, fresh.BkColor});
    player(RModes{fresh.PolyFillMode, fresh.StretchMode});
    player(RMapping{fresh.MapMode, fresh.WindowOrg, fresh.ViewportOrg, fresh.WindowExt, fresh.ViewportExt});
    player(RClip{false, TRegion()});
    for (const Record& r : FPage->Records) std::visit(player, r);
}
