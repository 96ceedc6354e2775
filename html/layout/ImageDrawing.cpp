#include "html/layout/ImageDrawing.h"

#include <algorithm>
#include <climits>
#include <cstring>

#include "html/layout/GpImage.h"
#include "html/layout/PixelBitmaps.h"
#include "platform/framework/GraphicsErrors.h"

void StretchDrawMasked(TDeviceContext* DC, const TBitmap* Bitmap, const TBitmap* Mask, int X, int Y, int W, int H) {
    if (!DC || !Bitmap || Bitmap->Empty()) return;
    DC->StretchDrawMasked(TRect{X, Y, X + W, Y + H}, Bitmap, Mask);
}

TRegion RegionFromBitmap(const TBitmap& Bitmap, const TXForm* XForm, TColor TransColor) {
    TBitmap copy;
    copy.Assign(const_cast<TBitmap*>(&Bitmap));
    copy.SetPixelFormat(pf32bit);
    const int32_t trans = ColorToRGB(TransColor) & 0xFFFFFF;
    TRegion result;
    bool any = false;
    std::vector<TRect> rects;
    auto flush = [&] {
        if (rects.empty()) return;
        const TRegion part = TRegion::FromRects(rects, XForm);
        if (!any) result = part;
        else result.Combine(result, part, RGN_OR);
        any = true;
        rects.clear();
    };
    for (int y = 0; y < copy.Height(); ++y) {
        const uint8_t* row = copy.ScanLine(y);
        int x = 0;
        while (x < copy.Width()) {
            auto differs = [&](int px) {
                const uint8_t* p = row + size_t(px) * 4;
                return RGB(p[2], p[1], p[0]) != trans;
            };
            while (x < copy.Width() && !differs(x)) ++x;
            const int x0 = x;
            while (x < copy.Width() && differs(x)) ++x;
            if (x > x0) {
                rects.push_back(TRect{x0, y, x, y + 1});
                // Regions are made in batches so that no single one gets huge.
                if (rects.size() >= 2000) flush();
            }
        }
    }
    flush();
    return result;
}

// ---- widening and tiling

std::unique_ptr<TBitmap> WidenThinImage(const TBitmap& Source, int W, int H) {
    auto out = std::make_unique<TBitmap>();
    out->Assign(const_cast<TBitmap*>(&Source));
    const int w = Source.Width() == 1 ? std::clamp(W, 1, 100) : Source.Width();
    const int h = Source.Height() == 1 ? std::clamp(H, 1, 100) : Source.Height();
    out->SetSize(w, h);
    TDeviceContext* dc = out->Canvas()->Handle();
    dc->StretchBlt(0, 0, w, h, &Source, 0, 0, Source.Width(), Source.Height(), SRCCOPY);
    out->Canvas()->Changed();
    return out;
}

std::unique_ptr<TBitmap> WidenThinImage(ThtGpImage& Source, int W, int H) {
    TBitmap* b = Source.GetBitmap();
    return b ? WidenThinImage(*b, W, H) : nullptr;
}

// ---- buffers

ThtAllocRec AllocImageBuffer(int32_t Size) {
    ThtAllocRec r;
    r.ASize = std::max(Size, 0);
    r.Bytes.assign(size_t(r.ASize), 0);
    r.Ptr = r.Bytes.data();
    r.AHandle = r.ASize >= 0xFF00;
    return r;
}

void FreeImageBuffer(ThtAllocRec& Rec) {
    Rec.Bytes.clear();
    Rec.Bytes.shrink_to_fit();
    Rec.Ptr = nullptr;
    Rec.ASize = 0;
    Rec.AHandle = false;
}

// ---- printing

void PrintBitmapDIB(TCanvas* Canvas, int X, int Y, int W, int H, const TBitmap* Bitmap) {
    try {
        TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
        if (!dc || !Bitmap || Bitmap->Empty()) return;
        dc->StretchBlt(X, Y, W, H, Bitmap, 0, 0, Bitmap->Width(), Bitmap->Height(), SRCCOPY);
        Canvas->Changed();
    } catch (...) {}
}

void PrintMaskedBitmap(TCanvas* Canvas, int X, int Y, int W, int H, const TBitmap* Bitmap, const TBitmap* Mask, int YI,
                       int HI) {
    try {
        TDeviceContext* dc = Canvas ? Canvas->Handle() : nullptr;
        if (!dc || !Bitmap || Bitmap->Empty() || HI <= 0 || Bitmap->Width() <= 0) return;
        // The band is always a copy: the cached picture the screen draws stays as it is.
        const TRect band{0, YI, Bitmap->Width(), YI + HI};
        const auto image = CopyBitmapPart(*Bitmap, band);
        const auto mask = Mask ? CopyBitmapPart(*Mask, band) : nullptr;
        if (image->Empty()) return;
        dc->StretchDrawMasked(TRect{X, Y, X + W, Y + H}, image.get(), mask.get());
        Canvas->Changed();
    } catch (...) {}
}

