#pragma once
// The description of a font that property sets fill and the font cache turns
// into a measured font, and the four descriptions of a link's states.
#include <array>
#include <cstdint>
#include <string>

#include "html/text/HtmlVariant.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/Graphics.h"

constexpr int EASTEUROPE_CHARSET = 238;

struct ThtFontInfo {
    std::u16string iName;
    double iSize = 0;        // points
    TFontStyles iStyle = 0;  // fsSet(fsBold) ...
    TColor iColor = 0;
    TColor ibgColor = clNone;
    int iCharSet = DEFAULT_CHARSET;
    ThtVariant iCharExtra;  // letter-spacing: pixels, or CSS text until converted
    int32_t iWeight = 0;
};

// Link states: 0 plain, 1 visited, 2 hover, 3 visited and hover.
class TFontInfoArray {
public:
    std::array<ThtFontInfo, 4> Ar;
    void Assign(const TFontInfoArray& Source) { Ar = Source.Ar; }
};
