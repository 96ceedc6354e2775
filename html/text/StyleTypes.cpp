#include "html/text/StyleTypes.h"

#include <algorithm>
#include <limits>

namespace {

template <class E, size_t N> bool findKeyword(const char16_t* const (&words)[N], std::u16string_view Word, E& Value) {
    for (size_t i = 0; i < N; ++i)
        if (Word == words[i]) {
            Value = E(i);
            return true;
        }
    return false;
}

const char16_t* const AlignmentWords[] = {u"none", u"top",   u"middle",  u"baseline", u"bottom",
                                          u"left", u"right", u"justify", u"sub",      u"super"};
const char16_t* const BoxSizingWords[] = {u"content-box", u"border-box"};
const char16_t* const BorderStyleWords[] = {u"none",  u"solid",  u"inset",  u"outset", u"groove",
                                            u"ridge", u"dashed", u"dotted", u"double"};
const char16_t* const BulletStyleWords[] = {u"blank",       u"circle", u"decimal", u"disc",        u"lower-alpha",
                                            u"lower-roman", u"none",   u"square",  u"upper-alpha", u"upper-roman"};
const char16_t* const DisplayWords[] = {u"",
                                        u"inline",
                                        u"block",
                                        u"inline-block",
                                        u"list-item",
                                        u"run-in",
                                        u"compact",
                                        u"table",
                                        u"inline-table",
                                        u"table-row-group",
                                        u"table-header-group",
                                        u"table-footer-group",
                                        u"table-row",
                                        u"table-column-group",
                                        u"table-column",
                                        u"table-cell",
                                        u"table-caption",
                                        u"none"};
const char16_t* const WhiteSpaceWords[] = {u"normal", u"nowrap", u"pre", u"pre-wrap", u"pre-line"};
const char16_t* const MediaWords[] = {u"all",        u"braille", u"embossed", u"handheld", u"print",
                                      u"projection", u"screen",  u"speech",   u"tty",      u"tv"};

int32_t clampToInt32(int64_t v) {
    return int32_t(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::max()));
}

}  // namespace

bool ParseAlignmentKeyword(std::u16string_view Word, ThtAlignmentStyle& Value) {
    return findKeyword(AlignmentWords, Word, Value);
}
bool ParseBoxSizingKeyword(std::u16string_view Word, ThtBoxSizing& Value) {
    return findKeyword(BoxSizingWords, Word, Value);
}
bool ParseBorderStyleKeyword(std::u16string_view Word, ThtBorderStyle& Value) {
    return findKeyword(BorderStyleWords, Word, Value);
}
bool ParseBulletStyleKeyword(std::u16string_view Word, ThtBulletStyle& Value) {
    return findKeyword(BulletStyleWords, Word, Value);
}
bool ParseDisplayKeyword(std::u16string_view Word, ThtDisplayStyle& Value) {
    return findKeyword(DisplayWords, Word, Value);
}
bool ParseWhiteSpaceKeyword(std::u16string_view Word, ThtWhiteSpaceStyle& Value) {
    return findKeyword(WhiteSpaceWords, Word, Value);
}
bool ParseMediaKeyword(std::u16string_view Word, MediaKind& Value) { return findKeyword(MediaWords, Word, Value); }

int32_t BackgroundPositionValue(ThtBackgroundPosition PosType, int32_t Value, int32_t Free) {
    switch (PosType) {
    case bpCenter: return Free / 2;
    case bpBottom:
    case bpRight: return Free;
    case bpPercent: return clampToInt32(int64_t(Value) * Free / 100);
    case bpDim: return Value;
    default: return 0;
    }
}

void BackgroundTileRange(bool Repeat, int32_t ClipStart, int32_t ClipEnd, int32_t& Start, int32_t& Last,
                         int32_t TileSize) {
    if (TileSize <= 0) {  // nothing to tile
        Last = Start;
        return;
    }
    if (Repeat) {
        const int64_t d = int64_t(ClipStart) - Start;
        if (d >= TileSize) Start = clampToInt32(ClipStart - d % TileSize);
        else if (d < 0) Start = clampToInt32(ClipStart - (TileSize - (-d) % TileSize));
        Last = ClipEnd;
    } else {
        Last = Start;
        if (ClipStart < int64_t(Start) + TileSize && Start < ClipEnd) Last = clampToInt32(int64_t(Start) + 1);
    }
}

void PlaceBackgroundImage(const PtPositionRec& P, const TRect& Clip, int32_t XOffset, int32_t YOffset,
                          int32_t AreaWidth, int32_t AreaHeight, int32_t ImageWidth, int32_t ImageHeight,
                          int32_t& XStart, int32_t& YStart, int32_t& XLast, int32_t& YLast) {
    XStart = clampToInt32(
        int64_t(BackgroundPositionValue(P.X.PosType, P.X.Value, clampToInt32(int64_t(AreaWidth) - ImageWidth))) -
        XOffset);
    BackgroundTileRange(P.X.RepeatD, Clip.Left, Clip.Right, XStart, XLast, ImageWidth);
    YStart = clampToInt32(
        int64_t(BackgroundPositionValue(P.Y.PosType, P.Y.Value, clampToInt32(int64_t(AreaHeight) - ImageHeight))) -
        YOffset);
    BackgroundTileRange(P.Y.RepeatD, Clip.Top, Clip.Bottom, YStart, YLast, ImageHeight);
}
