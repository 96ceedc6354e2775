#include "html/layout/PixelBuffer.h"

#include "platform/framework/GraphicsErrors.h"

int64_t TPixelBuffer::SizeOf(int64_t width, int64_t height, int bits) {
    if (width < 0 || height < 0 || (bits != 8 && bits != 24)) return -1;
    if (width > MaxBytes || height > MaxBytes) return -1;
    const int64_t size = width * height * (bits / 8);
    return size > MaxBytes ? -1 : size;
}

TPixelBuffer TPixelBuffer::Make(int width, int height, int bits) {
    const int64_t size = SizeOf(width, height, bits);
    if (size < 0) throw EOutOfMemory("Out of memory");
    TPixelBuffer b;
    b.Width = width;
    b.Height = height;
    b.Bits = bits;
    b.Bytes.assign(size_t(size), 0);
    return b;
}

TColor TPixelBuffer::Pixel(int x, int y) const {
    const uint8_t* p = Row(y) + size_t(x) * size_t(BytesPerPixel());
    if (Bits == 24) return RGB(p[2], p[1], p[0]);
    if (*p < Palette.size()) {
        const TPaletteEntry& e = Palette[*p];
        return RGB(e.peRed, e.peGreen, e.peBlue);
    }
    return RGB(*p, *p, *p);
}

void TPixelBuffer::SetPixel(int x, int y, TColor c) {
    uint8_t* p = Row(y) + size_t(x) * size_t(BytesPerPixel());
    if (Bits == 24) {
        p[0] = uint8_t(c >> 16);
        p[1] = uint8_t(c >> 8);
        p[2] = uint8_t(c);
    } else {
        *p = uint8_t(c);
    }
}
