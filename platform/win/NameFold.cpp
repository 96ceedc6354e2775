#include "platform/win/NameFold.h"

#include "platform/runtime/TCString.h"

#include <cstdint>

namespace zrx::win {

namespace {

// The runtime's lower-case table keeps byte lengths; a name key need not, so
// the dotted capital I folds to a plain 'i' here.
char32_t lowerOf(char32_t c) { return c == 0x130 ? U'i' : zrx_utf8::toLower(c); }

}  // namespace

std::string foldName(std::string_view name) {
    std::string out;
    out.reserve(name.size());
    size_t i = 0;
    while (i < name.size()) {
        const auto b = static_cast<unsigned char>(name[i]);
        if (b < 0x80) {
            out += static_cast<char>(b >= 'A' && b <= 'Z' ? b + 0x20 : b);
            ++i;
            continue;
        }
        // Only two-byte sequences hold letters that fold here; anything else
        // (longer sequences, stray bytes) is copied unchanged.
        if ((b & 0xE0) == 0xC0 && i + 1 < name.size() && (static_cast<unsigned char>(name[i + 1]) & 0xC0) == 0x80) {
            const char32_t c =
                (static_cast<char32_t>(b & 0x1F) << 6) | (static_cast<unsigned char>(name[i + 1]) & 0x3F);
            if (c >= 0x80) {
                zrx_utf8::append(out, lowerOf(c));
                i += 2;
                continue;
            }
        }
        out += static_cast<char>(b);
        ++i;
    }
    return out;
}

bool sameName(std::string_view a, std::string_view b) {
    if (a.size() == b.size() && a == b) return true;
    return foldName(a) == foldName(b);
}

}  // namespace zrx::win
