#pragma once
// Which places of a table's column grid the cells read so far take, so that
// a cell can find the column declaration (COL, COLGROUP) it sits under.
// Rows are asked for in reading order, never an earlier one after a later
// one; so a column taken by a cell's row span is taken from the current row
// down to where the span ends, and the manager keeps, per column, the first
// row from which it is free again. That is exactly the grid of taken places
// of every row still to come, at the cost of one entry per column however
// long the spans are.
#include <cstdint>
#include <vector>

class TCellObjBase;
class THtmlTable;

// Spans beyond these never reach the grid.
constexpr int32_t MaxCellColSpan = 1000;
constexpr int32_t MaxCellRowSpan = 65534;

// Clamps a cell's spans to 1 .. MaxCellColSpan and 1 .. MaxCellRowSpan.
void ClampCellSpans(TCellObjBase& Cell);

class TCellManager {
public:
    explicit TCellManager(THtmlTable* ATable) : Table(ATable) {}

    // The first free column of row Row (0-based), or -1 when every column
    // of the table's column declarations is taken there.
    int FindColNum(int32_t Row);
    // Cell, starting in row Row, takes the first free column of that row and
    // the free columns right of it, up to its column span, in each row of
    // its row span. Its spans are clamped first; a column span that does not
    // fit (a taken place or the last column) is cut to what fits, never
    // below 1.
    void AddCell(int32_t Row, TCellObjBase& Cell);

    THtmlTable* Table;

private:
    int ColumnCount();
    std::vector<int32_t> FFreeFrom;  // per column: the first row where it is free
};
