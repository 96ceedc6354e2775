// Text sections measured and broken into lines on the recording canvas
// (fixed metrics: in the 12-point font "a" is 8 wide, a space 4, "m", "-"
// and CJK characters 16 and 8 and 16, a line 20 high with a descent of 4):
// where lines break, lines beside floats and spacer lines, line heights,
// vertical alignment, justification, minimum and maximum widths, and the
// caches of widths and fit counts.
#include <gtest/gtest.h>

#include <stdexcept>

#include "SectionFixture.h"
#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Sections.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlText.h"
#include "platform/framework/RecordingDC.h"

namespace {

using namespace modeltest;
using namespace sectiontest;

struct A {
    TAttrSymb sym;
    const char16_t* value;
    double number;
};

class SectionLayoutTest : public RecordingScreenTest {
protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        canvas.SetDevice(&dc);
    }
    void TearDown() override {
        canvas.SetDevice(nullptr);
        RecordingScreenTest::TearDown();
    }

    std::unique_ptr<TSection> section(std::u16string_view Text, ThtWhiteSpaceStyle Ws = wsNormal,
                                      TProperties* P = nullptr) {
        auto s = std::make_unique<TSection>(doc.get(), nullptr, P ? P : prop.get(), nullptr, false);
        s->WhiteSpaceStyle = Ws;
        addText(*s, Text, 0);
        s->ProcessText(1000);
        return s;
    }
    // An image of a fixed size at the end of the section's text.
    TImageObj* addImage(TSection& S, int32_t W, int32_t H, std::initializer_list<A> More = {}) {
        TAttributeList l;
        l.Add(attr(WidthSy, u"WIDTH", u"", W));
        l.Add(attr(HeightSy, u"HEIGHT", u"", H));
        for (const A& a : More) l.Add(attr(a.sym, u"X", a.value, a.number));
        return S.AddImage(&l, doc.get(), S.Len, prop.get());
    }
    // The float manager of a block of that width: its own edges, no floats.
    void block(int32_t Width) {
        im.Init(0, Width);
        im.CurrentID = &im;
        im.SetLeftIndent(0, 0);
        im.SetRightIndent(Width, 0);
    }
    int32_t layout(TSection& S, int32_t Width, int32_t Y = 0) {
        block(Width);
        int32_t curs = 0;
        return S.DrawLogic1(&canvas, 0, Y, 0, Y, Width, 0, 0, &im, maxWidth, curs);
    }
    // The lines as text (#2, #4, #8 for the placeholders; ^h for a spacer line of height h).
    static std::vector<std::string> lines(const TSection& S) {
        std::vector<std::string> out;
        for (int i = 0; i < S.Lines.Count(); ++i) {
            const ThtLineRec* l = S.Lines.Items(i);
            if (l->Ln == 0) {
                out.push_back("^" + std::to_string(l->LineHt));
                continue;
            }
            std::string text;
            for (char16_t c : S.BuffS.substr(size_t(l->Start), size_t(l->Ln))) {
                if (c == FmCtl || c == ImgPan || c == BrkCh) text += "#" + std::to_string(int(c));
                else text += htmltext::toUtf8(std::u16string(1, c));
            }
            out.push_back(text);
        }
        return out;
    }

    std::unique_ptr<ThtDocument> doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    std::unique_ptr<TProperties> prop = textProps();
    TRecordingDC dc{1000, 1000};
    TCanvas canvas;
    TIndentManager im;
    int32_t maxWidth = 0;
};

TEST_F(SectionLayoutTest, WhereLinesBreak) {
    struct Case {
        std::u16string text;
        bool breakWord;
        int32_t width;
        std::vector<std::string> lines;
        int32_t maxWidth;
    } cases[] = {
        {u"aaaa bbbb cccc", false, 80, {"aaaa bbbb ", "cccc "}, 80},
        // "-" glues to the half before it; the break comes after it.
        {u"aaaa-bbbb", false, 48, {"aaaa-", "bbbb "}, 48},
        // A soft hyphen breaks when the drawn hyphen fits too ...
        {u"aa bb\u00ADcc", false, 44, {"aa bb", "cc "}, 44},
        // ... else the word goes to the next line whole.
        {u"aa bb\u00ADcc", false, 40, {"aa ", "bbcc "}, 40},
        {u"\u4E00\u4E01\u4E02\u4E03", false, 40, {"\u4E00\u4E01", "\u4E02\u4E03 "}, 40},
        // A word longer than the line: cut with break-word, else whole and wider.
        {u"aaaaaaaaaa", true, 40, {"aaaaa", "aaaaa "}, 40},
        {u"aaaaaaaaaa", false, 40, {"aaaaaaaaaa "}, 80},
        {u"\b", false, 40, {"#8"}, 40},
        {u"\bab", false, 40, {"#8", "ab "}, 40},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(htmltext::toUtf8(c.text) + " in " + std::to_string(c.width));
        auto s = section(c.text);
        s->BreakWord = c.breakWord;
        const int32_t height = layout(*s, c.width);
        EXPECT_EQ(lines(*s), c.lines);
        EXPECT_EQ(maxWidth, c.maxWidth);
        EXPECT_EQ(height, 20 * int32_t(c.lines.size()));
        EXPECT_EQ(s->SectionHeight, height);
    }
    auto shy = section(u"aa bb\u00ADcc");
    layout(*shy, 44);
    EXPECT_TRUE(shy->Lines.Items(0)->Shy);
    EXPECT_EQ(shy->TextWidth, 44);  // "aa bb" and its hyphen
}

