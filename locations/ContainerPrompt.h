#pragma once
// The container password prompt: the location frame above a password row,
// for opening a container and for saving one under a new location; the
// loading of a container through it; and the device-progress window the
// libraries drive while they talk to a device.
#include "locations/CtxPromptFrame.h"
#include "components/FormsTranslation.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/MsgCtrls.h"
#include "platform/framework/StdCtrls.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/SecretString.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"

class TZrX509Csp;

// Prompt flags: 0x1 the location is for writing keys (kLocationForWriting);
// 0x2 no password is asked.
constexpr unsigned int kPromptNoPassword = 0x2;
// The result of a cancelled prompt: callers pass it on and show nothing.
constexpr KResult kPromptCancelled = 0xC0800024;

class TNctxLoadPaswordPrompt : public TForm {
    DECLARE_CLASS(TNctxLoadPaswordPrompt)
    TNctxLoadPaswordPrompt(TComponent* AOwner, const char* caption);

    TPasswordEdit* PasswordEdit;
    TLabel* Label1;  // "Пароль "
    TIconImage* Image1;
    TButton* Button1;  // "&Выполнить"
    TButton* Button2;  // "&Отменить"
    TTimer* Timer1;
    TPanel* pnl1;  // the location frame's host
    TPanel* pnl2;  // the keyboard-layout indicator
    TCFormTranslator* cfrmtrnsltr1;

    TCFlags<unsigned int> promptFlags;
    const char* stateName = nullptr;
    TCtxPtromptFrame* locationFrame;

    void initLocationFrame();
    void setFileExistsContext(TCString* context) { locationFrame->setFileExistsContext(context); }
    void setPasswordVisible(bool visible);
    bool passwordVisible() const { return PasswordEdit->Visible(); }
    TCString location() const { return locationFrame->resolvedLocation; }
    void setLocation(const char* location) { locationFrame->setLocation(location); }
    const char* effectiveStateName() const { return stateName ? stateName : ""; }
    // Whether OK may be pressed: a path, and a long enough password when one is asked.
    bool okAllowed() const;
    // The focus goes to the first field that needs typing: the path when
    // none is given, else the password when one is asked, else OK.
    void focusFirstFieldToType();

    void FormCreate(TObject* Sender);
    void PasswordEditChange(TObject* Sender);
    void Timer1Timer(TObject* Sender);
    void FormKeyDown(TObject* Sender, uint16_t& Key, TShiftState Shift);
    void Button1Click(TObject* Sender);
    void PasswordEditDblClick(TObject* Sender);

private:
    int FMinLength = 0;
};

// The key container named on the command line (its last plain argument,
// which the program's start-up puts here): the next prompt offers it and
// clears it.
extern TCString cmdLineCtxName;

// Asks for a location and, unless password is null, a password. True when
// the user confirmed; only then are location, password and cleanOnCommit
// written. cleanOnCommit receives the device whose old keys the user agreed
// to remove (empty when none): a caller writing there removes them with
// cleanStorageAtCommit right before it writes.
bool promptContainer(const char* caption, TCString& location, TCSecretString* password,
                     const TCFlags<unsigned int>& flags, const char* stateName = nullptr,
                     TCString* existsContext = nullptr, TCString* cleanOnCommit = nullptr);

// Prepares the PKCS#11 support, asks for the container and loads it. A null
// password uses a buffer of its own; a given one is emptied first and holds
// the password afterwards. kPromptCancelled when the user cancelled; else the
// load's result, a failure already shown to the user once.
KResult loadContainer(const char* name, TZrX509Csp& csp, const TCFlags<unsigned int>& flags,
                      TCSecretString* password = nullptr, const char* stateName = nullptr);
KResult loadContainer(const char* name, TZrX509Csp& csp, TCSecretString* password = nullptr,
                      const char* stateName = nullptr);

// The device-progress callbacks: one progress window between a show and a hide.
void showDeviceProgress(void* context, const char* text);
void hideDeviceProgress(void* context);
// The progress window while one is shown, else null.
class TCProgressForm;
TCProgressForm* deviceProgressForm();
