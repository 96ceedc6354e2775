#include "html/text/ScreenColors.h"

#include <array>
#include <memory>

#include "platform/framework/AppStyle.h"
#include "platform/framework/DeviceContext.h"

// Every current screen has more than 8 bits per pixel.
uint8_t ColorBits = 24;
const std::vector<TColor>* ThePalette = nullptr;
uint32_t PalRelative = 0;
bool IsWin95 = false;
bool IsWin32Platform = false;

namespace {

std::unique_ptr<std::vector<TColor>>& sharedPalette() {
    static std::unique_ptr<std::vector<TColor>> p;
    return p;
}

// The platform's static colours: the first ten and the last ten entries of
// every system palette.
constexpr std::array<TColor, 10> kLowStatic = {
    RGB(0, 0, 0),     RGB(128, 0, 0),   RGB(0, 128, 0),     RGB(128, 128, 0),   RGB(0, 0, 128),
    RGB(128, 0, 128), RGB(0, 128, 128), RGB(192, 192, 192), RGB(192, 220, 192), RGB(166, 202, 240)};
constexpr std::array<TColor, 10> kHighStatic = {
    RGB(255, 251, 240), RGB(160, 160, 164), RGB(128, 128, 128), RGB(255, 0, 0),   RGB(0, 255, 0),
    RGB(255, 255, 0),   RGB(0, 0, 255),     RGB(255, 0, 255),   RGB(0, 255, 255), RGB(255, 255, 255)};

struct ShadeTables {
    std::array<uint8_t, 256> dark{}, light{};
    ShadeTables() {
        for (int c = 0; c < 256; ++c) {
            // c × 160 / 255 never falls halfway (255 is odd), so rounding has no ties.
            const int q = c * 160 / 255, r = c * 160 % 255;
            dark[size_t(c)] = uint8_t(2 * r > 255 ? q + 1 : q);
            light[size_t(c)] = uint8_t(128 + c / 2);
        }
    }
};
const ShadeTables& shades() {
    static const ShadeTables t;
    return t;
}

TColor mapChannels(TColor color, const std::array<uint8_t, 256>& table) {
    const int32_t v = ColorToRGB(color);
    return RGB(table[size_t(v & 0xFF)], table[size_t((v >> 8) & 0xFF)], table[size_t((v >> 16) & 0xFF)]);
}

}  // namespace

uint8_t NormalisedColorBits(int bitsPerPixel) {
    if (bitsPerPixel <= 4) return 4;
    if (bitsPerPixel <= 8) return 8;
    return 24;
}

std::vector<TColor> CreateSharedPalette() {
    std::vector<TColor> p(256, clBlack);
    for (size_t i = 0; i < 10; ++i) {
        p[i] = kLowStatic[i];
        p[246 + i] = kHighStatic[i];
    }
    static const int levels[6] = {55, 115, 165, 205, 235, 255};
    size_t n = 10;
    for (int b = 0; b < 6; ++b)
        for (int g = 0; g < 6; ++g)
            for (int r = 0; r < 6; ++r)
                if (!(r == 5 && g == 5 && b == 5)) p[n++] = RGB(levels[r], levels[g], levels[b]);
    for (int i = 1; i <= 24; ++i)
        if (i != 7 && i != 15 && i != 21) {
            const int v = 130 + 5 * i;
            p[n++] = RGB(v, v, v);
        }
    p[245] = RGB(255, 255, 254);
    return p;
}

void InitScreenFacts(int bitsPerPixel) {
    if (bitsPerPixel < 0) {
        const auto dc = GetScreenDC();
        bitsPerPixel = dc->GetDeviceCaps(BITSPIXEL) * dc->GetDeviceCaps(PLANES);
    }
    ColorBits = NormalisedColorBits(bitsPerPixel);
    sharedPalette().reset();
    if (ColorBits == 8) sharedPalette() = std::make_unique<std::vector<TColor>>(CreateSharedPalette());
    ThePalette = sharedPalette().get();
    PalRelative = ColorBits <= 8 ? 0x02000000u : 0;
    IsWin95 = false;
    IsWin32Platform = false;
}

TColor ThemedColor(TColor Color, bool UseTheme) {
    if (UseTheme && !CurrentAppStyle().empty()) return ColorToRGB(Color);
    return UnstyledColorToRGB(Color);
}

TColor DarkSysColor(TColor Color) { return mapChannels(Color, shades().dark); }
TColor LightSysColor(TColor Color) { return mapChannels(Color, shades().light); }