TEST_F(SectionLayoutTest, LinesBesideFloats) {
    struct Case {
        const char16_t* align;
        int32_t floatWidth;
        std::u16string text;
        std::vector<std::string> lines;
        std::vector<int32_t> indents;
        int32_t floatIndent;
    } cases[] = {
        {u"left", 30, u"aaaa bbbb cccc dddd eeee ffff", {"#4aaaa bbbb ", "cccc dddd ", "eeee ffff "}, {30, 30, 0}, 0},
        {u"right", 30, u"aaaa bbbb cccc dddd eeee ffff", {"#4aaaa bbbb ", "cccc dddd ", "eeee ffff "}, {0, 0, 0}, 70},
        // Not one character fits beside the float: a spacer line goes down past it.
        {u"left", 95, u"aaaa bbbb", {"#4", "^40", "aaaa bbbb "}, {95, 0, 0}, 0},
        // A word too long beside the float goes below it rather than overflow.
        {u"left", 30, u"aaaaaaaaaa", {"#4", "^40", "aaaaaaaaaa "}, {30, 0, 0}, 0},
        {u"right", 30, u"aaaaaaaaaa", {"#4", "^40", "aaaaaaaaaa "}, {0, 0, 0}, 70},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto s = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
        TImageObj* f = addImage(*s, c.floatWidth, 40, {{AlignSy, c.align, 0}});
        addText(*s, c.text, 1);
        s->ProcessText(1000);
        layout(*s, 100);
        EXPECT_EQ(lines(*s), c.lines);
        std::vector<int32_t> indents;
        for (int i = 0; i < s->Lines.Count(); ++i) indents.push_back(s->Lines.Items(i)->LineIndent);
        EXPECT_EQ(indents, c.indents);
        EXPECT_EQ(f->Indent, c.floatIndent);
        EXPECT_EQ(f->DrawYY, 0);
        EXPECT_EQ(s->SectionHeight, 60);
    }
    // A float in the middle of a line moves the whole line beside it; the
    // section draws down to the float's bottom.
    auto mid = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
    addText(*mid, u"aa ", 0);
    addImage(*mid, 30, 40, {{AlignSy, u"left", 0}});
    addText(*mid, u"bb", 4);
    mid->ProcessText(1000);
    layout(*mid, 100);
    EXPECT_EQ(lines(*mid), std::vector<std::string>({"aa #4bb "}));
    EXPECT_EQ(mid->Lines.Items(0)->LineIndent, 30);
    EXPECT_EQ(mid->SectionHeight, 20);
    EXPECT_EQ(mid->DrawHeight, 40);
    EXPECT_EQ(mid->ContentBot, 20);
    EXPECT_EQ(mid->DrawBot, 40);
}

