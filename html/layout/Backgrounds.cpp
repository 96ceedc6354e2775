#include "html/layout/Backgrounds.h"

#include <algorithm>

#include "html/layout/GpImage.h"
#include "html/layout/Images.h"

void PaintBackground(TCanvas* Canvas, const TRect& Rect, TColor Color, ThtImage* Image, int XStart, int YStart,
                     int XEnd, int YEnd, int W, int H) {
    TDeviceContext* dc = Canvas && Canvas->HandleAllocated() ? Canvas->Handle() : nullptr;
    if (!dc) return;
    const TColor oldBk = dc->SetBkColor(clWhite);
    const TColor oldText = dc->SetTextColor(clBlack);
    dc->FillRect(Rect, Color);
    if (Image) Image->DrawTiled(Canvas, XStart, YStart, XEnd, YEnd, W, H);
    dc->SetBkColor(oldBk);
    dc->SetTextColor(oldText);
    Canvas->Changed();
}

std::unique_ptr<TBitmap> WidenThinImage(ThtImage& Source, int W, int H) {
    TBitmap* b = Source.GetBitmap();
    return b ? WidenThinImage(*b, W, H) : nullptr;
}

namespace {

struct TileRange {
    int32_t XStart, XEnd, YStart, YEnd;
};

void TileBitmapInto(const TileRange& r, int W, int H, const TBitmap* Bitmap, const TBitmap* Mask,
                    ThtTiledBackground& Tiled) {
    if (W <= 0 || H <= 0 || !Bitmap) return;
    TDeviceContext* img = Tiled.Bitmap->Canvas()->Handle();
    TDeviceContext* msk = Tiled.Mask ? Tiled.Mask->Canvas()->Handle() : nullptr;
    for (int64_t y = r.YStart; y < r.YEnd; y += H)
        for (int64_t x = r.XStart; x < r.XEnd; x += W) {
            img->BitBlt(int(x), int(y), Bitmap->Width(), Bitmap->Height(), Bitmap, 0, 0, SRCCOPY);
            if (!msk) continue;
            if (Mask) msk->BitBlt(int(x), int(y), Mask->Width(), Mask->Height(), Mask, 0, 0, SRCCOPY);
            else if (!Tiled.NoMask) msk->PatBlt(int(x), int(y), W, H, BLACKNESS);
        }
    Tiled.Bitmap->Canvas()->Changed();
    if (Tiled.Mask) Tiled.Mask->Canvas()->Changed();
}

void TileGpImageInto(const TileRange& r, ThtGpImage& Image, ThtGpBitmap& Target) {
    const int W = int(Image.Width()), H = int(Image.Height());
    if (W <= 0 || H <= 0) return;
    try {
        ThtGpGraphics g(Target);
        for (int64_t y = r.YStart; y < r.YEnd; y += H)
            for (int64_t x = r.XStart; x < r.XEnd; x += W) g.DrawImage(Image, int(x), int(y));
    } catch (...) {
        // A picture that cannot be drawn leaves the tiles drawn so far.
    }
}

}  // namespace

void BuildTiledBackground(TCanvas*, int IW, int IH, ThtImage& Image, const PtPositionRec& PRec,
                          ThtTiledBackground& Tiled) {
    if (IW <= 0 || IH <= 0) return;
    TBitmap* bitmap = Image.GetBitmap();
    TBitmap* mask = Image.GetMask();
    const int W = Image.GetWidth(), H = Image.GetHeight();
    Tiled.NoMask = !mask && PRec.X.RepeatD && PRec.Y.RepeatD;
    auto* gdip = dynamic_cast<ThtGdipImage*>(&Image);
    const bool gp = gdip && W != 1 && H != 1;
    if (gp) {
        if (Tiled.GpBitmap && (int(Tiled.GpBitmap->Width()) != IW || int(Tiled.GpBitmap->Height()) != IH))
            Tiled.GpBitmap.reset();
        if (!Tiled.GpBitmap) Tiled.GpBitmap = std::make_unique<ThtGpBitmap>(IW, IH);
        ThtGpGraphics(*Tiled.GpBitmap).Clear(0);
    } else {
        if (!Tiled.Bitmap) Tiled.Bitmap = std::make_unique<TBitmap>();
        Tiled.Bitmap->SetSize(IW, IH);
        Tiled.Bitmap->Canvas()->Handle()->PatBlt(0, 0, IW, IH, BLACKNESS);
        if (!Tiled.NoMask) {
            if (!Tiled.Mask) Tiled.Mask = std::make_unique<TBitmap>();
            Tiled.Mask->SetSize(IW, IH);
            if (!mask) Tiled.Mask->Canvas()->Handle()->PatBlt(0, 0, IW, IH, WHITENESS);
        }
    }
    TileRange r{};
    r.XStart = BackgroundPositionValue(PRec.X.PosType, PRec.X.Value, IW - W);
    BackgroundTileRange(PRec.X.RepeatD, 0, IW, r.XStart, r.XEnd, W);
    r.YStart = BackgroundPositionValue(PRec.Y.PosType, PRec.Y.Value, IH - H);
    BackgroundTileRange(PRec.Y.RepeatD, 0, IH, r.YStart, r.YEnd, H);
    if (W <= 0 || H <= 0) return;

    if (W == 1 || H == 1) {
        // Thin pictures are widened first: far fewer tiles to draw. Only an
        // axis that repeats is widened; a picture placed once keeps its size.
        const int rw = PRec.X.RepeatD ? int(std::min<int64_t>(int64_t(r.XEnd) - r.XStart + 1, 100000)) : 1;
        const int rh = PRec.Y.RepeatD ? int(std::min<int64_t>(int64_t(r.YEnd) - r.YStart + 1, 100000)) : 1;
        std::unique_ptr<TBitmap> wide = gdip ? WidenThinImage(gdip->GpImage(), rw, rh) : WidenThinImage(Image, rw, rh);
        std::unique_ptr<TBitmap> wideMask = mask ? WidenThinImage(*mask, rw, rh) : nullptr;
        if (wide) TileBitmapInto(r, wide->Width(), wide->Height(), wide.get(), wideMask.get(), Tiled);
    } else if (gp) {
        TileGpImageInto(r, gdip->GpImage(), *Tiled.GpBitmap);
    } else {
        TileBitmapInto(r, W, H, bitmap, mask, Tiled);
    }
}
