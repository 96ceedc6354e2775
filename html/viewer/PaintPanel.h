#pragma once
// The panel a viewer paints its document on, inside the viewer's border
// and beside its scroll bars. It paints every pixel itself (nothing is
// erased first) and nothing while the viewer lays the document out; its
// mouse and pan gestures go to the viewer.
#include "platform/framework/Controls.h"

class THtmlViewer;

class TPaintPanel : public TCustomControl {
    DECLARE_CLASS(TPaintPanel)
    TPaintPanel(TComponent* AOwner, THtmlViewer* Viewer);
    THtmlViewer* ParentViewer() const { return FViewer; }

protected:
    void Paint() override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;
    void MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void DoGesture(const TGestureEventInfo& Info, bool& Handled) override;
    bool DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) override;

private:
    THtmlViewer* FViewer;
};