TEST_F(SectionLayoutTest, ClearanceAndEmptySections) {
    TAttributeList clear;
    clear.Add(attr(ClearSy, u"CLEAR", u"left"));
    auto cleared = std::make_unique<TSection>(doc.get(), &clear, prop.get(), nullptr, false);
    addText(*cleared, u"aaaa", 0);
    cleared->ProcessText(10);
    block(100);
    im.AddLeft(0, 50, 30);
    int32_t curs = 0;
    EXPECT_EQ(cleared->DrawLogic1(&canvas, 0, 0, 0, 0, 100, 0, 0, &im, maxWidth, curs), 70);
    EXPECT_EQ(lines(*cleared), std::vector<std::string>({"^50", "aaaa "}));
    EXPECT_EQ(cleared->Lines.Items(1)->LineIndent, 0);

    // An empty normal section takes only its clearance; an empty
    // preformatted one the height of its font.
    auto empty = std::make_unique<TSection>(doc.get(), &clear, prop.get(), nullptr, false);
    empty->ProcessText(10);
    ASSERT_EQ(empty->Len, 0);
    curs = 7;
    EXPECT_EQ(empty->DrawLogic1(&canvas, 5, 0, 0, 0, 100, 0, 0, &im, maxWidth, curs), 50);
    EXPECT_EQ(empty->Lines.Count(), 0);
    EXPECT_EQ(curs, 7);
    EXPECT_EQ(empty->DrawRect.Width(), 0);
    auto plain = section(u"   ");
    EXPECT_EQ(layout(*plain, 100), 0);

    TPreFormated pre(doc.get(), nullptr, prop.get(), nullptr, false);
    EXPECT_EQ(layout(pre, 100), 20);
    EXPECT_EQ(pre.Lines.Count(), 0);
    EXPECT_EQ(pre.DrawBot, 20);
}

TEST_F(SectionLayoutTest, LineHeightSplitsTheDifference) {
    struct Case {
        const char16_t* lineHeight;
        int32_t before, after, total;  // of each of the two lines
    } cases[] = {
        {u"27px", 7, 0, 27},
        {u"15px", -2, -3, 15},  // -5 halves toward zero: -2 above, -3 below
        {u"20px", 0, 0, 20},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(htmltext::toUtf8(c.lineHeight));
        auto p = textProps();
        p->Props[LineHeight] = std::u16string(c.lineHeight);
        auto s = section(u"aaaa bbbb", wsNormal, p.get());
        EXPECT_EQ(layout(*s, 40), 2 * c.total);
        ASSERT_EQ(s->Lines.Count(), 2);
        for (int i = 0; i < 2; ++i) {
            EXPECT_EQ(s->Lines.Items(i)->SpaceBefore, c.before);
            EXPECT_EQ(s->Lines.Items(i)->SpaceAfter, c.after);
            EXPECT_EQ(s->Lines.Items(i)->LineHt, 20);
        }
    }
}

TEST_F(SectionLayoutTest, VerticalAlignmentOfInlineImages) {
    struct Case {
        std::initializer_list<A> attrs;
        int32_t before, after, height;
    } cases[] = {
        {{}, 14, 0, 34},                        // on the baseline: 30 + descent 4 - 20 above
        {{{AlignSy, u"top", 0}}, 0, 10, 30},    // 30 - 20 below
        {{{AlignSy, u"middle", 0}}, 5, 5, 30},  // the rest split about the middle
        {{{AlignSy, u"top", 0}, {VSpaceSy, u"5", 5}}, 0, 15, 35},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto s = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
        addText(*s, u"ab", 0);
        TImageObj* img = addImage(*s, 10, 30, c.attrs);
        addText(*s, u"cd", 3);
        s->ProcessText(1000);
        EXPECT_EQ(layout(*s, 200, 100), c.height);
        const ThtLineRec* line = s->Lines.Items(0);
        EXPECT_EQ(line->SpaceBefore, c.before);
        EXPECT_EQ(line->SpaceAfter, c.after);
        EXPECT_EQ(line->LineImgHt, c.height);
        EXPECT_EQ(img->DrawYY, 100);
    }
}

