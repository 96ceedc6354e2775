// The viewer's painting and every way of scrolling but keys and drags: the
// background (colour, or a picture fixed to the window or scrolling with
// the page) under the document, the scroll bars' notifications, the
// position accessors, the wheel and pan gestures, and the border on focus.
#include <algorithm>

#include "html/layout/Backgrounds.h"
#include "html/layout/Images.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"
#include "html/viewer/ViewerScrollSteps.h"

void THtmlViewer::PaintDocument(TCanvas* Canvas, const TRect& ARect) {
    if (FSectionList->Printing) return;
    ThtImage* image = FSectionList->ShowImages ? FSectionList->BackgroundImage.get() : nullptr;
    if (image && image->Width() > 0 && image->Height() > 0) {
        PaintBackgroundImage(Canvas, ARect, *image);
    } else {
        FViewerState &= ~vsSet(vsBGFixed);
        PaintBackground(Canvas, ARect, Canvas->Brush()->Color(), nullptr, 0, 0, 0, 0, 0, 0);
    }
    FSectionList->Draw(Canvas, ARect, 100000, -FHScrollBar->Position(), 0, 0, 0);
}

void THtmlViewer::PaintBackgroundImage(TCanvas* Canvas, const TRect& ARect, ThtImage& Image) {
    const PtPositionRec& prec = FSectionList->BackgroundPRec;
    const bool fixed = prec.X.Fixed || prec.Y.Fixed;
    if (fixed) FViewerState |= vsSet(vsBGFixed);
    else FViewerState &= ~vsSet(vsBGFixed);
    const ThvBackgroundArea area =
        BackgroundArea(fixed, FPaintPanel->ClientWidth(), FPaintPanel->ClientHeight(), FHScrollBar->Position(),
                       FSectionList->YOff, FHScrollBar->Max(), FMaxVertical);
    int iw = Image.Width(), ih = Image.Height();
    int32_t x0 = 0, y0 = 0, x1 = 0, y1 = 0;
    PlaceBackgroundImage(prec, ARect, area.X, area.Y, area.Width, area.Height, iw, ih, x0, y0, x1, y1);
    ThtImage* tiles = &Image;
    // A one-pixel line would be drawn a pixel at a time: tile a widened copy.
    std::unique_ptr<ThtBitmapImage> widened;
    if (iw == 1 || ih == 1) {
        std::unique_ptr<TBitmap> bitmap = WidenThinImage(Image, x1 - x0, y1 - y0);
        std::unique_ptr<TBitmap> mask = Image.Mask() ? WidenThinImage(*Image.Mask(), x1 - x0, y1 - y0) : nullptr;
        if (bitmap) {
            widened = std::make_unique<ThtBitmapImage>(bitmap.release(), mask.release(), Image.Transp);
            tiles = widened.get();
            iw = tiles->Width();
            ih = tiles->Height();
        }
    }
    PaintBackground(Canvas, ARect, Canvas->Brush()->Color(), tiles, x0, y0, x1, y1, iw, ih);
}

// ---- scroll bars

void THtmlViewer::OnVScroll(int32_t& ScrollPos) {
    const int32_t p = ClampScrollPosition(ScrollPos, FVScrollBar->Max() - FPaintPanel->Height());
    const int32_t old = FVScrollBar->Position();
    ScrollPos = p;
    FSectionList->SetYOffset(p);
    if (FViewerState & vsSet(vsBGFixed)) {
        FPaintPanel->Invalidate();
        return;
    }
    // The pixels still in view move; only the uncovered strip is painted now.
    FPaintPanel->ScrollWindow(0, old - p);
    FPaintPanel->Update();
    FPaintPanel->Invalidate();
}

void THtmlViewer::OnHScroll(int32_t& ScrollPos) {
    ScrollPos = ClampScrollPosition(ScrollPos, FHScrollBar->Max() - FPaintPanel->Width());
    FSectionList->XOffChange = true;
    FPaintPanel->Invalidate();
}

void THtmlViewer::ScrollXY(TSize Delta) {
    if (Delta.cy != 0) {
        int32_t p = FVScrollBar->Position() + Delta.cy;
        OnVScroll(p);
        FVScrollBar->SetPosition(p);
    }
    if (Delta.cx != 0) {
        int32_t p = FHScrollBar->Position() + Delta.cx;
        OnHScroll(p);
        FHScrollBar->SetPosition(p);
    }
}

void THtmlViewer::SetVScrollBarPosition(int32_t Y) {
    Y = ClampScrollPosition(Y, FMaxVertical - FPaintPanel->Height());
    if (Y != FVScrollBar->Position()) ScrollTo(Y);
}

void THtmlViewer::SetHScrollBarPosition(int32_t X) {
    X = ClampScrollPosition(X, FHScrollBar->Max() - FPaintPanel->Width());
    FHScrollBar->SetPosition(X);
    Invalidate();
    FPaintPanel->Invalidate();
}

// ---- wheel and gestures

bool THtmlViewer::WheelScroll(int WheelDelta) {
    if (FMaxVertical <= FPaintPanel->Height()) return false;
    const int32_t pixels = WheelScrollPixels(WheelDelta, WheelScrollLines(), FWheelRemainder);
    if (pixels != 0) SetVScrollBarPosition(FVScrollBar->Position() + pixels);
    return true;
}

bool THtmlViewer::DoMouseWheel(TShiftState Shift, int WheelDelta, TPoint MousePos) {
    if (THtmlViewerBase::DoMouseWheel(Shift, WheelDelta, MousePos)) return true;
    if (htoHas(FOptions, htNoWheelMouse)) return false;
    return WheelScroll(WheelDelta);
}

void THtmlViewer::PanGesture(const TGestureEventInfo& Info, bool& Handled) {
    if (Info.GestureID != igiPan) return;
    if (!(Info.Flags & gfBegin)) {
        // The page follows the finger: a move up shows what lies below.
        ScrollXY(TSize{FLastPan.X - Info.Location.X, FLastPan.Y - Info.Location.Y});
        Handled = true;
    }
    FLastPan = Info.Location;
}

// ---- repainting and focus

void THtmlViewer::Repaint() {
    if (TFormControlObjList* controls = FormControlList())
        for (int i = 0; i < controls->Count(); ++i) controls->Items(i)->Hide();
    FBorderPanel->SetBorderStyle(bsNone);
    THtmlViewerBase::Repaint();
}

void THtmlViewer::DoEnter() {
    THtmlViewerBase::DoEnter();
    UpdateBorder();
}

void THtmlViewer::DoExit() {
    THtmlViewerBase::DoExit();
    UpdateBorder();
}
