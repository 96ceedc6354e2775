// The viewer and the mouse: link hover and click, selection by dragging,
// Shift-click and double click, the auto-scroll while a drag leaves the
// panel, middle-button scrolling, and the hover timer that notices the
// mouse has left. Coordinates are the paint panel's; the document's add
// its Y offset.
#include <chrono>
#include <cstdlib>

#include "html/layout/SizeableObjs.h"
#include "html/viewer/HtmlForms.h"
#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"
#include "html/viewer/ViewerScrollSteps.h"
#include "html/text/HtmlText.h"

namespace {
int64_t monotonicMs() {
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}
// The auto-scroll steps at most this often.
constexpr int64_t AutoScrollStepMs = 100;
// Middle-button scrolling starts beyond this distance from the press.
constexpr int MiddleDeadZone = 20;
}  // namespace

void THtmlViewer::HTMLMouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    fire(OnMouseDown, this, Button, Shift, X, Y);
    if (CanFocus()) SetFocus();
    FViewerState &= ~vsSet(vsHotSpotAction);
    FLastMouse = TPoint{X, Y};
    if (FViewerState & vsSet(vsMiddleScrollOn)) {
        EndMiddleScroll();
        return;
    }
    if (Button == mbMiddle) {
        if (htoHas(FOptions, htNoWheelMouse)) return;
        FViewerState |= vsSet(vsMiddleScrollOn);
        MiddleY = Y;
        FPaintPanel->SetCursor(crUpDownCursor);
        return;
    }
    if (Button != mbLeft) return;
    FViewerState |= vsSet(vsLeftButtonDown);
    bool onLink = false;
    if (htoHas(FOptions, htNoLinkHilite)) {
        std::unique_ptr<TUrlTarget> target;
        TFormControlObjBase* control = nullptr;
        std::u16string title;
        onLink = GetURL(X, Y, target, control, title) & guUrl;
    }
    if (onLink) FViewerState &= ~vsSet(vsHiliting);
    else FViewerState |= vsSet(vsHiliting);
    int32_t xr = 0, yr = 0, caretHt = 0;
    bool inText = false;
    Sel1 = FSectionList->FindCursor(FPaintPanel->Canvas(), X, Y + FSectionList->YOff, xr, yr, caretHt, inText);
    if (Sel1 >= 0) {
        if (FSectionList->SelB != FSectionList->SelE || (Shift & ssShift)) FPaintPanel->Invalidate();
        if (Shift & ssShift) {
            // The caret stays the anchor, so that a drag goes on extending from it.
            FSectionList->SelB = std::min(FCaretPos, Sel1);
            FSectionList->SelE = std::max(FCaretPos, Sel1);
            Sel1 = FCaretPos;
        } else {
            FSectionList->SelB = FSectionList->SelE = Sel1;
            FCaretPos = Sel1;
        }
    }
    FSectionList->LButtonDown(true);
}

void THtmlViewer::HTMLMouseMove(TShiftState Shift, int X, int Y) {
    fire(OnMouseMove, this, Shift, X, Y);
    FLastMouse = TPoint{X, Y};
    if (FViewerState & vsSet(vsMiddleScrollOn)) {
        if (!(FViewerState & vsSet(vsMouseScrolling)) && std::abs(Y - MiddleY) > MiddleDeadZone) StartAutoScroll();
        return;
    }
    TCursor cursor = crArrow;
    std::unique_ptr<TUrlTarget> link;
    TFormControlObjBase* control = nullptr;
    const ThtguResultType hit = GetURL(X, Y, link, control, FTitleAttr);
    std::u16string url, target;
    if (hit & guControl) cursor = crHandPoint;
    if ((hit & guUrl) && link) {
        cursor = crHandPoint;
        url = link->URL;
        target = link->Target;
        TakeLink(*link);
    }
    TSectionBase* obj = nullptr;
    int ix = 0, iy = 0;
    if (OnSectionOver && PtInObject(X, Y, obj, ix, iy)) OnSectionOver(this, obj, Shift, X, Y, ix, iy);
    TImageObj* image = nullptr;
    if ((OnImageClick() || OnImageOver()) && PtInObject(X, Y, obj, ix, iy)) image = dynamic_cast<TImageObj*>(obj);
    if (image) {
        if (cursor != crHandPoint) cursor = crArrow;
        if (OnImageOver()) OnImageOver()(this, image, Shift, ix, iy);
    } else if (cursor != crHandPoint) {
        int32_t xr = 0, yr = 0, caretHt = 0;
        bool inText = false;
        if (FSectionList->FindCursor(FPaintPanel->Canvas(), X, Y + FSectionList->YOff, xr, yr, caretHt, inText) >= 0 &&
            inText)
            cursor = Cursor();
    }
    FPaintPanel->SetCursor(cursor);
    FHTMLTimer->SetEnabled(cursor == crHandPoint || FSectionList->ActiveImage);
    if (url != FURL || target != FTarget) {
        FURL = url;
        FTarget = target;
        if (OnHotSpotCovered) OnHotSpotCovered(this, url);
    }
    if (FViewerState & vsSet(vsLeftButtonDown)) {
        if (!(FViewerState & vsSet(vsMouseScrolling)) && (Y <= 0 || Y >= FPaintPanel->Height())) StartAutoScroll();
        if (!NoSelect()) ExtendSelection(X, Y);
    }
}

