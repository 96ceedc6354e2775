#include "html/viewer/PaintPanel.h"

#include <exception>

#include "html/viewer/HtmlViewer.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/Translation.h"

IMPLEMENT_CLASS(TPaintPanel, TCustomControl) {}

TPaintPanel::TPaintPanel(TComponent* AOwner, THtmlViewer* Viewer) : TCustomControl(AOwner), FViewer(Viewer) {
    SetOpaque(true);
}

void TPaintPanel::Paint() {
    if (FViewer->ViewerState() & vsSet(vsDontDraw)) return;
    // A failure skips this frame; the next paint tries again.
    try {
        FViewer->UpdateBorder();
        FViewer->PaintDocument(Canvas(), Canvas()->ClipRect());
    } catch (const std::exception& e) {
        KV_HLogFmtText(makeResult(0x80000000u, KFAC_RUNTIME, 0x0046),
                       zrnTranslateString("Страница не нарисована: %s").c_str(), e.what());
    } catch (...) {
        KV_HLogFmtText(makeResult(0x80000000u, KFAC_RUNTIME, 0x0046),
                       zrnTranslateString("Страница не нарисована: %s").c_str(), "?");
    }
}

void TPaintPanel::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    if (Shift & ssDouble) {
        // The second press of a double click selects a word instead.
        if (Button == mbLeft) FViewer->HTMLMouseDblClk(Shift & ~ssDouble, X, Y);
        return;
    }
    FViewer->HTMLMouseDown(Button, Shift, X, Y);
}

void TPaintPanel::MouseMove(TShiftState Shift, int X, int Y) { FViewer->HTMLMouseMove(Shift, X, Y); }

void TPaintPanel::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FViewer->HTMLMouseUp(Button, Shift, X, Y);
}

void TPaintPanel::DoGesture(const TGestureEventInfo& Info, bool& Handled) {
    if (FViewer->OnGesture) FViewer->OnGesture(FViewer, Info, Handled);
    else FViewer->PanGesture(Info, Handled);
}

// The panel scrolls the page itself; a page that fits leaves the wheel to the viewer.
bool TPaintPanel::DoMouseWheel(TShiftState, int WheelDelta, TPoint) {
    if (htoHas(FViewer->HtOptions(), htNoWheelMouse)) return false;
    return FViewer->WheelScroll(WheelDelta);
}