TEST_F(SectionLayoutTest, JustificationOfLines) {
    struct Case {
        const char16_t* align;
        std::u16string text;
        int32_t width;
        std::vector<int32_t> indents, extras, spaces;
    } cases[] = {
        {u"left", u"aaaa", 100, {0}, {0}, {0}},
        {u"right", u"aaaa", 100, {68}, {0}, {0}},
        {u"center", u"aaaa", 100, {34}, {0}, {0}},
        {u"justify", u"aaaa bbbb cccc", 80, {0, 0}, {12, 0}, {1, 0}},  // the last line is not spread
        {u"justify", u"aa\u00A0aa bb cccc", 80, {0, 0}, {24, 0}, {2, 0}},
        // A line too long for its room starts at the left, unspread.
        {u"right", u"aaaaaaaaaaaaaaa", 100, {0}, {0}, {0}},
        {u"center", u"aaaaaaaaaaaaaaa", 100, {0}, {0}, {0}},
        {u"justify", u"aaaaaaaaaaaa bb", 80, {0, 0}, {0, 0}, {0, 0}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(htmltext::toUtf8(c.align) + " " + htmltext::toUtf8(c.text));
        auto p = textProps();
        p->Props[TextAlign] = std::u16string(c.align);
        auto s = std::make_unique<TSection>(doc.get(), nullptr, p.get(), nullptr, false);
        addText(*s, c.text, 0);
        s->ProcessText(1000);
        layout(*s, c.width);
        std::vector<int32_t> indents, extras, spaces;
        for (int i = 0; i < s->Lines.Count(); ++i) {
            indents.push_back(s->Lines.Items(i)->LineIndent);
            extras.push_back(s->Lines.Items(i)->Extra);
            spaces.push_back(s->Lines.Items(i)->Spaces);
        }
        EXPECT_EQ(indents, c.indents);
        EXPECT_EQ(extras, c.extras);
        EXPECT_EQ(spaces, c.spaces);
    }
}

TEST_F(SectionLayoutTest, MinimumAndMaximumWidths) {
    struct Case {
        std::u16string text;
        ThtWhiteSpaceStyle ws;
        bool breakWord;
        const char16_t* indent;
        int32_t min, max;
    } cases[] = {
        {u"aaaa bbbbbb-cc", wsNormal, false, nullptr, 56, 108},  // "bbbbbb-" holds together
        {u"ab\bcdeg", wsNormal, false, nullptr, 32, 32},         // the widest piece between breaks
        {u"aaaaa\u00ADbb", wsNormal, false, nullptr, 48, 56},    // "aaaaa" with its hyphen
        {u"aaaa mmmm", wsNormal, true, nullptr, 16, 100},        // break-word: the widest character
        {u"aaaa bbbb", wsNoWrap, false, nullptr, 68, 68},
        {u"ab  cd", wsPre, false, nullptr, 40, 40},
        {u"aaaa bb", wsNormal, false, u"10px", 32, 62},
        {u"aaaa bb", wsNormal, false, u"50%", 32, 104},  // the line is half the width
        {u"", wsNormal, false, nullptr, 0, 0},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(htmltext::toUtf8(c.text));
        auto p = textProps();
        if (c.indent) p->Props[TextIndent] = std::u16string(c.indent);
        auto s = std::make_unique<TSection>(doc.get(), nullptr, p.get(), nullptr, true);
        s->WhiteSpaceStyle = c.ws;
        s->BreakWord = c.breakWord;
        addText(*s, c.text, 0);
        s->ProcessText(1000);
        int32_t min = -1, max = -1;
        s->MinMaxWidth(&canvas, min, max);
        EXPECT_EQ(min, c.min);
        EXPECT_EQ(max, c.max);
    }
    // A float adds its width to the maximum and is a minimum of its own.
    auto s = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
    addImage(*s, 40, 40, {{AlignSy, u"left", 0}});
    addText(*s, u"aaaa", 1);
    s->ProcessText(1000);
    int32_t min = 0, max = 0;
    s->MinMaxWidth(&canvas, min, max);
    EXPECT_EQ(min, 40);
    EXPECT_EQ(max, 72);
}

TEST_F(SectionLayoutTest, StoredWidthsAndFitCountsFollowTheLayout) {
    auto s = section(u"aaaa");
    int32_t min = 0, max = 0;
    s->MinMaxWidth(&canvas, min, max);
    EXPECT_EQ(std::make_pair(min, max), std::make_pair(32, 32));
    EXPECT_EQ(s->FindCountThatFits(&canvas, 20, 0, 100), 2);
    auto big = textProps(24);  // "a" 16 wide
    s->Fonts.GetFont(0)->ReplaceFont(big->GetFont());
    // Within one layout cycle both caches answer as before ...
    s->MinMaxWidth(&canvas, min, max);
    EXPECT_EQ(max, 32);
    EXPECT_EQ(s->FindCountThatFits(&canvas, 20, 0, 100), 2);
    // ... a smaller maximum never gets the larger answer ...
    EXPECT_EQ(s->FindCountThatFits(&canvas, 1000, 0, 10), 5);
    EXPECT_EQ(s->FindCountThatFits(&canvas, 1000, 0, 3), 3);
    // ... and a new layout measures again (the new font, another scale).
    ++doc->CycleNumber;
    s->MinMaxWidth(&canvas, min, max);
    EXPECT_EQ(std::make_pair(min, max), std::make_pair(64, 64));
    layout(*s, 100);
    EXPECT_EQ(s->FindCountThatFits(&canvas, 20, 0, 100), 1);
}

TEST_F(SectionLayoutTest, LetterSpacingCountsInTheWorstCase) {
    auto p = textProps();
    p->Props[LetterSpacing] = std::u16string(u"10px");
    // "m" is 26 wide and a space 14: "m m" needs 66, though four characters
    // of the font's widest are only 64.
    auto s = section(u"m m", wsNormal, p.get());
    layout(*s, 64);
    EXPECT_EQ(lines(*s), std::vector<std::string>({"m ", "m "}));
}

TEST_F(SectionLayoutTest, MeasuringWithOverhangAndFloats) {
    auto italic = textProps();
    italic->Props[FontStyle] = std::u16string(u"italic");
    auto s = std::make_unique<TSection>(doc.get(), nullptr, italic.get(), nullptr, false);
    addText(*s, u"aaaa", 0);
    addImage(*s, 30, 40, {{AlignSy, u"left", 0}});  // a float takes no room in the text
    addImage(*s, 10, 25);                           // an inline picture does
    s->ProcessText(1000);
    for (int i = 0; i < s->Images.Count(); ++i) s->Images.Items(i)->DrawLogicInline(&canvas, nullptr, 100, 100);
    ASSERT_EQ(s->Fonts.GetFont(0)->Overhang, 2);  // a tenth of the 20-pixel font
    TSize size;
    s->FindTextSize(&canvas, 0, 6, false, size);
    EXPECT_EQ(size.cx, 32 + 2 + 10);
    EXPECT_EQ(size.cy, 25);
    EXPECT_EQ(s->FindTextWidthA(&canvas, 0, 6), 32 - 2 + 10);
    s->FindTextSize(&canvas, 0, s->Len, true, size);  // without the closing space
    EXPECT_EQ(size.cx, 44);
}

TEST_F(SectionLayoutTest, LinesKnowWhenTheDocumentHasInlineBoxes) {
    auto s = section(u"aaaa");
    layout(*s, 100);
    EXPECT_FALSE(s->Lines.Items(0)->FirstDraw);
    doc->InlineList->Add(new ThtInThtLineRec);
    layout(*s, 100);
    EXPECT_TRUE(s->Lines.Items(0)->FirstDraw);
}

// An object whose sizing fails.
class FailingObj : public TSizeableObj {
public:
    explicit FailingObj(TCellBasic* Parent) : TSizeableObj(Parent) {}
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic*) const override { return nullptr; }
    void DrawLogicInline(TCanvas*, TFontObj*, int32_t, int32_t) override { throw std::runtime_error("no size"); }
};