void THtmlViewer::ExtendSelection(int X, int Y) {
    if (!(FViewerState & vsSet(vsHiliting)) || Sel1 < 0) return;
    const int y = std::min(std::max(Y, 0), FPaintPanel->Height());
    int32_t xr = 0, yr = 0, caretHt = 0;
    bool inText = false;
    const int32_t p =
        FSectionList->FindCursor(FPaintPanel->Canvas(), X, y + FSectionList->YOff, xr, yr, caretHt, inText);
    if (p < 0) return;
    if (!NoSelect()) {
        FSectionList->SelB = std::min(Sel1, p);
        FSectionList->SelE = std::max(Sel1, p);
        FPaintPanel->Invalidate();
    }
    FCaretPos = p;
}

void THtmlViewer::HTMLMouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    FLastMouse = TPoint{X, Y};
    if (FViewerState & vsSet(vsMiddleScrollOn)) {
        // A middle click that did not move leaves the mode on: the page then
        // follows the mouse until a button or a key is pressed.
        if (Button != mbMiddle || Y != MiddleY) EndMiddleScroll();
        return;
    }
    fire(OnMouseUp, this, Button, Shift, X, Y);
    TSectionBase* obj = nullptr;
    int ix = 0, iy = 0;
    if (OnSectionClick && PtInObject(X, Y, obj, ix, iy)) OnSectionClick(this, obj, Button, Shift, X, Y, ix, iy);
    if (OnImageClick() || OnRightClick) {
        TImageObj* image = PtInObject(X, Y, obj, ix, iy) ? dynamic_cast<TImageObj*>(obj) : nullptr;
        if (image && OnImageClick()) OnImageClick()(this, image, Button, Shift, ix, iy);
        if (Button == mbRight && OnRightClick) {
            TRightClickParameters parameters;
            if (image) {
                parameters.Image = image;
                parameters.ImageX = ix;
                parameters.ImageY = iy;
            }
            std::unique_ptr<TUrlTarget> link;
            TFormControlObjBase* control = nullptr;
            std::u16string title;
            if ((GetURL(X, Y, link, control, title) & guUrl) && link) {
                parameters.URL = link->URL;
                parameters.Target = link->Target;
            }
            int32_t first = 0, last = 0;
            FindWordAt(X, Y, parameters.ClickWord, first, last);
            FHTMLTimer->SetEnabled(false);
            try {
                OnRightClick(this, parameters);
            } catch (...) {
                FHTMLTimer->SetEnabled(true);
                throw;
            }
            FHTMLTimer->SetEnabled(true);
        }
    }
    if (Button != mbLeft) return;
    // Every left release ends the drag, with Shift too; Shift only keeps the
    // selection a Shift-click made and follows no link.
    FViewerState &= ~vsSet(vsMouseScrolling);
    FAutoScrollTimer->SetEnabled(false);
    if (!(Shift & ssShift)) ExtendSelection(X, Y);
    FViewerState &= ~vsSet(vsHiliting);
    FSectionList->LButtonDown(false);
    const bool wasDown = FViewerState & vsSet(vsLeftButtonDown);
    FViewerState &= ~vsSet(vsLeftButtonDown);
    if (!wasDown || (Shift & ssShift) || FSectionList->SelB < FSectionList->SelE) return;
    std::unique_ptr<TUrlTarget> link;
    TFormControlObjBase* control = nullptr;
    const ThtguResultType hit = GetURL(X, Y, link, control, FTitleAttr);
    // The control under the point is an image input: it submits the point.
    if (hit & guControl)
        if (auto* image = dynamic_cast<TImageFormControlObj*>(control)) image->ImageClick(this);
    if (!(hit & guUrl) || !link) return;
    FURL = link->URL;
    FTarget = (Shift & ssCtrl) ? std::u16string(u"_blank") : link->Target;
    TakeLink(*link);
    // The link's tab stop takes the focus without scrolling the page.
    if (TLinkList* links = LinkList())
        for (int i = 0; i < links->Count(); ++i) {
            TFontObj* run = links->Items(i);
            if (!run->UrlTarget || run->UrlTarget->ID != link->ID || !run->TabControl) continue;
            if (run->TabControl->ParentForm() && run->TabControl->CanFocus()) {
                NoJump = true;
                try {
                    run->TabControl->SetFocus();
                } catch (...) {
                    NoJump = false;
                    throw;
                }
                NoJump = false;
            }
            break;
        }
    if (!htoHas(FOptions, htAllowHotSpotDblClick)) FViewerState |= vsSet(vsHotSpotAction);
    UrlAction(FURL);
}

