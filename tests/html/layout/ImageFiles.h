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

// A greyscale PNG of w x h black pixels: a few kilobytes per million pixels.
inline std::string blackGreyPng(uint32_t w, uint32_t h) {
    std::string png("\x89PNG\r\n\x1a\n", 8);
    auto chunk = [&png](const char* type, const std::string& data) {
        std::string c(4, '\0');
        put32be(c, 0, uint32_t(data.size()));
        const std::string body = std::string(type, 4) + data;
        c += body;
        std::string crc(4, '\0');
        put32be(crc, 0, uint32_t(crc32(0, reinterpret_cast<const Bytef*>(body.data()), uInt(body.size()))));
        png += c + crc;
    };
    std::string ihdr(13, '\0');
    put32be(ihdr, 0, w);
    put32be(ihdr, 4, h);
    ihdr[8] = 8;  // bit depth; colour type 0 (grey), no interlace
    chunk("IHDR", ihdr);
    // Row by row through one deflate stream: no picture-sized buffer.
    z_stream z{};
    deflateInit(&z, Z_BEST_COMPRESSION);
    std::string row(w + 1, '\0'), idat;
    char out[65536];
    for (uint32_t y = 0; y < h; ++y) {
        z.next_in = reinterpret_cast<Bytef*>(row.data());
        z.avail_in = uInt(row.size());
        const int flush = y + 1 == h ? Z_FINISH : Z_NO_FLUSH;
        do {
            z.next_out = reinterpret_cast<Bytef*>(out);
            z.avail_out = sizeof out;
            deflate(&z, flush);
            idat.append(out, sizeof out - z.avail_out);
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    chunk("IDAT", idat);
    chunk("IEND", "");
    return png;
}

}  // namespace imagetest
