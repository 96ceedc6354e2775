#include <cmath>
#include <numbers>
#include <vector>

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/HtmlText.h"
#include "html/viewer/HtmlForms.h"
#include "platform/framework/Buttons.h"
#include "platform/framework/DeviceContext.h"
#include "platform/framework/Forms.h"

using namespace htmltext;

namespace {

constexpr int OffScreenLeft = -4000;

// Screens up to 100 pixels per inch take the smaller radio button.
bool smallScreen() { return !Screen || Screen->PixelsPerInch() < 101; }

// Points of the circle's arc from angle A0 to A1 (degrees, counter-clockwise
// from three o'clock, y growing downwards) of radius R around (CX, CY).
std::vector<TPoint> arcPoints(double CX, double CY, double R, double A0, double A1) {
    std::vector<TPoint> points;
    constexpr int steps = 16;
    for (int k = 0; k <= steps; ++k) {
        const double a = (A0 + (A1 - A0) * k / steps) * std::numbers::pi / 180.0;
        points.push_back(TPoint{int(std::lround(CX + R * std::cos(a))), int(std::lround(CY - R * std::sin(a)))});
    }
    return points;
}

}  // namespace

// ---- image controls

TImageFormControlObj::TImageFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TImageFormControlObjBase(Parent, Position, L, Prop) {
    ReadTag(L);
    XPos = -1;
    FControl = new TBitBtn(nullptr);
    PrepareControl(FControl);
    FControl->SetBounds(OffScreenLeft, 0, 1, 1);
    FControl->OnClick = [this](TObject* Sender) { ImageClick(Sender); };
}

TImageFormControlObj::TImageFormControlObj(TCellBasic* Parent, const TImageFormControlObj& Source)
    : TImageFormControlObjBase(Parent, Source) {
    FControl = Source.FControl;
}

TImageFormControlObj::~TImageFormControlObj() {
    if (!IsCopy() && FControl) FControl->Free();
}

std::unique_ptr<TSectionBase> TImageFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TImageFormControlObj(Parent, *this));
}

TWinControl* TImageFormControlObj::GetTheControl() { return FControl; }

void TImageFormControlObj::ProcessProperties(TProperties* Prop) {
    if (MyImage) MyImage->ProcessProperties(Prop);
}

void TImageFormControlObj::ImageClick(TObject* Sender) {
    if (FControl && FControl->CanFocus()) FControl->SetFocus();
    FormControlClick(Sender);
    XPos = XTmp;
    YPos = YTmp;
    if (!Disabled && MyForm) MyForm->SubmitTheForm(u"");
}

bool TImageFormControlObj::GetSubmission(int Index, std::u16string& S) {
    S.clear();
    if (Index > 1 || XPos < 0) return false;
    if (!FName.empty()) S = FName + u".";
    if (Index == 0) {
        S += u"x=" + fromInt(XPos);
    } else {
        S += u"y=" + fromInt(YPos);
        XPos = -1;  // the point goes out once
    }
    return true;
}

// ---- radio buttons

IMPLEMENT_CLASS(TFormRadioButton, TRadioButton) {}

TFormRadioButton::TFormRadioButton(TComponent* AOwner) : TRadioButton(AOwner) {
    // The form keeps each group of the same name exclusive, whatever the parent.
    SetAutoExclusive(false);
}

void TFormRadioButton::SetChecked(bool Value) {
    // (Tabbing onto a radio button never checks it here: no guard for a held Tab key is needed.)
    if (Value == Checked()) return;
    TRadioButton::SetChecked(Value);
    SetTabStop(Value);
}

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                       TProperties* Prop)
    : TFormControlObj(Parent, Position, L, Prop, ThtFormControlKind::Radio) {
    FControl = new TFormRadioButton(nullptr);
    PrepareControl(FControl);
    if (smallScreen()) FControl->SetBounds(OffScreenLeft, 0, 13, 14);
    else FControl->SetBounds(OffScreenLeft, 0, 16, 16);
    VertAlign = aBaseline;
    TAttribute* checked = nullptr;
    IsChecked = L && L->Find(CheckedSy, checked);
    FControl->IDName = FName;
    FControl->OnKeyDown = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) {
        if (ThtmlForm* form = Form()) form->ArrowKeyDown(Sender, Key, Shift);
    };
    // The form's other radios of this name: a later checked one wins; only
    // one radio of a group is a tab stop.
    bool others = false;
    for (int i = 0; MyForm && i < MyForm->ControlList.Count(); ++i) {
        auto* other = dynamic_cast<TRadioButtonFormControlObj*>(MyForm->ControlList.GetItem(i));
        if (!other || other == this || !equalsNoCase(other->FName, FName)) continue;
        others = true;
        if (IsChecked) {
            other->IsChecked = false;
            other->SetChecked(false);
            other->SetTabStop(false);
        }
    }
    FControl->SetTabStop(IsChecked || !others);
    SetChecked(IsChecked);
    FControl->OnClick = [this](TObject* Sender) { RadioClick(Sender); };
}

