// Pictures as plain bytes in memory, the form in which the image code
// decodes, composes and reduces them before they become bitmaps.
#pragma once

#include <cstdint>
#include <vector>

#include "platform/framework/Graphics.h"

struct TPaletteEntry {
    uint8_t peRed = 0, peGreen = 0, peBlue = 0, peFlags = 0;
    bool operator==(const TPaletteEntry&) const = default;
};
using TPaletteEntries = std::vector<TPaletteEntry>;

// Rows top to bottom, packed without padding. Bits is 24 (three bytes a
// pixel: blue, green, red) or 8 (one byte a pixel: an index into Palette,
// or for a mask 255 transparent and 0 opaque).
struct TPixelBuffer {
    int Width = 0;
    int Height = 0;
    int Bits = 24;
    std::vector<uint8_t> Bytes;
    TPaletteEntries Palette;
    // The colour drawn as transparent, or clNone.
    TColor TransparentColor = clNone;

    // Largest buffer the image code makes: a picture cannot ask for more
    // memory than this, whatever its header says.
    static constexpr int64_t MaxBytes = 200'000'000;

    // A zero-filled buffer; EOutOfMemory when the size is negative or above MaxBytes.
    static TPixelBuffer Make(int width, int height, int bits);
    // Byte count of a buffer of that size, or -1 when it is negative or above MaxBytes.
    static int64_t SizeOf(int64_t width, int64_t height, int bits);

    bool Empty() const { return Width <= 0 || Height <= 0; }
    int BytesPerPixel() const { return Bits / 8; }
    size_t Stride() const { return size_t(Width) * size_t(BytesPerPixel()); }
    uint8_t* Row(int y) { return Bytes.data() + size_t(y) * Stride(); }
    const uint8_t* Row(int y) const { return Bytes.data() + size_t(y) * Stride(); }
    // The colour of a pixel (palette resolved), 0x00BBGGRR.
    TColor Pixel(int x, int y) const;
    void SetPixel(int x, int y, TColor c);
};
