#include <gtest/gtest.h>

#include <climits>

#include "html/text/StyleTypes.h"

namespace {

TEST(StyleTypesTest, KeywordsCompareExactly) {
    ThtAlignmentStyle a = aNone;
    EXPECT_TRUE(ParseAlignmentKeyword(u"super", a));
    EXPECT_EQ(a, aSuper);
    EXPECT_FALSE(ParseAlignmentKeyword(u"Top", a));
    EXPECT_EQ(a, aSuper);
    ThtDisplayStyle d = pdNone;
    EXPECT_TRUE(ParseDisplayKeyword(u"", d));
    EXPECT_EQ(d, pdUnassigned);
    EXPECT_TRUE(ParseDisplayKeyword(u"table-caption", d));
    EXPECT_EQ(d, pdTableCaption);
    ThtBorderStyle b;
    EXPECT_TRUE(ParseBorderStyleKeyword(u"double", b));
    EXPECT_EQ(b, bssDouble);
    ThtBulletStyle l;
    EXPECT_TRUE(ParseBulletStyleKeyword(u"upper-roman", l));
    EXPECT_EQ(l, lbUpperRoman);
    ThtWhiteSpaceStyle w;
    EXPECT_TRUE(ParseWhiteSpaceKeyword(u"pre-line", w));
    EXPECT_EQ(w, wsPreLine);
    EXPECT_FALSE(ParseWhiteSpaceKeyword(u"pre ", w));
    ThtBoxSizing s;
    EXPECT_TRUE(ParseBoxSizingKeyword(u"border-box", s));
    EXPECT_EQ(s, BorderBox);
    MediaKind m;
    EXPECT_TRUE(ParseMediaKeyword(u"screen", m));
    EXPECT_EQ(m, MediaKind::screen);
    EXPECT_FALSE(ParseMediaKeyword(u"Screen", m));
}

TEST(StyleTypesTest, PositionValuePerKind) {
    const struct {
        ThtBackgroundPosition type;
        int value, free, expect;
    } cases[] = {{bpTop, 9, 100, 0},      {bpLeft, 9, 100, 0},
                 {bpCenter, 0, 101, 50},  {bpCenter, 0, -7, -3},
                 {bpBottom, 0, 40, 40},   {bpRight, 0, -4, -4},
                 {bpPercent, 50, -7, -3}, {bpPercent, 25, 10, 2},
                 {bpDim, 12, 999, 12},    {bpPercent, INT_MAX, INT_MAX, INT_MAX}};
    for (const auto& c : cases)
        EXPECT_EQ(BackgroundPositionValue(c.type, c.value, c.free), c.expect) << c.type << " " << c.value;
}

TEST(StyleTypesTest, TileRanges) {
    const struct {
        bool repeat;
        int clipStart, clipEnd, start, tile;
        int expectStart, expectLast;
    } cases[] = {
        {true, 25, 60, 3, 10, 23, 60},   // far before the clip: moved up to it
        {true, 25, 60, 30, 10, 20, 60},  // after the clip start: moved back
        {true, 25, 60, 20, 10, 20, 60},  // inside the first tile: kept
        {true, 25, 60, 25, 10, 25, 60},
        {true, 25, 60, 35, 10, 15, 60},   // a whole tile back, as the rule gives
        {false, 25, 60, 3, 10, 3, 3},     // entirely left of the clip
        {false, 25, 60, 20, 10, 20, 21},  // meets the clip: one tile
        {false, 25, 60, 60, 10, 60, 60},  // starts at the clip's end
        {true, 25, 60, 3, 0, 3, 3},       // no tile size: no tiles
        {false, 25, 60, 20, -4, 20, 20},
        {true, INT_MAX - 1, INT_MAX, INT_MIN, 7, INT_MAX - 1 - int((int64_t(INT_MAX) - 1 - INT_MIN) % 7), INT_MAX},
    };
    for (const auto& c : cases) {
        int start = c.start, last = -999;
        BackgroundTileRange(c.repeat, c.clipStart, c.clipEnd, start, last, c.tile);
        EXPECT_EQ(start, c.expectStart) << c.start << " " << c.tile;
        EXPECT_EQ(last, c.expectLast) << c.start << " " << c.tile;
    }
}

TEST(StyleTypesTest, PlacementCombinesBothAxes) {
    PtPositionRec p;
    p.X = {bpCenter, 0, false, false};
    p.Y = {bpPercent, 100, true, false};
    int xs, ys, xl, yl;
    PlaceBackgroundImage(p, Rect(0, 10, 200, 95), 5, 0, 100, 60, 20, 30, xs, ys, xl, yl);
    EXPECT_EQ(xs, 35);  // (100 - 20) / 2 less the offset
    EXPECT_EQ(xl, 36);
    EXPECT_EQ(ys, 0);  // 100% of 30 is 30, a whole tile past the clip top: one tile back
    EXPECT_EQ(yl, 95);
}

}  // namespace
