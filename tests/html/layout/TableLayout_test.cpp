// Row heights and cell placement with cells of fixed height: rows a cell
// spans, heights given by cells, the table's own height shared out, the
// vertical alignment of content, header and footer rows, the two passes of
// nested tables and what their layout leaves behind when it fails.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "TableFixture.h"

namespace {

using namespace tabletest;

TCellSpec tall(int32_t Height, const char16_t* HeightSpec = nullptr, int32_t RowSpan = 1) {
    TCellSpec s;
    s.Min = s.Max = 10;
    s.Height = Height;
    s.HeightSpec = HeightSpec;
    s.RowSpan = RowSpan;
    return s;
}

class TableLayoutTest : public TableTest {
protected:
    void Build(const std::vector<std::vector<TCellSpec>>& Rows) {
        NewTable();
        for (const auto& cells : Rows) {
            TCellList* row = AddRow();
            for (const TCellSpec& s : cells) AddCell(row, s);
        }
    }
    TStubCell* Stub(int Row, int Slot) const { return static_cast<TStubCell*>(CellAt(Row, Slot)->FCell.get()); }
};

TEST_F(TableLayoutTest, RowHeights) {
    struct Case {
        const char* name;
        std::vector<std::vector<TCellSpec>> rows;
        int32_t tableHeight;
        std::vector<int32_t> heights;
    };
    const Case cases[] = {
        {"content alone", {{tall(30)}, {tall(40)}}, 0, {30, 40}},
        {"row span deficit, the odd pixel to the second row",
         {{tall(101, nullptr, 2), tall(20)}, {tall(30)}},
         0,
         {45, 56}},
        {"the table's height equal to the content", {{tall(30)}, {tall(40)}}, 70, {30, 40}},
        {"free rows share what is left", {{tall(10, u"50")}, {tall(20)}, {tall(20)}}, 200, {50, 75, 75}},
        {"rows with heights of their own scale", {{tall(10, u"50")}, {tall(10, u"100")}}, 300, {100, 200}},
        {"minimums fit, desired heights do not", {{tall(10, u"80%")}, {tall(10, u"80%")}}, 100, {50, 50}},
        {"each row at least its minimum", {{tall(10, u"80%")}, {tall(40, u"50%")}}, 100, {54, 46}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(c.rows);
        const int32_t height = LayOut(100, 0, c.tableHeight);
        EXPECT_EQ(Table->Heights, c.heights);
        int32_t sum = 0;
        for (int r = 0; r < Table->Rows.Count(); ++r) {
            EXPECT_EQ(Table->Rows.GetItem(r)->RowHeight, c.heights[size_t(r)]);
            sum += c.heights[size_t(r)];
        }
        EXPECT_EQ(height, sum);
    }
}

TEST_F(TableLayoutTest, CellsSpanningRowsGetTheirRowsHeight) {
    Build({{tall(101, nullptr, 2), tall(20)}, {tall(30)}});
    LayOut(100);
    EXPECT_EQ(CellAt(0, 0)->FHt, 101);
    EXPECT_EQ(CellAt(0, 1)->FHt, 45);
    EXPECT_EQ(Table->Rows.GetItem(0)->RowSpanHeight, 101);
    EXPECT_EQ(Table->Rows.GetItem(1)->RowSpanHeight, 56);
}

TEST_F(TableLayoutTest, SingleRowTableGivesItsHeightToTheCells) {
    NewTable();
    Table->CellSpacingVert = 2;
    TStubCell* stub = AddCell(AddRow(), tall(20));
    LayOut(100, 0, 300);
    ASSERT_FALSE(stub->Layouts.empty());
    // Less the spacing above the table's and above the row's.
    EXPECT_EQ(stub->Layouts.front().AHeight, 296);
}

TEST_F(TableLayoutTest, ContentPlacedByVerticalAlignment) {
    NewTable();
    TCellList* row = AddRow();
    const ThtAlignmentStyle aligns[] = {aTop, aMiddle, aBottom, aBaseline};
    for (ThtAlignmentStyle a : aligns) {
        AddCell(row, tall(40));
        CellAt(0, row->Count() - 1)->FVAlign = a;
    }
    AddCell(row, tall(100));
    LayOut(500, 10);
    const int32_t indent[] = {0, 30, 60, 60};
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(CellAt(0, i)->FYIndent, indent[i]);
        ASSERT_EQ(Stub(0, i)->Layouts.size(), 2u);
        EXPECT_EQ(Stub(0, i)->Layouts.back().Y, 10 + indent[i]);
        EXPECT_EQ(Stub(0, i)->Layouts.back().AHeight, 100);
    }
}

TEST_F(TableLayoutTest, HeaderAndFooterRows) {
    NewTable();
    AddCell(AddRow(TRowType::THead), tall(10));
    AddCell(AddRow(), tall(20));
    AddCell(AddRow(), tall(30));
    AddCell(AddRow(TRowType::TFoot), tall(15));
    EXPECT_EQ(LayOut(100), 75);
    EXPECT_EQ(Table->HeaderRowCount, 1);
    EXPECT_EQ(Table->HeaderHeight, 10);
    EXPECT_EQ(Table->FootStartRow, 3);
    EXPECT_EQ(Table->FootOffset, 60);
    EXPECT_EQ(Table->FootHeight, 15);
    EXPECT_TRUE(Table->HeadOrFoot);

    // Without a body row nothing repeats.
    NewTable();
    AddCell(AddRow(TRowType::THead), tall(10));
    AddCell(AddRow(TRowType::TFoot), tall(15));
    LayOut(100);
    EXPECT_FALSE(Table->HeadOrFoot);
    EXPECT_EQ(Table->FootOffset, 10);
}

TEST_F(TableLayoutTest, SecondPassRecomputesRowsOnlyFiveTablesDeep) {
    Build({{tall(20)}});
    LayOut(100);
    TStubCell* stub = Stub(0, 0);
    for (int level : {5, 6}) {
        SCOPED_TRACE(level);
        ++Doc->CycleNumber;  // a new pass: nothing measured in it yet
        Doc->TableNestLevel = level;
        Doc->InLogic2 = true;
        stub->Layouts.clear();
        int32_t curs = 0;
        Table->LayOutRows(&Canvas, 50, 0, curs);
        EXPECT_EQ(stub->Measures(), level <= 5 ? 1 : 0);
        ASSERT_EQ(stub->Layouts.size(), size_t(level <= 5 ? 2 : 1));
        EXPECT_EQ(stub->Layouts.back().Y, 50);  // placed in the second pass either way
    }
    Doc->InLogic2 = false;
    Doc->TableNestLevel = 0;
}

// One table per level, each with a cell holding the next level and a cell of
// its own; every own cell is a leaf stub.
class NestedTablesTest : public TableLayoutTest {
protected:
    void Nest(int Depth) {
        NewTable();
        THtmlTable* table = Table;
        for (int level = 1; level <= Depth; ++level) {
            auto* row = new TCellList(nullptr, nullptr);
            table->Rows.Add(row);
            THtmlTable* inner = nullptr;
            if (level < Depth) {
                auto* cell = new TCellObj(Block, aTop, nullptr, nullptr);
                auto nest = std::make_unique<TNestCell>(Block);
                inner = nest->Inner;
                inner->CellPadding = 0;
                inner->CellSpacingHorz = inner->CellSpacingVert = 0;
                cell->FCell = std::move(nest);
                row->Add(cell);
            }
            auto* own = new TCellObj(Block, aTop, nullptr, nullptr);
            Leaves.push_back(UseStub(own, Block, 10, 20, 10));
            row->Add(own);
            table = inner;
        }
    }
    std::vector<TStubCell*> Leaves;
};

TEST_F(NestedTablesTest, EveryCellIsMeasuredAndPlacedOncePerPass) {
    Nest(25);
    for (int pass = 1; pass <= 2; ++pass) {
        SCOPED_TRACE(pass);
        const int32_t height = LayOut(800, 5);
        EXPECT_EQ(height, 10);  // each level is one row high, the leaves' height
        for (size_t i = 0; i < Leaves.size(); ++i) {
            SCOPED_TRACE(i + 1);
            EXPECT_EQ(Leaves[i]->MinMaxCalls, pass);
            EXPECT_EQ(Leaves[i]->Measures(), pass);
            EXPECT_EQ(int(Leaves[i]->Layouts.size()), 2 * pass);
        }
    }
    EXPECT_EQ(Doc->TableNestLevel, 0);
    EXPECT_FALSE(Doc->InLogic2);
}

TEST_F(NestedTablesTest, FailingLayoutRestoresTheDocumentsState) {
    Nest(3);
    Leaves.back()->ThrowOnPlacement = true;
    int32_t firstLine = 0;
    Doc->FirstLineHtPtr = &firstLine;
    EXPECT_THROW(LayOut(800, 5), std::runtime_error);
    EXPECT_EQ(Doc->TableNestLevel, 0);
    EXPECT_FALSE(Doc->InLogic2);
    EXPECT_EQ(Doc->FirstLineHtPtr, nullptr);
    EXPECT_EQ(firstLine, 0);

    // Laid out whole, the table is the first line: its bottom is the baseline.
    Leaves.back()->ThrowOnPlacement = false;
    Doc->FirstLineHtPtr = &firstLine;
    LayOut(800, 5);
    EXPECT_EQ(firstLine, 15);
    EXPECT_EQ(Doc->FirstLineHtPtr, nullptr);
}

TEST_F(NestedTablesTest, LayoutRefusesTablesDeeperThanTheParserBuilds) {
    Nest(1);
    NextPass();
    Doc->TableNestLevel = MaxTableNestLevel;
    Room.Init(0, 400);
    int32_t maxWidth = -1, curs = 0;
    EXPECT_EQ(Table->DrawLogic1(&Canvas, 0, 0, 0, 0, 400, 0, 0, &Room, maxWidth, curs), 0);
    EXPECT_EQ(maxWidth, 0);
    EXPECT_TRUE(Leaves.front()->Layouts.empty());
    EXPECT_EQ(Doc->TableNestLevel, MaxTableNestLevel);
    Doc->TableNestLevel = 0;
}

}  // namespace
