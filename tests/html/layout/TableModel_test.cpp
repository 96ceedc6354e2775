// The table model: declared widths, the attributes of tables, rows and
// cells with their limits, the row height merged into cells, the grid made
// from rows of cells with spans, and print copies.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "TableFixture.h"
#include "html/layout/AttributeList.h"
#include "html/layout/SizeableObjs.h"

namespace {

using namespace tabletest;
using modeltest::attr;
using modeltest::props;

std::unique_ptr<TAttributeList> attrs(std::initializer_list<std::tuple<TAttrSymb, const char16_t*, double>> list) {
    auto l = std::make_unique<TAttributeList>();
    for (const auto& [sym, value, number] : list) l->Add(attr(sym, u"", value, number));
    return l;
}

TEST(MakeSpecFromText, ReadsPercentMultiplierOrPixels) {
    struct Case {
        int32_t value;
        const char16_t* text;
        TSpecWidth want;
    } cases[] = {
        {50, u"50%", {500, wtPercent}},
        {150, u"150%", {1000, wtPercent}},
        {3, u"3*", {3, wtRelative}},
        {120, u"120", {120, wtAbsolute}},
        {2000000000, u"2000000000", {MaxSpecExtent, wtAbsolute}},
        {2000000000, u"2000000000*", {MaxSpecExtent, wtRelative}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(std::string(c.text, c.text + std::char_traits<char16_t>::length(c.text)));
        EXPECT_EQ(MakeSpecFromText(c.value, c.text), c.want);
    }
}

class TableModelTest : public TableTest {
protected:
    // Rows of cells, each a letter; the grid is read back as text: the
    // cell's letter, '-' for a filler of a column span (or a padded place),
    // '|' for a place a row span covers, '.' for an empty slot.
    void Build(const std::vector<std::vector<TCellSpec>>& Rows) {
        NewTable();
        char name = 'A';
        for (const auto& cells : Rows) {
            TCellList* row = AddRow();
            for (const TCellSpec& s : cells) {
                AddCell(row, s);
                Names[row->GetCellObj(row->Count() - 1)] = name++;
            }
        }
    }
    std::vector<std::string> Picture() const {
        std::vector<std::string> out;
        for (int r = 0; r < Table->Rows.Count(); ++r) {
            std::string line;
            const TCellList* row = Table->Rows.GetItem(r);
            for (int c = 0; c < row->Count(); ++c) {
                const TCellObjBase* slot = row->GetCellObj(c);
                auto it = Names.find(slot);
                line += !slot ? '.' : it != Names.end() ? it->second : slot->FRowSpan == 0 ? '|' : '-';
            }
            out.push_back(line);
        }
        return out;
    }
    std::map<const TCellObjBase*, char> Names;
};

TEST_F(TableModelTest, GridFromRowsWithSpans) {
    struct Case {
        const char* name;
        std::vector<std::vector<TCellSpec>> rows;
        std::vector<std::string> grid;
    };
    const TCellSpec one;
    TCellSpec c3;
    c3.ColSpan = 3;
    TCellSpec r2, r5, c2r2;
    r2.RowSpan = 2;
    r5.RowSpan = 5;
    c2r2.ColSpan = c2r2.RowSpan = 2;
    const Case cases[] = {
        {"colspan on the last cell", {{one}, {one, c3}}, {"A---", "BC--"}},
        {"rowspan beyond the rows left", {{r5, one}, {one}}, {"AB", "|C"}},
        {"ragged row not padded", {{one, r2, one}, {one}}, {"ABC", "D|"}},
        {"both spans reserve their places", {{c2r2, one}, {one}}, {"A-B", "||C"}},
        {"padding skips the rows a cell spans", {{one, one, one}, {r2}, {one}}, {"ABC", "D--", "|E"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Names.clear();
        Build(c.rows);
        Table->InitializeGrid();
        EXPECT_EQ(Picture(), c.grid);
        EXPECT_TRUE(Table->Initialized);
        EXPECT_EQ(Table->NumCols, int(c.grid.front().size()));
        EXPECT_EQ(Table->Widths.size(), size_t(Table->NumCols));
        // No span reaches past the grid.
        for (int r = 0; r < Table->Rows.Count(); ++r)
            for (int s = 0; s < Table->Rows.GetItem(r)->Count(); ++s) {
                const TCellObjBase* slot = Table->Rows.GetItem(r)->GetCellObj(s);
                EXPECT_LE(s + slot->FColSpan, Table->NumCols);
                EXPECT_LE(r + slot->FRowSpan, Table->Rows.Count());
            }
    }
    // The row span is cut to the rows that remain.
    Names.clear();
    Build({{r5, one}, {one}});
    Table->InitializeGrid();
    EXPECT_EQ(CellAt(0, 0)->FRowSpan, 2);
}

TEST_F(TableModelTest, HugeSpansFromAttributesAreCut) {
    NewTable();
    TCellList* row = AddRow();
    auto a = attrs({{ColSpanSy, u"2000000000", 2000000000}, {RowSpanSy, u"2000000000", 2000000000}});
    auto* cell = new TCellObj(Block, aMiddle, a.get(), nullptr);
    EXPECT_EQ(cell->FColSpan, MaxColSpan);
    EXPECT_EQ(cell->FRowSpan, MaxRowSpan);
    row->Add(cell);
    AddRow();  // a second, empty row
    Table->InitializeGrid();
    EXPECT_EQ(Table->NumCols, MaxColSpan);
    EXPECT_EQ(row->Count(), MaxColSpan);
    EXPECT_EQ(cell->FRowSpan, 2);
    EXPECT_EQ(Table->Rows.GetItem(1)->Count(), MaxColSpan);  // every place the span covers is reserved
}

TEST_F(TableModelTest, TableAttributesAndTheirLimits) {
    struct Case {
        const char* name;
        std::vector<std::tuple<TAttrSymb, const char16_t*, double>> attributes;
        int32_t border;
        TTableFrame frame;
        TTableRules rules;
        int32_t padding, spacing;
    };
    const Case cases[] = {
        {"no attributes", {}, 0, tfVoid, trNone, 1, 2},
        {"BORDER without a value", {{BorderSy, u"", 1}}, 1, tfBorder, trAll, 1, 2},
        {"BORDER=300", {{BorderSy, u"300", 300}}, 100, tfBorder, trAll, 1, 2},
        {"BORDER=0", {{BorderSy, u"0", 0}}, 0, tfVoid, trNone, 1, 2},
        {"CELLSPACING=100", {{CellSpacingSy, u"100", 100}}, 0, tfVoid, trNone, 1, 40},
        {"CELLSPACING=-5", {{CellSpacingSy, u"-5", -5}}, 0, tfVoid, trNone, 1, -1},
        {"CELLPADDING=80", {{CellPaddingSy, u"80", 80}}, 0, tfVoid, trNone, 50, 2},
        {"FRAME=sideways keeps BORDER's",
         {{BorderSy, u"2", 2}, {FrameAttrSy, u"sideways", 0}},
         2,
         tfBorder,
         trAll,
         1,
         2},
        {"FRAME and RULES in any case",
         {{FrameAttrSy, u"hSides", 0}, {RulesSy, u"COLS", 0}},
         0,
         tfHSides,
         trCols,
         1,
         2},
        {"RULES=bogus keeps BORDER's", {{BorderSy, u"1", 1}, {RulesSy, u"bogus", 0}}, 1, tfBorder, trAll, 1, 2},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto a = std::make_unique<TAttributeList>();
        for (const auto& [sym, value, number] : c.attributes) a->Add(attr(sym, u"", value, number));
        THtmlTable t(Block->MyCell.get(), a.get(), nullptr);
        EXPECT_EQ(t.BorderWidth, c.border);
        EXPECT_EQ(t.Frame, c.frame);
        EXPECT_EQ(t.Rules, c.rules);
        EXPECT_EQ(t.CellPadding, c.padding);
        EXPECT_EQ(t.CellSpacingHorz, c.spacing);
        EXPECT_EQ(t.CellSpacingVert, c.spacing);
    }
    auto colour = attrs({{BorderColorSy, u"red", 0}, {BorderColorDarkSy, u"#000080", 0}});
    THtmlTable coloured(Block->MyCell.get(), colour.get(), nullptr);
    EXPECT_EQ(coloured.BorderColor, clRed);
    EXPECT_EQ(coloured.BorderColorDark, clNavy);
    EXPECT_EQ(coloured.BorderColorLight, clBtnHighlight);

    // A style sheet's border spacing wins; without it, collapsed borders mean no spacing.
    auto collapsed = props(TableSy, u"table");
    collapsed->Props[BorderCollapse] = std::u16string(u"collapse");
    EXPECT_EQ(THtmlTable(Block->MyCell.get(), nullptr, collapsed.get()).CellSpacingHorz, -1);
    auto spaced = props(TableSy, u"table");
    spaced->Props[BorderCollapse] = std::u16string(u"collapse");
    spaced->Props[BorderSpacingHorz] = std::u16string(u"5px");
    spaced->Props[BorderSpacingVert] = std::u16string(u"7px");
    THtmlTable t(Block->MyCell.get(), nullptr, spaced.get());
    EXPECT_EQ(t.CellSpacingHorz, 5);
    EXPECT_EQ(t.CellSpacingVert, 7);
}

TEST_F(TableModelTest, RowsReadTheirAttributes) {
    auto percent = attrs({{HeightSy, u"50%", 50}, {BGColorSy, u"#00FF00", 0}});
    TCellList a(percent.get(), nullptr);
    EXPECT_EQ(a.SpecRowHeight, (TSpecWidth{500, wtPercent}));
    EXPECT_TRUE(a.BkGnd);
    EXPECT_EQ(a.BkColor, clLime);
    // A row height is limited to 0..100 even in pixels.
    auto pixels = attrs({{HeightSy, u"250", 250}, {BackgroundSy, u"row.png", 0}});
    TCellList b(pixels.get(), nullptr);
    EXPECT_EQ(b.SpecRowHeight, (TSpecWidth{100, wtAbsolute}));
    EXPECT_EQ(b.BkImage, u"row.png");
    EXPECT_FALSE(b.BkGnd);
}

TEST_F(TableModelTest, RowHeightMergesIntoCellHeights) {
    // Row kind × cell kind → the cell's declared height after Add.
    const TSpecWidth R[] = {{}, {40, wtAbsolute}, {300, wtPercent}, {2, wtRelative}};
    const TSpecWidth C[] = {{}, {60, wtAbsolute}, {200, wtPercent}, {5, wtRelative}};
    const TSpecWidth want[4][4] = {
        // cell: none, absolute, percent, relative
        /* row none */ {C[0], C[1], C[2], C[3]},
        /* row absolute */ {R[1], {60, wtAbsolute}, R[1], R[1]},
        /* row percent */ {R[2], C[1], {300, wtPercent}, R[2]},
        /* row relative */ {R[3], C[1], C[2], {5, wtRelative}},
    };
    for (int r = 0; r < 4; ++r)
        for (int c = 0; c < 4; ++c) {
            SCOPED_TRACE(testing::Message() << "row kind " << r << ", cell kind " << c);
            TCellList row(nullptr, nullptr);
            row.SpecRowHeight = R[r];
            auto* cell = new TCellObj(Block, aMiddle, nullptr, nullptr);
            cell->FSpecHt = C[c];
            row.Add(cell);
            EXPECT_EQ(cell->FSpecHt, want[r][c]);
        }
    // Page breaks of a cell become the row's.
    TCellList row(nullptr, nullptr);
    auto* cell = new TCellObj(Block, aMiddle, nullptr, nullptr);
    cell->KeepIntact = true;
    row.Add(cell);
    EXPECT_TRUE(row.KeepIntact);
    EXPECT_FALSE(row.BreakBefore);
}

TEST_F(TableModelTest, CellTakesItsAttributesAndStyle) {
    auto a = attrs({{BGColorSy, u"blue", 0},
                    {WidthSy, u"50%", 50},
                    {HeightSy, u"-4", -4},
                    {HrefSy, u"next.html", 0},
                    {TargetSy, u"_blank", 0}});
    auto p = props(TDSy, u"td");
    p->PropTitle = u"tip";
    p->Props[VerticalAlign] = std::u16string(u"bottom");
    p->Props[PaddingLeft] = std::u16string(u"4px");
    p->Props[BorderTopStyle] = std::u16string(u"solid");
    p->Props[BorderTopWidth] = std::u16string(u"3px");
    p->Props[OverFlow] = std::u16string(u"hidden");
    p->Props[piEmptyCells] = std::u16string(u"hide");
    TCellObj cell(Block, aMiddle, a.get(), p.get());
    EXPECT_TRUE(cell.FCell->BkGnd);
    EXPECT_EQ(cell.FCell->BkColor, clBlue);
    EXPECT_EQ(cell.FSpecWd, (TSpecWidth{500, wtPercent}));
    EXPECT_EQ(cell.FSpecHt, TSpecWidth());  // a negative height is not taken
    EXPECT_EQ(cell.FCell->Url, u"next.html");
    EXPECT_EQ(cell.FCell->Target, u"_blank");
    EXPECT_EQ(cell.FCell->Title, u"tip");
    EXPECT_EQ(cell.FVAlign, aBottom);
    EXPECT_EQ(cell.FPad.Left, 4);
    EXPECT_EQ(cell.FPad.Top, -1);  // not given: the table's padding later
    EXPECT_TRUE(cell.FHasBorderStyle);
    EXPECT_EQ(cell.FBrd.Top, 3);
    EXPECT_EQ(cell.FBrd.Left, 0);
    EXPECT_TRUE(cell.FHideOverflow);
    EXPECT_FALSE(cell.FShowEmptyCells);

    // The grid's set-up: paddings not given take the table's, a table border
    // gives cells without a border style at least one pixel, spaces follow.
    NewTable(nullptr, nullptr, false);
    Table->BorderWidth = 1;
    Table->CellPadding = 5;
    TCellList* row = AddRow();
    row->BkGnd = true;
    row->BkColor = clRed;
    row->BkImage = u"row.png";
    auto* plain = new TCellObj(Block, aMiddle, nullptr, nullptr);
    auto* styled = new TCellObj(Block, aMiddle, a.get(), p.get());
    row->Add(plain);
    row->Add(styled);
    Table->InitializeGrid();
    EXPECT_EQ(Str(plain->FPad), "(5,5,5,5)");
    EXPECT_EQ(Str(plain->FBrd), "(1,1,1,1)");
    EXPECT_EQ(plain->FHzSpace, 12);
    EXPECT_EQ(plain->FVrSpace, 12);
    EXPECT_TRUE(plain->FCell->BkGnd);
    EXPECT_EQ(plain->FCell->BkColor, clRed);
    ASSERT_NE(plain->BGImage, nullptr);
    EXPECT_EQ(plain->BGImage->Source(), u"row.png");
    EXPECT_EQ(Str(styled->FBrd), "(0,3,0,0)");
    EXPECT_EQ(styled->FHzSpace, 4 + 5);
    EXPECT_EQ(styled->FCell->BkColor, clBlue);  // its own colour stays
}

TEST_F(TableModelTest, ColumnDeclarationsAreLimited) {
    NewTable();
    Table->DoColumns(20000, TSpecWidth{30, wtAbsolute}, aTop, u"center");
    ASSERT_NE(Table->ColSpecs(), nullptr);
    EXPECT_EQ(Table->ColSpecs()->Count(), 10000);
    EXPECT_EQ(Table->ColSpecs()->GetItem(9999)->ColAlign(), u"center");
    Table->DoColumns(-3, TSpecWidth{}, aTop, u"");
    EXPECT_EQ(Table->ColSpecs()->Count(), 10000);
}

TEST_F(TableModelTest, PrintCopiesTakeBackgroundsOnlyWhenTheyPrint) {
    NewTable();
    Table->BkGnd = true;
    Table->BkColor = clYellow;
    TCellList* row = AddRow();
    row->BreakAfter = true;
    TCellSpec wide;
    wide.ColSpan = 2;
    TStubCell* stub = AddCell(row, wide);
    stub->BkGnd = true;
    stub->BkColor = clAqua;
    TCellObj* cell = CellAt(0, 0);
    cell->BGImage = std::make_unique<TImageObj>(cell->FCell.get(), u"cell.png");
    cell->MargArray[BorderTopWidth] = 7;
    row->TFreeList::Add(nullptr);  // a slot left empty
    Table->InitializeGrid();

    for (bool printsBackgrounds : {false, true}) {
        SCOPED_TRACE(printsBackgrounds ? "backgrounds print" : "backgrounds do not print");
        Doc->PrintTableBackground = printsBackgrounds;
        std::unique_ptr<ThtDocument> copy = ThtDocument::CreateCopy(*Doc);
        auto* block = dynamic_cast<TBlock*>(copy->GetItem(0));
        ASSERT_NE(block, nullptr);
        auto* table = dynamic_cast<THtmlTable*>(block->MyCell->GetItem(0));
        ASSERT_NE(table, nullptr);
        EXPECT_EQ(table->BkGnd, printsBackgrounds);
        EXPECT_EQ(table->NumCols, Table->NumCols);
        EXPECT_EQ(table->MinWidths.size(), size_t(Table->NumCols));
        EXPECT_TRUE(table->Heights.empty());
        EXPECT_EQ(table->TablePartRec->TablePart, TTablePart::Normal);
        TCellList* r = table->Rows.GetItem(0);
        ASSERT_EQ(r->Count(), row->Count());
        EXPECT_TRUE(r->BreakAfter);
        EXPECT_EQ(r->GetCellObj(r->Count() - 1), nullptr);
        auto* c = dynamic_cast<TCellObj*>(r->GetCellObj(0));
        ASSERT_NE(c, nullptr);
        EXPECT_NE(c, cell);
        EXPECT_EQ(c->FColSpan, 2);
        EXPECT_EQ(c->MargArray[BorderTopWidth], 7);
        EXPECT_EQ(c->FCell->Document(), copy.get());
        EXPECT_EQ(c->FCell->BkGnd, printsBackgrounds);
        EXPECT_EQ(c->BGImage != nullptr, printsBackgrounds);
        if (c->BGImage) {
            EXPECT_EQ(c->BGImage->Source(), u"cell.png");
            EXPECT_EQ(c->BGImage->OwnerCell(), c->FCell.get());
        }
        // The copy lays out and draws without the slot that is empty.
        copy->CycleNumber = 1;
        TIndentManager room;
        room.Init(0, 400);
        int32_t maxWidth = 0, curs = 0;
        table->DrawLogic1(&Canvas, 0, 0, 0, 0, 400, 0, 0, &room, maxWidth, curs);
        table->Draw1(&Canvas, Rect(0, 0, 400, 400), &room, 0, 0, 0);
    }
}

}  // namespace
