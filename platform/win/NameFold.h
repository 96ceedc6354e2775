#pragma once
// Case folding of UTF-8 names for the registry and the private-profile files:
// names compare without regard to letter case, Latin and Cyrillic alike.
#include <string>
#include <string_view>

namespace zrx::win {

// The name with every upper-case letter (ASCII, Latin-1, Latin Extended-A,
// Greek, Cyrillic) turned to lower case. Invalid UTF-8 bytes are kept as they are.
std::string foldName(std::string_view name);

// True when the two names are equal without regard to case.
bool sameName(std::string_view a, std::string_view b);

}  // namespace zrx::win
