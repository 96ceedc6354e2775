// The geometry of a viewer's window and the layout driver, against a
// document whose height depends on the width it gets.
#include <gtest/gtest.h>

#include "html/viewer/ViewerFixture.h"

namespace viewertest {
namespace {

struct GeometryCase {
    const char* name;
    TScrollStyle bars;
    bool showV;
    int32_t border;
    int32_t cw, ch;
    ThvGeometry want;
};

// A 200 × 100 viewer with 16-pixel bars.
TEST(ViewerGeometry, BarsAndPaintAreaByStyleOptionBorderAndContent) {
    const GeometryCase cases[] = {
        {"no bars whatever the content", ssNone, false, 0, 900, 900, {0, 200, 100, false, false}},
        {"horizontal only when wider", ssHorizontal, false, 0, 300, 50, {0, 200, 84, true, false}},
        {"horizontal style never shows the vertical", ssHorizontal, false, 0, 150, 500, {0, 200, 100, false, false}},
        {"vertical style never shows the horizontal", ssVertical, false, 0, 300, 500, {0, 184, 100, false, true}},
        {"vertical always shown", ssVertical, true, 0, 10, 10, {0, 184, 100, false, true}},
        {"fits", ssBoth, false, 0, 150, 50, {0, 200, 100, false, false}},
        {"taller", ssBoth, false, 0, 150, 150, {0, 184, 100, false, true}},
        {"just fits", ssBoth, false, 0, 200, 100, {0, 200, 100, false, false}},
        {"taller, and the bar makes it too wide", ssBoth, false, 0, 190, 150, {0, 184, 84, true, true}},
        {"wider: the horizontal bar makes it too tall", ssBoth, false, 0, 250, 90, {0, 184, 84, true, true}},
        {"wider, still low enough", ssBoth, false, 0, 250, 80, {0, 200, 84, true, false}},
        {"vertical always shown, empty", ssBoth, true, 0, 0, 0, {0, 184, 100, false, true}},
        {"border", ssBoth, false, 4, 150, 150, {2, 180, 96, false, true}},
    };
    for (const auto& c : cases) {
        ThvGeometryInput in;
        in.ViewerWidth = 200;
        in.ViewerHeight = 100;
        in.BorderWidth = c.border;
        in.ScrollBars = c.bars;
        in.ShowVScroll = c.showV;
        in.ScrollBarWidth = 16;
        const ThvGeometry g = ViewerGeometry(in, c.cw, c.ch);
        EXPECT_EQ(g, c.want) << c.name << ": offset " << g.Offset << ", " << g.PaintWidth << " x " << g.PaintHeight
                             << ", H " << g.HBar << ", V " << g.VBar;
    }
}

class LayoutDriver : public ::testing::Test {
protected:
    void SetUp() override { ResetVScrollHint(); }
    void TearDown() override { ResetVScrollHint(); }
    // 200 × 100 paint area, 16-pixel bars: the full width is 200, with the bar 184.
    ThvGeometryInput window(bool showV = false, TScrollStyle bars = ssBoth) {
        ThvGeometryInput in;
        in.ViewerWidth = 200;
        in.ViewerHeight = 100;
        in.ScrollBars = bars;
        in.ShowVScroll = showV;
        in.ScrollBarWidth = 16;
        return in;
    }
    // Lays out a document of the given area; answers the widths tried.
    std::vector<int32_t> layOut(int32_t area, bool showV = false, TScrollStyle bars = ssBoth) {
        FakeDocument doc(nullptr, nullptr);
        doc.Area = area;
        TCanvas canvas;
        last = LayOutForWindow(doc, &canvas, window(showV, bars));
        EXPECT_EQ(last.Layouts, int(doc.Widths.size()));
        return doc.Widths;
    }
    ThvLayoutResult last;
};

using W = std::vector<int32_t>;

TEST_F(LayoutDriver, AfterTallDocumentsTheNarrowWidthComesFirst) {
    // The hint starts at 0: documents that needed the bar are expected.
    EXPECT_EQ(layOut(200 * 20), W({184}));  // 440 high, more than twice the window: kept at once
    EXPECT_EQ(last.MaxVertical, 22 * 20);
    EXPECT_EQ(VScrollHint(), 1);
    // At most twice the window: tried without the bar, which it still needs.
    EXPECT_EQ(layOut(200 * 6), W({184, 200, 184}));
    EXPECT_EQ(last.MaxVertical, 7 * 20);
    EXPECT_EQ(VScrollHint(), 2);
    // Needs the bar only at the narrow width: ends at the full width.
    EXPECT_EQ(layOut(200 * 5), W({184, 200}));
    EXPECT_EQ(last.MaxVertical, 100);
    EXPECT_EQ(VScrollHint(), 1);
    // Short: tried without the bar as well.
    EXPECT_EQ(layOut(200), W({184, 200}));
    EXPECT_EQ(VScrollHint(), 0);
}

TEST_F(LayoutDriver, AfterShortDocumentsTheFullWidthComesFirst) {
    layOut(200);
    layOut(200);
    ASSERT_EQ(VScrollHint(), -2);
    EXPECT_EQ(layOut(200), W({200}));
    EXPECT_EQ(VScrollHint(), -3);
    // Taller than the window: laid out again beside the bar.
    EXPECT_EQ(layOut(200 * 10), W({200, 184}));
    EXPECT_EQ(last.MaxVertical, 11 * 20);
    EXPECT_EQ(VScrollHint(), -2);
}

TEST_F(LayoutDriver, DocumentThatFitsOnlyWithoutTheBarIsLaidOutAgainWithoutIt) {
    layOut(200);
    ASSERT_LT(VScrollHint(), 0);
    // 120 high at the full width (bar), but at the narrow width it fits: full width again.
    FakeDocument doc(nullptr, nullptr);
    doc.Height = [](int32_t w) { return w >= 200 ? 120 : 80; };
    TCanvas canvas;
    const ThvLayoutResult r = LayOutForWindow(doc, &canvas, window());
    EXPECT_EQ(doc.Widths, W({200, 184, 200}));
    EXPECT_EQ(r.MaxVertical, 120);
}

TEST_F(LayoutDriver, OneLayoutWhenTheBarIsFixed) {
    // Always shown: the full width already leaves the bar its room.
    EXPECT_EQ(layOut(200 * 20, true), W({184}));
    EXPECT_EQ(layOut(200, true), W({184}));
    // No vertical bar possible: the full width.
    EXPECT_EQ(layOut(200 * 20, false, ssHorizontal), W({200}));
    EXPECT_EQ(layOut(200 * 20, false, ssNone), W({200}));
    EXPECT_EQ(VScrollHint(), 0);
}

TEST_F(LayoutDriver, EmptyDocumentLeavesTheHint) {
    EXPECT_EQ(layOut(0), W({184}));
    EXPECT_EQ(VScrollHint(), 0);
    layOut(200);
    EXPECT_EQ(layOut(0), W({200}));
    EXPECT_EQ(VScrollHint(), -1);
}

TEST_F(LayoutDriver, HintStaysWithinAFewSteps) {
    // However many tall documents came before, a few short ones turn it round.
    for (int i = 0; i < 50; ++i) layOut(200 * 20);
    EXPECT_EQ(VScrollHint(), MaxVScrollHint);
    for (int i = 0; i <= MaxVScrollHint; ++i) EXPECT_EQ(layOut(200), W({184, 200}));
    EXPECT_EQ(layOut(200), W({200}));
    for (int i = 0; i < 50; ++i) layOut(200);
    EXPECT_EQ(VScrollHint(), -MaxVScrollHint);
    ResetVScrollHint();
    EXPECT_EQ(VScrollHint(), 0);
}

}  // namespace
}  // namespace viewertest
