// The viewer's layout for its window: the layout driver's run, the scroll
// bars it calls for, the border, resizing, and the place shown.
#include <algorithm>
#include <exception>

#include "html/viewer/HtmlViewer.h"
#include "html/viewer/PaintPanel.h"
#include "platform/framework/Forms.h"

namespace {
// A wider document scrolls only this far.
constexpr int32_t MaxScrollWidth = 100000;

// Page and maximum in the order that never leaves the page above the maximum.
void SetPageAndMax(TScrollBar* Bar, int32_t Page, int32_t Max) {
    Page = std::max(Page, 0);
    Max = std::max(Max, 0);
    if (Page < Bar->Max()) {
        Bar->SetPageSize(Page);
        Bar->SetMax(Max);
    } else {
        Bar->SetMax(Max);
        Bar->SetPageSize(Page);
    }
}
}  // namespace

ThvGeometryInput THtmlViewer::GeometryInput() const {
    ThvGeometryInput in;
    in.ViewerWidth = Width();
    in.ViewerHeight = Height();
    in.BorderWidth = FBorderStyle == htNone && !IsDesigning() ? 0 : FBorderPanel->Width() - FBorderPanel->ClientWidth();
    in.ScrollBars = FScrollBars;
    in.ShowVScroll = htoHas(FOptions, htShowVScroll);
    in.ScrollBarWidth = sbWidth;
    return in;
}

ThvGeometry THtmlViewer::Geometry(int32_t ContentWidth, int32_t ContentHeight) const {
    return ViewerGeometry(GeometryInput(), ContentWidth, ContentHeight);
}

void THtmlViewer::DoLayout() {
    // Nothing is painted while the document changes; a load keeps it so after.
    const bool wasDontDraw = FViewerState & vsSet(vsDontDraw);
    FViewerState |= vsSet(vsDontDraw);
    try {
        const ThvLayoutResult r = LayOutForWindow(*FSectionList, FPaintPanel->Canvas(), GeometryInput());
        FMaxVertical = r.MaxVertical;
        FScrollWidth = r.ScrollWidth;
        SetupScrollBars();
    } catch (...) {
        if (!wasDontDraw) FViewerState &= ~vsSet(vsDontDraw);
        throw;
    }
    if (!wasDontDraw) FViewerState &= ~vsSet(vsDontDraw);
}

void THtmlViewer::SetupScrollBars() {
    FBorderPanel->SetVisible(true);
    FScrollWidth = std::min(FScrollWidth, MaxScrollWidth);
    const ThvGeometry g = Geometry(FScrollWidth, FMaxVertical);
    if (g.Offset <= 0) FBorderPanel->SetVisible(false);
    const int32_t pw = std::max(g.PaintWidth, 0), ph = std::max(g.PaintHeight, 0);
    FPaintPanel->SetBounds(g.Offset, g.Offset, pw, ph);

    FHScrollBar->SetVisible(g.HBar);
    if (g.HBar || IsDesigning()) {
        FHScrollBar->SetBounds(FPaintPanel->Left(), FPaintPanel->Top() + FPaintPanel->Height(), FPaintPanel->Width(),
                               sbWidth);
        FHScrollBar->SetLargeChange(std::max(16, pw - FHScrollBar->SmallChange()));
        FHScrollBar->SetEnabled(pw < FScrollWidth);
    }
    SetPageAndMax(FHScrollBar, std::min(pw, FScrollWidth), FScrollWidth);

    FVScrollBar->SetVisible(g.VBar);
    if (g.VBar || IsDesigning()) {
        FVScrollBar->SetBounds(FPaintPanel->Left() + FPaintPanel->Width(), FPaintPanel->Top(), sbWidth,
                               FPaintPanel->Height());
        FVScrollBar->SetLargeChange(std::max(16, ph - FVScrollBar->SmallChange()));
        FVScrollBar->SetEnabled(ph < FMaxVertical);
    }
    SetPageAndMax(FVScrollBar, std::min(ph, FMaxVertical), FMaxVertical);
}

