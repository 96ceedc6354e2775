#include "platform/framework/Splitter.h"

#include <algorithm>

const TEnumInfo ResizeStyleInfo{"TResizeStyle", {"rsNone", "rsLine", "rsUpdate", "rsPattern"}};

IMPLEMENT_CLASS(TSplitter, TGraphicControl) {
    r.Enum("Align", AlignInfo, &TSplitter::Align, &TSplitter::SetAlign);
    r.Boolean("Beveled", &TSplitter::Beveled, &TSplitter::SetBeveled);
    r.Integer("MinSize", &TSplitter::MinSize, &TSplitter::SetMinSize);
    r.Enum("ResizeStyle", ResizeStyleInfo, &TSplitter::ResizeStyle, &TSplitter::SetResizeStyle);
}

TSplitter::TSplitter(TComponent* AOwner) : TGraphicControl(AOwner) {
    FWidth = 3;
    FHeight = 100;
    SetAlign(alLeft);
    SetCursor(crHSplit);
}

void TSplitter::SetBeveled(bool v) {
    FBeveled = v;
    Invalidate();
}

TControl* TSplitter::FindControl() const {
    TWinControl* p = Parent();
    if (!p) return nullptr;
    for (int i = 0; i < p->ControlCount(); ++i) {
        TControl* c = p->Controls(i);
        if (c == this || !c->Visible() || c->Align() != Align()) continue;
        switch (Align()) {
        case alLeft:
            if (c->Left() + c->Width() == Left()) return c;
            break;
        case alRight:
            if (c->Left() == Left() + Width()) return c;
            break;
        case alTop:
            if (c->Top() + c->Height() == Top()) return c;
            break;
        case alBottom:
            if (c->Top() == Top() + Height()) return c;
            break;
        default: break;
        }
    }
    return nullptr;
}

void TSplitter::MoveBy(int delta) {
    TControl* c = FindControl();
    if (!c || delta == 0) return;
    switch (Align()) {
    case alLeft: c->SetWidth(std::max(FMinSize, c->Width() + delta)); break;
    case alRight: c->SetWidth(std::max(FMinSize, c->Width() - delta)); break;
    case alTop: c->SetHeight(std::max(FMinSize, c->Height() + delta)); break;
    case alBottom: c->SetHeight(std::max(FMinSize, c->Height() - delta)); break;
    default: return;
    }
    if (TWinControl* p = Parent()) p->AlignControls();
    if (OnMoved) OnMoved(const_cast<TSplitter*>(this));
}

void TSplitter::Paint() {
    TCanvas* c = Canvas();
    c->Brush()->SetColor(clBtnFace);
    c->FillRect(ClientRect());
    if (!FBeveled) return;
    int w = Width(), h = Height();
    c->Pen()->SetColor(clBtnHighlight);
    c->MoveTo(0, h - 1);
    c->LineTo(0, 0);
    c->LineTo(w - 1, 0);
    c->Pen()->SetColor(clBtnShadow);
    c->LineTo(w - 1, h - 1);
    c->LineTo(0, h - 1);
}

void TSplitter::MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseDown(Button, Shift, X, Y);
    if (Button != mbLeft) return;
    FDragging = true;
    FDownPos = horizontal() ? Y : X;
}

void TSplitter::MouseMove(TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseMove(Shift, X, Y);
    TCursor want = horizontal() ? crVSplit : crHSplit;
    if (Cursor() != want) SetCursor(want);
    // The bar moves with the control it resizes, so the pressed point is
    // again at FDownPos after each step.
    if (FDragging) MoveBy((horizontal() ? Y : X) - FDownPos);
}

void TSplitter::MouseUp(TMouseButton Button, TShiftState Shift, int X, int Y) {
    TGraphicControl::MouseUp(Button, Shift, X, Y);
    FDragging = false;
}
