// The blocks around a table, with tables that report a fixed minimum and
// maximum width: the table's defaults for the block's borders, the block's
// attributes, its width from WIDTH, a style sheet's width or the table, its
// alignment, and the caption wrapper.
#include <gtest/gtest.h>

#include <memory>
#include <tuple>
#include <vector>

#include "TableFixture.h"
#include "html/layout/AttributeList.h"
#include "html/layout/IDObjectList.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/TableBlocks.h"

namespace {

using namespace tabletest;
using modeltest::attr;
using modeltest::props;

using TAttrs = std::vector<std::tuple<TAttrSymb, const char16_t*, double>>;

std::unique_ptr<TAttributeList> attrs(const TAttrs& List) {
    auto l = std::make_unique<TAttributeList>();
    for (const auto& [sym, value, number] : List) l->Add(attr(sym, u"", value, number));
    return l;
}

// A table of a fixed minimum and maximum width (the table block's width
// still counts, as it does for a real table).
class TFakeTable : public THtmlTable {
public:
    using THtmlTable::THtmlTable;
    void MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) override {
        Min = std::max(FakeMin, tblWidthAttr);
        Max = std::max(FakeMax, tblWidthAttr);
    }
    int32_t FakeMin = 0, FakeMax = 0;
};

// A block of a fixed minimum and maximum width that finds a fixed position.
template <class TBase> class TFixedBlock : public TBase {
public:
    using TBase::TBase;
    void MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) override {
        Min = FakeMin;
        Max = FakeMax;
    }
    int32_t FindDocPos(int32_t, bool) override { return DocPos; }
    int32_t FakeMin = 0, FakeMax = 0, DocPos = -1;
};

class TableBlocksTest : public TableTest {
protected:
    // A table block with its fake table, in the test's block.
    TTableBlock* MakeBlock(const TAttrs& List, int32_t Min, int32_t Max) {
        auto a = attrs(List);
        auto p = props(TableSy, u"table");
        auto table = std::make_unique<TFakeTable>(Block->MyCell.get(), a.get(), p.get());
        table->FakeMin = Min;
        table->FakeMax = Max;
        Fake = table.get();
        auto block = std::make_unique<TTableBlock>(Block->MyCell.get(), a.get(), p.get(), table.get(), 1);
        block->MyCell->Add(std::move(table), 0);
        TTableBlock* raw = block.get();
        Block->MyCell->Add(std::move(block), 0);
        return raw;
    }
    TFakeTable* Fake = nullptr;
};

TEST_F(TableBlocksTest, TableDefaultsForTheBlocksBorders) {
    const int64_t none = bssNone, solid = bssSolid, outset = bssOutset, unset = AutoSentinel;
    struct Case {
        const char* name;
        TAttrs attributes;
        int64_t left, top, right, bottom;  // border styles
        int64_t color, width;
    };
    const Case cases[] = {
        {"BORDER=2 without FRAME", {{BorderSy, u"2", 2}}, outset, outset, outset, outset, 0x808080, 2},
        {"a border colour of the table's",
         {{BorderSy, u"2", 2}, {BorderColorSy, u"red", 0}},
         outset,
         outset,
         outset,
         outset,
         clRed,
         2},
        {"BORDER=0", {{BorderSy, u"0", 0}}, none, none, none, none, 0x808080, 0},
        {"FRAME=hsides", {{BorderSy, u"1", 1}, {FrameAttrSy, u"hsides", 0}}, none, solid, none, solid, 0x808080, 1},
        {"FRAME=lhs", {{FrameAttrSy, u"LHS", 0}}, solid, none, none, none, clNone, unset},
        {"FRAME=box", {{FrameAttrSy, u"box", 0}}, outset, outset, outset, outset, clNone, unset},
        {"no BORDER, no FRAME", {}, unset, unset, unset, unset, clNone, unset},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto a = attrs(c.attributes);
        auto p = props(TableSy, u"table");
        THtmlTable table(Block->MyCell.get(), a.get(), p.get());
        std::unique_ptr<TProperties> d = MakeTableBlockProperties(*p, table, a.get());
        EXPECT_EQ(d->PropSym, TableSy);
        EXPECT_EQ(VarInt(d->Props[BorderLeftStyle]), c.left);
        EXPECT_EQ(VarInt(d->Props[BorderTopStyle]), c.top);
        EXPECT_EQ(VarInt(d->Props[BorderRightStyle]), c.right);
        EXPECT_EQ(VarInt(d->Props[BorderBottomStyle]), c.bottom);
        for (ThtPropertyIndex i : {BorderTopColor, BorderRightColor, BorderBottomColor, BorderLeftColor})
            EXPECT_EQ(VarInt(d->Props[i]), c.color);
        for (ThtPropertyIndex i : {BorderTopWidth, BorderRightWidth, BorderBottomWidth, BorderLeftWidth})
            EXPECT_EQ(VarInt(d->Props[i]), c.width);
        EXPECT_EQ(VarInt(d->Props[BorderSpacingHorz]), table.CellSpacingHorz);
    }
    // What the element sets stays.
    auto a = attrs({{BorderSy, u"2", 2}});
    auto p = props(TableSy, u"table");
    p->Props[BorderTopStyle] = std::u16string(u"dotted");
    THtmlTable table(Block->MyCell.get(), a.get(), p.get());
    std::unique_ptr<TProperties> d = MakeTableBlockProperties(*p, table, a.get());
    EXPECT_EQ(VarStr(d->Props[BorderTopStyle]), u"dotted");
    EXPECT_EQ(VarInt(d->Props[BorderLeftStyle]), outset);
}

