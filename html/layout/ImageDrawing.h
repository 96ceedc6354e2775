// Putting pictures on screen and printer canvases: masked stretching,
// printing through a copy, picture library images. Backgrounds, which need
// the component's pictures, are in Backgrounds.h. Every masked draw goes through the device
// context's one masked-draw primitive, so it works on the screen, on
// bitmaps, on printers and on recorded pages alike.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/framework/DeviceContext.h"
#include "platform/framework/Graphics.h"
#include "platform/framework/Region.h"

class ThtGpImage;
class ThtGpBitmap;

// Bitmap stretched into X, Y, W, H where Mask (its size, white =
// transparent) is black; a monochrome device gets nothing.
void StretchDrawMasked(TDeviceContext* DC, const TBitmap* Bitmap, const TBitmap* Mask, int X, int Y, int W, int H);
// The pixels that differ from TransColor (alpha ignored), mapped through
// XForm; empty when every pixel has that colour.
TRegion RegionFromBitmap(const TBitmap& Bitmap, const TXForm* XForm, TColor TransColor);
// A 1-pixel-wide or -high picture stretched to up to 100 pixels of that
// axis (W or H), so that tiling it takes fewer draws (Backgrounds.h has the
// one for the component's pictures).
std::unique_ptr<TBitmap> WidenThinImage(ThtGpImage& Source, int W, int H);
std::unique_ptr<TBitmap> WidenThinImage(const TBitmap& Source, int W, int H);

// A pixel buffer; large ones (65,280 bytes or more) count as global memory.
struct ThtAllocRec {
    std::vector<uint8_t> Bytes;
    uint8_t* Ptr = nullptr;
    int32_t ASize = 0;
    bool AHandle = false;
};
ThtAllocRec AllocImageBuffer(int32_t Size);
void FreeImageBuffer(ThtAllocRec& Rec);

// Printing: failures draw nothing instead of raising.
void PrintBitmapDIB(TCanvas* Canvas, int X, int Y, int W, int H, const TBitmap* Bitmap);
// Rows YI to YI + HI - 1 of Bitmap through Mask, scaled to W x H at X, Y.
// Works on copies: the bitmap and mask stay as they were.
void PrintMaskedBitmap(TCanvas* Canvas, int X, int Y, int W, int H, const TBitmap* Bitmap, const TBitmap* Mask, int YI,
                       int HI);
void DrawGpImageAt(TCanvas* Canvas, ThtGpImage& Image, int X, int Y);
void DrawGpImagePart(TCanvas* Canvas, ThtGpImage& Image, int X, int Y, int SrcX, int SrcY, int SrcW, int SrcH);
void DrawGpImageScaled(TCanvas* Canvas, ThtGpImage& Image, int X, int Y, float ScaleX, float ScaleY);
void PrintGpImage(TCanvas* Canvas, ThtGpImage& Image, int X, int Y, int W, int H, TColor BgColor);

// A device-independent copy of a bitmap: header and bottom-up rows
// (24 bits for bitmaps of more than 8).
class TDib {
public:
    TDib(TDeviceContext* DC, const TBitmap& Bitmap);  // CreateDIB
    int32_t InfoSize = 0;
    int32_t ImageSize = 0;
    int32_t Width = 0, Height = 0, BitCount = 0;
    std::vector<TColor> Palette;
    ThtAllocRec Image;
    // A new bitmap from the bits.
    std::unique_ptr<TBitmap> CreateDIBmp() const;
    void DrawDIB(TDeviceContext* DC, int X, int Y, int W, int H, uint32_t ROP) const;
};