void DrawGpImageAt(TCanvas* Canvas, ThtGpImage& Image, int X, int Y) {
    try {
        ThtGpGraphics g(Canvas);
        g.DrawImage(Image, X, Y, int(Image.Width()), int(Image.Height()));
        Canvas->Changed();
    } catch (...) {}
}

void DrawGpImagePart(TCanvas* Canvas, ThtGpImage& Image, int X, int Y, int SrcX, int SrcY, int SrcW, int SrcH) {
    try {
        ThtGpGraphics g(Canvas);
        g.DrawImage(Image, float(X), float(Y), float(SrcX), float(SrcY), float(SrcW), float(SrcH));
        Canvas->Changed();
    } catch (...) {}
}

void DrawGpImageScaled(TCanvas* Canvas, ThtGpImage& Image, int X, int Y, float ScaleX, float ScaleY) {
    try {
        ThtGpGraphics g(Canvas);
        g.ScaleTransform(ScaleX, ScaleY);
        g.DrawImage(Image, X, Y);
        Canvas->Changed();
    } catch (...) {}
}

void PrintGpImage(TCanvas* Canvas, ThtGpImage& Image, int X, int Y, int W, int H, TColor BgColor) {
    const int w = int(Image.Width()), h = int(Image.Height());
    TBitmap bmp(w, h);
    bmp.Canvas()->Handle()->FillRect(TRect{0, 0, w, h}, BgColor);
    {
        ThtGpGraphics g(bmp.Canvas());
        g.DrawImage(Image, 0, 0, w, h);
    }
    bmp.Canvas()->Changed();
    Canvas->StretchDraw(TRect{X, Y, X + W, Y + H}, &bmp);
}

// ---- TDib

TDib::TDib(TDeviceContext*, const TBitmap& Bitmap) {
    const TPixelFormat f = Bitmap.PixelFormat();
    const int bits = f == pf1bit ? 1 : f == pf8bit ? 8 : 24;
    BitCount = bits;
    Width = Bitmap.Width();
    Height = Bitmap.Height();
    InfoSize = bits <= 8 ? 40 + 4 * (1 << bits) : 40;
    const int64_t stride = (int64_t(Width) * bits + 31) / 32 * 4;
    if (stride * Height > int64_t(INT32_MAX)) throw EOutOfMemory("Out of memory");
    ImageSize = int32_t(stride * Height);
    if (bits == 8) Palette = Bitmap.Palette();
    Image = AllocImageBuffer(ImageSize);
    TBitmap copy;
    copy.Assign(const_cast<TBitmap*>(&Bitmap));
    if (bits == 24) copy.SetPixelFormat(pf24bit);
    const size_t rowBytes = size_t((int64_t(Width) * bits + 7) / 8);
    for (int y = 0; y < Height; ++y)
        std::memcpy(Image.Ptr + size_t(Height - 1 - y) * size_t(stride), copy.ScanLine(y), rowBytes);
    if (Height == 0) throw EOutOfMemory("Out of memory");
}

std::unique_ptr<TBitmap> TDib::CreateDIBmp() const {
    auto b = std::make_unique<TBitmap>();
    if (BitCount == 8) b->SetPalette(Palette);
    b->SetPixelFormat(BitCount == 1 ? pf1bit : BitCount == 8 ? pf8bit : pf24bit);
    b->SetSize(Width, Height);
    const int64_t stride = (int64_t(Width) * BitCount + 31) / 32 * 4;
    const size_t rowBytes = size_t((int64_t(Width) * BitCount + 7) / 8);
    for (int y = 0; y < Height; ++y)
        std::memcpy(b->ScanLine(y), Image.Ptr + size_t(Height - 1 - y) * size_t(stride), rowBytes);
    b->SetPixelFormat(pfDevice);
    return b;
}

void TDib::DrawDIB(TDeviceContext* DC, int X, int Y, int W, int H, uint32_t ROP) const {
    if (!DC) return;
    const auto b = CreateDIBmp();
    DC->StretchBlt(X, Y, W, H, b.get(), 0, 0, Width, Height, ROP);
}
