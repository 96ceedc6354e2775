// The scrolling arithmetic: positions kept in range, the wheel, the keys,
// the auto-scroll steps, the background's anchor, and word characters.
#include <gtest/gtest.h>

#include "html/viewer/ViewerScrollSteps.h"

namespace {

TEST(ViewerScrollSteps, PositionsStayWithinTheDocument) {
    struct Case {
        int32_t pos, range, want;
    } cases[] = {
        {-5, 100, 0},
        {0, 100, 0},
        {40, 100, 40},
        {100, 100, 100},
        {250, 100, 100},
        // A document shorter than the panel has no range: everything is 0.
        {30, -20, 0},
        {-30, -20, 0},
    };
    for (const Case& c : cases) EXPECT_EQ(ClampScrollPosition(c.pos, c.range), c.want) << c.pos << " " << c.range;
}

TEST(ViewerScrollSteps, WheelScrollsByTheDeltaItsSize) {
    struct Case {
        int delta, lines, want;
    } cases[] = {
        {120, 3, -48},              // a notch away from the user: up three lines of 16
        {-120, 3, 48},              // toward the user: down
        {240, 1, -32},              // two notches at once
        {120, 0, -60},              // page scrolling: half the delta
        {-120, -1, 60}, {0, 3, 0},  // nothing moves
    };
    for (const Case& c : cases) {
        int remainder = 0;
        EXPECT_EQ(WheelScrollPixels(c.delta, c.lines, remainder), c.want) << c.delta << " " << c.lines;
        EXPECT_EQ(remainder, 0);
    }
    // A fine wheel: three events of a third of a notch scroll as far as one notch.
    int remainder = 0, total = 0;
    for (int i = 0; i < 3; ++i) total += WheelScrollPixels(40, 3, remainder);
    EXPECT_EQ(total, -48);
    // Deltas too small for a pixel add up instead of being lost.
    remainder = 0;
    total = 0;
    for (int i = 0; i < 15; ++i) total += WheelScrollPixels(-1, 1, remainder);
    EXPECT_EQ(total, 2);
    EXPECT_EQ(remainder, 0);
}

TEST(ViewerScrollSteps, KeysMoveTheVerticalPosition) {
    // Small change 16, large change 180, a document of 1000 in a panel of 200 (range 800).
    struct Case {
        uint16_t key;
        TShiftState shift;
        int32_t from, want;
    } cases[] = {
        {VK_SPACE, 0, 100, 280}, {VK_SPACE, ssShift, 300, 120}, {VK_SPACE, ssCtrl, 100, 100}, {VK_NEXT, 0, 100, 280},
        {VK_PRIOR, 0, 100, 0},   {VK_NEXT, ssShift, 100, 100},  {VK_DOWN, 0, 100, 116},       {VK_UP, 0, 100, 84},
        {VK_UP, 0, 10, 0},       {VK_DOWN, ssCtrl, 100, 100},   {VK_HOME, ssCtrl, 500, 0},    {VK_END, ssCtrl, 0, 800},
        {VK_END, 0, 0, 0},       {VK_HOME, 0, 500, 500},        {VK_NEXT, 0, 750, 800},       {'A', 0, 100, 100},
    };
    for (const Case& c : cases)
        EXPECT_EQ(KeyScrollTarget(c.key, c.shift, c.from, 16, 180, 1000, 200), c.want)
            << "key " << c.key << " shift " << c.shift << " from " << c.from;
    // A page that fits in the panel stays at the top.
    EXPECT_EQ(KeyScrollTarget(VK_END, ssCtrl, 0, 16, 180, 150, 200), 0);
}

TEST(ViewerScrollSteps, AutoScrollStepsByBand) {
    // A panel 200 high, position 400, small change 16.
    struct Case {
        int y;
        int32_t want;
    } cases[] = {
        {-40, 400 - 128}, {-16, 400 - 128}, {-15, 384}, {0, 384}, {201, 416}, {215, 416}, {216, 400 + 128},
    };
    for (const Case& c : cases) EXPECT_EQ(DragScrollTarget(c.y, 200, 400, 16), c.want) << c.y;

    bool down = false;
    EXPECT_EQ(MiddleScrollTarget(150, 100, 400, down), 400 + (50 - 16) / 4);
    EXPECT_TRUE(down);
    EXPECT_EQ(MiddleScrollTarget(50, 100, 400, down), 400 + (-50 + 16) / 4);
    EXPECT_FALSE(down);
}

TEST(ViewerScrollSteps, BackgroundIsAnchoredToTheWindowOrThePage) {
    const ThvBackgroundArea fixed = BackgroundArea(true, 300, 200, 40, 500, 900, 2000);
    EXPECT_EQ(fixed.X, 0);
    EXPECT_EQ(fixed.Y, 0);
    EXPECT_EQ(fixed.Width, 300);
    EXPECT_EQ(fixed.Height, 200);
    const ThvBackgroundArea page = BackgroundArea(false, 300, 200, 40, 500, 900, 2000);
    EXPECT_EQ(page.X, 40);
    EXPECT_EQ(page.Y, 500);
    EXPECT_EQ(page.Width, 900);
    EXPECT_EQ(page.Height, 2000);
    // A short page still covers the whole panel.
    EXPECT_EQ(BackgroundArea(false, 300, 200, 0, 0, 300, 50).Height, 200);
}

TEST(ViewerScrollSteps, WordCharacters) {
    for (char16_t c : std::u16string(u"09AZaz\u00C0\u0416\u0436\u0456\u04D8")) EXPECT_TRUE(IsWordChar(c)) << int(c);
    for (char16_t c : std::u16string(u" -_.,'\"!\u00A0\u00AD\u00BF")) EXPECT_FALSE(IsWordChar(c)) << int(c);
}

}  // namespace