void THtmlViewer::HTMLMouseDblClk(TShiftState Shift, int X, int Y) {
    FSectionList->LButtonDown(true);
    if (IsProcessing() || (FViewerState & vsSet(vsHotSpotAction))) return;
    std::u16string word;
    int32_t first = 0, last = 0;
    if (!NoSelect() && FindWordAt(X, Y, word, first, last)) {
        FCaretPos = first;
        FSectionList->SelB = first;
        FSectionList->SelE = last + 1;
        FPaintPanel->Invalidate();
    }
    if (OnMouseDouble()) OnMouseDouble()(this, mbLeft, Shift, X, Y);
}

bool THtmlViewer::FindWordAt(int X, int Y, std::u16string& Word, int32_t& First, int32_t& Last) {
    Word.clear();
    int32_t xr = 0, yr = 0, caretHt = 0;
    bool inText = false;
    const int32_t caret =
        FSectionList->FindCursor(FPaintPanel->Canvas(), X, Y + FSectionList->YOff, xr, yr, caretHt, inText);
    SetCaretPos(caret);
    if (caret < 0 || !inText) return false;
    char16_t ch = 0;
    TSectionBase* obj = nullptr;
    TSectionBase* other = nullptr;
    int32_t e = caret, s = caret - 1;
    if (FSectionList->GetChAtPos(e, ch, obj) && IsWordChar(ch)) {
        Word.push_back(ch);
        ++e;
        while (FSectionList->GetChAtPos(e, ch, other) && other == obj && IsWordChar(ch)) {
            Word.push_back(ch);
            ++e;
        }
    } else {
        obj = nullptr;
    }
    // A character of another object counts as a space.
    while (s >= 0 && FSectionList->GetChAtPos(s, ch, other) && (!obj || other == obj) && IsWordChar(ch)) {
        obj = other;
        Word.insert(Word.begin(), ch);
        --s;
    }
    First = s + 1;
    Last = e - 1;
    return !Word.empty();
}

void THtmlViewer::TakeLink(const TUrlTarget& Link) {
    FLinkAttributes->SetText(htmltext::toUtf8(Link.Attr));
    FLinkText = GetTextByIndices(Link.Start(), Link.Last());
}

// ---- timers

void THtmlViewer::HoverTimerTick() {
    if (FPaintPanel->HandleAllocated() && FPaintPanel->Showing() &&
        PtInRect(FPaintPanel->ClientRect(), FPaintPanel->ScreenToClient(MouseCursorPos())))
        return;
    FSectionList->CancelActives();
    FHTMLTimer->SetEnabled(false);
    if (FURL.empty()) return;
    FURL.clear();
    FTarget.clear();
    if (OnHotSpotCovered) OnHotSpotCovered(this, std::u16string());
}

