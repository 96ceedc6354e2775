#pragma once
// Computed CSS values as layout receives them, the keyword tables that map
// CSS words onto them (exact, case-sensitive), and the placement of a
// background image inside a clip rectangle.
#include <cstdint>
#include <string_view>

#include "platform/framework/Graphics.h"

enum ThtAlignmentStyle { aNone, aTop, aMiddle, aBaseline, aBottom, aLeft, aRight, aJustify, aSub, aSuper };
enum ThtBoxSizing { ContentBox, BorderBox };
enum ThtBackgroundPosition { bpTop, bpCenter, bpBottom, bpLeft, bpRight, bpPercent, bpDim };
enum ThtBoxPositionStyle { posStatic, posRelative, posAbsolute, posFixed };
enum ThtBorderStyle { bssNone, bssSolid, bssInset, bssOutset, bssGroove, bssRidge, bssDashed, bssDotted, bssDouble };
// clang-format off
enum ThtBulletStyle {
    lbBlank, lbCircle, lbDecimal, lbDisc, lbLowerAlpha, lbLowerRoman, lbNone, lbSquare, lbUpperAlpha, lbUpperRoman
};
enum ThtClearStyle { clrNone, clLeft, clRight, clAll };
enum ThtDisplayStyle {
    pdUnassigned, pdInline, pdBlock, pdInlineBlock, pdListItem, pdRunIn, pdCompact, pdTable, pdInlineTable,
    pdTableRowGroup, pdTableHeaderGroup, pdTableFooterGroup, pdTableRow, pdTableColumnGroup, pdTableColumn,
    pdTableCell, pdTableCaption, pdNone
};
// clang-format on
enum ThtTextTransformStyle { txNone, txUpper, txLower, txCaps };
enum ThtVisibilityStyle { viInherit, viHidden, viVisible };
enum ThtWhiteSpaceStyle { wsNormal, wsNoWrap, wsPre, wsPreWrap, wsPreLine };
enum class MediaKind { all, braille, embossed, handheld, print, projection, screen, speech, tty, tv };
using MediaKindSet = uint16_t;
constexpr MediaKindSet mediaBit(MediaKind m) { return MediaKindSet(1u << unsigned(m)); }

bool ParseAlignmentKeyword(std::u16string_view Word, ThtAlignmentStyle& Value);
bool ParseBoxSizingKeyword(std::u16string_view Word, ThtBoxSizing& Value);
bool ParseBorderStyleKeyword(std::u16string_view Word, ThtBorderStyle& Value);
bool ParseBulletStyleKeyword(std::u16string_view Word, ThtBulletStyle& Value);
bool ParseDisplayKeyword(std::u16string_view Word, ThtDisplayStyle& Value);
bool ParseWhiteSpaceKeyword(std::u16string_view Word, ThtWhiteSpaceStyle& Value);
bool ParseMediaKeyword(std::u16string_view Word, MediaKind& Value);

// Background position of one axis.
struct PositionRec {
    ThtBackgroundPosition PosType = bpTop;
    int32_t Value = 0;     // pixels for bpDim, percent for bpPercent
    bool RepeatD = false;  // tile along this axis
    bool Fixed = false;    // attachment fixed
};
struct PtPositionRec {
    PositionRec X, Y;
};

// The image's offset in one axis; Free is the area size less the image size.
int32_t BackgroundPositionValue(ThtBackgroundPosition PosType, int32_t Value, int32_t Free);
// The tiles of one axis: the caller draws from Start by TileSize while below Last.
void BackgroundTileRange(bool Repeat, int32_t ClipStart, int32_t ClipEnd, int32_t& Start, int32_t& Last,
                         int32_t TileSize);
void PlaceBackgroundImage(const PtPositionRec& P, const TRect& Clip, int32_t XOffset, int32_t YOffset,
                          int32_t AreaWidth, int32_t AreaHeight, int32_t ImageWidth, int32_t ImageHeight,
                          int32_t& XStart, int32_t& YStart, int32_t& XLast, int32_t& YLast);
