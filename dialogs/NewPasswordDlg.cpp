#include "dialogs/NewPasswordDlg.h"

#include "dialogs/DialogLayout.h"
#include "dialogs/MessageView.h"
#include "dialogs/PasswordDialogs.h"
#include "platform/runtime/Passwords.h"
#include "platform/runtime/Translation.h"

namespace {
constexpr int kDefaultMaxLength = 31;
constexpr int kQualityLevel = 6;
}  // namespace

IMPLEMENT_CLASS(TMakePasswordForm, TForm) {}

TMakePasswordForm::TMakePasswordForm(TComponent* AOwner, const char* caption) : TForm(AOwner) {
    SetName("MakePasswordForm");
    SetCaption(caption && *caption ? caption : "Создание пароля");
    SetBorderStyle(bsDialog);
    SetPosition(poOwnerFormCenter);
    SetKeyPreview(true);
    SetClientWidth(332);
    SetClientHeight(126);

    Image1 = placeControl<TIconImage>(this, this, "Image1", 10, 12, 32, 32);
    Image1->SetKind(ikQuestion);
    Label1 = placeLabel(this, this, "Label1", "&Пароль ", 54, 15);
    Label2 = placeLabel(this, this, "Label2", "По&дтверждение", 54, 47);
    PasswordEdit = placeControl<TEdit>(this, this, "PasswordEdit", 160, 12, 160, 21);
    PasswordConfirm = placeControl<TEdit>(this, this, "PasswordConfirm", 160, 44, 160, 21);
    Label1->SetFocusControl(PasswordEdit);
    Label2->SetFocusControl(PasswordConfirm);
    for (TEdit* e : {PasswordEdit, PasswordConfirm}) {
        e->SetPasswordChar(U'*');
        e->SetMaxLength(kDefaultMaxLength);
        e->OnChange = [this](TObject* s) { PasswordChange(s); };
    }
    Label3 = placeLabel(this, this, "Label3", "Раскладка", 10, 80);
    Label4 = placeLabel(this, this, "Label4", "клавиатуры", 10, 96);
    StaticText1 = placeControl<TStaticText>(this, this, "StaticText1", 90, 88, 40, 17);
    Button1 = placeButton(this, this, "Button1", "&Сохранить", 150, 88, 82, mrOk);
    Button1->SetDefault(true);
    Button2 = placeButton(this, this, "Button2", "&Отменить", 240, 88, 82, mrCancel);
    Button2->SetCancel(true);

    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(200);
    Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
    OnCloseQuery = [this](TObject* s, bool& can) { FormCloseQuery(s, can); };
    OnKeyDown = [this](TObject* s, uint16_t& key, TShiftState shift) { FormKeyDown(s, key, shift); };

    showKeyboardLayout(StaticText1);
    int maxLength = 0;
    getPassMinMax(&FMinLength, &maxLength);
    if (maxLength != 0)
        for (TEdit* e : {PasswordEdit, PasswordConfirm}) e->SetMaxLength(maxLength);
    Button1->SetEnabled(FMinLength == 0);
}

void TMakePasswordForm::PasswordChange(TObject* Sender) {
    auto* edited = dynamic_cast<TEdit*>(Sender);
    if (!edited) edited = PasswordEdit;
    const bool longEnough = Utf8Length(edited->GetText()) >= FMinLength;
    Button1->SetEnabled(longEnough && PasswordEdit->GetText() == PasswordConfirm->GetText());
}

void TMakePasswordForm::FormCloseQuery(TObject*, bool& CanClose) {
    // Every password goes through the quality test, the policy's test
    // password too: a weak password is weak whatever it is called.
    if (ModalResult() != mrOk || testPassword(PasswordEdit->GetText().c_str(), kQualityLevel)) return;
    messageBox(nullptr, "Пароль имеет плохое качество!", "Ошибка", 0x2010);
    SetActiveControl(PasswordEdit);
    CanClose = false;
}

void TMakePasswordForm::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    const char* password = testerPasswordFor(Key, Shift);
    if (!password) return;
    PasswordEdit->SetText(password);
    PasswordConfirm->SetText(password);
    PasswordChange(PasswordEdit);
    Key = 0;
}

void TMakePasswordForm::Timer1Timer(TObject*) { showKeyboardLayout(StaticText1); }

int execNewPassword(TCString& password, const char* caption, TComponent* owner) {
    auto* form = new TMakePasswordForm(owner ? owner : dialogOwner(), caption);
    String accepted;
    // The dialog is freed before showProgramDialog returns: take the password
    // as it closes.
    form->OnClose = [form, &accepted](TObject*, TCloseAction&) {
        if (form->ModalResult() == mrOk) accepted = form->PasswordEdit->GetText();
    };
    if (showProgramDialog(form, [] {}) != mrOk) return 1;
    password = accepted;
    return 0;
}
