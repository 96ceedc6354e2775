// Any text either decodes as Base64 in its one true form, which encodes back
// to the same text without its line ends, or is refused; a data address
// over it never fails otherwise.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "html/layout/DataImages.h"

namespace {

std::u16string encode(const std::vector<uint8_t>& bytes) {
    static const char* alphabet = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";
    std::u16string out;
    for (size_t i = 0; i < bytes.size(); i += 3) {
        uint32_t n = uint32_t(bytes[i]) << 16;
        if (i + 1 < bytes.size()) n |= uint32_t(bytes[i + 1]) << 8;
        if (i + 2 < bytes.size()) n |= bytes[i + 2];
        out += char16_t(alphabet[(n >> 18) & 63]);
        out += char16_t(alphabet[(n >> 12) & 63]);
        out += i + 1 < bytes.size() ? char16_t(alphabet[(n >> 6) & 63]) : u'=';
        out += i + 2 < bytes.size() ? char16_t(alphabet[n & 63]) : u'=';
    }
    return out;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::u16string text(data, data + size);
    std::vector<uint8_t> bytes;
    if (DecodeBase64Strict(text, bytes)) {
        std::u16string clean;
        for (char16_t c : text)
            if (c != u'\n' && c != u'\r') clean += c;
        if (encode(bytes) != clean) std::abort();
    }
    std::vector<uint8_t> fromAddress;
    const bool found = DataImageBytes(u"data:image/png;base64," + text, fromAddress);
    if (found && fromAddress.empty()) std::abort();
    return 0;
}
