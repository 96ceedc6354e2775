#include "components/CCheckControl.h"

#include <algorithm>
#include <cstring>

#include "components/CEditorsBox.h"
#include "components/CFileNameEdit.h"
#include "components/CNumberEdit.h"
#include "components/CheckBoxes.h"
#include "components/UXDateTime.h"

IMPLEMENT_CLASS(TCCheckControl, TPanel) {
    r.Str("Caption", &TCCheckControl::GetCaption, &TCCheckControl::SetCaption);
    r.Boolean("Checked", &TCCheckControl::GetChecked, &TCCheckControl::SetChecked);
    r.Integer("Flag", &TCCheckControl::Flag, &TCCheckControl::SetFlag);
    r.Integer("LabelWidth", &TCCheckControl::GetLabelWidth, &TCCheckControl::SetLabelWidth);
    r.Boolean("MustBeFilled", &TCCheckControl::MustBeFilled, &TCCheckControl::SetNeedFill);
    r.Boolean("ReadOnly", &TCCheckControl::ReadOnly, &TCCheckControl::SetReadOnly);
    r.Str("Text", &TCCheckControl::GetTextValue, &TCCheckControl::SetTextValue);
}

TCCheckControl::TCCheckControl(TComponent* AOwner) : TPanel(AOwner) {
    SetBevelOuter(bvNone);
    SetBevelInner(bvNone);
    TPanel::SetCaption("");
    SetHeight(21);
    FCheck = new TCheckBox(this);
    FCheck->SetParent(this);
    FCheck->SetWidth(15);
    FCheck->SetAlign(alLeft);
    FCheck->OnClick = [this](TObject*) { checkedClick(); };
    // Unnamed: no registry history until Loaded names it.
    FEdit = createCEditor(this, xvtString, "");
    FEdit->SetAlign(alClient);
    FEdit->SetAnchors(FEdit->Anchors() | akSet(akRight));
    FEdit->Show();
    enableEdit(false);
}

String TCCheckControl::GetCaption() const { return FCheck->Caption(); }

void TCCheckControl::SetCaption(const String& v) {
    FCheck->SetCaption(v);
    TCanvas c;
    c.Font()->Assign(Font());
    SetLabelWidth(c.TextWidth(v) + 21);
}

int TCCheckControl::GetLabelWidth() const { return FCheck->Width(); }
void TCCheckControl::SetLabelWidth(int v) {
    FCheck->SetWidth(v);
    AlignControls();
}

bool TCCheckControl::GetChecked() const { return FCheck->Checked(); }

void TCCheckControl::SetChecked(bool v) {
    FCheck->SetChecked(v);
    enableEdit(v);
}

void TCCheckControl::checkedClick() {
    enableEdit(FCheck->Checked());
    if (OnChkClick) OnChkClick(this);
}

void TCCheckControl::enableEdit(bool v) {
    if (!FEdit) return;
    FEdit->setColor(v ? clWindow : clBtnFace);
    FEdit->enable(v && !FReadOnly);
}

void TCCheckControl::enable(bool v) {
    FCheck->SetEnabled(v);
    if (!v && FEdit) FEdit->enable(false);
}

void TCCheckControl::SetReadOnly(bool v) {
    FReadOnly = v;
    if (v && FEdit) FEdit->enable(false);
}

String TCCheckControl::GetTextValue() const { return FEdit ? FEdit->getTextValue() : String(); }
void TCCheckControl::SetTextValue(const String& v) {
    if (FEdit) FEdit->setTextValue(v);
}

void TCCheckControl::freeEdit() {
    if (!FEdit) return;
    TCompoundEdit* e = FEdit;
    FEdit = nullptr;
    e->Free();
}

void TCCheckControl::SetType(TCEditsEntryType type) {
    if (type == FType || type == xvtNone) return;
    TCompoundEdit* e = createCEditor(this, type, "ed_" + Name());
    if (!e) return;
    freeEdit();
    FType = type;
    FEdit = e;
    FEdit->SetParent(this);
    FEdit->SetAnchors(FEdit->Anchors() | akSet(akRight));
    FEdit->SetAlign(alClient);
    FEdit->Show();
    enableEdit(GetChecked() && FCheck->Enabled());
}

void TCCheckControl::Loaded() {
    TPanel::Loaded();
    if (FType == xvtString)
        if (auto* h = dynamic_cast<TCompoundHistoryEdit*>(FEdit))
            h->setRegParams("software\\zoren\\X509Editors\\", Name() + "_ed", true);
}

void TCCheckControl::SetParent(TWinControl* p) {
    TPanel::SetParent(p);
    if (!p) return;
    FCheck->SetBounds(0, 0, FCheck->Width(), ClientHeight());
    FCheck->SetAlign(alLeft);
    SetChecked(false);
    if (FEdit) {
        FEdit->SetParent(this);
        FEdit->SetAlign(alClient);
        FEdit->Show();
    }
}

void TCCheckControl::setChecked(unsigned flags) { SetChecked((flags & FFlag) == FFlag); }

