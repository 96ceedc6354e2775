#include "html/layout/DataImages.h"

#include <string>

namespace {

constexpr std::u16string_view Prefix = u"data:image/";
constexpr std::u16string_view Marker = u";base64,";

int sextet(char16_t c) {
    if (c >= u'A' && c <= u'Z') return c - u'A';
    if (c >= u'a' && c <= u'z') return c - u'a' + 26;
    if (c >= u'0' && c <= u'9') return c - u'0' + 52;
    if (c == u'+') return 62;
    if (c == u'/') return 63;
    return -1;
}

}  // namespace

bool IsDataImageAddress(std::u16string_view Name) { return Name.substr(0, Prefix.size()) == Prefix; }

bool DecodeBase64Strict(std::u16string_view Text, std::vector<uint8_t>& Bytes) {
    Bytes.clear();
    std::u16string clean;
    clean.reserve(Text.size());
    for (char16_t c : Text)
        if (c != u'\n' && c != u'\r') clean += c;
    if (clean.size() % 4 != 0) return false;
    Bytes.reserve(clean.size() / 4 * 3);
    for (size_t i = 0; i < clean.size(); i += 4) {
        const bool last = i + 4 == clean.size();
        int pad = 0;
        uint32_t group = 0;
        for (size_t k = 0; k < 4; ++k) {
            const char16_t c = clean[i + k];
            if (c == u'=') {
                // Padding only closes the last group, and only its last one or two places.
                if (!last || k < 2) return false;
                ++pad;
                group <<= 6;
                continue;
            }
            const int v = sextet(c);
            if (v < 0 || pad > 0) return false;
            group = (group << 6) | uint32_t(v);
        }
        // The bits past the last byte are zero in the one true form.
        if ((pad == 1 && (group & 0xFF)) || (pad == 2 && (group & 0xFFFF))) return false;
        Bytes.push_back(uint8_t(group >> 16));
        if (pad < 2) Bytes.push_back(uint8_t(group >> 8));
        if (pad < 1) Bytes.push_back(uint8_t(group));
    }
    return true;
}

bool DataImageBytes(std::u16string_view Name, std::vector<uint8_t>& Bytes) {
    Bytes.clear();
    if (!IsDataImageAddress(Name)) return false;
    const size_t marker = Name.find(Marker);
    // The marker belongs after the type: beyond the tenth character.
    if (marker == std::u16string_view::npos || marker < 10) return false;
    // Pages write the line feeds of their Base64 as "%0A".
    const std::u16string_view rest = Name.substr(marker + Marker.size());
    std::u16string data;
    data.reserve(rest.size());
    for (size_t i = 0; i < rest.size(); ++i) {
        if (rest.substr(i, 3) == u"%0A") {
            data += u'\n';
            i += 2;
        } else {
            data += rest[i];
        }
    }
    return DecodeBase64Strict(data, Bytes) && !Bytes.empty();
}
