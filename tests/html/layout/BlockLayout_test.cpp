// Block layout with fake sections and the recording context's metrics:
// margins collapsing while the page is read, widths resolved by the count of
// auto values, floats, clearance, positioning, hidden overflow and
// display:none, and what a cell does with its sections.
#include <gtest/gtest.h>

#include "FakeSections.h"
#include "html/layout/Sections.h"
#include "html/layout/SpecialBlocks.h"

namespace {

using namespace modeltest;

class BlockLayoutTest : public RecordingScreenTest {};

using Page = TBodyFixture;

TEST_F(BlockLayoutTest, CombineMarginsFollowsTheCollapsingRule) {
    const struct {
        int32_t a, b, want;
    } cases[] = {{20, 10, 20}, {10, 20, 20}, {-10, 30, 20}, {-10, -30, -30}, {-30, -10, -30}, {0, 0, 0}, {5, -5, 0}};
    for (const auto& c : cases) EXPECT_EQ(CombineMargins(c.a, c.b), c.want) << c.a << " " << c.b;
}

TEST_F(BlockLayoutTest, AdjoiningMarginsCollapseWhileThePageIsRead) {
    const struct {
        int32_t bottom, top, gap;  // gap: from the first block's bottom to the second's border box
    } cases[] = {{20, 10, 20}, {-10, 30, 20}, {-10, -30, 0}};
    for (const auto& c : cases) {
        Page page;
        TBlock* first = page.block({{MarginBottom, int64_t(c.bottom)}});
        TBlock* second = page.block({{MarginTop, int64_t(c.top)}});
        EXPECT_EQ(first->MargArray[MarginBottom], 0);
        EXPECT_EQ(second->MargArray[MarginTop], CombineMargins(c.bottom, c.top));
        page.layout();
        EXPECT_EQ(second->DrawTop - first->DrawBot, c.gap) << c.bottom << " " << c.top;
    }
}

TEST_F(BlockLayoutTest, TheFirstBlockInTheBodyLosesTheBodysTopMargin) {
    for (const auto& [blockTop, want] : {std::pair{20, 12}, std::pair{5, 0}}) {
        TDocFixture fx;
        auto bodyProps = boxProps(BodySy, u"body", {{MarginTop, int64_t(8)}});
        auto* body = addBlock<TBodyBlock>(fx.doc.get(), *bodyProps);
        auto p = boxProps(DivSy, u"div", {{MarginTop, int64_t(blockTop)}});
        TBlock* first = addBlock(body->MyCell.get(), *p);
        EXPECT_EQ(first->MargArray[MarginTop], want);
    }
}

TEST_F(BlockLayoutTest, BottomMarginsCollapseWithTheLastChildAtTheEndTag) {
    Page page;
    TBlock* outer = page.block({{MarginBottom, int64_t(10)}}, 0);
    auto p = boxProps(DivSy, u"div", {{MarginBottom, int64_t(25)}});
    TBlock* inner = addBlock(outer->MyCell.get(), *p);
    outer->CollapseBottomMargins();
    EXPECT_EQ(outer->MargArray[MarginBottom], 25);
    EXPECT_EQ(inner->MargArray[MarginBottom], 0);

    // A child with a bottom padding keeps its margin apart.
    Page padded;
    TBlock* outer2 = padded.block({{MarginBottom, int64_t(10)}}, 0);
    auto q = boxProps(DivSy, u"div", {{MarginBottom, int64_t(25)}, {PaddingBottom, int64_t(3)}});
    TBlock* inner2 = addBlock(outer2->MyCell.get(), *q);
    outer2->CollapseBottomMargins();
    EXPECT_EQ(outer2->MargArray[MarginBottom], 10);
    EXPECT_EQ(inner2->MargArray[MarginBottom], 25);
}

TEST_F(BlockLayoutTest, WidthsResolveByTheCountOfAutoValues) {
    const auto autoV = ThtVariant(std::u16string(u"auto"));
    const struct {
        const char* what;
        TPropValues values;
        int32_t width, left, right;
    } cases[] = {
        {"both margins auto centre",
         {{piWidth, int64_t(200)}, {MarginLeft, autoV}, {MarginRight, autoV}},
         200,
         150,
         150},
        {"odd remainder loses a pixel",
         {{piWidth, int64_t(201)}, {MarginLeft, autoV}, {MarginRight, autoV}},
         201,
         149,
         149},
        {"centred by text-align", {{piWidth, int64_t(200)}, {TextAlign, std::u16string(u"center")}}, 200, 150, 150},
        {"right by text-align", {{piWidth, int64_t(200)}, {TextAlign, std::u16string(u"right")}}, 200, 300, 0},
        {"auto width fills", {{MarginLeft, int64_t(30)}, {MarginRight, int64_t(20)}}, 450, 30, 20},
        {"auto right margin", {{piWidth, int64_t(200)}, {MarginLeft, int64_t(30)}, {MarginRight, autoV}}, 200, 30, 270},
        {"auto left margin", {{piWidth, int64_t(200)}, {MarginLeft, autoV}}, 200, 300, 0},
        {"auto width and left margin", {{MarginLeft, autoV}, {MarginRight, int64_t(40)}}, 460, 0, 40},
        {"everything auto", {{MarginLeft, autoV}, {MarginRight, autoV}}, 500, 0, 0},
        {"padding and border inside the room",
         {{PaddingLeft, int64_t(5)},
          {PaddingRight, int64_t(5)},
          {BorderLeftStyle, std::u16string(u"solid")},
          {BorderLeftWidth, int64_t(2)}},
         488,
         0,
         0},
    };
    for (const auto& c : cases) {
        Page page;
        TBlock* b = page.block(c.values);
        page.layout(500);
        EXPECT_EQ(b->ContentWidth, c.width) << c.what;
        EXPECT_EQ(b->MargArray[MarginLeft], c.left) << c.what;
        EXPECT_EQ(b->MargArray[MarginRight], c.right) << c.what;
    }
}

TEST_F(BlockLayoutTest, AbsoluteBlocksAreAlignedByTheirRightOffset) {
    Page page;
    TBlock* sized = page.block({{Position, std::u16string(u"absolute")},
                                {piRight, int64_t(50)},
                                {piWidth, int64_t(100)},
                                {piTop, int64_t(7)}});
    // Without a width the block shrinks to its content.
    TBlock* shrunk = page.block({{Position, std::u16string(u"absolute")}, {piRight, int64_t(50)}}, 20, nullptr, 120);
    TBlock* flow = page.block({}, 30);
    page.layout(500);
    EXPECT_EQ(sized->LeftP, 350);
    EXPECT_EQ(sized->DrawRect.Left, 350);
    EXPECT_EQ(sized->DrawTop, 7);
    EXPECT_EQ(shrunk->ContentWidth, 120);
    EXPECT_EQ(shrunk->LeftP, 330);
    // Positioned blocks take no room: the flow starts at the top.
    EXPECT_EQ(sized->SectionHeight, 0);
    EXPECT_EQ(flow->DrawTop, 0);
}

TEST_F(BlockLayoutTest, MinMaxWidthTakesMarginsAndHiddenOverflow) {
    const struct {
        const char* what;
        TPropValues values;
        int32_t min, max;
    } cases[] = {
        {"content", {}, 300, 400},
        {"with paddings", {{PaddingLeft, int64_t(5)}, {PaddingRight, int64_t(5)}}, 310, 410},
        {"fixed width", {{piWidth, int64_t(100)}, {MarginLeft, int64_t(10)}}, 110, 110},
        {"hidden overflow narrows to the width",
         {{OverFlow, std::u16string(u"hidden")}, {piWidth, int64_t(100)}},
         100,
         100},
        {"display none", {{piDisplay, std::u16string(u"none")}}, 0, 0},
        {"absolute", {{Position, std::u16string(u"absolute")}}, 0, 0},
    };
    for (const auto& c : cases) {
        Page page;
        TBlock* b = page.block(c.values, 10, nullptr, 400);
        static_cast<TFakeSection*>(b->MyCell->GetItem(0))->MinWidth = 300;
        int32_t mn = -1, mx = -1;
        b->MinMaxWidth(&page.canvas, mn, mx);
        EXPECT_EQ(mn, c.min) << c.what;
        EXPECT_EQ(mx, c.max) << c.what;
    }
}

TEST_F(BlockLayoutTest, FloatsLeaveRoomBesideThemAndClearanceMovesBelow) {
    Page page;
    TBlock* left = page.block({{Float, std::u16string(u"left")}, {piWidth, int64_t(100)}}, 80);
    int32_t besideIndent = -1;
    TBlock* beside = page.block({}, 20);
    static_cast<TFakeSection*>(beside->MyCell->GetItem(0))->OnLayout = [&](TIndentManager* m, int32_t, int32_t y) {
        besideIndent = m->LeftIndent(y);
    };
    TBlock* cleared = page.block({{Clear, std::u16string(u"left")}}, 10);
    page.layout(500);

    EXPECT_EQ(left->SectionHeight, 0);  // a float takes no room in the flow
    EXPECT_EQ(left->ContentWidth, 100);
    EXPECT_EQ(left->ContentBot, 80);
    EXPECT_EQ(beside->DrawTop, 0);
    EXPECT_EQ(besideIndent, 100);
    EXPECT_EQ(cleared->DrawTop, 80);
    EXPECT_EQ(cleared->ClearAddon, 60);  // from 20, where the flow had got to

    // A right float that follows sits against the right edge.
    Page second;
    second.block({{Float, std::u16string(u"right")}, {piWidth, int64_t(60)}, {MarginRight, int64_t(5)}}, 10);
    TBlock* rightFloat = static_cast<TBlock*>(second.cell()->GetItem(0));
    second.layout(500);
    EXPECT_EQ(rightFloat->DrawRect.Left, 500 - 5 - 60);
}

TEST_F(BlockLayoutTest, AFloatNarrowerThanItsMarginsGetsNoWidth) {
    Page page;
    TBlock* f = page.block({{Float, std::u16string(u"left")}, {MarginLeft, int64_t(300)}, {MarginRight, int64_t(300)}},
                           10, nullptr, 50);
    page.layout(500);
    EXPECT_EQ(f->ContentWidth, 0);
    EXPECT_EQ(static_cast<TFakeSection*>(f->MyCell->GetItem(0))->LaidWidth, 0);
}

TEST_F(BlockLayoutTest, DisplayNoneTakesNoRoomAndAnswersNoHitTest) {
    Page page;
    TBlock* hidden = page.block({{piDisplay, std::u16string(u"none")}, {MarginTop, int64_t(10)}}, 40);
    TBlock* next = page.block({}, 10);
    page.layout(500);
    EXPECT_EQ(hidden->SectionHeight, 0);
    EXPECT_EQ(hidden->ContentBot, 0);
    EXPECT_EQ(next->DrawTop, 0);
    TSectionBase* obj = nullptr;
    int32_t ix = 0, iy = 0;
    EXPECT_FALSE(hidden->PtInObject(5, 5, obj, ix, iy));
    EXPECT_EQ(hidden->FindDocPos(0, false), -1);
}

TEST_F(BlockLayoutTest, HiddenOverflowWithAFixedHeightClipsTheFlow) {
    for (const auto& [height, want] : {std::pair{30, 30}, std::pair{3, 100}}) {
        Page page;
        TBlock* b = page.block({{OverFlow, std::u16string(u"hidden")}, {piHeight, int64_t(height)}}, 100);
        page.layout(500);
        EXPECT_EQ(b->ClientContentBot - b->ContentTop, want) << height;
    }
}

TEST_F(BlockLayoutTest, NestedBlocksStackTheirBoxes) {
    Page page;
    TBlock* outer = page.block({{PaddingTop, int64_t(4)},
                                {BorderTopStyle, std::u16string(u"solid")},
                                {BorderTopWidth, int64_t(2)},
                                {PaddingLeft, int64_t(6)}},
                               0);
    TBlock* inner = page.block({{MarginLeft, int64_t(10)}}, 30, outer->MyCell.get());
    auto* innerFake = static_cast<TFakeSection*>(inner->MyCell->GetItem(0));
    page.layout(500);
    EXPECT_EQ(inner->DrawTop, 6);
    EXPECT_EQ(innerFake->LaidX, 16);
    EXPECT_EQ(innerFake->LaidWidth, 500 - 6 - 10);
    EXPECT_EQ(outer->ContentBot, 6 + 30);
    EXPECT_EQ(outer->HasBorderStyle, true);
}

TEST_F(BlockLayoutTest, ACellDropsASectionThatFailsItsLayout) {
    Page page;
    addFake(page.cell(), "a", 10, 0, 3);
    TFakeSection* bad = addFake(page.cell(), "bad", 99, 0, 5);
    bad->OnLayout = [](TIndentManager*, int32_t, int32_t) { throw EProcessError("broken"); };
    TFakeSection* c = addFake(page.cell(), "c", 20, 0, 4);
    // The document's own cell lays the body out; the sections here are the body's.
    int32_t scroll = 0, curs = 0;
    page.body->MyCell->IMgr = page.doc->IMgr;
    const int32_t h = page.body->MyCell->DoLogic(&page.canvas, 0, 500, 600, 0, scroll, curs);
    EXPECT_EQ(h, 30);
    ASSERT_EQ(page.cell()->Count(), 2);
    EXPECT_EQ(c->YDraw, 10);
    EXPECT_EQ(c->StartCurs, 3);
    EXPECT_EQ(page.cell()->Len, 7);
}

TEST_F(BlockLayoutTest, EmptyTextSectionsAreDroppedUnlessTheyMatter) {
    const struct {
        const char* what;
        std::function<void(TSection&)> prepare;
        bool kept;
    } cases[] = {
        {"empty", [](TSection&) {}, false},
        {"preformatted", [](TSection& s) { s.WhiteSpaceStyle = wsPre; }, true},
        {"anchor", [](TSection& s) { s.AnchorName = true; }, true},
        {"clear", [](TSection& s) { s.ClearAttr = clAll; }, true},
        {"text", [](TSection& s) { s.AddChar(u'x', 1); }, true},
    };
    for (const auto& c : cases) {
        Page page;
        auto section = std::make_unique<TSection>(page.cell(), nullptr, nullptr, nullptr, false);
        c.prepare(*section);
        page.cell()->AddSection(section, 5);
        EXPECT_EQ(section, nullptr) << c.what;
        EXPECT_EQ(page.cell()->Count(), c.kept ? 1 : 0) << c.what;
    }
}

TEST_F(BlockLayoutTest, ContentDisplayIsInlineOnlyWhenEverySectionIs) {
    Page page;
    EXPECT_EQ(page.cell()->GetContentDisplay(), pdInline);  // empty
    TFakeSection* a = addFake(page.cell(), "a", 1);
    a->SetDisplay(pdInlineBlock);
    EXPECT_EQ(page.cell()->GetContentDisplay(), pdInline);
    addFake(page.cell(), "b", 1);
    EXPECT_EQ(page.cell()->GetContentDisplay(), pdBlock);
}

TEST_F(BlockLayoutTest, CheckLastBottomMarginLooksIntoListItems) {
    Page page;
    auto liProps = props(LISy, u"li");
    auto* item = addBlock<TBlockLI>(page.cell(), *liProps, OLSy, false, char16_t(0), 1, 1);
    auto para = boxProps(PSy, u"p", {{MarginBottom, int64_t(DefaultParagraphSpace)}});
    TBlock* p = addBlock(item->MyCell.get(), *para);
    ASSERT_TRUE(p->BottomAuto);
    EXPECT_EQ(p->MargArray[MarginBottom], 14);
    EXPECT_TRUE(page.cell()->CheckLastBottomMargin());
    EXPECT_EQ(p->MargArray[MarginBottom], 0);

    // A margin that was given stays.
    Page other;
    auto given = boxProps(PSy, u"p", {{MarginBottom, int64_t(9)}});
    TBlock* q = addBlock(other.cell(), *given);
    EXPECT_FALSE(other.cell()->CheckLastBottomMargin());
    EXPECT_EQ(q->MargArray[MarginBottom], 9);
}

}  // namespace
