#include "html/layout/FloatManager.h"

#include <algorithm>
#include <climits>
#include <memory>

#include "html/layout/ModelTypes.h"

namespace {

// Record arithmetic in 64 bits, saturated back: open-ended records sit far
// down and must not wrap when shifted.
int32_t sat(int64_t v) { return int32_t(std::clamp<int64_t>(v, INT32_MIN, INT32_MAX)); }

// Where a float goes when it does not fit at Y: the nearer of the float ends
// found on the left (yl, xl) and on the right (yr, xr), or below every float
// (maxY, at fallbackX) when neither side found one. Moves Y; answers the X.
int32_t nextPlace(int32_t& Y, int32_t maxY, int32_t fallbackX, int32_t yl, int32_t xl, int32_t yr, int32_t xr) {
    if (yl == Y && yr == Y) {
        Y = maxY;
        return fallbackX;
    }
    if (yl == Y || (yr != Y && yr <= yl)) {
        Y = yr;
        return xr;
    }
    Y = yl;
    return xl;
}

}  // namespace

TIndentManager::TIndentManager() = default;

void TIndentManager::Init(int32_t Lf, int32_t Wd) {
    LfEdge = Lf;
    Width = Wd;
    L.Clear();
    R.Clear();
    LTopMin = RTopMin = 0;
    CurrentID = nullptr;
}

void TIndentManager::Reset(int32_t Lf) {
    LfEdge = Lf;
    CurrentID = nullptr;
}

int32_t TIndentManager::LeftEdge(int32_t Y) const {
    int32_t edge = -2147483647;
    bool found = false;
    for (int i = 0; i < L.Count(); ++i) {
        const TIndentRec& r = *L.Items(i);
        if (Counts(r) && r.YT <= Y && Y < r.YB && r.X > edge) {
            edge = r.X;
            found = true;
        }
    }
    if (found) return edge;
    // Outside every record: the current block's own edge (a plain identity
    // test, so with no current block the last float record answers).
    for (int i = L.Count() - 1; i >= 0; --i)
        if (L.Items(i)->ID == CurrentID) return L.Items(i)->X;
    return 0;
}

int32_t TIndentManager::RightEdge(int32_t Y) const {
    int32_t edge = INT32_MAX;
    bool found = false;
    for (int i = 0; i < R.Count(); ++i) {
        const TIndentRec& r = *R.Items(i);
        if (Counts(r) && r.YT <= Y && Y < r.YB && r.X < edge) {
            edge = r.X;
            found = true;
        }
    }
    if (found) return edge;
    // Outside every record: the width from the current block's own left
    // edge. Only a record with an owner is a block's edge: a finished left
    // float must not push later lines to the right.
    for (int i = L.Count() - 1; i >= 0; --i) {
        const TIndentRec& r = *L.Items(i);
        if (r.ID != nullptr && r.ID == CurrentID) return sat(int64_t(Width) + r.X);
    }
    return Width;
}

TIndentRec* TIndentManager::AddLeft(int32_t YT, int32_t YB, int32_t W) {
    auto rec = std::make_unique<TIndentRec>();
    rec->X = sat(int64_t(LeftEdge(YT)) + W);
    rec->YT = YT;
    rec->YB = YB;
    LTopMin = YT;
    return L.Add(std::move(rec));
}

TIndentRec* TIndentManager::AddRight(int32_t YT, int32_t YB, int32_t W) {
    auto rec = std::make_unique<TIndentRec>();
    rec->X = sat(int64_t(RightEdge(YT)) - W);
    rec->YT = YT;
    rec->YB = YB;
    RTopMin = YT;
    return R.Add(std::move(rec));
}

int TIndentManager::SetLeftIndent(int32_t XLeft, int32_t Y) {
    return L.Add(new TIndentRec{XLeft, Y, OpenEndY, CurrentID});
}

int TIndentManager::SetRightIndent(int32_t XRight, int32_t Y) {
    return R.Add(new TIndentRec{XRight, Y, OpenEndY, CurrentID});
}

int32_t TIndentManager::ImageBottom() const {
    int32_t bottom = 0;
    for (const TFreeList<TIndentRec>* side : {&L, &R})
        for (int i = 0; i < side->Count(); ++i)
            if (side->Items(i)->ID == nullptr) bottom = std::max(bottom, side->Items(i)->YB);
    return bottom;
}

void TIndentManager::GetClearY(int32_t& CL, int32_t& CR) const {
    auto lowest = [](const TFreeList<TIndentRec>& side) {
        bool any = false;
        int32_t bottom = INT32_MIN;
        for (int i = 0; i < side.Count(); ++i)
            if (side.Items(i)->ID == nullptr) {
                any = true;
                bottom = std::max(bottom, side.Items(i)->YB);
            }
        return any ? sat(int64_t(bottom) + 1) : 0;
    };
    CL = lowest(L);
    CR = lowest(R);
}

