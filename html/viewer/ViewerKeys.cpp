// The viewer's keys: copying, the default font size, reloading, and
// scrolling by line, page and to either end.
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"
#include "html/viewer/ViewerScrollSteps.h"

void THtmlViewer::KeyDown(uint16_t& Key, TShiftState Shift) {
    THtmlViewerBase::KeyDown(Key, Shift);
    if (Key == 0) return;  // taken by OnKeyDown
    const TShiftState mods = Shift & (ssShift | ssCtrl | ssAlt);
    if (Shift & ssCtrl) {
        // Ctrl+C, and Shift pressed while Ctrl is held, copy.
        if (Key == 'C' || Key == VK_SHIFT) CopyToClipboard();
        else if (Key == VK_OEM_PLUS) SetDefFontSize(DefFontSize() + 1);
        else if (Key == VK_OEM_MINUS && DefFontSize() > 8) SetDefFontSize(DefFontSize() - 1);
    }
    if (FViewerState & vsSet(vsMiddleScrollOn)) {
        EndMiddleScroll();
        return;
    }
    if (Key == VK_F5 && mods == 0) {
        if (FFrameOwner) FFrameOwner->Reload();
        else Reload();
        return;
    }
    const int32_t oldY = FVScrollBar->Position();
    const int32_t newY = KeyScrollTarget(Key, Shift, oldY, FVScrollBar->SmallChange(), FVScrollBar->LargeChange(),
                                         FMaxVertical, FPaintPanel->Height());
    if (newY != oldY) {
        FVScrollBar->SetPosition(newY);
        FSectionList->SetYOffset(newY);
        // A line moves the pixels in view; anything more is painted anew.
        if (std::abs(newY - oldY) == FVScrollBar->SmallChange() && !(FViewerState & vsSet(vsBGFixed))) {
            FPaintPanel->ScrollWindow(0, oldY - newY);
            FPaintPanel->Update();
        } else {
            FPaintPanel->Invalidate();
        }
    }
    if ((Key == VK_LEFT || Key == VK_RIGHT) && mods == 0) {
        const int32_t oldX = FHScrollBar->Position();
        const int32_t step = Key == VK_LEFT ? -FHScrollBar->SmallChange() : FHScrollBar->SmallChange();
        const int32_t newX = ClampScrollPosition(oldX + step, FHScrollBar->Max() - FPaintPanel->Width());
        if (newX != oldX) {
            FHScrollBar->SetPosition(newX);
            FPaintPanel->Invalidate();
        }
    }
}
