#include "platform/net/NetEncoding.h"

#include "platform/runtime/TCString.h"

namespace {

int sixBits(unsigned char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

}  // namespace

std::string TBase64Encoding::EncodeBytesToString(const void* data, size_t length) const {
    const std::string plain = TCString::base64Of(data, data ? length : 0).str();
    if (charsPerLine_ <= 0 || lineSeparator_.empty() || plain.size() <= size_t(charsPerLine_)) return plain;
    std::string out;
    const size_t step = static_cast<size_t>(charsPerLine_);
    out.reserve(plain.size() + plain.size() / step * lineSeparator_.size());
    for (size_t pos = 0; pos < plain.size(); pos += step) {
        if (pos) out += lineSeparator_;
        out.append(plain, pos, step);
    }
    return out;
}

bool TBase64Encoding::Decode(std::string_view text, std::vector<uint8_t>& out) {
    out.clear();
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3 + 3);
    uint32_t acc = 0;
    int count = 0;    // sextets in acc
    int padding = 0;  // '=' seen
    for (unsigned char c : text) {
        if (c == ' ' || c == '\t' || c == '\r' || c == '\n') continue;
        if (c == '=') {
            ++padding;
            if (padding > 2) return false;
            continue;
        }
        const int v = sixBits(c);
        if (v < 0 || padding) return false;  // data after padding is not Base64
        acc = (acc << 6) | uint32_t(v);
        if (++count == 4) {
            bytes.push_back(uint8_t(acc >> 16));
            bytes.push_back(uint8_t(acc >> 8));
            bytes.push_back(uint8_t(acc));
            acc = 0;
            count = 0;
        }
    }
    switch (count) {
    case 0:
        if (padding) return false;
        break;
    case 1: return false;  // a lone sextet carries no whole byte
    case 2:
        if (padding && padding != 2) return false;
        bytes.push_back(uint8_t(acc >> 4));
        break;
    case 3:
        if (padding && padding != 1) return false;
        bytes.push_back(uint8_t(acc >> 10));
        bytes.push_back(uint8_t(acc >> 2));
        break;
    }
    out = std::move(bytes);
    return true;
}

std::vector<uint8_t> TBase64Encoding::DecodeStringToBytes(std::string_view text) {
    std::vector<uint8_t> out;
    Decode(text, out);
    return out;
}
