// The splitter: a thin bar aligned beside another aligned control; dragging
// it resizes that control.
#pragma once

#include "platform/framework/Controls.h"

enum TResizeStyle { rsNone, rsLine, rsUpdate, rsPattern };
extern const TEnumInfo ResizeStyleInfo;

class TSplitter : public TGraphicControl {
    DECLARE_CLASS(TSplitter)
    explicit TSplitter(TComponent* AOwner);
    bool Beveled() const { return FBeveled; }
    void SetBeveled(bool v);
    TResizeStyle ResizeStyle() const { return FResizeStyle; }
    void SetResizeStyle(TResizeStyle v) { FResizeStyle = v; }
    int MinSize() const { return FMinSize; }
    void SetMinSize(int v) { FMinSize = v < 1 ? 1 : v; }
    // The aligned control the splitter resizes: the one whose edge touches
    // the splitter on the side of its alignment.
    TControl* FindControl() const;
    // Moves the splitter by delta pixels, as a drag does.
    void MoveBy(int delta);
    TNotifyEvent OnMoved;

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;

private:
    bool horizontal() const { return Align() == alTop || Align() == alBottom; }
    bool FBeveled = false;
    TResizeStyle FResizeStyle = rsPattern;
    int FMinSize = 30;
    bool FDragging = false;
    int FDownPos = 0;
};
