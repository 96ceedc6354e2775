#pragma once
// Colours written in HTML attributes and CSS: names, system colour names,
// hexadecimal, rgb() and hsl(). A colour is the framework's TColor
// (0x00BBGGRR), a system colour (0xFF0000nn) or clNone for "none"/"transparent".
#include <cstdint>
#include <string_view>

#include "platform/framework/Graphics.h"

// Text is a colour; NeedSharp requires "#" on hexadecimal colours.
bool TryTextToColor(std::u16string_view Text, bool NeedSharp, TColor& Color);
// The worker; Alpha is 255 unless rgb()/hsl() give a fourth component.
bool ParseColorText(std::u16string_view Text, bool NeedSharp, TColor& Color, int& Alpha);
// The arguments after the function name: "(r, g, b[, a])" and "(h, s%, l%[, a])".
bool ParseRgbColor(std::u16string_view Text, TColor& Color, int& Alpha);
bool ParseHslColor(std::u16string_view Text, TColor& Color, int& Alpha);
// H in degrees, S and L in percent.
TColor HslToRgb(double H, double S, double L);

// The screen's palette flag that hexadecimal colours carry (PalRelative of
// the screen facts: 0x02000000 on screens of 8 bits or fewer, else 0).
int32_t ColorPaletteFlag();
