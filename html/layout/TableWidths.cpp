// Column widths of a table: the minimum and maximum width of every column
// gathered from its cells (spanning cells spread what their columns lack),
// and the final widths for the room a block offers.
//
// Every distribution walks the columns from the highest index down; the last
// column served (the lowest of its kind) takes what is left, so that totals
// come out exact. Sums run in 64 bits.
#include <algorithm>
#include <climits>
#include <cmath>
#include <vector>

#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Tables.h"

namespace {

// No column is wider than this: far beyond any page, and small enough that
// products of widths with percentages or multipliers stay in range.
constexpr int32_t MaxColumnWidth = 10 * MaxSpecExtent;

int32_t sat32(int64_t V) { return int32_t(std::clamp<int64_t>(V, INT32_MIN, INT32_MAX)); }

// The platform's MulDiv on values that may exceed its range.
int32_t mulDiv(int64_t Number, int64_t Numerator, int64_t Denominator) {
    return MulDiv(sat32(Number), sat32(Numerator), sat32(Denominator));
}

int64_t sumRange(const TIntArray& A, int From, int To) {
    int64_t s = 0;
    for (int c = std::max(From, 0); c <= To && c < int(A.size()); ++c) s += A[size_t(c)];
    return s;
}

// The order a column's type only moves up in.
int rank(TWidthType T) {
    switch (T) {
    case wtNone: return 0;
    case wtRelative: return 1;
    case wtPercent: return 2;
    case wtAbsolute: return 3;
    }
    return 0;
}

// The per-column arrays of one table, and the kinds the distributions go by.
struct TColumns {
    TIntArray& Min;
    TIntArray& Max;
    TIntArray& Pct;
    TIntArray& Mul;
    TWidthTypeArray& Kind;