void TCCheckControl::getChecked(unsigned& flags) const {
    if (GetChecked()) flags |= FFlag;
    else flags &= ~FFlag;
}

bool TCCheckControl::setNumValue(unsigned number, unsigned flag) {
    if (!FEdit) return false;
    switch (FType) {
    case xvtString: FEdit->SetText(std::to_string(number)); break;
    case xvtBool: asBoolEdit()->SetChecked(number != 0 ? 1 : 0); break;
    case xvtInt: asNumberEdit()->SetValue(number); break;
    case xvtDate:
    case xvtTime: asUXDateTimePicker()->SetUXDateTime(number); break;
    case xvtDateTime: asUXDatetimeEdit()->SetDateAndTime(number); break;
    case xvtEnum:
    case xvtSet: asFlagsBox()->SetChecked(number); break;
    default: return false;
    }
    FFlag = flag;
    return true;
}

bool TCCheckControl::setStrValue(const char* text, unsigned flag) {
    bool ok = FEdit && FEdit->setTextValue(text ? text : "");
    FFlag = flag;
    return ok;
}

bool TCCheckControl::inactive() const { return !GetChecked() || !FCheck->Enabled() || !Enabled(); }

bool TCCheckControl::getNumValue(unsigned* value, unsigned* flags) {
    if (inactive() || !FEdit) {
        if (flags) *flags &= ~FFlag;
        if (value) *value = 0;
        return true;
    }
    unsigned v = 0;
    switch (FType) {
    case xvtBool:
    case xvtEnum:
    case xvtSet: v = unsigned(asFlagsBox()->GetChecked() & 0xFFFFFFFFu); break;
    case xvtInt: v = unsigned(asNumberEdit()->GetValue()); break;
    case xvtDate:
    case xvtTime: v = unsigned(asUXDateTimePicker()->GetUXDateTime()); break;
    case xvtDateTime: v = unsigned(asUXDatetimeEdit()->GetDateAndTime()); break;
    default: return false;
    }
    if (flags) *flags |= FFlag;
    if (value) *value = v;
    return isFilled(true, nullptr);
}

bool TCCheckControl::getStrValue(char* buffer, int size, unsigned* flags) {
    if (!buffer || size < 1) return false;
    if (inactive() || !FEdit) {
        if (flags) *flags &= ~FFlag;
        buffer[0] = 0;
        return true;
    }
    if (flags) *flags |= FFlag;
    String t = FEdit->getTextValue();
    size_t n = std::min(t.size(), size_t(size - 1));
    // Never cut a character in two.
    while (n > 0 && n < t.size() && (static_cast<unsigned char>(t[n]) & 0xC0) == 0x80) --n;
    std::memcpy(buffer, t.data(), n);
    buffer[n] = 0;
    return isFilled(true, nullptr);
}

bool TCCheckControl::isFilled(bool showMessage, const char* caption) {
    if (!FMustBeFilled || !GetChecked() || !Visible() || !FEdit) return true;
    String c = caption ? String(caption) : GetCaption();
    return FEdit->isFilled(showMessage, c.c_str());
}

TCNumberEdit* TCCheckControl::asNumberEdit() const { return dynamic_cast<TCNumberEdit*>(FEdit); }
TCBoolBox* TCCheckControl::asBoolEdit() const { return dynamic_cast<TCBoolBox*>(FEdit); }
TCFileNameEdit* TCCheckControl::asFileNameEdit() const { return dynamic_cast<TCFileNameEdit*>(FEdit); }
TUXDatetimeEditor* TCCheckControl::asUXDatetimeEdit() const { return dynamic_cast<TUXDatetimeEditor*>(FEdit); }
TCompoundHistoryEdit* TCCheckControl::asTextEdit() const { return dynamic_cast<TCompoundHistoryEdit*>(FEdit); }
TCFlagsBox* TCCheckControl::asFlagsBox() const { return dynamic_cast<TCFlagsBox*>(FEdit); }
TUXDateTimePicker* TCCheckControl::asUXDateTimePicker() const { return dynamic_cast<TUXDateTimePicker*>(FEdit); }

void ccSetChecked(TWinControl* container, unsigned flags) {
    if (!container) return;
    for (int i = 0; i < container->ControlCount(); ++i)
        if (auto* c = dynamic_cast<TCCheckControl*>(container->Controls(i))) c->setChecked(flags);
}

void ccGetChecked(TWinControl* container, unsigned& flags) {
    if (!container) return;
    for (int i = 0; i < container->ControlCount(); ++i)
        if (auto* c = dynamic_cast<TCCheckControl*>(container->Controls(i))) c->getChecked(flags);
}

void ccGrayControls(TWinControl* container, unsigned flags, bool recurse) {
    if (!container) return;
    for (int i = 0; i < container->ControlCount(); ++i) {
        TControl* c = container->Controls(i);
        if (auto* cc = dynamic_cast<TCCheckControl*>(c)) cc->Gray(flags);
        else if (auto* w = dynamic_cast<TWinControl*>(c); w && recurse) ccGrayControls(w, flags, true);
    }
}
