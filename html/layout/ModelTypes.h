#pragma once
// Small value types and constants that the classes of the document model
// share: alignment of blocks and text, list kinds, break classes of
// characters, declared widths of table columns and cells, the hit-test
// answer, style elements, and the "no item" values.
#include <cstdint>
#include <stdexcept>
#include <string>

// Beyond every coordinate and document position a real document reaches, and
// still safe to add a coordinate to (twice this value fits in 32 bits).
constexpr int32_t FarBeyond = 0x3FFFFFFF;
// The top of a section that was never laid out, and the left and top of a
// rectangle that was never painted (so that the rectangle is empty).
constexpr int32_t NotPlaced = FarBeyond;
// The distance to the next object when no object follows.
constexpr int32_t NoItemDistance = FarBeyond;
// The bottom of a block's own edge record: it holds until the block removes it.
constexpr int32_t OpenEndY = FarBeyond;
// A position that was not found or not yet known (the end of an inline box
// before its end tag was read, an index outside a list).
constexpr int32_t NoPosition = FarBeyond;

// Horizontal alignment of a block, a table or a line of text.
enum class ThtJustify { NoJustify, Left, Centered, Right, FullJustify };

// The kind of list an item belongs to.
enum class ThtListType { None, Ordered, Unordered, Definition, liAlone };

// The break class of a character of section text: no break after it, a
// break, a soft hyphen before the next character, an optional break.
enum ThtTextWrap : uint8_t { twNo, twYes, twSoft, twOptional };

// Placeholder characters of section text.
constexpr char16_t FmCtl = 2;   // a form control
constexpr char16_t ImgPan = 4;  // an image-like object
constexpr char16_t BrkCh = 8;   // a forced line break

// How a width or height is given (tables and columns).
enum TWidthType : uint8_t { wtNone, wtAbsolute, wtPercent, wtRelative };
// A declared width: pixels, tenths of a percent (1000 = 100 %), or a
// relative multiplier, by its type.
struct TSpecWidth {
    int32_t Value = 0;
    TWidthType VType = wtNone;
    bool operator==(const TSpecWidth&) const = default;
};

// What a hit test found: a set of these bits.
using ThtguResultType = uint8_t;
constexpr ThtguResultType guUrl = 1, guControl = 2, guTitle = 4;

// The parts of the drawing that follow the application's visual style.
enum TStyleElement : uint8_t { seFont, seClient, seBorder };
using TStyleElements = uint8_t;
constexpr TStyleElements seSet(TStyleElement e) { return TStyleElements(1u << e); }
constexpr TStyleElements AllStyleElements = seSet(seFont) | seSet(seClient) | seSet(seBorder);

// The hover state of an image.
enum ThtHover : uint8_t { hvOff, hvOverUp, hvOverDown };

// A section's layout failed: the cell drops the section and goes on.
class EProcessError : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};
