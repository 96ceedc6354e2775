// Screen facts, the shared palette and the colour and drawing helpers that
// every part of the HTML viewer uses.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/framework/Graphics.h"

// Set once at start (InitScreenFacts); fixed afterwards.
extern uint8_t ColorBits;                     // 4, 8 or 24
extern const std::vector<TColor>* ThePalette;  // the shared palette on 8-bit screens, else none
extern uint32_t PalRelative;                  // 0x02000000 on screens of 8 bits or fewer, else 0
extern bool IsWin95;
extern bool IsWin32Platform;

// Bits per pixel (bits per plane × planes) normalised to 4, 8 or 24.
uint8_t NormalisedColorBits(int bitsPerPixel);
// Sets the facts for a screen of this depth (the real screen's when < 0);
// the shared palette is built only for 8 bits.
void InitScreenFacts(int bitsPerPixel = -1);

// The 256 entries of the shared palette: the platform's 20 static colours at
// 0-9 and 246-255, the 6-level colour cube at 10-224, greys at 225-245.
std::vector<TColor> CreateSharedPalette();

// The colour as RGB: through the active application style when UseTheme is
// set and a style is applied, else with the platform's own system colours.
TColor ThemedColor(TColor Color, bool UseTheme);
// Darker and lighter shades for 3-D borders: each channel c becomes
// round(c × 160 / 255), or 128 + c div 2.
TColor DarkSysColor(TColor Color);
TColor LightSysColor(TColor Color);

// Makes the bitmap when there is none (with a copy of the shared palette when
// UsePalette is set on a palette screen) and sizes it to at least 2 × 2.
void PrepareBitmap(TBitmap*& Bitmap, int Width, int Height, bool UsePalette);
// A list bullet: the ellipse in the box from (X, Y − D) to (X + D, Y).
void DrawCircle(TCanvas* Canvas, int X, int Y, int D);
// Text clipped to Rect (opaque unless the brush is clear), with the canvas's
// text flags; right-to-left canvases move X past the text.
void CanvasTextRectW(TCanvas* Canvas, const TRect& Rect, int X, int Y, std::u16string_view Text);
