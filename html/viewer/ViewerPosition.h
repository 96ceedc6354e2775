#pragma once
// Where a viewer's view stands, so that a new layout, in which the sections
// move, shows the same place again.
#include <cstdint>

struct ThvPosition {
    // 1 + the index of a section in the document's position list, Offset
    // pixels above the top of the view; 0: Offset is the scroll position itself.
    int32_t Section = 0;
    int32_t Offset = 0;
    bool operator==(const ThvPosition&) const = default;
};
