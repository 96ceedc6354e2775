#include "html/layout/FormBase.h"

#include "html/layout/Document.h"
#include "platform/framework/Classes.h"

// ---- control lists

void TFormControlObjList::ActivateTabbing() {
    // Still to come: controls not shown placed off-screen so that tabbing reaches them.
}

void TFormControlObjList::DeactivateTabbing() {
    // Still to come: those controls hidden again.
}

// ---- forms

ThtmlFormBase::ThtmlFormBase(ThtDocument* ADocument) : Document(ADocument) {}

ThtmlFormBase::~ThtmlFormBase() {
    // A document still naming the form as its current one forgets it.
    if (Document && Document->FCurrentForm == this) Document->FCurrentForm = nullptr;
}

void ThtmlFormBase::SetSizes(TCanvas*) {
    // Still to come: every control sized.
}

std::unique_ptr<TStringList> ThtmlFormBase::GetFormSubmission() {
    // Still to come: the name=value texts of every control.
    return std::make_unique<TStringList>();
}

void ThtmlFormBase::SetFormData(const TStringList&) {
    // Still to come: the saved values given to the controls by name.
}

void ThtmlFormBase::ResetControls() {
    // Still to come: every control back to its value.
}

// ---- form controls

TFormControlObjBase::TFormControlObjBase(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                                         ThtFormControlKind AKind)
    : TFloatingObj(Parent, Position, L, Prop), FKind(AKind) {}

TFormControlObjBase::TFormControlObjBase(TCellBasic* Parent, const TFormControlObjBase& Source)
    : TFloatingObj(Parent, Source), FName(Source.FName), FID(Source.FID), MyForm(Source.MyForm),
      BordT(Source.BordT), BordB(Source.BordB), FHeight(Source.FHeight), FWidth(Source.FWidth),
      Disabled(Source.Disabled), Readonly(Source.Readonly), BkColor(Source.BkColor), ShowIt(Source.ShowIt),
      FKind(Source.FKind) {}

TFormControlObjBase::~TFormControlObjBase() {
    // The document's lists never keep a control that is gone.
    if (FDocument) {
        if (FDocument->FormControlList) FDocument->FormControlList->Remove(this);
        if (FDocument->TabOrderList) FDocument->TabOrderList->Remove(this);
    }
}

int32_t TFormControlObjBase::GetLeft() {
    // Still to come: the window control's left.
    return 0;
}

int32_t TFormControlObjBase::GetTop() {
    // Still to come: the window control's top.
    return 0;
}

int32_t TFormControlObjBase::GetTabOrder() {
    // Still to come: the window control's tab order.
    return -1;
}

bool TFormControlObjBase::GetTabStop() {
    // Still to come: the window control's tab stop.
    return false;
}

bool TFormControlObjBase::GetHidden() { return false; }
void TFormControlObjBase::NotifyIfChanged() {}
void TFormControlObjBase::RememberEnterState() {}

void TFormControlObjBase::SetLeft(int32_t) {
    // Still to come: the window control moved.
}

void TFormControlObjBase::SetTop(int32_t) {
    // Still to come: the window control moved.
}

void TFormControlObjBase::SetTabOrder(int32_t) {
    // Still to come: the window control's tab order.
}

void TFormControlObjBase::SetTabStop(bool) {
    // Still to come: the window control's tab stop.
}

bool TFormControlObjBase::GetSubmission(int, std::u16string& S) {
    S.clear();
    return false;
}

void TFormControlObjBase::DrawInline1(TCanvas*, int32_t, int32_t) {
    // Still to come: the window control shown where the layout put it.
}

void TFormControlObjBase::Hide() {
    // Still to come: the window control hidden.
}

void TFormControlObjBase::ProcessProperties(TProperties*) {
    // Still to come: margins, borders, size, alignment, float and colour from the property set.
}

void TFormControlObjBase::ResetToValue() {}
void TFormControlObjBase::SetData(int, std::u16string_view) {}
void TFormControlObjBase::SetDataInit() {}
void TFormControlObjBase::SetHeightWidth(TCanvas*) {}

void TFormControlObjBase::Show() {
    // Still to come: the window control shown.
}

void TFormControlObjBase::SetStyleElements(TStyleElements) {
    // Still to come: the style elements given to the window control.
}

TImageFormControlObjBase::TImageFormControlObjBase(TCellBasic* Parent, int32_t Position, TAttributeList* L,
                                                   TProperties* Prop)
    : TFormControlObjBase(Parent, Position, L, Prop, ThtFormControlKind::Image) {}

TImageFormControlObjBase::TImageFormControlObjBase(TCellBasic* Parent, const TImageFormControlObjBase& Source)
    : TFormControlObjBase(Parent, Source) {}
