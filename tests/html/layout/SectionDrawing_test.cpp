// Text sections drawn on the recording canvas (fixed metrics: in the
// 12-point font "a" and "-" are 8 wide, a space 4, a line 20 high with a
// descent of 4, so the first line's baseline is at 16): culling, chunks at
// selection edges and their colours, justification, soft hyphens, print
// page breaks and print colours, inline boxes measured without output, the
// dummy caret and link marks.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "SectionFixture.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Sections.h"
#include "html/text/Fonts.h"
#include "html/text/HtmlText.h"
#include "platform/framework/RecordingDC.h"

namespace {

using namespace modeltest;
using namespace sectiontest;

// One text output as it reached the surface, with the colours in force.
struct Output {
    int x = 0;
    int baseline = 0;
    std::string text;
    TColor textColour = 0;
    TColor bkColour = 0;
    bool opaque = false;
    bool clipped = false;
};

std::vector<Output> outputs(const TRecordingDC& dc) {
    std::vector<Output> out;
    TColor text = 0, bk = 0;
    for (const std::string& l : dc.Log()) {
        if (l.rfind("SetTextColor ", 0) == 0) text = TColor(std::stoll(l.substr(13)));
        else if (l.rfind("SetBkColor ", 0) == 0) bk = TColor(std::stoll(l.substr(11)));
        else if (l.rfind("=text ", 0) == 0) {
            Output o;
            size_t pos = 6;
            o.x = std::stoi(l.substr(pos), &pos);
            pos += 6;
            o.baseline = std::stoi(l.substr(pos));
            o.text = l.substr(l.find('"') + 1);
            o.text.pop_back();
            o.textColour = text;
            o.bkColour = bk;
            o.opaque = l.find(" opaque ") != std::string::npos;
            o.clipped = l.find(" clip ") != std::string::npos;
            out.push_back(o);
        }
    }
    return out;
}

std::vector<std::string> texts(const std::vector<Output>& Out) {
    std::vector<std::string> t;
    for (const Output& o : Out) t.push_back(o.text + "@" + std::to_string(o.x));
    return t;
}

class SectionDrawingTest : public RecordingScreenTest {
protected:
    void SetUp() override {
        RecordingScreenTest::SetUp();
        canvas.SetDevice(dc.get());
    }
    void TearDown() override {
        canvas.SetDevice(nullptr);
        RecordingScreenTest::TearDown();
    }
    std::unique_ptr<TSection> section(std::u16string_view Text, ThtJustify Justify = ThtJustify::Left) {
        auto s = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
        addText(*s, Text, 0);
        s->ProcessText(1000);
        s->Justify = Justify;
        return s;
    }
    void layout(TSection& S, int32_t Width, int32_t Y = 0, int32_t Curs = 0) {
        im.Init(0, Width);
        im.CurrentID = &im;
        im.SetLeftIndent(0, 0);
        im.SetRightIndent(Width, 0);
        im.ClipWidth = Width;
        int32_t maxWidth = 0;
        S.DrawLogic1(&canvas, 0, Y, 0, Y, Width, 0, 0, &im, maxWidth, Curs);
    }
    std::vector<Output> draw(TSection& S, TRect Clip = TRect{0, 0, 1000, 1000}) {
        dc->ClearLog();
        S.Draw1(&canvas, Clip, &im, 0, 0, 0);
        return outputs(*dc);
    }
    void useDevice(const TDeviceCaps& Caps) {
        canvas.SetDevice(nullptr);
        dc = std::make_unique<TRecordingDC>(1000, 1000, Caps);
        canvas.SetDevice(dc.get());
    }

