#pragma once
// The new-password dialog: the password twice, within the password policy,
// with the quality test and the keyboard-layout indicator.
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/TCString.h"

class TMakePasswordForm : public TForm {
    DECLARE_CLASS(TMakePasswordForm)
    TMakePasswordForm(TComponent* AOwner, const char* caption);

    TLabel* Label1;
    TLabel* Label2;
    TEdit* PasswordEdit;
    TEdit* PasswordConfirm;
    TButton* Button1;  // "Сохранить"
    TButton* Button2;  // "Отменить"
    TLabel* Label3;    // "Раскладка"
    TLabel* Label4;    // "клавиатуры"
    TStaticText* StaticText1;
    TTimer* Timer1;
    TIconImage* Image1;

    int minLength() const { return FMinLength; }

    void PasswordChange(TObject* Sender);
    void FormCloseQuery(TObject* Sender, bool& CanClose);
    void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void Timer1Timer(TObject* Sender);

private:
    int FMinLength = 0;
};

// Asks for a new password. 0 with the password in `password` when accepted,
// 1 otherwise. A null owner means the active form, else the main form.
int execNewPassword(TCString& password, const char* caption, TComponent* owner = nullptr);
