#include "html/viewer/HtmlForms.h"

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/text/HtmlText.h"

using namespace htmltext;

// ---- forms

ThtmlForm::ThtmlForm(ThtDocument* ADocument, TAttributeList* L) : ThtmlFormBase(ADocument) {
    for (int i = 0; L && i < L->Count(); ++i) {
        const TAttribute* a = L->GetAttribute(i);
        switch (a->Which) {
        case ActionSy: Action = a->Name; break;
        case EncTypeSy: EncType = a->Name; break;
        case MethodSy: Method = a->Name; break;
        case TargetSy: Target = a->Name; break;
        default: break;
        }
    }
}

TFormControlObjBase* ThtmlForm::ControlOf(const TObject* Sender) const {
    if (!Sender) return nullptr;
    for (int i = 0; i < ControlList.Count(); ++i)
        if (TFormControlObjBase* control = ControlList.GetItem(i); control->GetTheControl() == Sender) return control;
    return nullptr;
}

void ThtmlForm::DoRadios(TRadioButtonFormControlObj* Radio) {
    if (!Radio || Radio->FName.empty()) return;
    for (int i = 0; i < ControlList.Count(); ++i) {
        auto* other = dynamic_cast<TRadioButtonFormControlObj*>(ControlList.GetItem(i));
        if (!other || other == Radio || !equalsNoCase(other->FName, Radio->FName)) continue;
        other->SetChecked(false);
        other->SetTabStop(false);
        other->NotifyIfChanged();
    }
}

void ThtmlForm::ControlKeyPress(TObject* Sender, char32_t& Key) {
    if (Key != U'\r') return;
    TFormControlObjBase* control = ControlOf(Sender);
    if (!control) return;
    const ThtFormControlKind kind = control->Kind();
    // Only a single-line edit submits; a text area takes its line end.
    if (kind != ThtFormControlKind::Edit && kind != ThtFormControlKind::FileEdit) return;
    SubmitTheForm(u"");
    Key = 0;
}

void ThtmlForm::ArrowKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift) {
    auto* button = dynamic_cast<TFormRadioButton*>(Sender);
    if (button && Key >= VK_LEFT && Key <= VK_DOWN) {
        const bool forward = Key == VK_RIGHT || Key == VK_DOWN;
        const int n = ControlList.Count();
        int at = -1;
        for (int i = 0; i < n && at < 0; ++i)
            if (ControlList.GetItem(i)->GetTheControl() == button) at = i;
        if (at >= 0) {
            for (int i = forward ? at + 1 : at - 1; i >= 0 && i < n; i += forward ? 1 : -1) {
                auto* radio = dynamic_cast<TRadioButtonFormControlObj*>(ControlList.GetItem(i));
                if (!radio || !equalsNoCase(radio->FName, button->IDName)) continue;
                if (radio->FControl && radio->FControl->CanFocus()) radio->FControl->SetFocus();
                break;
            }
        }
        Key = 0;  // the walk stays within the group
        return;
    }
    if (Document && Document->TheOwner) Document->TheOwner->ViewerKeyDown(Key, Shift);
}

// ---- the control base

TFormControlObj::TFormControlObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop,
                                 ThtFormControlKind AKind)
    : TFormControlObjBase(Parent, Position, L, Prop, AKind) {
    ReadTag(L);
}

TFormControlObj::TFormControlObj(TCellBasic* Parent, const TFormControlObj& Source)
    : TFormControlObjBase(Parent, Source) {}
