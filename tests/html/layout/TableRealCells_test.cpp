// Tables whose cells hold real content: text sections measured, broken
// into lines and placed on the recording canvas (in the 12-point font "a" is 8 wide, a
// space 4, "m" 16, a line 20 high), and tables nested in table blocks inside
// cells, laid out through the document.
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "SectionFixture.h"
#include "TableFixture.h"
#include "html/layout/Sections.h"
#include "html/layout/TableBlocks.h"

namespace {

using namespace tabletest;

// A text section that counts what a layout pass asks of it.
class TCountingSection : public TSection {
public:
    using TSection::TSection;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override {
        ++Layouts;
        return TSection::DrawLogic1(Canvas, X, Y, XRef, YRef, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
    }
    void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) override {
        ++MinMaxCalls;
        TSection::MinMaxWidth(Canvas, Min, Max);
    }
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override {
        DrawnX.push_back(X);
        return TSection::Draw1(Canvas, ARect, IMgr, X, XRef, YRef);
    }
    int Layouts = 0, MinMaxCalls = 0;
    std::vector<int32_t> DrawnX;
};

class TableRealCellsTest : public TableTest {
protected:
    // A cell of the table block Owner holding one paragraph.
    TCellObj* AddTextCell(TCellList* Row, TBlock* Owner, std::u16string_view Text,
                          TCountingSection** Section = nullptr) {
        auto* cell = new TCellObj(Owner, aTop, nullptr, nullptr);
        auto owned = std::make_unique<TCountingSection>(cell->FCell.get(), nullptr, TextProp.get(), nullptr, false);
        if (Section) *Section = owned.get();
        sectiontest::addText(*owned, Text, 0);
        std::unique_ptr<TSection> s = std::move(owned);
        cell->FCell->AddSection(s, 0);
        Row->Add(cell);
        return cell;
    }
    // A table in its table block, appended to Cell as the parser builds it.
    THtmlTable* AddTableBlock(TCellBasic* Cell, TTableBlock*& BlockOut) {
        Props.push_back(modeltest::props(TableSy, u"table"));
        TProperties* p = Props.back().get();
        auto table = std::make_unique<THtmlTable>(Cell, nullptr, p);
        auto block = std::make_unique<TTableBlock>(Cell, nullptr, p, table.get(), 1);
        THtmlTable* raw = table.get();
        BlockOut = block.get();
        block->MyCell->Add(std::move(table), 0);
        Cell->Add(std::move(block), 0);
        return raw;
    }
    // Depth tables nested each in the first cell of the one above, with a
    // text cell beside; the innermost holds only its text cell.
    TCountingSection* Nest(int Depth) {
        TCellBasic* cell = Doc.get();
        TCountingSection* innermost = nullptr;
        for (int level = 1; level <= Depth; ++level) {
            TTableBlock* block = nullptr;
            THtmlTable* table = AddTableBlock(cell, block);
            TCellList* row = new TCellList(nullptr, nullptr);
            table->Rows.Add(row);
            if (level < Depth) {
                auto* nested = new TCellObj(block, aTop, nullptr, nullptr);
                row->Add(nested);
                cell = nested->FCell.get();
            }
            AddTextCell(row, block, u"aaaa aa", level == Depth ? &innermost : nullptr);
            Tables.push_back(table);
        }
        return innermost;
    }
    int32_t LayOutDocument(int32_t Width) {
        int32_t scroll = 0, curs = 0;
        return Doc->DoLogic(&Canvas, 0, Width, 600, 0, scroll, curs);
    }