void THtmlViewer::Relayout() {
    if (IsProcessing()) return;
    SetProcessing(true);
    auto finish = [&] {
        std::exception_ptr error;
        try {
            htProgressEnd();
        } catch (...) {
            error = std::current_exception();
        }
        try {
            SetProcessing(false);
        } catch (...) {
            if (!error) error = std::current_exception();
        }
        if (error) std::rethrow_exception(error);
    };
    try {
        const ThvPosition pos = Position();
        FSectionList->ProgressStart = 0;
        htProgressInit();
        DoLayout();
        SetPosition(pos);
    } catch (...) {
        try {
            finish();
        } catch (...) {}
        throw;
    }
    finish();
}

void THtmlViewer::Reformat() {
    Relayout();
    Update();
    // The page moved under a pointer that stood still.
    RecheckHoverAtPointer();
}

void THtmlViewer::SetScrollBars(TScrollStyle Value) {
    if (Value == FScrollBars) return;
    FScrollBars = Value;
    if (IsLoading() || !HandleAllocated()) return;
    SetProcessing(true);
    try {
        DoLayout();
    } catch (...) {
        SetProcessing(false);
        throw;
    }
    SetProcessing(false);
    Invalidate();
    FPaintPanel->Invalidate();
}

void THtmlViewer::Resize() {
    THtmlViewerBase::Resize();
    if (FViewerState & vsSet(vsCreating)) return;
    if (IsProcessing()) SetupScrollBars();
    else Relayout();
    ScrollTo(FVScrollBar->Position());
    FHScrollBar->SetPosition(std::max(0, std::min(FHScrollBar->Position(), FHScrollBar->Max() - FPaintPanel->Width())));
}

void THtmlViewer::UpdateBorder() {
    const bool single = (FBorderStyle == htFocused && Focused()) || FBorderStyle == htSingle || IsDesigning();
    FBorderPanel->SetBorderStyle(single ? bsSingle : bsNone);
}

void THtmlViewer::ScrollTo(int32_t Y) {
    Y = std::min(Y, FMaxVertical - FPaintPanel->Height());
    Y = std::max(Y, 0);
    FVScrollBar->SetPosition(Y);
    FSectionList->SetYOffset(Y);
    FPaintPanel->Invalidate();
}

int32_t THtmlViewer::VScrollBarRange() const { return FMaxVertical - FPaintPanel->Height(); }

int32_t THtmlViewer::HScrollBarRange() const { return FHScrollBar->Max() - FPaintPanel->Width(); }

ThvPosition THtmlViewer::Position() const {
    const int32_t pos = FVScrollBar->Position();
    int32_t top = 0, index = -1;
    if (FSectionList->FindSectionAtPosition(pos, top, index) && index >= 0) return {index + 1, pos - top};
    return {0, pos};
}

void THtmlViewer::SetPosition(const ThvPosition& Value) {
    if (Value.Section == 0) {
        ScrollTo(Value.Offset);
        return;
    }
    TSectionBaseList* list = FSectionList->PositionList.get();
    if (Value.Section < 0 || !list || Value.Section - 1 >= list->Count()) return;
    ScrollTo(Value.Offset + list->GetItem(Value.Section - 1)->YPosition());
}

bool THtmlViewer::PositionTo(std::u16string Dest) {
    if (Dest.empty()) return false;
    if (Dest[0] == u'#') Dest.erase(0, 1);
    TIDObjectList* names = NameList();
    const int i = names ? names->IndexOf(Dest) : -1;
    if (i < 0) return false;
    if (TIDObject* obj = names->GetObject(i)) ScrollTo(obj->YPosition());
    FHScrollBar->SetPosition(0);
    AddVisitedLink(FCurrentFile + u"#" + Dest);
    return true;
}