TEST_F(TableBlocksTest, BlockReadsTheTablesAttributes) {
    TTableBlock* b = MakeBlock({{AlignSy, u"Left", 0},
                                {BGColorSy, u"#FF0000", 0},
                                {BackgroundSy, u"paper.png", 0},
                                {HeightSy, u"120", 120},
                                {HSpaceSy, u"-70", -70},
                                {VSpaceSy, u"500", 500},
                                {WidthSy, u"50%", 50}},
                               10, 20);
    EXPECT_EQ(b->Table, Fake);
    EXPECT_EQ(Fake->OwnerBlock(), b);
    EXPECT_EQ(b->Floating, aLeft);
    EXPECT_TRUE(Fake->Float);
    EXPECT_EQ(b->ZIndex, 1);
    EXPECT_TRUE(b->BkGnd);
    EXPECT_EQ(b->BkColor, clRed);
    ASSERT_NE(b->BGImage, nullptr);
    EXPECT_EQ(b->BGImage->Source(), u"paper.png");
    EXPECT_TRUE(b->PRec.X.RepeatD && b->PRec.Y.RepeatD);
    EXPECT_EQ(b->PRec.X.PosType, bpDim);
    EXPECT_EQ(VarStr(b->MargArrayO[piHeight]), u"120");
    EXPECT_EQ(b->HSpace, 40);
    EXPECT_EQ(b->VSpace, 200);
    EXPECT_EQ(Fake->HSpace, 40);
    EXPECT_TRUE(b->AsPercent);
    EXPECT_EQ(b->WidthAttr, 500);
    EXPECT_EQ(b->Justify, ThtJustify::NoJustify);
    // The block keeps the element's own set, not the one with the defaults.
    ASSERT_NE(b->Properties(), nullptr);
    EXPECT_EQ(b->Properties()->PropSym, TableSy);

    TTableBlock* c = MakeBlock({{AlignSy, u"center", 0}, {WidthSy, u"150%", 150}}, 10, 20);
    EXPECT_EQ(c->Justify, ThtJustify::Centered);
    EXPECT_EQ(c->Floating, aNone);
    EXPECT_TRUE(c->AsPercent);
    EXPECT_EQ(c->WidthAttr, 0);
    EXPECT_EQ(MakeBlock({{WidthSy, u"300", 300}}, 10, 20)->WidthAttr, 300);
    EXPECT_EQ(MakeBlock({{BorderSy, u"4", 4}}, 10, 20)->GetBorderWidth(), 4);
    EXPECT_EQ(MakeBlock({}, 10, 20)->GetBorderWidth(), 3);
}

TEST_F(TableBlocksTest, WidthFromAttributeStyleOrTable) {
    struct Case {
        const char* name;
        TAttrs attributes;
        const char16_t* cssWidth;
        int32_t min, max, percents, room;
        int32_t width;
    };
    const Case cases[] = {
        {"WIDTH=50% of 600", {{WidthSy, u"50%", 50}}, nullptr, 100, 200, 0, 600, 300},
        {"a style sheet's 40% wins", {{WidthSy, u"50%", 50}}, u"40%", 100, 200, 0, 600, 240},
        {"a style sheet's pixels win", {{WidthSy, u"50%", 50}}, u"250px", 100, 200, 0, 600, 250},
        {"WIDTH below the table's minimum", {{WidthSy, u"80", 80}}, nullptr, 100, 200, 0, 600, 100},
        {"natural width", {}, nullptr, 100, 200, 0, 600, 200},
        {"columns of 50 %", {}, nullptr, 100, 200, 500, 600, 300},
        {"wider than the room", {}, nullptr, 700, 800, 0, 600, 700},
        {"shrinks to the room", {}, nullptr, 100, 800, 0, 600, 600},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TTableBlock* b = MakeBlock(c.attributes, c.min, c.max);
        if (c.cssWidth) {
            b->MargArrayO[piWidth] = std::u16string(c.cssWidth);
            b->ApplyStyleWidth();
        }
        if (c.percents) {
            Fake->Percents = {c.percents};
        }
        EXPECT_EQ(b->FindWidth(&Canvas, c.room, 0, 0), c.width);
        EXPECT_EQ(b->MargArray[piWidth], c.width);
        EXPECT_GE(Fake->tblWidthAttr, 0);
    }
}