TRadioButtonFormControlObj::TRadioButtonFormControlObj(TCellBasic* Parent, const TRadioButtonFormControlObj& Source)
    : TFormControlObj(Parent, Source), FControl(Source.FControl), WasChecked(Source.WasChecked),
      IsChecked(Source.IsChecked) {}

TRadioButtonFormControlObj::~TRadioButtonFormControlObj() {
    if (!IsCopy() && FControl) FControl->Free();
}

std::unique_ptr<TSectionBase> TRadioButtonFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TRadioButtonFormControlObj(Parent, *this));
}

TWinControl* TRadioButtonFormControlObj::GetTheControl() { return FControl; }

bool TRadioButtonFormControlObj::Checked() const { return FControl && FControl->Checked(); }

void TRadioButtonFormControlObj::SetChecked(bool Value) {
    if (!FControl || Value == FControl->Checked()) return;
    // Set without the click: only the user's click (or SetData) runs the group.
    auto click = std::move(FControl->OnClick);
    FControl->OnClick = nullptr;
    FControl->SetChecked(Value);
    FControl->OnClick = std::move(click);
}

TColor TRadioButtonFormControlObj::Color() const { return FControl ? FControl->Color() : clNone; }

void TRadioButtonFormControlObj::SetColor(TColor Value) {
    if (FControl) FControl->SetColor(Value);
}

void TRadioButtonFormControlObj::RadioClick(TObject* Sender) {
    if (FControl) FControl->SetTabStop(true);
    if (ThtmlForm* form = Form()) form->DoRadios(this);
    FormControlClick(Sender);
}

bool TRadioButtonFormControlObj::GetSubmission(int Index, std::u16string& S) {
    S.clear();
    if (Index != 0 || !Checked()) return false;
    S = FName + u"=" + FValue;
    return true;
}

void TRadioButtonFormControlObj::SetData(int, std::u16string_view V) {
    if (!equalsNoCase(V, FValue)) return;
    SetChecked(true);
    if (ThtmlForm* form = Form()) form->DoRadios(this);
}

void TRadioButtonFormControlObj::ResetToValue() { SetChecked(IsChecked); }

void TRadioButtonFormControlObj::RememberEnterState() { WasChecked = Checked(); }

void TRadioButtonFormControlObj::NotifyIfChanged() {
    if (Checked() != WasChecked) DoChangeEvent();
}

void TRadioButtonFormControlObj::DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) {
    TFormControlObj::DrawInline1(Canvas, X, Y);
    if (!IsCopy()) {
        TColor background = OwnerCell() ? OwnerCell()->BkColor : clNone;
        if (background == clNone && FDocument) background = FDocument->BackGround;
        SetColor(background);
        if (Active && FDocument && FDocument->TheOwner && FDocument->TheOwner->ShowFocusRect()) {
            Canvas->Brush()->SetColor(clWhite);
            Canvas->Brush()->SetStyle(bsSolid);
            if (smallScreen()) Canvas->DrawFocusRect(Rect(X - 3, Y - 2, X + 16, Y + 16));
            else Canvas->DrawFocusRect(Rect(X - 2, Y - 2, X + 18, Y + 18));
        }
        return;
    }
    // A print copy paints the button.
    TPen pen;
    pen.Assign(Canvas->Pen());
    TBrush brush;
    brush.Assign(Canvas->Brush());
    TDeviceContext* dc = Canvas->Handle();
    const bool mono = FDocument && FDocument->PrintMonoBlack && dc && dc->GetDeviceCaps(BITSPIXEL) == 1 &&
                      dc->GetDeviceCaps(PLANES) == 1;
    Canvas->Brush()->SetStyle(bsSolid);
    Canvas->Brush()->SetColor(Disabled && !mono ? DocumentThemedColor(FDocument, clBtnFace, seClient) : clWhite);
    Canvas->Pen()->SetStyle(psClear);
    Canvas->Ellipse(X, Y, X + 14, Y + 14);
    Canvas->Pen()->SetStyle(psSolid);
    if (mono) {
        Canvas->Pen()->SetColor(clBlack);
        Canvas->Pen()->SetWidth(1);
        Canvas->Brush()->SetStyle(bsClear);
        Canvas->Ellipse(X, Y, X + 14, Y + 14);
    } else {
        // Inside the 14-pixel frame: the 2-pixel pen runs on a circle of radius 6.
        Canvas->Pen()->SetWidth(2);
        Canvas->Pen()->SetColor(DocumentThemedColor(FDocument, clBtnShadow, seClient));
        Canvas->Polyline(arcPoints(X + 7, Y + 7, 6, 45, 225));
        Canvas->Pen()->SetColor(DocumentThemedColor(FDocument, clBtnHighlight, seClient));
        Canvas->Polyline(arcPoints(X + 7, Y + 7, 6, 225, 405));
    }
    if (Checked()) {
        Canvas->Pen()->SetStyle(psClear);
        Canvas->Brush()->SetStyle(bsSolid);
        Canvas->Brush()->SetColor(clBlack);
        Canvas->Ellipse(X + 5, Y + 5, X + 9, Y + 9);
    }
    Canvas->Brush()->Assign(&brush);
    Canvas->Pen()->Assign(&pen);
}
