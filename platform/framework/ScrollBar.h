// The scroll bar control: a position between Min and Max, a page (the part
// of the range in view, which also sizes the thumb), and the scroll event
// through which its owner sees, and may correct, each position the user
// scrolls to before the bar takes it.
#pragma once

#include "platform/framework/Controls.h"

enum TScrollBarKind { sbHorizontal, sbVertical };
extern const TEnumInfo ScrollBarKindInfo;

// The width of a vertical scroll bar (the height of a horizontal one) in
// the application's style, as lists and memos show them.
int SystemScrollBarWidth();

// What the user did: a line or a page up or down, the thumb dragged (scTrack)
// and let go (scPosition), the top or the bottom, the end of a scroll.
enum TScrollCode { scLineUp, scLineDown, scPageUp, scPageDown, scPosition, scTrack, scTop, scBottom, scEndScroll };

using TScrollEvent = std::function<void(TObject* Sender, TScrollCode ScrollCode, int& ScrollPos)>;

class TScrollBar : public TWinControl {
    DECLARE_CLASS(TScrollBar)
    explicit TScrollBar(TComponent* AOwner);

    TScrollBarKind Kind() const { return FKind; }
    void SetKind(TScrollBarKind v);
    // The range. A page of PageSize (0: none) shows positions Position to
    // Position + PageSize - 1, so the last position is Max - PageSize + 1.
    // A range that cannot hold the page (Max < Min, Max < PageSize) raises
    // EInvalidOperation; a page larger than Max is ignored.
    int Min() const { return FMin; }
    void SetMin(int v) { SetParams(FPosition, v, FMax); }
    int Max() const { return FMax; }
    void SetMax(int v) { SetParams(FPosition, FMin, v); }
    int PageSize() const { return FPageSize; }
    void SetPageSize(int v);
    // Kept within the range; a change fires OnChange (not OnScroll).
    int Position() const { return FPosition; }
    void SetPosition(int v) { SetParams(v, FMin, FMax); }
    void SetParams(int APosition, int AMin, int AMax);
    // The steps of a line and of a page (arrows, keys, clicks beside the thumb).
    int SmallChange() const { return FSmallChange; }
    void SetSmallChange(int v) { FSmallChange = v; }
    int LargeChange() const { return FLargeChange; }
    void SetLargeChange(int v) { FLargeChange = v; }

    // Each scroll by the user, with the position it leads to (within the
    // range); the handler may change ScrollPos, and the bar takes what it
    // leaves there.
    TScrollEvent OnScroll;
    TNotifyEvent OnChange;

protected:
    virtual void Scroll(TScrollCode ScrollCode, int& ScrollPos);
    virtual void Change();

private:
    int lastPosition() const;
    int clampPosition(long long v) const;
    void apply();
    void userScroll(int action);
    TScrollBarKind FKind = sbHorizontal;
    int FMin = 0, FMax = 100, FPageSize = 0, FPosition = 0;
    int FSmallChange = 1, FLargeChange = 1;
    int FApplying = 0;
};