int32_t TIndentManager::GetNextWiderY(int32_t Y) const {
    auto nextEnd = [Y](const TFreeList<TIndentRec>& side) {
        int32_t next = Y;
        for (int i = 0; i < side.Count(); ++i) {
            const TIndentRec& r = *side.Items(i);
            if (r.ID == nullptr && r.YB > Y && (next == Y || r.YB < next)) next = r.YB;
        }
        return next;
    };
    const int32_t yl = nextEnd(L), yr = nextEnd(R);
    if (yl == Y) return yr;
    if (yr == Y) return yl;
    return std::min(yl, yr);
}

void TIndentManager::AdjustY(int FirstLeftIndex, int FirstRightIndex, int32_t Y, int32_t Height) {
    const int64_t lineEnd = int64_t(Y) + Height;
    auto adjust = [&](TFreeList<TIndentRec>& side, int first) {
        int64_t d = 0;
        for (int i = std::max(first, 0); i < side.Count(); ++i) {
            TIndentRec& r = *side.Items(i);
            if (r.YT <= Y) continue;
            if (r.YT < lineEnd) d = lineEnd - r.YT;
            r.YT = sat(r.YT + d);
            r.YB = sat(r.YB + d);
        }
    };
    adjust(L, FirstLeftIndex);
    adjust(R, FirstRightIndex);
}

int32_t TIndentManager::AlignLeft(int32_t& Y, int32_t W, int32_t SpW, int32_t SpH) {
    Y = std::max(Y, LTopMin);
    int32_t x = LeftEdge(Y);
    if (int64_t(RightEdge(Y)) >= int64_t(x) + W + SpW) return sat(int64_t(x) + LfEdge);
    if (SpH > 0 && int64_t(RightEdge(sat(int64_t(Y) + SpH))) >= int64_t(x) + W) {
        Y = sat(int64_t(Y) + SpH);
        return sat(int64_t(x) + LfEdge);
    }
    // Look for the end of a float below Y after which the float fits.
    int32_t maxY = Y, yl = Y, yr = Y, xl = x, xr = x, dx = 0;
    for (int i = L.Count() - 1; i >= 0; --i) {
        const TIndentRec& r = *L.Items(i);
        if (r.ID == CurrentID) {
            dx = r.X;
            break;
        }
        if (r.ID != nullptr) continue;  // another block's edge
        if (r.YB > Y && LeftEdge(r.YB - 1) == r.X && (r.YB < yl || yl == Y)) {
            const int32_t xb = LeftEdge(r.YB);
            maxY = std::max(maxY, r.YB);
            if (int64_t(RightEdge(r.YB)) - W >= xb) {
                yl = r.YB;
                xl = xb;
            }
        }
    }
    for (int i = R.Count() - 1; i >= 0; --i) {
        const TIndentRec& r = *R.Items(i);
        if (r.ID == CurrentID) break;
        if (r.ID != nullptr) continue;
        if (r.YB > Y && RightEdge(r.YB - 1) == r.X && (r.YB < yr || yr == Y)) {
            const int32_t xb = LeftEdge(r.YB);
            maxY = std::max(maxY, r.YB);
            if (int64_t(RightEdge(r.YB)) - W >= xb) {
                yr = r.YB;
                xr = xb;
            }
        }
    }
    return sat(int64_t(nextPlace(Y, maxY, dx, yl, xl, yr, xr)) + LfEdge);
}

int32_t TIndentManager::AlignRight(int32_t& Y, int32_t W, int32_t SpW, int32_t SpH) {
    Y = std::max(Y, RTopMin);
    int32_t x = sat(int64_t(RightEdge(Y)) - W);
    if (int64_t(LeftEdge(Y)) + SpW <= x) return sat(int64_t(x) + LfEdge);
    if (SpH > 0 && LeftEdge(sat(int64_t(Y) + SpH)) <= x) {
        Y = sat(int64_t(Y) + SpH);
        return sat(int64_t(x) + LfEdge);
    }
    int32_t maxY = Y, yl = Y, yr = Y, xl = x, xr = x;
    int32_t dx = sat(int64_t(Width) - W);
    for (int i = L.Count() - 1; i >= 0; --i) {
        const TIndentRec& r = *L.Items(i);
        if (r.ID == CurrentID) break;
        if (r.ID != nullptr) continue;
        if (r.YB > Y && LeftEdge(r.YB - 1) == r.X && (r.YB < yl || yl == Y)) {
            const int32_t xb = sat(int64_t(RightEdge(r.YB)) - W);
            maxY = std::max(maxY, r.YB);
            if (xb >= LeftEdge(r.YB)) {
                yl = r.YB;
                xl = xb;
            }
        }
    }
    for (int i = R.Count() - 1; i >= 0; --i) {
        const TIndentRec& r = *R.Items(i);
        if (r.ID == CurrentID) {
            dx = sat(int64_t(r.X) - W);
            break;
        }
        if (r.ID != nullptr) continue;
        if (r.YB > Y && RightEdge(r.YB - 1) == r.X && (r.YB < yr || yr == Y)) {
            const int32_t xb = sat(int64_t(RightEdge(r.YB)) - W);
            maxY = std::max(maxY, r.YB);
            if (xb >= LeftEdge(r.YB)) {
                yr = r.YB;
                xr = xb;
            }
        }
    }
    return sat(int64_t(nextPlace(Y, maxY, dx, yl, xl, yr, xr)) + LfEdge);
}