    int count(TWidthType T, int I, int J) const {
        int n = 0;
        for (int c = I; c <= J; ++c) n += Kind[size_t(c)] == T;
        return n;
    }
    int64_t sumOf(TWidthType T, const TIntArray& A, int I, int J) const {
        int64_t s = 0;
        for (int c = I; c <= J; ++c)
            if (Kind[size_t(c)] == T) s += A[size_t(c)];
        return s;
    }
    void maxAtLeastMin(int I, int J) {
        for (int c = I; c <= J; ++c) Max[size_t(c)] = std::max(Max[size_t(c)], Min[size_t(c)]);
    }
};

// The type-T columns of I..J from NewTotal in proportion to their share of
// OldTotal; from an old total of 0 in equal parts.
void shareProportionally(const TColumns& K, TWidthType T, TIntArray& A, int I, int J, int64_t OldTotal,
                         int64_t NewTotal) {
    const int n = K.count(T, I, J);
    int seen = 0;
    int64_t assigned = 0;
    for (int c = J; c >= I && n > 0; --c) {
        if (K.Kind[size_t(c)] != T) continue;
        if (++seen == n) {
            A[size_t(c)] = sat32(NewTotal - assigned);
            break;
        }
        const int64_t v = OldTotal > 0 ? mulDiv(A[size_t(c)], NewTotal, OldTotal) : NewTotal / n;
        A[size_t(c)] = sat32(v);
        assigned += v;
    }
}

// The cumulative form: the running sum of the old values scaled.
void scaleWidthsOfType(const TColumns& K, TWidthType T, TIntArray& A, int I, int J, int64_t OldTotal,
                       int64_t NewTotal) {
    const int n = K.count(T, I, J);
    int seen = 0;
    int64_t running = 0, assigned = 0;
    for (int c = J; c >= I && n > 0; --c) {
        if (K.Kind[size_t(c)] != T) continue;
        if (++seen == n) {
            A[size_t(c)] = sat32(NewTotal - assigned);
            break;
        }
        running += A[size_t(c)];
        const int64_t v = OldTotal > 0 ? mulDiv(running, NewTotal, OldTotal) - assigned : NewTotal / n;
        A[size_t(c)] = sat32(v);
        assigned += v;
    }
}

// Amount added to the type-T columns of I..J with the weights D over Divisor.
void distributeByDifference(const TColumns& K, TWidthType T, TIntArray& A, const TIntArray& D, int I, int J,
                            int64_t Divisor, int64_t Amount) {
    const int n = K.count(T, I, J);
    if (n == 0) return;
    int seen = 0;
    int64_t assigned = 0;
    if (T == wtNone) {
        const int64_t held = K.sumOf(wtNone, D, I, J);
        if (held >= 0 && Amount > held) {
            // More than the differences hold: every column grows to its
            // maximum, and what is left goes by the maxima, so that equal
            // columns stay equal.
            int64_t s = 0;
            for (int x = I; x <= J; ++x)
                if (K.Kind[size_t(x)] == wtNone) s += int64_t(A[size_t(x)]) + D[size_t(x)];
            const int64_t excess = Amount - held;
            for (int c = J; c >= I; --c) {
                if (K.Kind[size_t(c)] != wtNone) continue;
                const int64_t max = int64_t(A[size_t(c)]) + D[size_t(c)];
                const int64_t v =
                    ++seen == n ? Amount - assigned : D[size_t(c)] + (s > 0 ? mulDiv(excess, max, s) : excess / n);
                A[size_t(c)] = sat32(int64_t(A[size_t(c)]) + v);
                assigned += v;
            }
            return;
        }
    }
    int64_t runningD = 0;
    for (int c = J; c >= I; --c) {
        if (K.Kind[size_t(c)] != T) continue;
        runningD += D[size_t(c)];
        int64_t v = Amount - assigned;
        if (++seen < n) v = Divisor != 0 ? mulDiv(Amount, runningD, Divisor) - assigned : Amount / n;
        A[size_t(c)] = sat32(int64_t(A[size_t(c)]) + v);
        assigned += v;
    }
}

// The increase from Old to New given to the percent columns of I..J by their percentages.
void addByPercents(const TColumns& K, TIntArray& A, int I, int J, int64_t SPct, int64_t Old, int64_t New) {
    const int n = K.count(wtPercent, I, J);
    const int64_t increase = New - Old;
    int seen = 0;
    int64_t running = 0, assigned = 0;
    for (int c = J; c >= I && n > 0; --c) {
        if (K.Kind[size_t(c)] != wtPercent) continue;
        if (++seen == n) {
            A[size_t(c)] = sat32(int64_t(A[size_t(c)]) + increase - assigned);
            break;
        }
        running += K.Pct[size_t(c)];
        const int64_t v = SPct > 0 ? mulDiv(increase, running, SPct) - assigned : increase / n;
        A[size_t(c)] = sat32(int64_t(A[size_t(c)]) + v);
        assigned += v;
    }
}

// Relative columns of I..J made proportional to their multipliers so that
// they fill Target; with UseCurrent no column gets less than it has. The
// columns with a multiplier below 1 keep their width.
void scaleRelativeWidths(const TColumns& K, TIntArray& A, int I, int J, bool UseCurrent, int64_t SMul, int64_t Target) {
    constexpr double eps = 1e-7;  // 3 × (100 / 3.0) must come back as 100
    int n = 0;
    for (int c = I; c <= J; ++c) {
        if (K.Kind[size_t(c)] != wtRelative) continue;
        if (K.Mul[size_t(c)] < 1) Target -= A[size_t(c)];
        else ++n;
    }
    if (n == 0 || SMul < 1) return;
    double unit = double(Target) / double(SMul);
    bool raised = false;
    if (UseCurrent)
        for (int c = I; c <= J; ++c)
            if (K.Kind[size_t(c)] == wtRelative && K.Mul[size_t(c)] >= 1) {
                const double u = double(A[size_t(c)]) / double(K.Mul[size_t(c)]);
                if (u > unit) {
                    unit = u;
                    raised = true;
                }
            }
    auto whole = [](double v) { return int64_t(std::clamp(v + eps, -9.0e15, 9.0e15)); };
    // A unit raised by a current width makes the columns wider than the
    // target rather than taking width off the others.
    const int64_t total = raised ? whole(double(SMul) * unit) : std::min(whole(double(SMul) * unit), Target);
    int seen = 0;
    int64_t running = 0, assigned = 0;
    for (int c = J; c >= I; --c) {
        if (K.Kind[size_t(c)] != wtRelative || K.Mul[size_t(c)] < 1) continue;
        if (++seen == n) {
            A[size_t(c)] = sat32(total - assigned);
            break;
        }
        running += K.Mul[size_t(c)];
        const int64_t v = whole(unit * double(running)) - assigned;
        A[size_t(c)] = sat32(v);
        assigned += v;
    }
}

// Widths of the relative columns made proportional to their multipliers, at
// least one pixel per multiplier unit.
void normalizeRelativeWidths(const TColumns& K, TIntArray& A) {
    const int last = int(A.size()) - 1;
    int n = 0;
    int64_t unit = 100, sumMul = 0;
    for (int c = 0; c <= last; ++c)
        if (K.Kind[size_t(c)] == wtRelative && K.Mul[size_t(c)] > 0) {
            ++n;
            sumMul += K.Mul[size_t(c)];
            unit = std::max<int64_t>(unit, mulDiv(A[size_t(c)], 100, K.Mul[size_t(c)]));
        }
    if (n == 0) return;
    const int64_t total = mulDiv(unit, sumMul, 100);
    if (total < 0) return;  // beyond any width: left as they are
    int seen = 0;
    int64_t running = 0, assigned = 0;
    for (int c = last; c >= 0; --c) {
        if (K.Kind[size_t(c)] != wtRelative || K.Mul[size_t(c)] <= 0) continue;
        if (++seen == n) {
            A[size_t(c)] = sat32(total - assigned);
            break;
        }
        running += K.Mul[size_t(c)];
        const int64_t v = mulDiv(running, unit, 100) - assigned;
        A[size_t(c)] = sat32(v);
        assigned += v;
    }
}

// A spanning cell over I..J that wants Min and Max (spacing included).
struct TCellWidths {
    int32_t Min = 0, Max = 0, Pct = 0, Mul = 0;
};

void spreadOverType(TColumns& K, TWidthType T, int I, int J, const TCellWidths& W, int64_t SMin, int64_t SMax) {
    if (SMin < W.Min) {
        int64_t others = 0;
        for (int c = I; c <= J; ++c)
            if (K.Kind[size_t(c)] != T) others += K.Min[size_t(c)];
        shareProportionally(K, T, K.Min, I, J, SMin - others, W.Min - others);
    }
    if (SMax < W.Max) {
        int64_t others = 0;
        for (int c = I; c <= J; ++c)
            if (K.Kind[size_t(c)] != T) others += K.Max[size_t(c)];
        shareProportionally(K, T, K.Max, I, J, SMax - others, W.Max - others);
    }
    K.maxAtLeastMin(I, J);
}

void spreadByDifference(TColumns& K, TWidthType T, int I, int J, const TCellWidths& W, int64_t SMin, int64_t SMax) {
    TIntArray d(K.Min.size(), 0);
    for (int c = I; c <= J; ++c) d[size_t(c)] = sat32(int64_t(K.Max[size_t(c)]) - K.Min[size_t(c)]);
    if (SMin < W.Min) distributeByDifference(K, T, K.Min, d, I, J, SMax - SMin, W.Min - SMin);
    if (SMax < W.Max) distributeByDifference(K, T, K.Max, d, I, J, SMax - SMin, W.Max - SMax);
    K.maxAtLeastMin(I, J);
}

// The width a cell spanning I..J asks for, spread over its columns.
void spreadSpanningCell(TColumns& K, int I, int J, const TCellWidths& W) {
    const int64_t sMin = sumRange(K.Min, I, J), sMax = sumRange(K.Max, I, J);
    if (sMin >= W.Min && sMax >= W.Max && W.Pct <= 0) return;
    if (W.Pct > 0) {
        const int64_t sPct = K.sumOf(wtPercent, K.Pct, I, J);
        if (W.Pct >= sPct) {
            if (const int n0 = K.count(wtNone, I, J); n0 > 0) {
                // The percentage the covered percent columns lack goes to the
                // columns without a type, in equal parts (the lowest takes
                // what is left); all of them become percent columns.
                const int64_t part = W.Pct - sPct;
                int seen = 0;
                int64_t given = 0;
                for (int c = J; c >= I; --c) {
                    if (K.Kind[size_t(c)] != wtNone) continue;
                    const int64_t v = ++seen == n0 ? part - given : part / n0;
                    K.Pct[size_t(c)] = sat32(int64_t(K.Pct[size_t(c)]) + v);
                    given += v;
                }
                for (int c = I; c <= J; ++c) K.Kind[size_t(c)] = wtPercent;
            }
        }
    }
    // The width the columns lack; a percentage never excuses it, or the
    // cell's content would overflow its columns.
    if (sMin >= W.Min && sMax >= W.Max) return;
    if (K.count(wtNone, I, J) > 0) {
        spreadOverType(K, wtNone, I, J, W, sMin, sMax);
    } else if (K.count(wtRelative, I, J) > 0) {
        const int64_t sMul = K.sumOf(wtRelative, K.Mul, I, J);
        if (sMul < 1) {
            if (sMin < sMax) spreadByDifference(K, wtRelative, I, J, W, sMin, sMax);
            else spreadOverType(K, wtRelative, I, J, W, sMin, sMax);
        } else {
            if (sMin < W.Min) scaleRelativeWidths(K, K.Min, I, J, true, sMul, W.Min);
            if (sMax < W.Max) scaleRelativeWidths(K, K.Max, I, J, true, sMul, W.Max);
            K.maxAtLeastMin(I, J);
        }
    } else if (K.count(wtPercent, I, J) < 1) {
        spreadOverType(K, wtAbsolute, I, J, W, sMin, sMax);
    } else if (sMin < sMax) {
        spreadByDifference(K, wtPercent, I, J, W, sMin, sMax);
    } else {
        const int64_t sPct = K.sumOf(wtPercent, K.Pct, I, J);
        if (sPct < 1) {
            spreadOverType(K, wtPercent, I, J, W, sMin, sMax);
        } else {
            if (sMin < W.Min) addByPercents(K, K.Min, I, J, sPct, sMin, W.Min);
            if (sMax < W.Max) addByPercents(K, K.Max, I, J, sPct, sMax, W.Max);
            K.maxAtLeastMin(I, J);
        }
    }
}

TSpecWidth boundedSpec(TSpecWidth S) {
    S.Value = std::clamp(S.Value, 0, S.VType == wtPercent ? 1000 : MaxSpecExtent);
    return S;
}

// Percent columns grow towards their share of Avail: the room above the
// minimums goes first to the columns furthest below their percentage, none
// beyond its share.
void growPercentColumns(const TColumns& K, TIntArray& W, int64_t Avail, int64_t TMin) {
    const int last = int(W.size()) - 1;
    int64_t sumPct = 0;
    int withPct = 0;
    for (int c = 0; c <= last; ++c)
        if (K.Kind[size_t(c)] == wtPercent) {
            sumPct += K.Pct[size_t(c)];
            withPct += K.Pct[size_t(c)] > 0;
        }
    if (withPct == 0 || Avail <= 0) return;
    const int64_t p = std::max<int64_t>(1000, sumPct);
    std::vector<int64_t> extra(W.size(), 0);
    int64_t sumExtra = 0;
    int n = 0;
    for (int c = 0; c <= last; ++c) {
        if (K.Kind[size_t(c)] != wtPercent || K.Pct[size_t(c)] <= 0) continue;
        const double e = (double(K.Pct[size_t(c)]) / double(p) - double(K.Min[size_t(c)]) / double(Avail)) * 1000.0;
        if (e >= 1.0) {
            extra[size_t(c)] = int64_t(e);
            sumExtra += extra[size_t(c)];
            ++n;
        }
    }
    const int64_t share = Avail - TMin;
    int seen = 0;
    int64_t running = 0, given = 0;
    for (int c = last; c >= 0 && n > 0; --c) {
        if (extra[size_t(c)] <= 0) continue;
        running += extra[size_t(c)];
        const int64_t v = ++seen == n ? share - given : mulDiv(share, running, sumExtra) - given;
        const int64_t limit = mulDiv(Avail, K.Pct[size_t(c)], p);
        const int64_t old = W[size_t(c)];
        const int64_t now = std::max(old, std::min(old + v, limit));
        W[size_t(c)] = sat32(now);
        given += now - old;
    }
}

// A negative width (only reachable through absurd inputs) becomes 0 and the
// widest columns give up the difference, so that the sum stays the same.
void repairNegativeWidths(TIntArray& W) {
    int64_t deficit = 0;
    for (int32_t& w : W)
        if (w < 0) {
            deficit -= w;
            w = 0;
        }
    for (int c = int(W.size()) - 1; c >= 0 && deficit > 0; --c) {
        const int64_t take = std::min<int64_t>(deficit, W[size_t(c)]);
        W[size_t(c)] -= int32_t(take);
        deficit -= take;
    }
}

}  // namespace

