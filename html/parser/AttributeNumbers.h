#pragma once
// The number of an attribute value ("50", "50%", "3*", " 2.5 ").
#include <cstdint>
#include <string_view>

// Converts S into Value: one trailing "%" or "*" is dropped; a text that
// starts like a number ("+", "-", ".", a digit) is read as a floating value,
// rounded half to even and saturated to +-2147483647, and answers true, but
// leaves Value alone when it is not a number as a whole. A lone "*" sets
// Value to 1 and answers false; any other text answers false.
bool ValueToInteger(std::u16string_view S, int32_t& Value);