TEST_F(TableBlocksTest, AlignedTableTakesTheSpareRoomAsMargins) {
    struct Case {
        ThtJustify justify;
        int32_t room, left, right;
    } cases[] = {
        {ThtJustify::Centered, 500, 150, 150},
        {ThtJustify::Centered, 501, 150, 151},
        {ThtJustify::Right, 500, 300, 0},
        {ThtJustify::Left, 500, 0, 300},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.room);
        TTableBlock* b = MakeBlock({}, 200, 200);
        b->Justify = c.justify;
        EXPECT_EQ(b->FindWidth(&Canvas, c.room, 0, 0), 200);
        EXPECT_EQ(b->MargArray[MarginLeft], c.left);
        EXPECT_EQ(b->MargArray[MarginRight], c.right);
    }
}

TEST_F(TableBlocksTest, MinimumAndMaximumHonourTheRequestedWidth) {
    TTableBlock* b = MakeBlock({{WidthSy, u"300", 300}}, 10, 20);
    int32_t mn = 0, mx = 0;
    b->MinMaxWidth(&Canvas, mn, mx);
    EXPECT_EQ(mn, 300);
    EXPECT_EQ(mx, 300);
    EXPECT_EQ(Fake->tblWidthAttr, 300);
    TTableBlock* p = MakeBlock({{WidthSy, u"30%", 30}}, 10, 20);
    p->MinMaxWidth(&Canvas, mn, mx);
    EXPECT_EQ(Fake->tblWidthAttr, 0);  // a percentage asks for nothing here
}

TEST_F(TableBlocksTest, TableBetweenFloats) {
    TTableBlock* b = MakeBlock({}, 100, 100);
    TIndentManager floats;
    floats.Init(0, 600);
    floats.CurrentID = &floats;  // the block around the table holds its edge at 0
    floats.SetLeftIndent(0, 0);
    floats.AddLeft(0, 100, 50);
    int32_t maxWidth = 0, curs = 0;
    NextPass();
    b->DrawLogic1(&Canvas, 20, 10, 0, 0, 600, 0, 0, &floats, maxWidth, curs);
    EXPECT_EQ(b->TableIndent, 30);
    b->DrawLogic1(&Canvas, 20, 150, 0, 0, 600, 0, 0, &floats, maxWidth, curs);  // below the float
    EXPECT_EQ(b->TableIndent, 0);
}

TEST_F(TableBlocksTest, CaptionWrapper) {
    auto p = props(TableSy, u"table", u"", u"tbl");
    auto a = attrs({{AlignSy, u"center", 0}, {IDSy, u"tbl", 0}});
    auto table = std::make_unique<TFakeTable>(Block->MyCell.get(), a.get(), p.get());
    table->FakeMin = 100;
    table->FakeMax = 200;
    auto tableBlock = std::make_unique<TFixedBlock<TTableBlock>>(Block->MyCell.get(), a.get(), p.get(), table.get(), 1);
    tableBlock->MyCell->Add(std::move(table), 0);
    tableBlock->FakeMin = 150;
    tableBlock->FakeMax = 220;
    tableBlock->DocPos = 20;
    tableBlock->Floating = aLeft;
    auto wrapper = std::make_unique<TTableAndCaptionBlock>(Block->MyCell.get(), a.get(), p.get(), tableBlock.get());
    EXPECT_EQ(wrapper->TableID, u"tbl");
    EXPECT_EQ(wrapper->Justify, ThtJustify::Centered);
    auto caption = std::make_unique<TFixedBlock<TBlock>>(wrapper->MyCell.get(), nullptr, nullptr);
    caption->FakeMin = 300;
    caption->FakeMax = 400;
    caption->DocPos = 10;
    wrapper->SetCaptionBlock(caption.get());
    EXPECT_TRUE(tableBlock->HasCaption);
    TTableBlock* tb = tableBlock.get();
    wrapper->MyCell->Add(std::move(caption), 0);
    wrapper->MyCell->Add(std::move(tableBlock), 0);

    // The caption is wider: it sets the width; the wrapper is centred.
    EXPECT_EQ(wrapper->FindWidth(&Canvas, 600, 0, 0), 300);
    EXPECT_EQ(wrapper->MargArray[MarginLeft], 150);
    EXPECT_EQ(tb->Floating, aNone);
    EXPECT_EQ(tb->Justify, ThtJustify::Centered);
    EXPECT_FALSE(wrapper->HasBorderStyle);
    int32_t mn = 0, mx = 0;
    wrapper->MinMaxWidth(&Canvas, mn, mx);
    EXPECT_EQ(mn, 300);
    EXPECT_EQ(mx, 300);                            // the caption's minimum, not its maximum
    EXPECT_EQ(wrapper->FindDocPos(0, false), 10);  // caption first
    EXPECT_EQ(wrapper->FindDocPos(0, true), 20);   // table first

    // Given up, the wrapper leaves its id to the table block.
    wrapper->MyCell->Remove(tb);
    auto keep = std::unique_ptr<TSectionBase>(tb);
    wrapper->CancelUsage();
    wrapper.reset();
    const int i = Doc->IDNameList->IndexOf(u"tbl");
    ASSERT_GE(i, 0);
    EXPECT_EQ(Doc->IDNameList->GetObject(i), tb);
    keep.reset();
    EXPECT_LT(Doc->IDNameList->IndexOf(u"tbl"), 0);
}

}  // namespace
