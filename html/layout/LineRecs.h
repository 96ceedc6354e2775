#pragma once
// One laid-out line of a text section: where it starts in the section's
// text, its heights, indent and justification, and the borders of the
// inline boxes it holds.
#include <cstdint>
#include <memory>

#include "html/layout/Borders.h"
#include "html/layout/FreeList.h"

class TSection;

class ThtLineRec {
public:
    // FirstDraw is set when the document has inline boxes.
    explicit ThtLineRec(TSection* SL);
    // Frees the border list.
    void Clear();

    int32_t Start = 0;  // offset of the line's first character in the section's text
    int32_t SpaceBefore = 0, SpaceAfter = 0;
    int32_t LineHt = 0;     // height of the text part
    int32_t LineImgHt = 0;  // the line's full extent
    int32_t Ln = 0;         // characters on the line
    int32_t Descent = 0;
    int32_t LineIndent = 0;
    int32_t DrawXX = 0;
    int32_t DrawWidth = 0;
    int32_t DrawY = 0;
    int32_t Spaces = 0;  // full justification: spaces among the first Ln - 1 characters
    int32_t Extra = 0;   // full justification: pixels to spread over them
    std::unique_ptr<TFreeList<ThtBorderRec>> BorderList;  // made when the line holds inline boxes
    bool FirstDraw = false;
    int32_t FirstX = 0;
    bool Shy = false;  // the line ends at a soft hyphen
};
