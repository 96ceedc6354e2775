#pragma once
// A block's own edge records in a float manager for the length of its
// layout: the block becomes the manager's current id and its content edges
// are set from a Y; on every way out (also when a child raises) the two
// records are removed and the previous current id comes back, so the
// manager is left as it was but for the floats added meanwhile.
#include <cstdint>

#include "html/layout/FloatManager.h"

class TIndentScope {
public:
    TIndentScope(TIndentManager* Manager, TIndentOwner Owner, int32_t XLeft, int32_t XRight, int32_t Y)
        : FManager(Manager) {
        if (!FManager) return;
        FSavedID = FManager->CurrentID;
        FManager->CurrentID = Owner;
        FLeft = FManager->L.Items(FManager->SetLeftIndent(XLeft, Y));
        FRight = FManager->R.Items(FManager->SetRightIndent(XRight, Y));
    }
    ~TIndentScope() {
        RemoveRecords();
        RestoreID();
    }
    TIndentScope(const TIndentScope&) = delete;
    TIndentScope& operator=(const TIndentScope&) = delete;

    // Takes the two records out now (they are found by identity, wherever
    // later records put them).
    void RemoveRecords() {
        if (!FManager) return;
        if (FLeft) FManager->L.Delete(FManager->L.IndexOf(FLeft));
        if (FRight) FManager->R.Delete(FManager->R.IndexOf(FRight));
        FLeft = FRight = nullptr;
    }
    // The previous current id comes back now.
    void RestoreID() {
        if (!FManager || FRestored) return;
        FManager->CurrentID = FSavedID;
        FRestored = true;
    }

private:
    TIndentManager* FManager;
    TIndentOwner FSavedID = nullptr;
    TIndentRec* FLeft = nullptr;
    TIndentRec* FRight = nullptr;
    bool FRestored = false;
};
