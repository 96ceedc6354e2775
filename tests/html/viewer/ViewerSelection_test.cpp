// The selection, the caret and find on a real page, and the conversions
// between points, display positions and source positions.
#include <gtest/gtest.h>

#include "html/text/Fonts.h"
#include "html/viewer/ViewerInput.h"

namespace viewertest {
namespace {

using ViewerSelection = RealViewerTest;

TEST_F(ViewerSelection, StartLengthAndText) {
    THtmlViewer* v = showPage(u"<p>0123456789abcdefghij</p>");
    v->SetSelStart(10);
    EXPECT_EQ(v->SelStart(), 10);
    EXPECT_EQ(v->SelLength(), 0);
    EXPECT_EQ(v->SelText(), u"");
    v->SetSelLength(-3);
    EXPECT_EQ(v->SectionList()->SelB, 7);
    EXPECT_EQ(v->SectionList()->SelE, 10);
    EXPECT_EQ(v->SelLength(), -3);
    EXPECT_EQ(v->SelText(), u"789");
    v->SetSelLength(4);
    EXPECT_EQ(v->SelLength(), 4);
    EXPECT_EQ(v->SelText(), u"abcd");
    char16_t buffer[3] = {u'x', u'x', u'x'};
    EXPECT_EQ(v->GetSelTextBuf(buffer, 0), 0);
    EXPECT_EQ(buffer[0], u'x');
    v->GetSelTextBuf(buffer, 3);
    EXPECT_EQ(std::u16string(buffer), u"ab");
    // A selection cannot begin before the document.
    v->SetSelStart(2);
    v->SetSelLength(-5);
    EXPECT_EQ(v->SectionList()->SelB, 0);
    v->SetCaretPos(-4);
    EXPECT_EQ(v->CaretPos(), 2);

    v->SelectAll();
    EXPECT_EQ(v->SelText(), u"0123456789abcdefghij");
    EXPECT_EQ(v->CaretPos(), 2);
    v->SetNoSelect(true);
    v->SelectAll();
    EXPECT_EQ(v->SelText(), u"");
}

TEST_F(ViewerSelection, FindGoesOnFromTheLastMatch) {
    THtmlViewer* v = showPage(u"<p>Alpha beta ALPHA gamma alpha</p>");
    struct Step {
        std::u16string what;
        bool matchCase, reverse, found;
        int32_t at;
    } steps[] = {
        {u"alpha", false, false, true, 0},   {u"alpha", false, false, true, 11}, {u"alpha", false, false, true, 23},
        {u"alpha", false, false, false, 23}, {u"ALPHA", true, true, true, 11},   {u"Alpha", true, true, true, 0},
        {u"", false, false, false, 0},       {u"delta", false, false, false, 0},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(std::string(s.what.begin(), s.what.end()));
        EXPECT_EQ(v->FindEx(s.what, s.matchCase, s.reverse), s.found);
        if (!s.found) continue;
        EXPECT_EQ(v->SectionList()->SelB, s.at);
        EXPECT_EQ(v->SectionList()->SelE, s.at + int32_t(s.what.size()));
        EXPECT_EQ(v->CaretPos(), s.reverse ? s.at : s.at + int32_t(s.what.size()));
    }
}

TEST_F(ViewerSelection, FindScrollsTheMatchIntoView) {
    std::u16string html;
    for (int i = 0; i < 60; ++i) html += u"<p>filler line</p>";
    html += u"<p>needle</p>";
    for (int i = 0; i < 20; ++i) html += u"<p>filler line</p>";
    THtmlViewer* v = showPage(html, 300, 200);
    ASSERT_TRUE(v->Find(u"needle", true));
    int x = 0, y = 0;
    ASSERT_TRUE(v->DisplayPosToXy(v->SectionList()->SelB, x, y));
    const int32_t top = v->VScrollBarPosition();
    EXPECT_GT(top, 0);
    EXPECT_GE(y, top);
    EXPECT_LE(y, top + v->PaintPanel()->ClientHeight() - 20);
    // Back to the top for a match there.
    v->SetSelStart(0);
    ASSERT_TRUE(v->Find(u"filler", true));
    EXPECT_EQ(v->VScrollBarPosition(), 0);
}

TEST_F(ViewerSelection, PointsCharactersAndSourcePositions) {
    const std::u16string source = u"<p>Hello <b>bold</b> world</p>";
    THtmlViewer* v = showPage(source);
    const int32_t bold = posOf(v, u"bold");
    char16_t ch = 0;
    TFontObj* font = nullptr;
    ASSERT_TRUE(v->GetCharAtPos(bold, ch, font));
    EXPECT_EQ(ch, u'b');
    ASSERT_NE(font, nullptr);
    EXPECT_TRUE(font->TheFont->Style() & fsSet(fsBold));
    EXPECT_FALSE(v->GetCharAtPos(10000, ch, font));

    EXPECT_EQ(v->XYToDisplayPos(charPoint(v, bold).x(), charPoint(v, bold).y()), bold);
    EXPECT_EQ(v->XYToDisplayPos(300, 180), -1);  // below the text

    // The loaded text is UTF-16: a source position counts two bytes a character.
    const int32_t src = v->FindSourcePos(bold);
    EXPECT_EQ(src, int32_t(source.find(u"bold")) * 2);
    EXPECT_EQ(v->FindDisplayPos(src, false), bold);
    EXPECT_EQ(v->GetTextByIndices(int32_t(source.find(u"bold")) * 2, int32_t(source.find(u"</b>")) * 2), u"bold");
    EXPECT_EQ(v->GetTextByIndices(10, 4), u"");
    EXPECT_EQ(v->GetTextByIndices(-1, 4), u"");
}

}  // namespace
}  // namespace viewertest
