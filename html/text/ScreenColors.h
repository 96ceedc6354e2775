// Screen facts, the shared palette and the colour helpers that every part
// of the HTML component uses, from the style list up to the viewer.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "platform/framework/Graphics.h"

// Set once at start (InitScreenFacts); fixed afterwards.
extern uint8_t ColorBits;                      // 4, 8 or 24
extern const std::vector<TColor>* ThePalette;  // the shared palette on 8-bit screens, else none
extern uint32_t PalRelative;                   // 0x02000000 on screens of 8 bits or fewer, else 0
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
