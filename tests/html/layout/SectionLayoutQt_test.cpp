// Line breaking against the real text measuring of the Qt backend with
// DejaVu Sans: every line of a paragraph stays within the width it was
// broken at, and the lines together are the paragraph.
#include <gtest/gtest.h>

#include "SectionFixture.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlText.h"

// The Qt application (Forms.h cannot be included beside the style types:
// both name an enumerator wsNormal).
void EnsureApplication();

namespace {

using namespace modeltest;
using namespace sectiontest;

TEST(SectionLayoutQt, ParagraphBrokenWithinItsWidth) {
    EnsureApplication();
    GlobalFontCache().Clear();
    ASSERT_FALSE(FindInstalledFont(u"DejaVu Sans").empty()) << "fonts-dejavu-core is needed";
    ThtDocument doc(nullptr, nullptr);
    auto p = textProps(12);
    p->Props[FontFamily] = std::u16string(u"DejaVu Sans");
    TSection s(&doc, nullptr, p.get(), nullptr, false);
    addText(s,
            u"The quick brown fox jumps over the lazy dog; pack my box with five dozen liquor jugs. "
            u"Съешь же ещё этих мягких французских булок, да выпей чаю. Sphinx of black quartz, "
            u"judge my vow: well-known, self-evident, state-of-the-art ideas/answers? Yes.",
            0);
    s.ProcessText(1000);
    TBitmap page(600, 400);
    TCanvas* canvas = page.Canvas();
    for (int32_t width : {130, 200, 333, 480}) {
        SCOPED_TRACE(width);
        TIndentManager im;
        im.Init(0, width);
        im.CurrentID = &im;
        im.SetLeftIndent(0, 0);
        im.SetRightIndent(width, 0);
        int32_t maxWidth = 0, curs = 0;
        s.DrawLogic1(canvas, 0, 0, 0, 0, width, 0, 0, &im, maxWidth, curs);
        ASSERT_GT(s.Lines.Count(), 1);
        std::u16string joined;
        for (int i = 0; i < s.Lines.Count(); ++i) {
            const ThtLineRec* line = s.Lines.Items(i);
            const std::u16string text = s.BuffS.substr(size_t(line->Start), size_t(line->Ln));
            joined += text;
            // Measured on its own, without the spaces that end it.
            size_t n = text.size();
            while (n > 0 && text[n - 1] == u' ') --n;
            s.Fonts.GetFont(0)->TheFont->AssignToCanvas(canvas);
            const int32_t w = canvas->TextWidthW(std::u16string_view(text).substr(0, n));
            EXPECT_LE(line->LineIndent + w, width) << htmltext::toUtf8(text);
        }
        EXPECT_EQ(joined, s.BuffS);
        EXPECT_EQ(maxWidth, width);  // no word was too long
        EXPECT_EQ(curs, s.Len);
    }
    GlobalFontCache().Clear();
}

}  // namespace
