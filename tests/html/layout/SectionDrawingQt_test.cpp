// A selected word painted by the Qt backend with DejaVu Sans: its inverted
// colours cover exactly the pixels where the word was measured.
#include <gtest/gtest.h>

#include "SectionFixture.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/text/Fonts.h"

// The Qt application (Forms.h cannot be included beside the style types).
void EnsureApplication();

namespace {

using namespace modeltest;
using namespace sectiontest;

TEST(SectionDrawingQt, SelectedWordIsInvertedWhereItWasMeasured) {
    EnsureApplication();
    GlobalFontCache().Clear();
    ASSERT_FALSE(FindInstalledFont(u"DejaVu Sans").empty()) << "fonts-dejavu-core is needed";
    ThtDocument doc(nullptr, nullptr);
    auto p = textProps(12);
    p->Props[FontFamily] = std::u16string(u"DejaVu Sans");
    TSection s(&doc, nullptr, p.get(), nullptr, false);
    addText(s, u"Hello wonderful world", 0);
    s.ProcessText(1000);

    TBitmap page(400, 60);
    TCanvas* canvas = page.Canvas();
    canvas->Brush()->SetColor(clWhite);
    canvas->Brush()->SetStyle(bsSolid);
    canvas->FillRect(TRect{0, 0, 400, 60});
    TIndentManager im;
    im.Init(0, 400);
    im.CurrentID = &im;
    im.SetLeftIndent(0, 0);
    im.SetRightIndent(400, 0);
    int32_t maxWidth = 0, curs = 0;
    s.DrawLogic1(canvas, 0, 0, 0, 0, 400, 0, 0, &im, maxWidth, curs);
    ASSERT_EQ(s.Lines.Count(), 1);
    doc.SelB = 6;  // "wonderful"
    doc.SelE = 15;
    s.Draw1(canvas, TRect{0, 0, 400, 60}, &im, 10, 0, 0);

    int32_t x1 = 0, x2 = 0, y = 0;
    ASSERT_TRUE(s.CursorToXY(canvas, 6, x1, y));
    ASSERT_TRUE(s.CursorToXY(canvas, 15, x2, y));
    ASSERT_GT(x1, 10);
    ASSERT_GT(x2, x1 + 40);
    const ThtLineRec* line = s.Lines.Items(0);
    const int32_t baseline = line->SpaceBefore + line->LineHt - line->Descent;
    s.Fonts.GetFont(0)->TheFont->AssignToCanvas(canvas);
    const int32_t ascent = canvas->Handle()->GetTextMetrics().Ascent;
    // A row at the top of the text cell, above the letters.
    const int row = baseline - ascent + 1;
    auto rgb = [&](int x, int yy) { return int32_t(canvas->Pixel(x, yy)) & 0xFFFFFF; };
    EXPECT_EQ(rgb(x1, row), 0x000000);
    EXPECT_EQ(rgb(x2 - 1, row), 0x000000);
    EXPECT_EQ(rgb(x1 - 1, row), 0xFFFFFF);
    EXPECT_EQ(rgb(x2, row), 0xFFFFFF);
    // The letters of the selected word show light on black; those before it
    // dark on white (their edges are smoothed).
    auto light = [&](int x, int yy) {
        const int32_t c = rgb(x, yy);
        return (c & 0xFF) >= 0xC0 && ((c >> 8) & 0xFF) >= 0xC0 && ((c >> 16) & 0xFF) >= 0xC0;
    };
    int lightInside = 0, darkBefore = 0;
    for (int yy = baseline - ascent / 2; yy < baseline; ++yy) {
        for (int x = x1; x < x2; ++x) lightInside += light(x, yy);
        for (int x = 10; x < x1; ++x) darkBefore += !light(x, yy);
    }
    const int rows = ascent / 2;
    EXPECT_GT(lightInside, 40);
    EXPECT_LT(lightInside, (x2 - x1) * rows / 2);  // mostly the black of the selection
    EXPECT_GT(darkBefore, 40);
    EXPECT_LT(darkBefore, (x1 - 10) * rows / 2);
    GlobalFontCache().Clear();
}

}  // namespace
