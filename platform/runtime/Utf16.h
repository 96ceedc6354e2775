#pragma once
// UTF-8 text to UTF-16 for the HTML views, which keep text as UTF-16 units.
#include <string>
#include <string_view>

namespace zrx_utf8 {
// Characters above U+FFFF become surrogate pairs; invalid bytes U+FFFD.
std::u16string toUtf16(std::string_view s);
}  // namespace zrx_utf8
