#pragma once
// The HSM token list window and its dialogs: choosing a token for a
// container location and, when keys are written, adding, initialising,
// unlocking and removing tokens, viewing their certificates and exporting
// the register.
//
// A token is initialised with the starting user PIN (getCTXDef_p); the first
// key generation on it makes the container password its PIN.
#include "locations/HSMTokens.h"
#include "components/CAdvancedListView.h"
#include "components/CCompStorage.h"
#include "components/CompoundEdit.h"
#include "platform/framework/ActnList.h"
#include "platform/framework/Dialogs.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/ImgList.h"
#include "platform/framework/Menus.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/Splitter.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/SecretString.h"
#include "platform/runtime/TCString.h"

class TCP11Slot;

// What an initialisation asks: the token's name and the administrator password.
class THsmTokenPropsDlg : public TForm {
    DECLARE_CLASS(THsmTokenPropsDlg)
    explicit THsmTokenPropsDlg(TComponent* AOwner);

    TLabel* lblName;
    TCompoundHistoryEdit* chedt1;  // "Название слота"
    TLabel* lblToken;
    TEdit* edt3;  // the token name, read only
    TLabel* lblPassword;
    TPasswordEdit* edt1;  // "Пароль администратора"
    TLabel* lblConfirm;
    TPasswordEdit* edt2;  // "Подтверждение"
    TButton* OKBtn;
    TButton* CancelBtn;
    TPanel* pnl3;  // keyboard layout
    TTimer* tmr1;
    TIconImage* img1;

    TCHSMTokenDescriptor* descriptor = nullptr;

    void OKBtnClick(TObject* Sender);
    void edt1Change(TObject* Sender);
    void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void tmr1Timer(TObject* Sender);
};

// What an unlock asks: the administrator password and the new user password.
class THsmTokenUnlockDlg : public TForm {
    DECLARE_CLASS(THsmTokenUnlockDlg)
    explicit THsmTokenUnlockDlg(TComponent* AOwner);

    TStaticText* txt1;
    TLabel* lblAdmin;
    TPasswordEdit* edt3;  // "Пароль администратора"
    TLabel* lblNew;
    TPasswordEdit* edt1;  // "Новый пароль владельца"
    TLabel* lblConfirm;
    TPasswordEdit* edt2;  // "Подтверждение"
    TButton* OKBtn;
    TButton* CancelBtn;
    TPanel* pnl3;
    TTimer* tmr1;
    TIconImage* img1;

    TCHSMTokenDescriptor* descriptor = nullptr;

    void OKBtnClick(TObject* Sender);
    void edt1Change(TObject* Sender);
    void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void tmr1Timer(TObject* Sender);
    // The window widens until the title (with the token's name) fits.
    void fitTitle();

private:
    int FMinLength = 0, FMaxLength = 0;
};

class THSMTokensForm : public TForm {
    DECLARE_CLASS(THSMTokensForm)
    explicit THSMTokensForm(TComponent* AOwner);

    TCAdvancedListView* alv1;
    TImageList* il1;
    TPanel* pnl1;
    TSplitter* spl1;
    TPanel* pnl2;
    TButton* btnOk;
    TButton* btnCancel;
    TPanel* pnl3;
    TButton* btnAdd;
    TButton* btnChange;  // view
    TButton* btnView;    // initialise
    TButton* btnClear;   // delete
    TButton* btnClear1;  // list (hidden)
    TButton* btnResetPin;
    TActionList* actlst1;
    TAction* actOk;
    TAction* actCancel;
    TAction* actAdd;
    TAction* actDelete;
    TAction* actList;
    TAction* actInitialize;
    TAction* actNew;
    TAction* actView;
    TAction* actResetPin;
    TAction* actExport;
    TPopupMenu* pm1;
    TCCompStorage* cmpstrg1;
    TSaveDialog* dlgSave1;

    TCString defaultLabel;
    TCHSMTokens* tokens = nullptr;
    TCString lastInitialisedName;

    void setList(TCHSMTokens* list);
    void setManagementVisible(bool visible);
    // Every column at least as wide as its (translated) caption; the window
    // widens as much as they did.
    void fitColumnCaptions();
    bool managementVisible() const { return actAdd->Visible(); }
    void fillItem(TListItem* item, TCHSMTokenDescriptor* d);
    TCHSMTokenDescriptor* selectedDescriptor() const;
    TListItem* itemOf(const TCHSMTokenDescriptor* d) const;

    bool initialiseEntry(TCHSMTokenDescriptor* d);
    bool initialise(TCHSMTokenDescriptor* d, TCP11Slot* slot);
    KResult initialiseToken(TCHSMTokenDescriptor* d, TCP11Slot* slot, TCString& failure);
    // Asks name and administrator password for an initialisation; false when cancelled.
    bool tokenPropsDialog(TComponent* owner, TCHSMTokenDescriptor* d, TCSecretString& adminPassword);
    bool unlockEntry(TCHSMTokenDescriptor* d);
    KResult resetUserPin(TCHSMTokenDescriptor* d, TCP11Slot* slot, TCString& failure);

    void actOkExecute(TObject* Sender);
    void actCancelExecute(TObject* Sender);
    void actAddExecute(TObject* Sender);
    void actInitializeExecute(TObject* Sender);
    void actResetPinExecute(TObject* Sender);
    void actDeleteExecute(TObject* Sender);
    void actViewExecute(TObject* Sender);
    void actExportExecute(TObject* Sender);
    void actDeleteUpdate(TObject* Sender);
    void alv1AdvancedCustomDrawItem(TObject* Sender, TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage,
                                    bool& DefaultDraw);
};

// Opens the token list on the program's list. On OK the location becomes
// "$:" and the chosen token's name and the answer is true.
bool chooseHsmToken(TCString& location, bool writingKeys, const char* defaultLabel);
// 0 when the token may be initialised (its keys, if any, may be lost),
// otherwise a refusal code (0xC0800024 when the user declined or the rule
// refused, shown already).
KResult checkTokenKeys(TCHSMTokenDescriptor* d);
// Asks the administrator password and the new user password of an unlock.
bool askUnlock(TCHSMTokenDescriptor* d, TCSecretString& adminPassword, TCSecretString& newPassword);
