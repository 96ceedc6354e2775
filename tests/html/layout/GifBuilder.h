// Builds small GIF files in memory for the image tests: a real LZW
// encoder whose code widths follow the decoder's table growth.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <utility>
#include <vector>

namespace giftest {

// Colours as 0xRRGGBB.
using Palette = std::vector<uint32_t>;

inline void put16(std::string& s, int v) {
    s += char(v & 255);
    s += char((v >> 8) & 255);
}

inline std::string subBlocks(const std::string& data) {
    std::string s;
    for (size_t i = 0; i < data.size(); i += 255) {
        const size_t n = std::min<size_t>(255, data.size() - i);
        s += char(n);
        s += data.substr(i, n);
    }
    s += char(0);
    return s;
}

inline void putTable(std::string& s, const Palette& p, int size) {
    for (int i = 0; i < size; ++i) {
        const uint32_t c = i < int(p.size()) ? p[size_t(i)] : 0;
        s += char((c >> 16) & 255);
        s += char((c >> 8) & 255);
        s += char(c & 255);
    }
}

// Table size field n for a palette: 2^(n+1) entries.
inline int sizeField(const Palette& p) {
    int n = 0;
    while ((2 << n) < int(p.size())) ++n;
    return n;
}

class BitWriter {
public:
    void put(int code, int width) {
        acc_ |= uint32_t(code) << bits_;
        bits_ += width;
        while (bits_ >= 8) {
            out += char(acc_ & 255);
            acc_ >>= 8;
            bits_ -= 8;
        }
    }
    std::string finish() {
        if (bits_ > 0) out += char(acc_ & 255);
        acc_ = 0;
        bits_ = 0;
        return out;
    }
    std::string out;

private:
    uint32_t acc_ = 0;
    int bits_ = 0;
};

// LZW data of a pixel sequence (without sub-block framing).
inline std::string lzwEncode(const std::vector<uint8_t>& px, int minSize, bool initialClear = true) {
    const int clear = 1 << minSize, end = clear + 1;
    BitWriter w;
    int width = minSize + 1;
    int decSlot = end + 1;  // the decoder's next free entry
    int next = end + 1;     // the encoder's next free entry
    int codesSent = 0;
    std::map<std::pair<int, int>, int> dict;
    auto send = [&](int code) {
        w.put(code, width);
        // The decoder adds an entry for every code but the first.
        if (codesSent++ > 0 && decSlot < 4096) {
            ++decSlot;
            if (decSlot >= (1 << width) && width < 12) ++width;
        }
    };
    if (initialClear) w.put(clear, width);
    if (px.empty()) {
        w.put(end, width);
        return w.finish();
    }
    int prefix = px[0];
    for (size_t i = 1; i < px.size(); ++i) {
        const int k = px[i];
        auto it = dict.find({prefix, k});
        if (it != dict.end()) {
            prefix = it->second;
            continue;
        }
        send(prefix);
        if (next < 4096) dict[{prefix, k}] = next++;
        prefix = k;
    }
    send(prefix);
    w.put(end, width);
    return w.finish();
}

struct Image {
    int left = 0, top = 0, width = 0, height = 0;
    std::vector<uint8_t> pixels;  // rows top to bottom
    Palette local;                // empty: use the global table
    bool interlaced = false;
    int lzwSize = 0;  // 0: from the table size (at least 2)
    bool initialClear = true;
    std::string rawData;  // when set: these LZW bytes instead of encoding
};

class Builder {
public:
    std::string bytes;

    Builder& header(int w, int h, const Palette& global, const std::string& sig = "GIF89a") {
        bytes += sig;
        put16(bytes, w);
        put16(bytes, h);
        if (global.empty()) {
            bytes += char(0);
        } else {
            bytes += char(0x80 | 0x70 | sizeField(global));
        }
        bytes += char(0);
        bytes += char(0);
        if (!global.empty()) putTable(bytes, global, 2 << sizeField(global));
        globalSize_ = global.empty() ? 0 : int(2 << sizeField(global));
        return *this;
    }
    Builder& gce(int disposal, int delay, int transparentIndex = -1) {
        bytes += "\x21\xF9\x04";
        bytes += char((disposal << 2) | (transparentIndex >= 0 ? 1 : 0));
        put16(bytes, delay);
        bytes += char(transparentIndex >= 0 ? transparentIndex : 0);
        bytes += char(0);
        return *this;
    }
    Builder& loop(int count) {
        bytes += "\x21\xFF\x0BNETSCAPE2.0\x03\x01";
        put16(bytes, count);
        bytes += char(0);
        return *this;
    }
    Builder& comment(const std::string& text) {
        bytes += "\x21\xFE";
        bytes += subBlocks(text);
        return *this;
    }
    Builder& image(const Image& im) {
        bytes += char(0x2C);
        put16(bytes, im.left);
        put16(bytes, im.top);
        put16(bytes, im.width);
        put16(bytes, im.height);
        int tableSize = globalSize_;
        if (!im.local.empty()) {
            bytes += char(0x80 | (im.interlaced ? 0x40 : 0) | sizeField(im.local));
            putTable(bytes, im.local, 2 << sizeField(im.local));
            tableSize = 2 << sizeField(im.local);
        } else {
            bytes += char(im.interlaced ? 0x40 : 0);
        }
        int lzw = im.lzwSize;
        if (lzw == 0) {
            lzw = 2;
            while ((1 << lzw) < tableSize) ++lzw;
        }
        bytes += char(lzw);
        std::string data = im.rawData;
        if (data.empty()) {
            std::vector<uint8_t> order;
            if (im.interlaced) {
                static const int start[] = {0, 4, 2, 1}, step[] = {8, 8, 4, 2};
                for (int p = 0; p < 4; ++p)
                    for (int y = start[p]; y < im.height; y += step[p])
                        order.insert(order.end(), im.pixels.begin() + y * im.width,
                                     im.pixels.begin() + (y + 1) * im.width);
            } else {
                order = im.pixels;
            }
            data = lzwEncode(order, lzw, im.initialClear);
        }
        bytes += subBlocks(data);
        return *this;
    }
    Builder& raw(const std::string& s) {
        bytes += s;
        return *this;
    }
    Builder& trailer() {
        bytes += char(0x3B);
        return *this;
    }

private:
    int globalSize_ = 0;
};

// LZW data (LZW size 2, without sub-block framing) that expand to at least
// `pixels` pixels of index 0 from few bytes: each code names the newest
// entry, one pixel longer than the one before, and once the table is full
// the longest (4094 pixels) again and again.
inline std::string expandingLzw(int64_t pixels) {
    BitWriter w;
    int width = 3, slot = 6, top = 8;
    w.put(4, width);  // clear
    w.put(0, width);
    int64_t out = 1, length = 1;
    while (out < pixels) {
        const int code = slot < 4096 ? slot : 4095;
        w.put(code, width);
        if (slot < 4096) {
            ++length;
            ++slot;
            if (slot >= top && width < 12) {
                top <<= 1;
                ++width;
            }
        }
        out += length;
    }
    w.put(5, width);  // end
    return w.finish();
}

// A w x h image whose every pixel has index v.
inline Image solid(int w, int h, uint8_t v) {
    Image im;
    im.width = w;
    im.height = h;
    im.pixels.assign(size_t(w * h), v);
    return im;
}

}  // namespace giftest
