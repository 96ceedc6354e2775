#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "html/text/HtmlText.h"
#include "html/text/Lengths.h"
#include "html/text/Margins.h"
#include "html/text/Properties.h"

namespace {

using htmltext::toUtf8;

class LengthsTest : public ::testing::Test {
protected:
    void SetUp() override { old_ = SetScreenPixelsPerInch(96); }
    void TearDown() override { SetScreenPixelsPerInch(old_); }

private:
    int old_ = 0;
};

ThtVariant text(const char16_t* t) { return std::u16string(t); }

TEST_F(LengthsTest, SplitNumberAndUnit) {
    const struct {
        const char16_t* in;
        bool ok;
        double number;
        const char16_t* unit;
    } cases[] = {
        {u"12pt", true, 12, u"pt"},   {u"-1.5 em", true, -1.5, u"em"},
        {u"2em", true, 2, u"em"},     {u"3ex", true, 3, u"ex"},
        {u"1e3px", true, 1, u"e3px"}, {u"1e2", true, 1, u"e2"},
        {u"1E2", true, 100, u""},     {u".5%", true, 0.5, u"%"},
        {u" 7 ", true, 7, u""},       {u"auto", false, 0, u""},
        {u"", false, 0, u""},         {u"px", false, 0, u""},
        {u"+4.", true, 4, u""},
    };
    for (const auto& c : cases) {
        double n = -99;
        std::u16string unit = u"?";
        EXPECT_EQ(SplitNumberAndUnit(c.in, n, unit), c.ok) << toUtf8(c.in);
        if (c.ok) {
            EXPECT_EQ(n, c.number) << toUtf8(c.in);
            EXPECT_EQ(unit, c.unit) << toUtf8(c.in);
        }
    }
}

TEST_F(LengthsTest, LengthToPixels) {
    const struct {
        const char16_t* in;
        bool relative;
        int base, expect;
    } cases[] = {
        {u"12pt", false, 0, 16},
        {u"1.9px", false, 0, 1},
        {u"-1.9px", false, 0, -1},
        {u"2em", false, 0, 26},
        {u"3ex", false, 0, 21},
        {u"1in", false, 0, 96},
        {u"2.54cm", false, 0, 96},
        {u"10mm", false, 0, 37},
        {u"1pc", false, 0, 16},
        {u"50%", false, 300, 150},
        {u"50", true, 20, 1000},
        {u"50", false, 20, 50},
        {u"1e2", false, 0, -7},
        {u"1e3px", false, 0, -7},
        {u"auto", false, 0, -7},
        {u"12PT", false, 0, -7},
        {u"3furlongs", false, 0, -7},
        {u"99999999999px", false, 0, MaxLengthPixels},
        {u"-99999999999px", false, 0, -MaxLengthPixels},
        {u"1e308", true, 1000, -7},
        // No length reads as a sentinel.
        {u"-12345678px", false, 0, -MaxLengthPixels},
        {u"-12348765", false, 0, -MaxLengthPixels},
    };
    for (const auto& c : cases)
        EXPECT_EQ(LengthToPixels(c.in, c.relative, c.base, 13, 7, -7), c.expect) << toUtf8(c.in);
    EXPECT_EQ(LengthFromVariant(text(u"2em"), false, 0, 10, 5, -1), 20);
    EXPECT_EQ(LengthFromVariant(int64_t(33), false, 0, 10, 5, -1), 33);
    EXPECT_EQ(LengthFromVariant(int64_t(AutoSentinel), false, 0, 10, 5, -1), -1);
    EXPECT_EQ(LengthFromVariant(ThtVariant(), false, 0, 10, 5, -1), -1);
    // Integers keep to the same range (no wrap from 64 bits); the sentinels pass.
    EXPECT_EQ(LengthFromVariant(int64_t(5'000'000'000), false, 0, 10, 5, -1), MaxLengthPixels);
    EXPECT_EQ(LengthFromVariant(int64_t(-3'000'000'000), false, 0, 10, 5, -1), -MaxLengthPixels);
    EXPECT_EQ(LengthFromVariant(int64_t(NoValueSentinel), false, 0, 10, 5, -1), NoValueSentinel);
    SetScreenPixelsPerInch(120);
    EXPECT_EQ(LengthToPixels(u"12pt", false, 0, 0, 0, 0), 20);
}

TEST_F(LengthsTest, MarginArrays) {
    TProperties p;
    p.Props[Color] = int64_t(0x00FF00);
    p.Props[MarginLeft] = text(u"auto");
    p.Props[PaddingTop] = text(u"10px");
    p.Props[PaddingBottom] = text(u"10px");
    p.Props[piHeight] = text(u"50%");
    p.Props[BorderTopStyle] = text(u"solid");
    p.Props[BorderBottomStyle] = text(u"none");
    p.Props[BorderBottomWidth] = text(u"thick");
    p.Props[BorderLeftStyle] = text(u"dotted");
    p.Props[BorderLeftWidth] = text(u"medium");
    p.Props[BorderRightStyle] = text(u"double");
    p.Props[BorderRightWidth] = text(u"10%");
    p.Props[BorderTopColor] = text(u"currentColor");
    p.Props[BorderRightColor] = text(u"#0000ff");
    p.Props[BorderBottomColor] = int64_t(0x123456);
    p.Props[BackgroundColor] = int64_t(clNone);
    p.Props[BorderLeftColor] = int64_t(AutoSentinel);
    ThtVMarginArray vm;
    p.GetVMarginArray(vm);
    EXPECT_EQ(VarInt(vm[BorderTopColor]), 0x00FF00);
    EXPECT_EQ(VarInt(vm[BorderRightColor]), 0xFF0000);
    EXPECT_EQ(VarInt(vm[BorderBottomColor]), 0x123456);
    EXPECT_EQ(VarInt(vm[BorderLeftColor]), 0x00FF00);  // the element's colour by default
    EXPECT_EQ(VarInt(vm[BorderTopStyle], -1), bssSolid);
    EXPECT_EQ(VarInt(vm[BorderLeftStyle], -1), bssDotted);

    ThtMarginArray m;
    const int autos = ConvertMargins(vm, 400, 200, 16, 8, 3, m);
    EXPECT_EQ(autos, 2);  // the auto left margin and the unset width
    EXPECT_EQ(m[MarginLeft], NoValueSentinel);
    EXPECT_EQ(m[MarginRight], 0);  // never set: 0, not auto
    EXPECT_EQ(m[piWidth], NoValueSentinel);
    EXPECT_EQ(m[BorderTopWidth], 3);     // unset on a solid side
    EXPECT_EQ(m[BorderBottomWidth], 0);  // thick, but the style is none
    EXPECT_EQ(m[BorderLeftWidth], 4);
    EXPECT_EQ(m[BorderRightWidth], 40);  // percentages of side borders use the width
    EXPECT_EQ(m[piHeight], 80 - 3);      // 50% of 200 less paddings and borders
    EXPECT_EQ(m[BackgroundColor], clNone);
    EXPECT_EQ(m[piTop], NoValueSentinel);
    EXPECT_EQ(m[BoxSizing], ContentBox);

    p.Props[MarginTop] = int64_t(DefaultParagraphSpace);
    p.Props[MarginBottom] = text(u"10%");
    p.Props[piMinHeight] = text(u"10%");
    p.GetVMarginArray(vm);
    LengthConversionRec rec;
    InitLengthConversion(400, 200, 16, 8, 3, rec);
    ConvertVerticalMargins(vm, rec, m);
    EXPECT_EQ(m[MarginTop], 14);
    EXPECT_TRUE(rec.DefaultSpaceIndexes.Contains(MarginTop));
    EXPECT_FALSE(rec.DefaultSpaceIndexes.Contains(MarginBottom));
    EXPECT_EQ(m[MarginBottom], 20);  // vertical percentages use the height
    EXPECT_EQ(m[piMinHeight], 20 - 23);
}

TEST_F(LengthsTest, CellAndObjectMargins) {
    ThtVMarginArray vm;
    for (int i = LowMarginIndex; i <= HighMarginIndex; ++i) vm[i] = int64_t(AutoSentinel);
    vm[PaddingTop] = text(u"10%");
    vm[PaddingLeft] = int64_t(5);
    vm[PaddingRight] = text(u"2px");
    ThtMarginArray m;
    ConvertCellPaddings(vm, 16, 8, m);
    EXPECT_EQ(m[PaddingTop], -10);
    EXPECT_EQ(m[PaddingBottom], -1);
    EXPECT_EQ(m[PaddingLeft], 5);
    EXPECT_EQ(m[PaddingRight], 2);

    vm[piWidth] = text(u"50%");
    vm[MarginLeft] = text(u"1em");
    vm[BorderTopWidth] = text(u"bogus");
    vm[BorderTopStyle] = int64_t(bssSolid);
    vm[BorderLeftStyle] = int64_t(bssNone);
    ConvertObjectMargins(vm, 300, 16, 8, m);
    EXPECT_EQ(m[piWidth], 150);
    EXPECT_EQ(m[piHeight], AutoSentinel);
    EXPECT_EQ(m[MarginLeft], 16);
    EXPECT_EQ(m[MarginTop], AutoSentinel);
    EXPECT_EQ(m[BorderTopWidth], 4);
    EXPECT_EQ(m[BorderRightWidth], 4);
    EXPECT_EQ(m[BorderLeftWidth], 0);
}

// Sizes less paddings and borders never overflow, whatever the lengths:
// extreme texts are clamped first, and the sums are kept in range.
TEST_F(LengthsTest, ExtremeLengthsSumWithoutOverflow) {
    const char16_t* huge = u"99999999999px";
    const char16_t* negative = u"-99999999999px";
    ThtVMarginArray vm;
    for (int i = LowMarginIndex; i <= HighMarginIndex; ++i) vm[i] = int64_t(AutoSentinel);
    for (int s = BorderTopStyle; s <= BorderLeftStyle; ++s) vm[s] = int64_t(bssSolid);
    vm[piWidth] = text(huge);
    vm[piHeight] = text(u"100%");
    for (int i : {PaddingTop, PaddingRight, PaddingBottom, PaddingLeft, BorderTopWidth, BorderRightWidth,
                  BorderBottomWidth, BorderLeftWidth})
        vm[i] = text(negative);
    ThtMarginArray m;
    ConvertMargins(vm, INT32_MAX, INT32_MAX, 16, 8, 3, m);
    EXPECT_EQ(m[piWidth], MaxLengthPixels);
    EXPECT_EQ(m[PaddingLeft], -MaxLengthPixels);
    EXPECT_EQ(m[piHeight], MaxLengthPixels);  // 100% less four negative sizes
    SubtractPaddingAndBorder(m);
    EXPECT_EQ(m[piWidth], MaxLengthPixels);
    EXPECT_EQ(m[piHeight], MaxLengthPixels);

    // Arrays filled by other code may hold anything.
    const struct {
        int32_t size, side;
        int32_t expect;
    } sums[] = {
        {INT32_MAX, INT32_MIN, MaxLengthPixels},
        {0, INT32_MAX, -MaxLengthPixels},
        {500, 10, 460},
    };
    for (const auto& c : sums) {
        ThtMarginArray q;
        q[piWidth] = q[piHeight] = c.size;
        for (int i : {PaddingTop, PaddingRight, PaddingBottom, PaddingLeft, BorderTopWidth, BorderRightWidth,
                      BorderBottomWidth, BorderLeftWidth})
            q[i] = c.side;
        q[BoxSizing] = BorderBox;
        ApplyMinMaxAndBoxSizing(q, false);
        EXPECT_EQ(q[piWidth], c.expect) << c.size << " " << c.side;
        EXPECT_EQ(q[piHeight], c.expect) << c.size << " " << c.side;
    }
}

TEST_F(LengthsTest, SizesAfterConversion) {
    ThtMarginArray m;
    m[piWidth] = 500;
    m[piHeight] = 10;
    m[piMaxWidth] = 300;
    m[piMinWidth] = 0;
    m[piMinHeight] = 50;
    m[piMaxHeight] = 0;
    m[PaddingLeft] = m[PaddingRight] = 5;
    m[BorderLeftWidth] = m[BorderRightWidth] = 1;
    m[PaddingTop] = m[PaddingBottom] = m[BorderTopWidth] = m[BorderBottomWidth] = 2;
    m[BoxSizing] = BorderBox;
    ThtMarginArray q = m;
    ApplyMinMaxAndBoxSizing(q, false);
    EXPECT_EQ(q[piWidth], 300 - 12);
    EXPECT_EQ(q[piHeight], 50 - 8);
    q = m;
    ApplyMinMaxAndBoxSizing(q, true);  // quirks: no min/max, always less paddings and borders
    EXPECT_EQ(q[piWidth], 500 - 12);
    EXPECT_EQ(q[piHeight], 10 - 8);
    q = m;
    q[piWidth] = NoValueSentinel;
    SubtractPaddingAndBorder(q);
    EXPECT_EQ(q[piWidth], NoValueSentinel);

    int32_t minW = 10, maxW = 1000;
    q = m;
    q[piMinWidth] = 400;
    ClampWidthToMinMax(q, minW, maxW, false);
    EXPECT_EQ(q[piWidth], 400);
    EXPECT_EQ(maxW, 300);
    EXPECT_EQ(minW, 400);
    q = m;
    ClampWidthToMinMax(q, minW, maxW, true);
    EXPECT_EQ(q[piWidth], 500);
}

}  // namespace
