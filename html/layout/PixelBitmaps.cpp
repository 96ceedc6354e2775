#include "html/layout/PixelBitmaps.h"

#include <algorithm>
#include <cstring>

std::unique_ptr<TBitmap> BitmapFromPixels(const TPixelBuffer& Pixels) {
    auto b = std::make_unique<TBitmap>();
    AssignPixels(*b, Pixels);
    return b;
}

void AssignPixels(TBitmap& Target, const TPixelBuffer& Pixels) {
    TBitmap* b = &Target;
    if (Pixels.Bits == 8) {
        std::vector<TColor> pal;
        for (const TPaletteEntry& e : Pixels.Palette) pal.push_back(RGB(e.peRed, e.peGreen, e.peBlue));
        b->SetPalette(pal);
        b->SetPixelFormat(pf8bit);
    } else {
        b->SetPixelFormat(pf24bit);
    }
    b->SetSize(Pixels.Width, Pixels.Height);
    for (int y = 0; y < Pixels.Height; ++y) std::memcpy(b->ScanLine(y), Pixels.Row(y), Pixels.Stride());
    if (Pixels.TransparentColor != clNone) b->SetTransparentColor(Pixels.TransparentColor);
}

std::unique_ptr<TBitmap> MaskFromPixels(const TPixelBuffer& Mask) {
    auto b = std::make_unique<TBitmap>();
    b->SetPixelFormat(pf1bit);
    b->SetSize(Mask.Width, Mask.Height);
    const int bpp = Mask.BytesPerPixel();
    for (int y = 0; y < Mask.Height; ++y) {
        uint8_t* line = b->ScanLine(y);
        std::memset(line, 0, size_t((Mask.Width + 7) / 8));
        const uint8_t* src = Mask.Row(y);
        for (int x = 0; x < Mask.Width; ++x)
            if (src[size_t(x) * size_t(bpp)] >= 128) line[x / 8] |= uint8_t(0x80 >> (x % 8));
    }
    return b;
}

TPixelBuffer PixelsFromBitmap(const TBitmap& Bitmap) {
    TBitmap copy;
    copy.Assign(const_cast<TBitmap*>(&Bitmap));
    copy.SetPixelFormat(pf24bit);
    TPixelBuffer out = TPixelBuffer::Make(copy.Width(), copy.Height(), 24);
    for (int y = 0; y < out.Height; ++y) std::memcpy(out.Row(y), copy.ScanLine(y), out.Stride());
    return out;
}

std::unique_ptr<TBitmap> CopyBitmapPart(const TBitmap& Bitmap, const TRect& Part) {
    const int l = std::max(Part.Left, 0), t = std::max(Part.Top, 0);
    const int r = std::min(Part.Right, Bitmap.Width()), btm = std::min(Part.Bottom, Bitmap.Height());
    auto out = std::make_unique<TBitmap>();
    const TPixelFormat f = Bitmap.PixelFormat();
    if (f == pf8bit) out->SetPalette(Bitmap.Palette());
    out->SetPixelFormat(f);
    if (r <= l || btm <= t) return out;
    out->SetSize(r - l, btm - t);
    for (int y = t; y < btm; ++y) {
        const uint8_t* src = Bitmap.ScanLine(y);
        uint8_t* dst = out->ScanLine(y - t);
        if (f == pf1bit) {
            std::memset(dst, 0, size_t((r - l + 7) / 8));
            for (int x = l; x < r; ++x)
                if (src[x / 8] & (0x80 >> (x % 8))) dst[(x - l) / 8] |= uint8_t(0x80 >> ((x - l) % 8));
            continue;
        }
        const size_t bpp = f == pf8bit ? 1 : f == pf24bit ? 3 : 4;
        std::memcpy(dst, src + size_t(l) * bpp, size_t(r - l) * bpp);
    }
    return out;
}