TEST_F(SectionLayoutTest, PreformattedLinesRunAsWideAsTheyAre) {
    auto p = textProps();
    p->Props[TextAlign] = std::u16string(u"right");
    TPreFormated pre(doc.get(), nullptr, p.get(), nullptr, false);
    addText(pre, u"aaaa bbbb cccc", 0);
    pre.ProcessText(100);
    EXPECT_EQ(layout(pre, 40), 20);
    EXPECT_EQ(lines(pre), std::vector<std::string>({"aaaa bbbb cccc "}));
    EXPECT_EQ(maxWidth, 104);
    EXPECT_EQ(pre.DrawRect.Width(), 104);
    EXPECT_EQ(im.Width, 40);  // the manager's width comes back
    // Also when the layout fails on the way.
    pre.Images.Add(std::make_unique<FailingObj>(doc.get()));
    EXPECT_THROW(layout(pre, 40), std::runtime_error);
    EXPECT_EQ(im.Width, 40);
}

TEST_F(SectionLayoutTest, FirstBaselineAndProgress) {
    FakeOwner owner;
    doc->TheOwner = &owner;
    int32_t baseline = 0;
    doc->FirstLineHtPtr = &baseline;
    auto s = section(u"aaaa bbbb");
    layout(*s, 40, 10);
    EXPECT_EQ(baseline, 26);  // 10 + 20 - 4, from the first line only
    layout(*s, 40, 100);
    EXPECT_EQ(baseline, 26);
    doc->FirstLineHtPtr = nullptr;

    // Every 50th section reports once per layout cycle.
    doc->ProgressStart = 20;
    doc->SectionCount = 100;
    s->SectionNumber = 50;
    ++doc->CycleNumber;
    layout(*s, 40);
    layout(*s, 40);
    EXPECT_EQ(owner.progress, std::vector<int32_t>({60}));  // 20 + 50 × 80 / 100
    ++doc->CycleNumber;
    layout(*s, 40);
    EXPECT_EQ(owner.progress.size(), 2u);
    s->SectionNumber = 49;
    ++doc->CycleNumber;
    layout(*s, 40);
    EXPECT_EQ(owner.progress.size(), 2u);
    doc->TheOwner = nullptr;
}

}  // namespace
