#pragma once
// The left and right edges that floats and the blocks being laid out impose
// on the lines of a cell during one layout pass, as records per side, each
// valid for a range of Y. Text asks it for the free width at a Y, floats ask
// where they fit, blocks register their content edges, clearance asks for
// the lowest float.
//
// A record counts when it is a float record (no owner) or belongs to the
// current block (CurrentID); owners are compared by identity only.
#include <cstdint>

#include "html/layout/FreeList.h"

// The block (or cell) that set an edge record; null for a float record.
using TIndentOwner = const void*;

struct TIndentRec {
    int32_t X = 0;   // the edge, relative to the manager's LfEdge
    int32_t YT = 0;  // first Y where it applies
    int32_t YB = 0;  // first Y where it no longer applies
    TIndentOwner ID = nullptr;
};

class TIndentManager {
public:
    TIndentManager();
    TIndentManager(const TIndentManager&) = delete;
    TIndentManager& operator=(const TIndentManager&) = delete;

    // Starts a layout: no records, the given edge and width.
    void Init(int32_t Lf, int32_t Wd);
    // Moves to the painting X; the records stay.
    void Reset(int32_t Lf);

    int32_t LeftEdge(int32_t Y) const;
    int32_t RightEdge(int32_t Y) const;
    int32_t LeftIndent(int32_t Y) const { return LeftEdge(Y) + LfEdge; }
    int32_t RightSide(int32_t Y) const { return RightEdge(Y) + LfEdge; }

    // A float of width W from YT to YB; the record stays the manager's.
    TIndentRec* AddLeft(int32_t YT, int32_t YB, int32_t W);
    TIndentRec* AddRight(int32_t YT, int32_t YB, int32_t W);
    // The current block's edge from Y on; answers the record's index.
    int SetLeftIndent(int32_t XLeft, int32_t Y);
    int SetRightIndent(int32_t XRight, int32_t Y);
    void FreeLeftIndentRec(int I) { L.Delete(I); }
    void FreeRightIndentRec(int I) { R.Delete(I); }

    // The lowest float bottom on either side, 0 without floats.
    int32_t ImageBottom() const;
    // One below the lowest left and right float bottoms (0 for a side without floats).
    void GetClearY(int32_t& CL, int32_t& CR) const;
    // The next Y below Y where a float ends, or Y.
    int32_t GetNextWiderY(int32_t Y) const;
    // Pushes the records from the given indexes down after a line of Height
    // was placed at Y.
    void AdjustY(int FirstLeftIndex, int FirstRightIndex, int32_t Y, int32_t Height);
    // The X (LfEdge included) where a float of width W goes, moving Y down
    // when needed; SpW is width that must stay free beside it on the current
    // line, SpH the height of that line.
    int32_t AlignLeft(int32_t& Y, int32_t W, int32_t SpW = 0, int32_t SpH = 0);
    int32_t AlignRight(int32_t& Y, int32_t W, int32_t SpW = 0, int32_t SpH = 0);

    int32_t LfEdge = 0;             // added to every answer
    int32_t Width = 0;              // width of the cell
    int32_t ClipWidth = 0;          // width available for painting
    TFreeList<TIndentRec> L{true};  // left records, in the order added
    TFreeList<TIndentRec> R{true};  // right records
    TIndentOwner CurrentID = nullptr;
    int32_t LTopMin = 0;  // top of the last left float added
    int32_t RTopMin = 0;  // top of the last right float added

private:
    bool Counts(const TIndentRec& r) const { return r.ID == nullptr || r.ID == CurrentID; }
};