    std::unique_ptr<TProperties> TextProp = sectiontest::textProps();
    std::vector<std::unique_ptr<TProperties>> Props;
    std::vector<THtmlTable*> Tables;
};

TEST_F(TableRealCellsTest, ColumnsTakeTheTextsWidthsAndRowsItsLines) {
    NewTable();
    TCellList* row = AddRow();
    AddTextCell(row, Block, u"aaaa aa");  // minimum 32 ("aaaa"), maximum 52
    AddTextCell(row, Block, u"mm");       // 32 both
    int32_t mn = 0, mx = 0;
    NextPass();
    Table->MinMaxWidth(&Canvas, mn, mx);
    EXPECT_EQ(mn, 64);
    EXPECT_EQ(mx, 84);

    struct Case {
        int32_t room;
        int32_t width0, width1, rowHeight, lines0;
    };
    // Room for both maxima: natural widths on one line; less: the text
    // column gives way down to its minimum, and its words go on two lines.
    for (const Case& c : {Case{800, 52, 32, 20, 20}, Case{70, 38, 32, 40, 40}, Case{40, 32, 32, 40, 40}}) {
        SCOPED_TRACE(c.room);
        const int32_t height = LayOut(c.room);
        ASSERT_EQ(Table->Widths.size(), 2u);
        EXPECT_EQ(Table->Widths[0], c.width0);
        EXPECT_EQ(Table->Widths[1], c.width1);
        EXPECT_EQ(Table->Rows.GetItem(0)->RowHeight, c.rowHeight);
        EXPECT_EQ(height, c.rowHeight);
        EXPECT_EQ(CellAt(0, 0)->FVSize, c.lines0);
        EXPECT_EQ(CellAt(0, 1)->FVSize, 20);
        EXPECT_EQ(CellAt(0, 1)->FHt, c.rowHeight);
    }
}

TEST_F(TableRealCellsTest, TextIsPlacedAndDrawnInItsCell) {
    NewTable();
    TCountingSection *text = nullptr, *mm = nullptr, *below = nullptr;
    TCellList* row = AddRow();
    AddTextCell(row, Block, u"aaaa aa", &text);
    AddTextCell(row, Block, u"mm", &mm);
    CellAt(0, 1)->FVAlign = aBottom;
    AddTextCell(AddRow(), Block, u"aa", &below);
    LayOut(70, 100);  // the first cell's text on two lines: the first row is 40 high
    ASSERT_EQ(Table->Widths.size(), 2u);
    Table->Draw1(&Canvas, Rect(0, 0, 800, 600), &Room, 0, 0, 0);
    struct Case {
        const char* name;
        TCountingSection* section;
        TCellObj* cell;
        int32_t x, y;
    };
    const Case cases[] = {
        {"two lines at the top", text, CellAt(0, 0), 0, 100},
        {"one line at the bottom of its row", mm, CellAt(0, 1), Table->Widths[0], 120},
        {"the next row", below, CellAt(1, 0), 0, 140},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        EXPECT_EQ(c.section->YDraw, c.y);
        ASSERT_EQ(c.section->DrawnX.size(), 1u);
        EXPECT_EQ(c.section->DrawnX[0], c.x);
        EXPECT_EQ(c.cell->FCell->MyRect.Left, c.x);
        EXPECT_EQ(c.cell->FCell->MyRect.Right, c.x + c.cell->FWd);
    }
    EXPECT_EQ(Str(CellAt(0, 1)->FCell->MyRect), "(" + std::to_string(Table->Widths[0]) + ",100,70,140)");
}

TEST_F(TableRealCellsTest, NestedTablesInBlocksCostTheSameAtAnyDepth) {
    // What the innermost text is asked in a layout of the document does not
    // grow with the depth: every level measures its cells once a pass and
    // places them once.
    struct Count {
        int layouts, minMax;
    };
    std::vector<Count> counts;
    for (int depth : {8, 16, 30}) {
        SCOPED_TRACE(depth);
        Doc = std::make_unique<ThtDocument>(Owner(), nullptr);
        Tables.clear();
        TCountingSection* innermost = Nest(depth);
        ASSERT_NE(innermost, nullptr);
        const int32_t height = LayOutDocument(2000);
        EXPECT_GT(height, 0);
        counts.push_back({innermost->Layouts, innermost->MinMaxCalls});
        // A second layout (as with and without a scroll bar) costs as much.
        innermost->Layouts = innermost->MinMaxCalls = 0;
        EXPECT_GT(LayOutDocument(1990), 0);
        EXPECT_EQ(innermost->Layouts, counts.back().layouts);
        // Every level's table is as wide as its content and no wider than the room.
        for (THtmlTable* t : Tables) {
            EXPECT_GT(t->TableWidth, 0);
            EXPECT_LE(t->TableWidth, 1990);
        }
        EXPECT_EQ(innermost->Lines.Count(), 1);
    }
    for (const Count& c : counts) {
        EXPECT_EQ(c.layouts, counts.front().layouts);
        EXPECT_LE(c.layouts, 4);
        EXPECT_LE(c.minMax, 4);
    }
}

TEST_F(TableRealCellsTest, PrintCopyOfTheDocumentLaysOutTheSameTables) {
    Nest(6);
    const int32_t height = LayOutDocument(500);
    std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*Doc);
    ASSERT_NE(copy, nullptr);
    // The copy's nest: every level a table block holding its table, whose
    // cells hold copies of the content.
    std::vector<THtmlTable*> copies;
    TCellBasic* cell = copy.get();
    while (cell) {
        TTableBlock* block = nullptr;
        for (int i = 0; i < cell->Count() && !block; ++i) block = dynamic_cast<TTableBlock*>(cell->GetItem(i));
        if (!block) break;
        ASSERT_NE(block->Table, nullptr);
        EXPECT_EQ(block->MyCell->GetItem(0), block->Table);
        copies.push_back(block->Table);
        const TCellList* row = block->Table->Rows.GetItem(0);
        ASSERT_NE(row, nullptr);
        const auto* first = dynamic_cast<const TCellObj*>(row->GetCellObj(0));
        cell = row->Count() == 2 && first ? first->FCell.get() : nullptr;
    }
    ASSERT_EQ(copies.size(), Tables.size());
    int32_t scroll = 0, curs = 0;
    EXPECT_EQ(copy->DoLogic(&Canvas, 0, 500, 600, 0, scroll, curs), height);
    for (size_t i = 0; i < copies.size(); ++i) {
        SCOPED_TRACE(i);
        EXPECT_EQ(copies[i]->TableWidth, Tables[i]->TableWidth);
        EXPECT_EQ(copies[i]->Widths, Tables[i]->Widths);
        EXPECT_EQ(copies[i]->TableHeight(), Tables[i]->TableHeight());
    }
}

}  // namespace
