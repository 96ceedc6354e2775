// Drawing helpers that every part of the HTML viewer uses; the screen facts
// and colour helpers they rely on are in html/text/ScreenColors.h.
#pragma once

#include <string_view>

#include "html/text/ScreenColors.h"
#include "platform/framework/Graphics.h"

// Makes the bitmap when there is none (with a copy of the shared palette when
// UsePalette is set on a palette screen) and sizes it to at least 2 × 2.
void PrepareBitmap(TBitmap*& Bitmap, int Width, int Height, bool UsePalette);
// A list bullet: the ellipse in the box from (X, Y − D) to (X + D, Y).
void DrawCircle(TCanvas* Canvas, int X, int Y, int D);
// Text clipped to Rect (opaque unless the brush is clear), with the canvas's
// text flags; right-to-left canvases move X past the text.
void CanvasTextRectW(TCanvas* Canvas, const TRect& Rect, int X, int Y, std::u16string_view Text);