void THtmlTable::GatherColumnWidths(TCanvas* Canvas) {
    const ThtDocument* doc = Document();
    const size_t n = size_t(std::max(0, NumCols));
    // The widths depend on the content alone: one gathering serves the
    // whole layout pass (nested tables ask many times).
    if (doc && FGatheredCycle == doc->CycleNumber && MinWidths.size() == n && ColumnSpecs.size() == n) return;
    Heights.clear();  // new widths, new row heights
    for (TIntArray* a : {&MinWidths, &MaxWidths, &Percents, &Multis, &Widths}) a->assign(n, 0);
    // Types that no column declaration sets are found anew from the cells
    // every time, so that every pass distributes the same way.
    ColumnSpecs.assign(n, wtNone);
    ColumnCounts.fill(0);
    TColumns K{MinWidths, MaxWidths, Percents, Multis, ColumnSpecs};
    bool relativeSpec = false;
    for (size_t c = 0; FColSpecs && c < n && int(c) < FColSpecs->Count(); ++c) {
        const TSpecWidth spec = boundedSpec(FColSpecs->GetItem(int(c))->ColWidth());
        ColumnSpecs[c] = spec.VType;
        switch (spec.VType) {
        case wtAbsolute:
            MinWidths[c] = MaxWidths[c] = spec.Value;
            ++ColumnCounts[wtAbsolute];
            break;
        case wtPercent:
            Percents[c] = spec.Value;
            ++ColumnCounts[wtPercent];
            break;
        case wtRelative:
            Multis[c] = spec.Value;
            if (spec.Value > 0) {
                ++ColumnCounts[wtRelative];
                relativeSpec = true;
            }
            break;
        case wtNone: ++ColumnCounts[wtNone]; break;
        }
    }

    auto measure = [&](TCellObj& cell) {
        int32_t mn = 0, mx = 0;
        if (cell.FCell) cell.FCell->MinMaxWidth(Canvas, mn, mx);
        mn = std::clamp(mn, 0, MaxColumnWidth);
        mx = std::clamp(mx, 0, MaxColumnWidth);
        TCellWidths w;
        const TSpecWidth spec = boundedSpec(cell.FSpecWd);
        switch (spec.VType) {
        case wtAbsolute: mx = std::max(spec.Value, mn); break;
        case wtPercent: w.Pct = spec.Value; break;
        case wtRelative: w.Mul = spec.Value; break;
        case wtNone: break;
        }
        const int64_t add = int64_t(CellSpacingHorz) + cell.FHzSpace;
        w.Min = int32_t(std::clamp<int64_t>(mn + add, 0, MaxColumnWidth));
        w.Max = int32_t(std::clamp<int64_t>(mx + add, 0, MaxColumnWidth));
        return w;
    };

    // One column first, then spans from the narrowest up: each cell once.
    struct TSpanning {
        int Span, Column;
        TCellObj* Cell;
    };
    std::vector<TSpanning> spanning;
    for (int r = 0; r < Rows.Count(); ++r) {
        const TCellList* row = Rows.Items(r);
        for (int c = 0; row && c < row->Count() && c < int(n); ++c) {
            auto* cell = dynamic_cast<TCellObj*>(row->Items(c));
            if (!cell || cell->FColSpan < 1) continue;
            if (cell->FColSpan > 1) {
                spanning.push_back({cell->FColSpan, c, cell});
                continue;
            }
            const TCellWidths w = measure(*cell);
            const size_t i = size_t(c);
            MinWidths[i] = std::max(MinWidths[i], w.Min);
            MaxWidths[i] = std::max(MaxWidths[i], w.Max);
            Percents[i] = std::max(Percents[i], w.Pct);
            Multis[i] = std::max(Multis[i], w.Mul);
            if (rank(cell->FSpecWd.VType) > rank(ColumnSpecs[i])) ColumnSpecs[i] = cell->FSpecWd.VType;
        }
    }
    std::stable_sort(spanning.begin(), spanning.end(),
                     [](const TSpanning& a, const TSpanning& b) { return a.Span < b.Span; });
    for (const TSpanning& s : spanning) {
        const int last = std::min(s.Column + s.Span - 1, int(n) - 1);
        spreadSpanningCell(K, s.Column, last, measure(*s.Cell));
    }
    if (relativeSpec) {
        normalizeRelativeWidths(K, MinWidths);
        normalizeRelativeWidths(K, MaxWidths);
    }
    K.maxAtLeastMin(0, int(n) - 1);
    FGatheredCycle = doc ? doc->CycleNumber : -1;
}

