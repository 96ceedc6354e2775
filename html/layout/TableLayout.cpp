// The vertical half of table layout: cells measured at their column widths,
// row heights (rows a cell spans share its height), header and footer rows,
// and every cell placed at its final height with its vertical alignment.
//
// Nested tables lay out in two passes: the outermost table measures all its
// cells first (nested tables only measure then), and places them in the
// second pass (InLogic2), where nested tables measure and place. A cell's
// measuring layout is made once per pass for a given room, so that the work
// grows with the depth of the nesting, not exponentially.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "html/layout/Document.h"
#include "html/layout/Images.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/TableNesting.h"
#include "html/layout/Tables.h"

namespace {

int32_t sat32(int64_t V) { return int32_t(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

// Heights beyond any page are taken as the largest one; sums of them stay in 64 bits.
int64_t boundedHeight(int64_t V) { return std::clamp<int64_t>(V, -FarBeyond, FarBeyond); }

int64_t sumWidths(const TIntArray& Widths, int From, int Count) {
    int64_t s = 0;
    for (int c = std::max(From, 0); c < From + Count && c < int(Widths.size()); ++c) s += Widths[size_t(c)];
    return s;
}

// What the cells of one row and one row span ask for.
struct TRowNeed {
    int64_t Min = 0;      // the tallest content with its spaces, or a pixel height
    int64_t Desired = 0;  // a percentage height
    bool Spec = false;    // some cell has a height of its own
};

// Lays a cell out at its width to learn its height (step 3 to 5 of measuring a row).
void measureCell(TCellObj& Cell, TCanvas* Canvas, int32_t CellSpacingHorz, int32_t AHeight, int32_t Rows,
                 TRowNeed& Need) {
    TSpecWidth spec = Cell.FSpecHt;
    spec.Value = std::clamp(spec.Value, 0, spec.VType == wtPercent ? 1000 : MaxSpecExtent);
    int64_t sh = 0;
    if (spec.VType == wtAbsolute) sh = spec.Value;
    if (spec.VType == wtPercent) sh = int64_t(AHeight) * spec.Value / 1000;
    if (sh == 0 && Rows == 1) sh = AHeight;
    const int64_t width = int64_t(Cell.FWd) - Cell.FHzSpace - CellSpacingHorz;
    const int32_t vsize = Cell.MeasureContent(Canvas, sat32(std::max<int64_t>(0, width)),
                                              sat32(std::max<int64_t>(0, sh - Cell.FVrSpace)));
    Need.Min = std::max(Need.Min, int64_t(vsize) + Cell.FVrSpace);
    if (spec.VType == wtAbsolute) {
        Need.Min = std::max<int64_t>(Need.Min, spec.Value);
        Need.Spec = true;
    } else if (spec.VType == wtPercent) {
        Need.Desired = std::max(Need.Desired, sh);
        Need.Spec = true;
    }
}

// Range additions and range sums over the rows (a cell spanning many rows
// adds to all of them at the cost of one).
class TRowSums {
public:
    explicit TRowSums(int N) : FN(N), FB1(size_t(N) + 1, 0), FB2(size_t(N) + 1, 0) {}
    void Add(int From, int To, int64_t V) {
        add(FB1, From, V);
        add(FB1, To + 1, -V);
        add(FB2, From, V * From);
        add(FB2, To + 1, -V * (To + 1));
    }
    int64_t Sum(int From, int To) const { return prefix(To) - (From > 0 ? prefix(From - 1) : 0); }

private:
    void add(std::vector<int64_t>& T, int I, int64_t V) {
        for (++I; I <= FN; I += I & -I) T[size_t(I)] += V;
    }
    int64_t pre(const std::vector<int64_t>& T, int I) const {
        int64_t s = 0;
        for (++I; I > 0; I -= I & -I) s += T[size_t(I)];
        return s;
    }
    int64_t prefix(int I) const { return pre(FB1, I) * (I + 1) - pre(FB2, I); }
    int FN;
    std::vector<int64_t> FB1, FB2;
};

// Amount split over rows From..To: each gets its part, the last the remainder.
void spreadOverRows(TRowSums& Sums, int From, int To, int64_t Amount) {
    const int64_t n = To - From + 1;
    const int64_t each = Amount / n;
    if (each != 0) Sums.Add(From, To, each);
    if (const int64_t rest = Amount - each * n) Sums.Add(To, To, rest);
}

int32_t roundEven(double V) { return sat32(int64_t(std::nearbyint(std::clamp(V, -9.0e15, 9.0e15)))); }

// Clears the document's second-pass flag when the outermost table's row is done.
class TLogic2Scope {
public:
    explicit TLogic2Scope(ThtDocument* Document) : FDocument(Document) {
        if (FDocument) FDocument->InLogic2 = true;
    }
    ~TLogic2Scope() {
        if (FDocument) FDocument->InLogic2 = false;
    }
    TLogic2Scope(const TLogic2Scope&) = delete;
    TLogic2Scope& operator=(const TLogic2Scope&) = delete;

private:
    ThtDocument* FDocument;
};

}  // namespace

int32_t TCellObj::MeasureContent(TCanvas* Canvas, int32_t Width, int32_t AHeight) {
    if (!FCell) return FVSize = 0;
    const ThtDocument* doc = FCell->Document();
    if (doc && FMeasuredCycle == doc->CycleNumber && FMeasuredWidth == Width && FMeasuredHeight == AHeight)
        return FVSize;
    int32_t scrollWidth = 0, scratchCurs = 0;
    FVSize = std::max(0, FCell->DoLogic(Canvas, 0, Width, AHeight, 0, scrollWidth, scratchCurs));
    FMeasuredCycle = doc ? doc->CycleNumber : -1;
    FMeasuredWidth = Width;
    FMeasuredHeight = AHeight;
    return FVSize;
}

void TCellObj::DrawLogicInRow(TCanvas* Canvas, int32_t Y, int32_t CellSpacingHorz, int32_t CellSpacingVert,
                              int32_t& Curs) {
    if (!FCell) return;
    const ThtDocument* doc = FCell->Document();
    if (FCell->Count() > 0) {
        const int64_t free = int64_t(FHt) - FVSize - CellSpacingVert - FVrSpace;
        switch (FVAlign) {
        case aTop: FYIndent = 0; break;
        case aMiddle: FYIndent = sat32(free / 2); break;
        case aBaseline:
        case aBottom: FYIndent = sat32(free); break;
        default: break;
        }
        const int64_t y = int64_t(Y) + CellSpacingVert + FPad.Top + FBrd.Top + FYIndent;
        const int64_t width = int64_t(FWd) - CellSpacingHorz - FHzSpace;
        const int64_t height = int64_t(FHt) - FVrSpace - CellSpacingVert;
        int32_t scrollWidth = 0;
        FCell->DoLogic(Canvas, sat32(boundedHeight(y)), sat32(std::max<int64_t>(0, width)),
                       sat32(std::max<int64_t>(0, height)), 0, scrollWidth, Curs);
    }
    if (BGImage && (!doc || doc->ShowImages)) {
        BGImage->DrawLogicInline(Canvas, nullptr, 100, 0);
        if (BGImage->Image() == &BrokenImage()) {
            BGImage.reset();
        } else {
            BGImage->ClientSizeKnown = true;
            NeedDoImageStuff = true;
        }
    }
}

int32_t TCellList::DrawLogicA(TCanvas* Canvas, const TIntArray& Widths, int32_t Span, int32_t CellSpacingHorz, int32_t,
                              int32_t AHeight, int32_t Rows, int32_t& Desired, bool& Spec, bool& More) {
    TRowNeed need;
    More = false;
    for (int i = 0; i < Count(); ++i) {
        auto* cell = dynamic_cast<TCellObj*>(Items(i));
        if (!cell || cell->FColSpan < 1) continue;
        cell->FWd = sat32(sumWidths(Widths, i, cell->FColSpan));
        if (cell->FRowSpan > Span) More = true;
        if (cell->FRowSpan != Span) continue;
        measureCell(*cell, Canvas, CellSpacingHorz, AHeight, Rows, need);
    }
    Spec = need.Spec;
    Desired = sat32(std::max(need.Min, need.Desired));
    return sat32(need.Min);
}

void TCellList::DrawLogicB(TCanvas* Canvas, int32_t Y, int32_t CellSpacingHorz, int32_t CellSpacingVert,
                           int32_t& Curs) {
    for (int i = 0; i < Count(); ++i)
        if (TCellObjBase* slot = Items(i); slot && slot->FColSpan > 0 && slot->FRowSpan > 0)
            slot->DrawLogicInRow(Canvas, Y, CellSpacingHorz, CellSpacingVert, Curs);
}

void THtmlTable::FindRowHeights(TCanvas* Canvas, int32_t AHeight) {
    const int n = Rows.Count();
    if (n == 0) return;
    const int64_t h = boundedHeight(int64_t(AHeight) - CellSpacingVert);
    const int32_t cellRoom = sat32(std::max<int64_t>(0, h - int64_t(n) * CellSpacingVert));
    Heights.assign(size_t(n), 0);
    FHeightsWidths = Widths;
    std::vector<int64_t> minH(size_t(n), 0), desH(size_t(n), 0);
    std::vector<int> specMark(size_t(n) + 1, 0);  // rows marked specified, as a difference array

    // Span 1: every row measures its own cells (and gives every cell its width).
    struct TSpanning {
        int Span, Row;
        TCellObj* Cell;
    };
    std::vector<TSpanning> spanning;
    for (int r = 0; r < n; ++r) {
        TCellList* row = Rows.Items(r);
        if (!row) continue;
        int32_t desired = 0;
        bool spec = false, more = false;
        const int32_t m =
            row->DrawLogicA(Canvas, Widths, 1, CellSpacingHorz, CellSpacingVert, cellRoom, n, desired, spec, more);
        minH[size_t(r)] = int64_t(m) + CellSpacingVert;
        desH[size_t(r)] = int64_t(desired) + CellSpacingVert;
        if (spec) {
            ++specMark[size_t(r)];
            --specMark[size_t(r) + 1];
        }
        for (int i = 0; more && i < row->Count(); ++i)
            if (auto* cell = dynamic_cast<TCellObj*>(row->Items(i)); cell && cell->FColSpan > 0 && cell->FRowSpan > 1)
                spanning.push_back({std::min(cell->FRowSpan, n - r), r, cell});
    }

    // Then the spans from the shortest up, row by row: a cell taller than
    // the rows it spans makes them taller.
    std::stable_sort(spanning.begin(), spanning.end(),
                     [](const TSpanning& a, const TSpanning& b) { return a.Span < b.Span; });
    TRowSums mins(n), dess(n);
    for (int r = 0; r < n; ++r) {
        mins.Add(r, r, minH[size_t(r)]);
        dess.Add(r, r, desH[size_t(r)]);
    }
    for (size_t k = 0; k < spanning.size();) {
        const int s = spanning[k].Span, r = spanning[k].Row;
        TRowNeed need;
        for (; k < spanning.size() && spanning[k].Span == s && spanning[k].Row == r; ++k)
            measureCell(*spanning[k].Cell, Canvas, CellSpacingHorz, cellRoom, n, need);
        const int64_t m = need.Min + CellSpacingVert;
        const int64_t d = std::max(need.Min, need.Desired) + CellSpacingVert;
        if (s < 2 || m <= CellSpacingVert) continue;
        const int last = r + s - 1;
        if (need.Spec) {
            ++specMark[size_t(r)];
            --specMark[size_t(last) + 1];
        }
        if (const int64_t sum = mins.Sum(r, last); sum < m) spreadOverRows(mins, r, last, m - sum);
        if (const int64_t sum = dess.Sum(r, last); sum < d) spreadOverRows(dess, r, last, d - sum);
    }
    int64_t sumMin = 0, sumDes = 0;
    int free = 0, spec = 0;
    for (int r = 0; r < n; ++r) {
        minH[size_t(r)] = mins.Sum(r, r);
        // A row never desires less than it needs.
        desH[size_t(r)] = std::max(dess.Sum(r, r), minH[size_t(r)]);
        sumMin += minH[size_t(r)];
        sumDes += desH[size_t(r)];
        spec += specMark[size_t(r)];
        free += spec == 0;
    }

    auto fillFrom = [&](const std::vector<int64_t>& A) {
        for (int r = 0; r < n; ++r) Heights[size_t(r)] = sat32(A[size_t(r)]);
    };
    // Between the minimum and the desired height of every row, in proportion
    // to their difference, filling h; the last row takes what is left.
    auto interpolate = [&]() {
        const double f = double(h - sumMin) / double(sumDes - sumMin);
        int64_t given = 0;
        for (int r = 0; r < n - 1; ++r) {
            const int64_t v = minH[size_t(r)] + roundEven(f * double(desH[size_t(r)] - minH[size_t(r)]));
            Heights[size_t(r)] = sat32(v);
            given += v;
        }
        Heights[size_t(n) - 1] = sat32(h - given);
    };
    if (sumMin >= h) {
        fillFrom(minH);
    } else if (sumDes < h) {
        if (free > 0) {
            // The height left over goes to the rows without a height of their own.
            fillFrom(desH);
            const int64_t extra = h - sumDes;
            int spec2 = 0;
            int64_t given = 0;
            int lastFree = -1;
            for (int r = 0; r < n; ++r) {
                spec2 += specMark[size_t(r)];
                if (spec2 == 0) lastFree = r;
            }
            spec2 = 0;
            for (int r = 0; r < n; ++r) {
                spec2 += specMark[size_t(r)];
                if (spec2 != 0) continue;
                const int64_t v = r == lastFree ? extra - given : extra / free;
                Heights[size_t(r)] = sat32(desH[size_t(r)] + v);
                given += v;
            }
        } else if (sumDes > 0) {
            int64_t given = 0;
            for (int r = 0; r < n - 1; ++r) {
                const int64_t v = roundEven(double(h) / double(sumDes) * double(desH[size_t(r)]));
                Heights[size_t(r)] = sat32(v);
                given += v;
            }
            Heights[size_t(n) - 1] = sat32(h - given);
        } else if (sumDes != sumMin) {
            interpolate();
        } else {
            fillFrom(minH);
        }
    } else {
        // The minimums fit and the desired heights do not: every row gets
        // at least its minimum and the rows fill the height.
        interpolate();
    }
}

int32_t THtmlTable::LayOutRows(TCanvas* Canvas, int32_t Y, int32_t AHeight, int32_t& Curs) {
    ThtDocument* doc = Document();
    const int32_t level = doc ? doc->TableNestLevel : 1;
    const int n = Rows.Count();
    if (Heights.empty() || int(Heights.size()) != n || FHeightsWidths != Widths || (doc && doc->InLogic2 && level <= 5))
        FindRowHeights(Canvas, AHeight);
    int64_t height = 0;
    HeaderHeight = HeaderRowCount = FootHeight = 0;
    FootStartRow = -1;
    bool hasBody = false;
    int64_t y = Y;
    for (int r = 0; r < n; ++r) {
        TCellList* row = Rows.Items(r);
        if (!row) continue;
        const int32_t rowHeight = r < int(Heights.size()) ? Heights[size_t(r)] : 0;
        row->RowHeight = rowHeight;
        switch (row->RowType) {
        case TRowType::THead:
            ++HeaderRowCount;
            HeaderHeight = sat32(int64_t(HeaderHeight) + rowHeight);
            break;
        case TRowType::TBody: hasBody = true; break;
        case TRowType::TFoot:
            if (FootStartRow < 0) {
                FootStartRow = r;
                FootOffset = sat32(height);
            }
            FootHeight = sat32(int64_t(FootHeight) + rowHeight);
            break;
        }
        height += rowHeight;
        row->RowSpanHeight = 0;
        for (int i = 0; i < row->Count(); ++i) {
            auto* cell = dynamic_cast<TCellObj*>(row->Items(i));
            if (!cell) continue;
            int64_t ht = 0;
            const int last = std::min(r + std::max(cell->FRowSpan, 1) - 1, n - 1);
            for (int k = r; k <= last && k < int(Heights.size()); ++k) ht += Heights[size_t(k)];
            cell->FHt = sat32(ht);
            row->RowSpanHeight = std::max(row->RowSpanHeight, cell->FHt);
        }
        if (!doc) {
            // A table outside a document is placed at once.
            row->DrawLogicB(Canvas, sat32(y), CellSpacingHorz, CellSpacingVert, Curs);
        } else if (level <= 1) {
            TLogic2Scope second(doc);
            row->DrawLogicB(Canvas, sat32(y), CellSpacingHorz, CellSpacingVert, Curs);
        } else if (doc->InLogic2) {
            row->DrawLogicB(Canvas, sat32(y), CellSpacingHorz, CellSpacingVert, Curs);
        }
        y += rowHeight;
    }
    HeadOrFoot = (HeaderHeight > 0 || FootHeight > 0) && hasBody;
    return sat32(std::clamp<int64_t>(height + CellSpacingVert, 0, FarBeyond));
}

int32_t THtmlTable::DrawLogic1(TCanvas* Canvas, int32_t, int32_t Y, int32_t, int32_t, int32_t, int32_t AHeight, int32_t,
                               TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    ThtDocument* doc = Document();
    TTableNestScope nest(doc);
    YDraw = ContentTop = DrawTop = Y;
    StartCurs = Curs;
    // A table counts as a first line whose baseline is its bottom; the text
    // in its cells must not take the first line's place.
    int32_t* firstLine = nullptr;
    if (doc && doc->FirstLineHtPtr && *doc->FirstLineHtPtr == 0) {
        firstLine = doc->FirstLineHtPtr;
        doc->FirstLineHtPtr = nullptr;
    }
    if (nest.Level() > MaxTableNestLevel) {
        // Deeper than any page the parser builds: the table takes no room.
        TableWidth = SectionHeight = DrawHeight = Len = MaxWidth = 0;
        ContentBot = DrawBot = Y;
        return 0;
    }
    TableWidth = FindTableWidth(Canvas, IMgr, Y);
    SectionHeight = LayOutRows(Canvas, Y, AHeight, Curs);
    Len = Curs - StartCurs;
    MaxWidth = TableWidth;
    DrawHeight = SectionHeight;
    ContentBot = DrawBot = sat32(int64_t(Y) + SectionHeight);
    if (firstLine) *firstLine = sat32(int64_t(YDraw) + SectionHeight);
    return SectionHeight;
}
