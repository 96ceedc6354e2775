#pragma once
// Small UTF-16 text helpers of the HTML component: trimming, ASCII case,
// searching and the number readers its CSS and attribute values need.
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace htmltext {

using u16 = std::u16string;
using u16v = std::u16string_view;

// Blanks in the run-time's sense: every control character and space.
inline bool isBlank(char16_t c) { return c <= u' '; }
// Without the characters up to U+0020 at both ends.
u16 trim(u16v s);
// Case folding of names and CSS words, one unit for one unit (Latin,
// Latin-1 and Cyrillic letters): cheap, and lengths never change.
char16_t lowerChar(char16_t c);
u16 lower(u16v s);
bool equalsNoCase(u16v a, u16v b);
// <0, 0, >0 without regard to ASCII case.
int compareNoCase(u16v a, u16v b);
inline bool contains(u16v s, u16v part) { return s.find(part) != u16v::npos; }
bool startsWith(u16v s, u16v prefix);
bool endsWith(u16v s, u16v suffix);

// A whole decimal integer with an optional sign (blanks around allowed).
std::optional<int64_t> toInt(u16v s);
int64_t toIntDef(u16v s, int64_t def);
// A whole decimal floating number: sign, digits, '.', exponent.
std::optional<double> toFloat(u16v s);
// The longest decimal floating number at the start (after blanks): its value
// and the number of characters used; nullopt when there is none.
std::optional<double> scanFloat(u16v s, size_t& used);
// Rounding to nearest with ties to even.
int64_t roundEven(double v);
// Saturating conversion of a floating value to 32 bits.
int32_t clampToInt32(double v);

std::string toUtf8(u16v s);
u16 fromUtf8(std::string_view s);
u16 fromInt(int64_t v);

}  // namespace htmltext