void THtmlTable::MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    InitializeGrid();
    GatherColumnWidths(Canvas);
    auto total = [&](const TIntArray& A) {
        return int32_t(std::clamp<int64_t>(sumRange(A, 0, int(A.size()) - 1) + CellSpacingHorz, 0, FarBeyond));
    };
    Min = std::max(total(MinWidths), tblWidthAttr);
    Max = std::max(total(MaxWidths), tblWidthAttr);
}

int32_t THtmlTable::FindTableWidth(TCanvas* Canvas, TIndentManager* IMgr, int32_t Y) {
    int64_t avail = tblWidthAttr > 0 ? tblWidthAttr : IMgr ? int64_t(IMgr->RightSide(Y)) - IMgr->LeftIndent(Y) : 0;
    avail -= CellSpacingHorz;
    const bool specified = tblWidthAttr > 0;
    InitializeGrid();
    GatherColumnWidths(Canvas);
    const int n = int(MinWidths.size());
    const int last = n - 1;
    const int64_t tMin = sumRange(MinWidths, 0, last), tMax = sumRange(MaxWidths, 0, last);

    // Relative columns whose multipliers come to nothing count as columns
    // without a type.
    TWidthTypeArray kinds = ColumnSpecs;
    TColumns K{MinWidths, MaxWidths, Percents, Multis, kinds};
    if (K.sumOf(wtRelative, Multis, 0, last) < 1) std::replace(kinds.begin(), kinds.end(), wtRelative, wtNone);

    auto changeWidthsOfType = [&](TWidthType T, int64_t Current, int64_t Target) {
        if (K.count(T, 0, last) == 0) return;
        TIntArray d(size_t(n), 0);
        int64_t sd = 0;
        for (int c = 0; c <= last; ++c) {
            d[size_t(c)] = sat32(int64_t(MaxWidths[size_t(c)]) - MinWidths[size_t(c)]);
            if (kinds[size_t(c)] == T) sd += d[size_t(c)];
        }
        if (sd != 0) {
            distributeByDifference(K, T, Widths, d, 0, last, sd, Target - Current);
        } else {
            const int64_t f = K.sumOf(T, Widths, 0, last);
            scaleWidthsOfType(K, T, Widths, 0, last, f, Target + f - Current);
        }
    };

    Widths = MinWidths;
    if (avail >= tMin) {
        for (int c = 0; c <= last; ++c)
            if (kinds[size_t(c)] == wtAbsolute) Widths[size_t(c)] = MaxWidths[size_t(c)];
        int64_t total = sumRange(Widths, 0, last);
        if (total > avail) {
            changeWidthsOfType(wtAbsolute, total, avail);
        } else {
            growPercentColumns(K, Widths, avail, tMin);
            total = sumRange(Widths, 0, last);
            if (total > avail) {
                changeWidthsOfType(wtPercent, total, avail);
            } else if (!specified && avail >= tMax) {
                Widths = MaxWidths;
            } else if (total < avail) {
                if (K.count(wtNone, 0, last) > 0) changeWidthsOfType(wtNone, total, avail);
                else if (K.count(wtRelative, 0, last) == 0)
                    changeWidthsOfType(K.count(wtPercent, 0, last) == 0 ? wtAbsolute : wtPercent, total, avail);
                else
                    scaleRelativeWidths(K, Widths, 0, last, false, K.sumOf(wtRelative, Multis, 0, last),
                                        K.sumOf(wtRelative, Widths, 0, last) + (avail - total));
            }
        }
    }
    repairNegativeWidths(Widths);
    return int32_t(std::clamp<int64_t>(sumRange(Widths, 0, last) + CellSpacingHorz, 0, FarBeyond));
}
