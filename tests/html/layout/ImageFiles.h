// Small picture files made at test time with Qt's writers.
#pragma once

#include <QBuffer>
#include <QByteArray>
#include <QImage>
#include <QPainter>
#include <string>
#include <zlib.h>

namespace imagetest {

inline std::string encode(const QImage& img, const char* format) {
    QByteArray bytes;
    QBuffer buf(&bytes);
    buf.open(QIODevice::WriteOnly);
    img.save(&buf, format);
    return std::string(bytes.constData(), size_t(bytes.size()));
}

// A w x h picture of one colour (0xAARRGGBB), optionally with a second
// colour in its lower-left pixel.
inline QImage solidImage(int w, int h, uint32_t argb, uint32_t lowerLeft = 0, bool mark = false) {
    QImage img(w, h, QImage::Format_ARGB32);
    img.fill(QColor::fromRgba(argb));
    if (mark) img.setPixelColor(0, h - 1, QColor::fromRgba(lowerLeft));
    return img;
}

inline void put32be(std::string& s, size_t at, uint32_t v) {
    for (int i = 0; i < 4; ++i) s[at + size_t(i)] = char((v >> (24 - 8 * i)) & 255);
}

// A PNG whose header claims w x h (the pixel data stay those of a 1 x 1 picture).
inline std::string pngClaiming(uint32_t w, uint32_t h) {
    std::string png = encode(solidImage(1, 1, 0xFF00FF00), "PNG");
    // Signature (8), length (4), "IHDR" (4), then width and height; the CRC follows the 13 data bytes.
    put32be(png, 16, w);
    put32be(png, 20, h);
    const uLong crc = crc32(0, reinterpret_cast<const Bytef*>(png.data() + 12), 17);
    put32be(png, 29, uint32_t(crc));
    return png;
}

}  // namespace imagetest
