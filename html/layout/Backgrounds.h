// Backgrounds of blocks and of the viewer: a colour with a tiled picture,
// and the reusable tiled bitmap a block keeps. Built on the pictures and on
// the drawing primitives below them.
#pragma once

#include <memory>

#include "html/layout/ImageDrawing.h"
#include "html/text/StyleTypes.h"

class ThtImage;
class ThtGpBitmap;

void PaintBackground(TCanvas* Canvas, const TRect& Rect, TColor Color, ThtImage* Image, int XStart, int YStart,
                     int XEnd, int YEnd, int W, int H);

// A block's reusable tiled background: TiledImage is a framework bitmap, or
// a picture library bitmap for picture library images; TiledMask is made
// unless the image has no mask and repeats both ways (NoMask).
struct ThtTiledBackground {
    std::unique_ptr<TBitmap> Bitmap;
    std::unique_ptr<ThtGpBitmap> GpBitmap;
    std::unique_ptr<TBitmap> Mask;
    bool NoMask = false;
};
void BuildTiledBackground(TCanvas* Canvas, int IW, int IH, ThtImage& Image, const PtPositionRec& PRec,
                          ThtTiledBackground& Tiled);
// A 1-pixel-wide or -high picture stretched to up to 100 pixels of that
// axis (W or H), so that tiling it takes fewer draws.
std::unique_ptr<TBitmap> WidenThinImage(ThtImage& Source, int W, int H);
