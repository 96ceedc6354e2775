#include "html/parser/CellManager.h"

#include <algorithm>

#include "html/layout/Tables.h"

void ClampCellSpans(TCellObjBase& Cell) {
    Cell.FColSpan = std::clamp(Cell.FColSpan, 1, MaxCellColSpan);
    Cell.FRowSpan = std::clamp(Cell.FRowSpan, 1, MaxCellRowSpan);
}

int TCellManager::ColumnCount() {
    const int count = Table && Table->ColSpecs() ? Table->ColSpecs()->Count() : 0;
    if (int(FFreeFrom.size()) < count) FFreeFrom.resize(size_t(count), 0);
    return count;
}

int TCellManager::FindColNum(int32_t Row) {
    const int count = ColumnCount();
    for (int c = 0; c < count; ++c)
        if (FFreeFrom[size_t(c)] <= Row) return c;
    return -1;
}

void TCellManager::AddCell(int32_t Row, TCellObjBase& Cell) {
    ClampCellSpans(Cell);
    const int count = ColumnCount();
    const int first = FindColNum(Row);
    if (first < 0) return;
    int fit = 0;
    while (fit < Cell.FColSpan && first + fit < count && FFreeFrom[size_t(first + fit)] <= Row) ++fit;
    const int32_t freeFrom = int32_t(std::min<int64_t>(int64_t(Row) + Cell.FRowSpan, INT32_MAX));
    for (int c = first; c < first + fit; ++c) FFreeFrom[size_t(c)] = std::max(FFreeFrom[size_t(c)], freeFrom);
    // The place at "first" is free, so at least one column always fits.
    Cell.FColSpan = fit;
}