// What a move of the pointer to where it stands would do: the link, cursor
// and hover states under it are looked at again.
void THtmlViewer::RecheckHoverAtPointer() {
    if (!FPaintPanel->HandleAllocated() || !FPaintPanel->Showing()) return;
    const TPoint p = FPaintPanel->ScreenToClient(MouseCursorPos());
    if (!PtInRect(FPaintPanel->ClientRect(), p)) return;
    TShiftState shift = 0;
    if (IsMouseButtonDown(mbLeft)) shift |= ssLeft;
    if (IsMouseButtonDown(mbRight)) shift |= ssRight;
    if (IsMouseButtonDown(mbMiddle)) shift |= ssMiddle;
    HTMLMouseMove(shift, p.X, p.Y);
}

void THtmlViewer::StartAutoScroll() {
    FViewerState |= vsSet(vsMouseScrolling);
    FLastScrollStepMs = 0;
    AutoScrollStep();
    if (FViewerState & vsSet(vsMouseScrolling)) FAutoScrollTimer->SetEnabled(true);
}

void THtmlViewer::AutoScrollStep() {
    const int y = FLastMouse.Y;
    const int height = FPaintPanel->Height();
    const bool dragging =
        (FViewerState & vsSet(vsMouseScrolling)) && (FViewerState & vsSet(vsLeftButtonDown)) && (y <= 0 || y > height);
    const bool middle = (FViewerState & vsSet(vsMiddleScrollOn)) && std::abs(y - MiddleY) > MiddleDeadZone;
    if (!dragging && !middle) {
        FAutoScrollTimer->SetEnabled(false);
        FViewerState &= ~vsSet(vsMouseScrolling);
        if (FViewerState & vsSet(vsMiddleScrollOn)) FPaintPanel->SetCursor(crUpDownCursor);
        return;
    }
    const int64_t now = monotonicMs();
    if (FLastScrollStepMs != 0 && now - FLastScrollStepMs < AutoScrollStepMs) return;
    FLastScrollStepMs = now;
    const int32_t pos = FVScrollBar->Position();
    int32_t p = pos;
    if (dragging) {
        p = DragScrollTarget(y, height, pos, FVScrollBar->SmallChange());
    } else {
        bool down = false;
        p = MiddleScrollTarget(y, MiddleY, pos, down);
        FPaintPanel->SetCursor(down ? crDownOnlyCursor : crUpOnlyCursor);
    }
    ScrollTo(ClampScrollPosition(p, FMaxVertical - height));
    ExtendSelection(FLastMouse.X, FLastMouse.Y);
    FPaintPanel->Invalidate();
}

void THtmlViewer::EndMiddleScroll() {
    FViewerState &= ~(vsSet(vsMiddleScrollOn) | vsSet(vsMouseScrolling));
    FAutoScrollTimer->SetEnabled(false);
    FPaintPanel->SetCursor(Cursor());
}

// ---- form controls and links' tab stops

void THtmlViewer::ControlMouseMove(TObject* Sender, TShiftState Shift, int X, int Y) {
    if (TFormControlObjList* controls = FormControlList())
        for (int i = 0; i < controls->Count(); ++i) {
            TFormControlObjBase* control = controls->Items(i);
            TWinControl* window = control->GetTheControl();
            if (!window || window != Sender) continue;
            FTitleAttr = control->FTitle;
            if (FTitleAttr.empty()) {
                std::unique_ptr<TUrlTarget> link;
                TFormControlObjBase* under = nullptr;
                std::u16string title;
                if (GetURL(X + window->Left(), Y + window->Top(), link, under, title) & guTitle) FTitleAttr = title;
            }
            break;
        }
    fire(OnMouseMove, this, Shift, X, Y);
}

void THtmlViewer::FollowLinkByKey(const TUrlTarget& Link) {
    FURL = Link.URL;
    FTarget = Link.Target;
    TakeLink(Link);
    // Posted: the key event of the link's control ends before a load frees that control.
    TriggerUrlAction(FURL);
}

void THtmlViewer::ViewerKeyDown(uint16_t& Key, TShiftState Shift) { KeyDown(Key, Shift); }
