// Buttons (submit, reset, plain, browse), hidden fields and check boxes.
#include <algorithm>

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/ImageDrawing.h"
#include "html/text/HtmlText.h"
#include "html/viewer/FormControlFrames.h"
#include "html/viewer/FormControlSupport.h"
#include "html/viewer/HtmlFormControls.h"
#include "platform/framework/Buttons.h"
#include "platform/runtime/Translation.h"

using namespace htmltext;
using namespace formcontrols;

// ---- buttons

TButtonFormControlObj::TButtonFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                                             ThtFormControlKind AKind)
    : TTypedFormControlObj(Parent, Position, L, Prop, AKind) {
    auto orDefault = [this](std::u16string_view Default) {
        if (FValue.empty()) FValue = Default;
    };
    if (FInputType == u"submit") {
        Which = TWhichType::Submit;
        orDefault(u"Submit");
    } else if (FInputType == u"reset") {
        Which = TWhichType::ResetB;
        orDefault(u"Reset");
    } else if (FInputType == u"file") {
        // The button beside a file input: neither named nor submitted.
        Which = TWhichType::Browse;
        FValue.clear();
        FName.clear();
        FID.clear();
    } else {
        Which = TWhichType::Button;
        orDefault(u"Button");
    }
    FControl = new TBitBtn(nullptr);
    PrepareControl(FControl);
    AssignPropertiesFont(FControl, Prop);
    FControl->SetCaption(Which == TWhichType::Browse ? String(zrnTranslateString("Browse...").str()) : toUtf8(FValue));
    FControl->OnClick = [this](TObject* Sender) { ButtonClick(Sender); };
}

TButtonFormControlObj::TButtonFormControlObj(TCellBasic* Parent, const TButtonFormControlObj& Source)
    : TTypedFormControlObj(Parent, Source), FControl(Source.FControl), Which(Source.Which), MyEdit(Source.MyEdit) {}

TButtonFormControlObj::~TButtonFormControlObj() {
    if (!IsCopy() && FControl) FControl->Free();
}

std::unique_ptr<TSectionBase> TButtonFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TButtonFormControlObj(Parent, *this));
}

TWinControl* TButtonFormControlObj::GetTheControl() { return FControl; }

void TButtonFormControlObj::ButtonClick(TObject* Sender) {
    FormControlClick(Sender);
    switch (Which) {
    case TWhichType::ResetB:
        if (MyForm) MyForm->ResetControls();
        break;
    case TWhichType::Submit:
        if (MyForm) MyForm->SubmitTheForm(FName.empty() ? std::u16string() : FName + u"=" + FValue);
        break;
    case TWhichType::Browse:
        if (MyEdit && FDocument && FDocument->FileBrowse) {
            std::u16string name = MyEdit->GetText();
            FDocument->FileBrowse(FDocument->Sender(), MyEdit, name);
            MyEdit->SetText(name);
        }
        break;
    case TWhichType::Button: break;
    }
}

void TButtonFormControlObj::SetHeightWidth(TCanvas* Canvas) {
    if (!FControl) return;
    Canvas->Font()->Assign(FControl->Font());
    const int textHeight = Canvas->TextHeight("A");
    FControl->SetHeight(FHeight < textHeight ? textHeight + 8 : FHeight);
    if (FWidth >= 10 && !PercentWidth) FControl->SetWidth(FWidth);
    else FControl->SetWidth(Canvas->TextWidth(FControl->Caption()) + 20);
}

void TButtonFormControlObj::DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) {
    TTypedFormControlObj::DrawInline1(Canvas, X, Y);
    if (!IsCopy() || !FControl) return;
    const int w = FControl->Width(), h = FControl->Height();
    if (PrintsMono(FDocument, Canvas)) {
        const TStyleElements se = FDocument ? FDocument->StyleElements() : AllStyleElements;
        DrawFormControlFrame(Canvas, X, Y, X + w, Y + h, se, clWhite, false, true, true);
        TBrush brush;
        brush.Assign(Canvas->Brush());
        TFont font;
        font.Assign(Canvas->Font());
        SelectTextFont(Canvas, FDocument, FControl->Font());
        // A print copy carries no value: the caption is the shared window control's.
        const String caption = FControl->Caption();
        const int top = Y + (h - Canvas->TextHeight("A")) / 2;
        Canvas->TextOut(X + (w - Canvas->TextWidth(caption)) / 2, top, caption);
        Canvas->Font()->Assign(&font);
        Canvas->Brush()->Assign(&brush);
        return;
    }
    if (!PaintBitmap) {
        try {
            auto picture = std::make_unique<TBitmap>();
            picture->SetSize(w, h);
            FControl->PaintTo(picture->Canvas(), 0, 0);
            PaintBitmap = std::move(picture);
        } catch (const std::exception&) {
            // No picture of the button: the page prints without it.
            return;
        }
    }
    PrintBitmapDIB(Canvas, X, Y, w, h, PaintBitmap.get());
}

// ---- hidden fields

