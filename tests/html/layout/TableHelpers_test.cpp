// The integer-array helpers of table layout, column declarations, and the
// text comparison by the user's locale without regard to case.
#include <gtest/gtest.h>

#include <QLocale>

#include "html/layout/TableHelpers.h"

namespace {

TEST(TableHelpers, SumsAndFills) {
    const TIntArray a{1, 2, 3, 4};
    struct Range {
        int from, to;
        int32_t sum;
    } ranges[] = {{0, 3, 10}, {1, 2, 5}, {2, 1, 0}, {3, 3, 4}, {-2, 1, 3}, {2, 9, 7}};
    for (const Range& r : ranges) EXPECT_EQ(SumOfRange(a, r.from, r.to), r.sum) << r.from << ".." << r.to;
    EXPECT_EQ(SumOf(a), 10);
    EXPECT_EQ(SumOf(TIntArray{}), 0);
    EXPECT_EQ(SumOf(TIntArray{INT32_MAX, 1}), INT32_MAX);  // saturated, never wrapped

    TIntArray c;
    SubtractArrays(a, TIntArray{1, 1}, c);  // a shorter B subtracts the common part only
    EXPECT_EQ(c, (TIntArray{0, 1, 3, 4}));
    SubtractArrays(TIntArray{5}, TIntArray{1, 2, 3}, c);
    EXPECT_EQ(c, (TIntArray{4}));

    TIntArray f(5, 0);
    FillRange(f, 7, 1, 3);
    EXPECT_EQ(f, (TIntArray{0, 7, 7, 7, 0}));
    FillRange(f, 9, 3, 2);  // empty
    FillRange(f, 9, 4, 8);  // clipped to the array
    EXPECT_EQ(f, (TIntArray{0, 7, 7, 7, 9}));
    FillArray(f, -1);
    EXPECT_EQ(f, (TIntArray{-1, -1, -1, -1, -1}));
}

TEST(TableHelpers, WidthTypes) {
    const TWidthTypeArray kinds{wtAbsolute, wtPercent, wtNone, wtPercent, wtRelative};
    const TIntArray values{10, 20, 30, 40, 50};
    TIntegerPerWidthType counts;
    SetCounts(counts, 9);
    EXPECT_EQ(counts, (TIntegerPerWidthType{9, 9, 9, 9}));
    CountWidthTypes(counts, kinds, 0, 4);
    EXPECT_EQ(counts, (TIntegerPerWidthType{1, 1, 2, 1}));
    CountWidthTypes(counts, kinds, 3, 2);
    EXPECT_EQ(counts, (TIntegerPerWidthType{0, 0, 0, 0}));
    EXPECT_EQ(SumOfWidthType(wtPercent, kinds, values, 0, 4), 60);
    EXPECT_EQ(SumOfWidthType(wtPercent, kinds, values, 2, 3), 40);
    EXPECT_EQ(SumOfOtherWidthTypes(wtPercent, kinds, values, 0, 4), 90);
    EXPECT_EQ(SumOfOtherWidthTypes(wtPercent, kinds, TIntArray{1, 2}, 0, 4), 1);  // shorter values

    TColSpec spec(TSpecWidth{300, wtPercent}, u"center", aMiddle);
    const TColSpec copy(spec);
    EXPECT_EQ(copy.ColWidth(), (TSpecWidth{300, wtPercent}));
    EXPECT_EQ(copy.ColAlign(), u"center");
    EXPECT_EQ(copy.ColVAlign(), aMiddle);
}

class CompareWideTextTest : public ::testing::Test {
protected:
    void TearDown() override { QLocale::setDefault(saved_); }
    static void pin(QLocale::Language L, QLocale::Country C) { QLocale::setDefault(QLocale(L, C)); }

private:
    QLocale saved_;
};

TEST_F(CompareWideTextTest, ByThePinnedLocaleWithoutCase) {
    pin(QLocale::Russian, QLocale::Russia);
    EXPECT_EQ(CompareWideText(u"Привет", u"пРИВЕТ"), 0);
    EXPECT_EQ(CompareWideText(u"abc", u"ABC"), 0);
    EXPECT_LT(CompareWideText(u"a", u"B"), 0);     // by the alphabet, not by code
    EXPECT_LT(CompareWideText(u"ёж", u"Жук"), 0);  // ё sorts with е, before ж
    EXPECT_GT(CompareWideText(u"я", u"Ж"), 0);
    EXPECT_LT(CompareWideText(u"", u"a"), 0);
    // The order is the locale's: ö before z in German, after it in Swedish.
    pin(QLocale::German, QLocale::Germany);
    EXPECT_LT(CompareWideText(u"ö", u"z"), 0);
    pin(QLocale::Swedish, QLocale::Sweden);
    EXPECT_GT(CompareWideText(u"ö", u"z"), 0);
}

}  // namespace