    std::unique_ptr<ThtDocument> doc = std::make_unique<ThtDocument>(nullptr, nullptr);
    std::unique_ptr<TProperties> prop = textProps();
    std::unique_ptr<TRecordingDC> dc = std::make_unique<TRecordingDC>(1000, 1000);
    TCanvas canvas;
    TIndentManager im;
};

TEST_F(SectionDrawingTest, SectionsAndLinesNearTheClipRectangleAreCulled) {
    struct Case {
        int32_t y;  // where the one-line section (20 high) is laid out
        TRect clip;
        bool drawn;
    } cases[] = {
        {139, {0, 0, 1000, 100}, true},   // 39 below the bottom
        {141, {0, 0, 1000, 100}, false},  // 41 below
        {0, {0, 59, 1000, 200}, true},    // its bottom 39 above the top
        {0, {0, 61, 1000, 200}, false},   // 41 above
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto s = section(u"aaaa");
        layout(*s, 200, c.y);
        EXPECT_EQ(s->Draw1(&canvas, c.clip, &im, 0, 0, 0), c.y + 20);
        EXPECT_EQ(outputs(*dc).size(), c.drawn ? 1u : 0u);
        dc->ClearLog();
    }
    // Lines of a tall section are culled one by one.
    auto tall = section(u"aaaa bbbb cccc dddd eeee");
    layout(*tall, 40);  // five lines, 20 high each
    EXPECT_EQ(texts(draw(*tall, TRect{0, 100, 1000, 120})), std::vector<std::string>({"cccc@0", "dddd@0", "eeee@0"}));
}

TEST_F(SectionDrawingTest, SelectionSplitsRunsAndInvertsColours) {
    struct Case {
        TColor background;  // of the run
        TColor selectedText, selectedBk;
        bool plainOpaque;
    } cases[] = {
        {clNone, TColor(0xFFFFFF), clBlack, false},
        {TColor(0x00FFFF), TColor(0x00FFFF), clBlack, true},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        auto s = section(u"aaaa bbbb cccc");
        s->Fonts.GetFont(0)->TheFont->bgColor = c.background;
        layout(*s, 200, 0, 100);
        doc->SelB = 105;
        doc->SelE = 109;
        const std::vector<Output> out = draw(*s);
        ASSERT_EQ(texts(out), std::vector<std::string>({"aaaa @0", "bbbb@36", " cccc@68"}));
        for (const Output& o : out) EXPECT_EQ(o.baseline, 16);
        EXPECT_TRUE(out[1].opaque);
        EXPECT_EQ(out[1].textColour, c.selectedText);
        EXPECT_EQ(out[1].bkColour, c.selectedBk);
        for (const Output* o : {&out[0], &out[2]}) {
            EXPECT_EQ(o->opaque, c.plainOpaque);
            EXPECT_EQ(o->textColour, clBlack);
            if (c.plainOpaque) {
                EXPECT_EQ(o->bkColour, c.background);
            }
        }
    }
    // An empty selection splits nothing unless the dummy caret is shown.
    auto s = section(u"aaaa bbbb");
    layout(*s, 200);
    doc->SelB = doc->SelE = 5;
    EXPECT_EQ(texts(draw(*s)), std::vector<std::string>({"aaaa bbbb@0"}));
    doc->ShowDummyCaret = true;
    EXPECT_EQ(texts(draw(*s)), std::vector<std::string>({"aaaa @0", "bbbb@36"}));
    EXPECT_EQ(dc->Calls("=rectangle"), std::vector<std::string>({"=rectangle 36 0 37 20"}));
    // At the document's end the caret follows the last character.
    doc->Len = s->Len;
    doc->SelB = doc->SelE = s->Len;
    draw(*s);
    EXPECT_EQ(dc->Calls("=rectangle"), std::vector<std::string>({"=rectangle 68 0 69 20"}));
    doc->ShowDummyCaret = false;
}

TEST_F(SectionDrawingTest, FullJustification) {
    // "aaaa bbbb " and "cccc " in 80: the first line spreads 12 pixels over
    // its one space; the last line is not spread.
    auto s = section(u"aaaa bbbb cccc", ThtJustify::FullJustify);
    layout(*s, 80);
    ThtLineRec* first = s->Lines.Items(0);
    ThtLineRec* last = s->Lines.Items(1);
    ASSERT_EQ(first->Extra, 12);
    ASSERT_EQ(first->Spaces, 1);
    EXPECT_EQ(last->Spaces, 0);
    doc->SelB = 5;
    doc->SelE = 9;
    EXPECT_EQ(texts(draw(*s)), std::vector<std::string>({"aaaa @0", "bbbb@48", "cccc@0"}));
    int32_t x = 0, y = 0;
    ASSERT_TRUE(s->CursorToXY(&canvas, 9, x, y));
    EXPECT_EQ(x, 80);  // the justified line ends at its right edge

    struct Case {
        int32_t extra, spaces;
        int32_t bX;  // where "bbbb" starts
    } cases[] = {
        {30, 0, 36},   // no spaces: drawn as it stands, nothing divided
        {-20, 1, 36},  // an overflowing word: never squeezed
        {7, 3, 39},    // more spaces counted than the line has: the one there takes its share
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        first->Extra = c.extra;
        first->Spaces = c.spaces;
        const std::vector<Output> out = draw(*s);
        ASSERT_GE(out.size(), 2u);
        EXPECT_EQ(out[1].x, c.bX);
    }
    doc->SelB = doc->SelE = 0;
}

TEST_F(SectionDrawingTest, SoftHyphenIsDrawnAtTheBreakOnly) {
    auto s = section(u"aa bb\u00ADcc");
    layout(*s, 44);
    ASSERT_EQ(s->Lines.Count(), 2);
    EXPECT_EQ(texts(draw(*s)), std::vector<std::string>({"aa bb-@0", "cc@0"}));
    auto unbroken = section(u"aa bb\u00ADcc");
    layout(*unbroken, 200);
    EXPECT_EQ(texts(draw(*unbroken)), std::vector<std::string>({"aa bbcc@0"}));
}

TEST_F(SectionDrawingTest, ScriptShiftsAndPreformattedClip) {
    auto s = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
    addText(*s, u"aa", 0);
    auto other = textProps();
    s->ChangeFont(other.get());
    addText(*s, u"bb", 2);
    s->ChangeFont(prop.get());
    addText(*s, u"cc", 4);
    s->ProcessText(1000);
    ASSERT_EQ(s->Fonts.Count(), 3);
    struct Case {
        ThtAlignmentStyle script;
        int baseline;  // of "bb"; the others stay at 16
    } cases[] = {{aNone, 16}, {aSuper, 10}, {aSub, 19}};
    for (const Case& c : cases) {
        SCOPED_TRACE(int(c.script));
        s->Fonts.GetFont(1)->SScript = c.script;
        layout(*s, 200);
        const std::vector<Output> out = draw(*s);
        ASSERT_EQ(texts(out), std::vector<std::string>({"aa@0", "bb@16", "cc@32"}));
        EXPECT_EQ(out[0].baseline, 16);
        EXPECT_EQ(out[1].baseline, c.baseline);
        EXPECT_EQ(out[2].baseline, 16);
        for (const Output& o : out) EXPECT_FALSE(o.clipped);
    }
    // Preformatted text is clipped to the block's room, from the line's top
    // to just below its text.
    auto pre = section(u"aaaa bbbb");
    pre->WhiteSpaceStyle = wsPre;
    layout(*pre, 60);
    draw(*pre);
    ASSERT_EQ(dc->Calls("=text").size(), 1u);
    EXPECT_EQ(dc->Calls("=text")[0], "=text 0 16 clip 0 0 60 21 \"aaaa bbbb\"");
}

TEST_F(SectionDrawingTest, PrintedLinesWaitForTheNextPage) {
    auto s = section(u"aaaa bbbb cccc");
    layout(*s, 40);  // three lines at 0, 20 and 40
    doc->Printing = true;
    doc->PageBottom = 30;
    EXPECT_EQ(texts(draw(*s)), std::vector<std::string>({"aaaa@0"}));
    EXPECT_EQ(doc->PageBottom, 20);  // moved up to the top of the line that did not fit
    // The next page starts there.
    doc->YOff = 20;
    doc->PageBottom = 70;
    const std::vector<Output> next = draw(*s, TRect{0, 0, 1000, 50});
    EXPECT_EQ(texts(next), std::vector<std::string>({"bbbb@0", "cccc@0"}));
    EXPECT_EQ(next[0].baseline, 16);
    // A line taller than the page, or a shortened page, is drawn across the break.
    doc->YOff = 0;
    doc->PageBottom = 30;
    EXPECT_EQ(draw(*s, TRect{0, 0, 1000, 15}).size(), 3u);
    doc->PageShortened = true;
    EXPECT_EQ(draw(*s).size(), 3u);
    doc->PageShortened = false;
    doc->Printing = false;
}

TEST_F(SectionDrawingTest, PrintColours) {
    TDeviceCaps mono;
    mono.NumColors = 2;
    struct Case {
        bool printing, monoBlack, monoDevice, tableBackground;
        TColor colour, printed;
    } cases[] = {
        {true, true, true, false, TColor(0x0000FF), clBlack},
        {true, true, true, false, TColor(0xFFFFFF), TColor(0xFFFFFF)},
        // A true-colour device reports no colour count: it keeps its colours.
        {true, true, false, true, TColor(0x0000FF), TColor(0x0000FF)},
        {true, false, false, false, TColor(0xF0E8E0), TColor(0x02A0A0A0)},
        {true, false, false, false, TColor(0xF0D0E0), TColor(0xF0D0E0)},
        {true, false, false, true, TColor(0xF0E8E0), TColor(0xF0E8E0)},
        {false, true, true, false, TColor(0xF0E8E0), TColor(0xF0E8E0)},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(int(&c - cases));
        useDevice(c.monoDevice ? mono : TDeviceCaps());
        auto s = section(u"aaaa");
        s->Fonts.GetFont(0)->TheFont->SetColor(c.colour);
        layout(*s, 200);
        doc->Printing = c.printing;
        doc->PageBottom = 1000;
        doc->PrintMonoBlack = c.monoBlack;
        doc->PrintTableBackground = c.tableBackground;
        const std::vector<Output> out = draw(*s);
        ASSERT_EQ(out.size(), 1u);
        EXPECT_EQ(out[0].textColour, c.printed);
    }
    doc->Printing = doc->PrintMonoBlack = doc->PrintTableBackground = false;
}

TEST_F(SectionDrawingTest, InlineBoxesAreMeasuredWithoutOutput) {
    // A box with a background around "bbbb" (positions 5 to 9), in place
    // before the layout makes the lines.
    auto box = std::make_unique<ThtInThtLineRec>();
    box->StartB = 5;
    box->EndB = 9;
    box->MargArray[BackgroundColor] = TColor(0x00FFFF);
    for (int side : {BorderLeftStyle, BorderTopStyle, BorderRightStyle, BorderBottomStyle})
        box->MargArray[side] = bssNone;
    for (int side : {BorderLeftColor, BorderTopColor, BorderRightColor, BorderBottomColor})
        box->MargArray[side] = clNone;
    doc->InlineList->Add(std::move(box));
    doc->InlineList->NeedsConverting = false;

    auto s = section(u"aaaa bbbb cccc");
    layout(*s, 200);
    ASSERT_TRUE(s->Lines.Items(0)->FirstDraw);
    // Each chunk is output once: the measuring pass drew nothing.
    EXPECT_EQ(texts(draw(*s)), std::vector<std::string>({"aaaa @0", "bbbb@36", " cccc@68"}));
    const ThtLineRec* line = s->Lines.Items(0);
    ASSERT_TRUE(line->BorderList);
    ASSERT_EQ(line->BorderList->Count(), 1);
    const ThtBorderRec* rec = line->BorderList->Items(0);
    EXPECT_EQ(rec->BStart, 5);
    EXPECT_EQ(rec->BEnd, 9);
    EXPECT_FALSE(rec->OpenStart);
    EXPECT_FALSE(rec->OpenEnd);
    EXPECT_EQ(rec->BRect.Left, 36);
    EXPECT_EQ(rec->BRect.Top, 1);
    EXPECT_EQ(rec->BRect.Right, 68);
    EXPECT_EQ(rec->BRect.Bottom, 20);
    // The box's background goes under the text, shifted with the section.
    ASSERT_EQ(dc->Calls("=fill").size(), 1u);
    EXPECT_EQ(dc->Calls("=fill")[0], "=fill 36 1 68 20 65535");
    const std::vector<std::string> log = dc->Log();
    auto fill = std::find(log.begin(), log.end(), "=fill 36 1 68 20 65535");
    auto firstText =
        std::find_if(log.begin(), log.end(), [](const std::string& l) { return l.rfind("=text", 0) == 0; });
    EXPECT_LT(fill, firstText);
    dc->ClearLog();
    s->Draw1(&canvas, TRect{0, 0, 1000, 1000}, &im, 10, 0, 0);
    EXPECT_EQ(dc->Calls("=fill"), std::vector<std::string>({"=fill 46 1 78 20 65535"}));

    // A box that goes on to the next line is open at the break.
    auto wrapped = section(u"aaaa bbbb cccc");
    doc->InlineList->Items(0)->EndB = 12;
    layout(*wrapped, 80);
    draw(*wrapped);
    const ThtBorderRec* open = wrapped->Lines.Items(0)->BorderList->Items(0);
    EXPECT_TRUE(open->OpenEnd);
    EXPECT_EQ(open->BRect.Right, 68);
    const ThtBorderRec* rest = wrapped->Lines.Items(1)->BorderList->Items(0);
    EXPECT_TRUE(rest->OpenStart);
    EXPECT_EQ(rest->BRect.Left, 0);
    EXPECT_EQ(rest->BRect.Right, 16);
    doc->InlineList->Clear();
}

TEST_F(SectionDrawingTest, FocusedAndPrintedLinks) {
    auto s = std::make_unique<TSection>(doc.get(), nullptr, prop.get(), nullptr, false);
    addText(*s, u"aaaa ", 0);
    auto linkProp = textProps();
    s->ChangeFont(linkProp.get());
    addText(*s, u"bbbb", 5);
    s->ChangeFont(prop.get());
    addText(*s, u" cccc", 9);
    s->ProcessText(1000);
    ASSERT_EQ(s->Fonts.Count(), 3);
    TFontObj* link = s->Fonts.GetFont(1);
    link->UrlTarget->URL = u"next.html";
    link->UrlTarget->Target = u"_top";
    layout(*s, 200);

    link->Active = true;
    FakeOwner owner;
    doc->TheOwner = &owner;
    for (bool focusRects : {true, false}) {
        owner.focusRects = focusRects;
        draw(*s);
        EXPECT_EQ(dc->Calls("=focus").size(), focusRects ? 1u : 0u);
        if (focusRects) {
            EXPECT_EQ(dc->Calls("=focus")[0], "=focus 36 0 69 20");
        }
    }
    doc->TheOwner = nullptr;
    link->Active = false;

    // A print copy tells where each link was drawn.
    std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*doc);
    auto printed = std::unique_ptr<TSectionBase>(s->CreateCopy(copy.get()));
    std::vector<std::string> links;
    copy->LinkPage = 3;
    copy->LinkDrawnEvent = [&](TObject*, int32_t Page, const std::u16string& Url, const std::u16string& Target,
                               const TRect& R) {
        links.push_back(std::to_string(Page) + " " + htmltext::toUtf8(Url) + " " + htmltext::toUtf8(Target) + " " +
                        std::to_string(R.Left) + "," + std::to_string(R.Top) + "," + std::to_string(R.Right) + "," +
                        std::to_string(R.Bottom));
    };
    auto* printedSection = static_cast<TSection*>(printed.get());
    layout(*printedSection, 200);
    draw(*printedSection);
    EXPECT_EQ(links, std::vector<std::string>({"3 next.html _top 36,0,69,20"}));
}

}  // namespace
