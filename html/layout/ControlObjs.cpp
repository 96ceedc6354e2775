#include "html/layout/ControlObjs.h"

#include "html/layout/Document.h"

// ---- control objects

TControlObj::TControlObj(TCellBasic* Parent, const TControlObj& Source)
    : TSizeableObj(Parent, Source), SetWidth(Source.SetWidth), SetHeight(Source.SetHeight), ShowIt(Source.ShowIt) {}

TControlObj::~TControlObj() {
    // The document's panel list never keeps an object that is gone.
    if (FDocument) std::erase(FDocument->PanelList, this);
}

TColor TControlObj::GetBackgroundColor() { return clNone; }

void TControlObj::DrawLogicInline(TCanvas*, TFontObj*, int32_t, int32_t) {
    // Still to come: the size from the control's natural size, the control resized on screen.
}

void TControlObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    // Still to come: the placeholder of a print copy, the control moved on screen.
    TSizeableObj::DrawInline(Canvas, X, Y, YBaseline, FO);
}

// ---- inline frames

TFrameObj::TFrameObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TControlObj(Parent, Position, L, Prop) {
    // Still to come: ALT, FRAMEBORDER, MARGINHEIGHT, MARGINWIDTH, SCROLLING and SRC, the viewer made and loaded.
}

TFrameObj::TFrameObj(TCellBasic* Parent, const TFrameObj& Source)
    : TControlObj(Parent, Source), FSource(Source.FSource), FUrl(Source.FUrl), frMarginWidth(Source.frMarginWidth),
      frMarginHeight(Source.frMarginHeight), NoScroll(Source.NoScroll) {}

TFrameObj::~TFrameObj() = default;

std::unique_ptr<TSectionBase> TFrameObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TFrameObj(Parent, *this));
}

void TFrameObj::CreateFrame() {
    // Still to come: the nested viewer made by the document's viewer and the source expanded.
}

void TFrameObj::LoadFrame() {
    // Still to come: loading the address with the document's parse state saved and restored.
}

void TFrameObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    // Still to come: the nested viewer's picture in a print copy.
    TControlObj::DrawInline(Canvas, X, Y, YBaseline, FO);
}

TColor TFrameObj::GetBackgroundColor() { return FViewer ? FViewer->BackgroundColor() : clNone; }

TWinControl* TFrameObj::GetControl() { return FViewer ? FViewer->Control() : nullptr; }
