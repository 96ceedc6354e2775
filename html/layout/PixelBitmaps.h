// Pixel buffers to framework bitmaps and back.
#pragma once

#include <memory>

#include "html/layout/PixelBuffer.h"
#include "platform/framework/Graphics.h"

// Target takes the pixels: 24 bits become pf24bit, 8 bits pf8bit with the buffer's palette; the
// transparent colour, when set, is fixed on the bitmap.
void AssignPixels(TBitmap& Target, const TPixelBuffer& Pixels);
std::unique_ptr<TBitmap> BitmapFromPixels(const TPixelBuffer& Pixels);
// A monochrome mask: buffer bytes of 128 or more are white (transparent).
std::unique_ptr<TBitmap> MaskFromPixels(const TPixelBuffer& Mask);
// A new bitmap of the same format holding the rectangle Part (cut to the bitmap).
std::unique_ptr<TBitmap> CopyBitmapPart(const TBitmap& Bitmap, const TRect& Part);
// The bitmap's colours as 24 bits.
TPixelBuffer PixelsFromBitmap(const TBitmap& Bitmap);