THiddenFormControlObj::THiddenFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TFormControlObj(Parent, Position, L, Prop, ThtFormControlKind::Hidden) {}

THiddenFormControlObj::THiddenFormControlObj(TCellBasic* Parent, const THiddenFormControlObj& Source)
    : TFormControlObj(Parent, Source) {}

std::unique_ptr<TSectionBase> THiddenFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new THiddenFormControlObj(Parent, *this));
}

bool THiddenFormControlObj::GetSubmission(int Index, std::u16string& S) {
    S.clear();
    if (Index != 0) return false;
    S = FName + u"=" + FValue;
    return true;
}

void THiddenFormControlObj::SetData(int, std::u16string_view V) { FValue = V; }

// ---- check boxes

IMPLEMENT_CLASS(TFormCheckBox, TCheckBox) {}

TFormCheckBox::TFormCheckBox(TComponent* AOwner) : TCheckBox(AOwner) { SetWantArrows(true); }

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                 TProperties* Prop)
    : TFormControlObj(Parent, Position, L, Prop, ThtFormControlKind::CheckBox) {
    if (FValue.empty()) FValue = u"on";
    VertAlign = aBaseline;
    TAttribute* checked = nullptr;
    IsChecked = L && L->Find(CheckedSy, checked);
    FControl = new TFormCheckBox(nullptr);
    PrepareControl(FControl);
    FControl->SetWidth(13);
    FControl->SetHeight(13);
    FControl->OnKeyDown = [this](TObject* Sender, uint16_t& Key, TShiftState Shift) {
        if (ThtmlForm* form = Form()) form->ArrowKeyDown(Sender, Key, Shift);
    };
    SetChecked(IsChecked);
    FControl->OnClick = [this](TObject* Sender) { FormControlClick(Sender); };
}

TCheckBoxFormControlObj::TCheckBoxFormControlObj(TCellBasic* Parent, const TCheckBoxFormControlObj& Source)
    : TFormControlObj(Parent, Source), FControl(Source.FControl), WasChecked(Source.WasChecked),
      IsChecked(Source.IsChecked) {}

TCheckBoxFormControlObj::~TCheckBoxFormControlObj() {
    if (!IsCopy() && FControl) FControl->Free();
}

std::unique_ptr<TSectionBase> TCheckBoxFormControlObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TCheckBoxFormControlObj(Parent, *this));
}

TWinControl* TCheckBoxFormControlObj::GetTheControl() { return FControl; }

bool TCheckBoxFormControlObj::GetChecked() const { return FControl && FControl->Checked(); }

void TCheckBoxFormControlObj::SetChecked(bool Value) {
    if (!FControl || Value == FControl->Checked()) return;
    // Only the user's click is reported as one.
    auto click = std::move(FControl->OnClick);
    FControl->OnClick = nullptr;
    FControl->SetChecked(Value);
    FControl->OnClick = std::move(click);
}

bool TCheckBoxFormControlObj::GetSubmission(int Index, std::u16string& S) {
    S.clear();
    if (Index != 0 || !GetChecked()) return false;
    S = FName + u"=" + FValue;
    return true;
}

void TCheckBoxFormControlObj::SetDataInit() { SetChecked(false); }

void TCheckBoxFormControlObj::SetData(int, std::u16string_view V) {
    if (equalsNoCase(V, FValue)) SetChecked(true);
}

void TCheckBoxFormControlObj::ResetToValue() { SetChecked(IsChecked); }

void TCheckBoxFormControlObj::RememberEnterState() { WasChecked = GetChecked(); }

void TCheckBoxFormControlObj::NotifyIfChanged() {
    if (GetChecked() != WasChecked) DoChangeEvent();
}

void TCheckBoxFormControlObj::DrawInline1(TCanvas* Canvas, int32_t X, int32_t Y) {
    TFormControlObj::DrawInline1(Canvas, X, Y);
    if (!FControl) return;
    if (!IsCopy()) {
        if (Active && FDocument && FDocument->TheOwner && FDocument->TheOwner->ShowFocusRect()) {
            Canvas->Brush()->SetColor(clWhite);
            Canvas->Brush()->SetStyle(bsSolid);
            Canvas->DrawFocusRect(Rect(X - 3, Y - 3, X + 16, Y + 16));
        }
        return;
    }
    const int w = FControl->Width(), h = FControl->Height();
    const TStyleElements se = FDocument ? FDocument->StyleElements() : AllStyleElements;
    DrawFormControlFrame(Canvas, X, Y, X + w, Y + h, se, clWhite, Disabled, FDocument && FDocument->PrintMonoBlack,
                         false);
    if (!GetChecked()) return;
    TPen pen;
    pen.Assign(Canvas->Pen());
    Canvas->Pen()->SetStyle(psSolid);
    Canvas->Pen()->SetWidth(1);
    Canvas->Pen()->SetColor(clBlack);
    const int m = Y + h / 2;
    Canvas->Polyline({TPoint{X + 3, m}, TPoint{X + 5, m + 2}, TPoint{X + 9, m - 2}});
    Canvas->Pen()->Assign(&pen);
}
