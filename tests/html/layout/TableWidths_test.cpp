// Column widths with cells of fixed minimum and maximum width: what a table
// reports as its minimum and maximum, and the widths it takes for a room.
// Every case checks the invariants: the widths add up to the table width,
// none is negative, and a second layout pass gives the same widths.
#include <gtest/gtest.h>

#include <numeric>
#include <vector>

#include "TableFixture.h"

namespace {

using namespace tabletest;

class TableWidthsTest : public TableTest {
protected:
    void Build(const std::vector<std::vector<TCellSpec>>& Rows) {
        NewTable();
        for (const auto& cells : Rows) {
            TCellList* row = AddRow();
            for (const TCellSpec& s : cells) AddCell(row, s);
        }
    }
    // The widths for a room of Room pixels (Specified: the table's own width).
    std::vector<int32_t> Widths(int32_t RoomWidth, bool Specified, int32_t& Total) {
        NextPass();
        Table->tblWidthAttr = Specified ? RoomWidth : 0;
        Room.Init(0, RoomWidth);
        Total = Table->FindTableWidth(&Canvas, &Room, 0);
        return Table->Widths;
    }
};

TCellSpec cell(int32_t Min, int32_t Max, const char16_t* Width = nullptr, int32_t ColSpan = 1) {
    TCellSpec s;
    s.Min = Min;
    s.Max = Max;
    s.Width = Width;
    s.ColSpan = ColSpan;
    return s;
}

TEST_F(TableWidthsTest, WidthsForTheRoom) {
    struct Case {
        const char* name;
        std::vector<std::vector<TCellSpec>> rows;
        int32_t room;
        bool specified;
        std::vector<int32_t> widths;
    };
    const Case cases[] = {
        {"natural width fits", {{cell(10, 50), cell(20, 100)}}, 600, false, {50, 100}},
        {"narrower than the minimums", {{cell(100, 200), cell(150, 300)}}, 200, false, {100, 150}},
        {"shrinks between minimum and maximum", {{cell(100, 300), cell(100, 100)}}, 250, false, {150, 100}},
        {"50% of 600", {{cell(20, 50, u"50%"), cell(20, 100)}}, 600, true, {300, 300}},
        {"colspan deficit by current widths",
         {{cell(300, 300, nullptr, 2)}, {cell(50, 100), cell(10, 20)}},
         1000,
         false,
         {250, 50}},
        {"colspan deficit over empty columns",
         {{cell(100, 100, nullptr, 2)}, {cell(0, 0), cell(0, 0)}},
         1000,
         false,
         {50, 50}},
        {"1* : 3*", {{cell(10, 10, u"1*"), cell(10, 10, u"3*")}}, 400, true, {100, 300}},
        {"all 0* share like plain columns", {{cell(10, 30, u"0*"), cell(10, 30, u"0*")}}, 400, true, {200, 200}},
        {"plain columns grow past their maxima alike", {{cell(10, 30), cell(10, 30)}}, 400, true, {200, 200}},
        {"absolute column grows last", {{cell(10, 10, u"40"), cell(10, 60)}}, 300, true, {40, 260}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        Build(c.rows);
        int32_t total = 0;
        const std::vector<int32_t> first = Widths(c.room, c.specified, total);
        EXPECT_EQ(first, c.widths);
        EXPECT_EQ(total, std::accumulate(first.begin(), first.end(), 0) + Table->CellSpacingHorz);
        for (int32_t w : first) EXPECT_GE(w, 0);
        int32_t again = 0;
        EXPECT_EQ(Widths(c.room, c.specified, again), first);
        EXPECT_EQ(again, total);
    }
}

TEST_F(TableWidthsTest, MinimumAndMaximumWithSpacing) {
    Build({{cell(10, 50), cell(20, 100)}});
    Table->CellSpacingHorz = 3;  // once per cell and once for the table
    int32_t mn = 0, mx = 0;
    Table->MinMaxWidth(&Canvas, mn, mx);
    EXPECT_EQ(mn, 10 + 3 + 20 + 3 + 3);
    EXPECT_EQ(mx, 50 + 3 + 100 + 3 + 3);
    Table->tblWidthAttr = 500;  // the table block's width when larger
    Table->MinMaxWidth(&Canvas, mn, mx);
    EXPECT_EQ(mn, 500);
    EXPECT_EQ(mx, 500);
}

TEST_F(TableWidthsTest, SpecifiedColumnKeepsTheWiderCellsMinimum) {
    Build({{cell(80, 90), cell(10, 10)}});
    Table->DoColumns(1, TSpecWidth{50, wtAbsolute}, aNone, u"");
    int32_t total = 0;
    const std::vector<int32_t> w = Widths(400, false, total);
    EXPECT_EQ(Table->MinWidths[0], 80);
    EXPECT_GE(w[0], 80);
    EXPECT_EQ(Table->ColumnSpecs[0], wtAbsolute);
}

TEST_F(TableWidthsTest, SpanOverRelativeColumnsKeepsEveryColumnsWidth) {
    // The widest relative column sets the unit; the columns grow to it
    // rather than the others giving up width they need.
    Build({{cell(310, 310, nullptr, 3)}, {cell(300, 300, u"1*"), cell(0, 0, u"1*"), cell(0, 0, u"1*")}});
    int32_t total = 0;
    const std::vector<int32_t> w = Widths(100, false, total);
    EXPECT_EQ(Table->MinWidths, (std::vector<int32_t>{300, 300, 300}));
    EXPECT_EQ(w, Table->MinWidths);  // the room is too small: the minimums
}

TEST_F(TableWidthsTest, HugeSpecifiedWidthsNeverOverflow) {
    TCellSpec huge = cell(10, 10, u"2000000000");
    Build({{huge, huge, huge, cell(5, 5, u"2000000000*")}, {cell(10, 10, u"100%", 4)}});
    for (bool specified : {false, true}) {
        SCOPED_TRACE(specified ? "a width given" : "no width given");
        int32_t total = 0;
        const std::vector<int32_t> w = Widths(800, specified, total);
        int64_t sum = 0;
        for (int32_t x : w) {
            EXPECT_GE(x, 0);
            sum += x;
        }
        EXPECT_EQ(total, sum);
        EXPECT_GT(total, 0);
        int32_t mn = 0, mx = 0;
        Table->MinMaxWidth(&Canvas, mn, mx);
        EXPECT_GE(mn, 0);
        EXPECT_GE(mx, mn);
    }
}

TEST_F(TableWidthsTest, SpanningPercentCellDistributesTheSameWayEveryPass) {
    // The spanning cell makes its columns percent columns in the first
    // gathering; the next pass finds the columns' types anew and so takes
    // the same branch again.
    Build({{cell(200, 200, u"50%", 2), cell(20, 40)}, {cell(30, 60), cell(40, 50), cell(20, 40)}});
    int32_t total = 0;
    const std::vector<int32_t> first = Widths(900, true, total);
    EXPECT_EQ(Table->ColumnSpecs[0], wtPercent);
    EXPECT_EQ(Table->ColumnSpecs[1], wtPercent);
    EXPECT_EQ(Table->Percents[0] + Table->Percents[1], 500);
    EXPECT_GE(first[0] + first[1], 200);  // the spanning cell's minimum still holds
    EXPECT_EQ(total, 900);
    for (int pass = 0; pass < 3; ++pass) {
        int32_t again = 0;
        EXPECT_EQ(Widths(900, true, again), first);
    }
}

TEST_F(TableWidthsTest, OneGatheringPerLayoutPass) {
    Build({{cell(10, 50), cell(20, 100)}});
    auto* stub = static_cast<TStubCell*>(CellAt(0, 0)->FCell.get());
    NextPass();
    int32_t mn = 0, mx = 0;
    for (int i = 0; i < 5; ++i) Table->MinMaxWidth(&Canvas, mn, mx);
    Room.Init(0, 300);
    Table->FindTableWidth(&Canvas, &Room, 0);
    EXPECT_EQ(stub->MinMaxCalls, 1);
    NextPass();
    Table->MinMaxWidth(&Canvas, mn, mx);
    EXPECT_EQ(stub->MinMaxCalls, 2);
}

}  // namespace
