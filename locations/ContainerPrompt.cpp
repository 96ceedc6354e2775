#include "locations/ContainerPrompt.h"

#include "dialogs/AppServices.h"
#include "dialogs/DialogLayout.h"
#include "dialogs/MessageView.h"
#include "dialogs/PasswordDialogs.h"
#include "dialogs/ProgressForm.h"
#include "platform/framework/Dialogs.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Passwords.h"
#include "platform/runtime/Translation.h"
#include "platform/p11/P11Support.h"
#include "platform/x509api/ZrX509Api.h"
#include "platform/x509api/ZrX509Csp.h"

namespace {
constexpr int kDefaultMaxLength = 31;
constexpr int kRowGap = 10;
TCProgressForm* gDeviceProgress = nullptr;

// The progress window forgets itself when it goes, also with its owner.
class TDeviceProgressForm : public TCProgressForm {
public:
    using TCProgressForm::TCProgressForm;
    ~TDeviceProgressForm() override {
        if (gDeviceProgress == this) gDeviceProgress = nullptr;
    }
};
}  // namespace

IMPLEMENT_CLASS(TNctxLoadPaswordPrompt, TForm) {}

TNctxLoadPaswordPrompt::TNctxLoadPaswordPrompt(TComponent* AOwner, const char* caption) : TForm(AOwner) {
    SetName("NctxLoadPaswordPrompt");
    SetCaption("Загрузка");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetKeyPreview(true);
    SetClientWidth(446);
    SetClientHeight(148);

    Image1 = placeControl<TIconImage>(this, this, "Image1", 8, 8, 64, 64);
    Image1->SetKind(ikQuestion);
    pnl1 = placeControl<TPanel>(this, this, "pnl1", 80, 4, 358, 66);
    pnl1->SetBevelOuter(bvNone);
    pnl1->SetCaption("");
    Label1 = placeLabel(this, this, "Label1", "Пароль ", 88, 84);
    Label1->SetWidth(56);
    PasswordEdit = placeControl<TPasswordEdit>(this, this, "PasswordEdit", 146, 80, 238, 21);
    PasswordEdit->Font()->SetStyle(fsSet(fsBold));
    PasswordEdit->SetOEMConvert(true);
    PasswordEdit->SetMaxLength(kDefaultMaxLength);
    Label1->SetFocusControl(PasswordEdit);
    pnl2 = placeControl<TPanel>(this, this, "pnl2", 390, 80, 48, 21);
    pnl2->SetCaption("УКР");
    pnl2->Font()->SetStyle(fsSet(fsBold));
    Button1 = placeButton(this, this, "Button1", "&Выполнить", 256, 114, 88, mrOk);
    Button1->SetDefault(true);
    Button1->SetEnabled(false);
    Button2 = placeButton(this, this, "Button2", "&Отменить", 350, 114, 88, mrCancel);
    Button2->SetCancel(true);
    Timer1 = new TTimer(this);
    Timer1->SetName("Timer1");
    Timer1->SetInterval(200);
    cfrmtrnsltr1 = new TCFormTranslator(this);
    cfrmtrnsltr1->SetName("cfrmtrnsltr1");
    cfrmtrnsltr1->SetPropsToChange("Caption,Hint,Items");

    Timer1->OnTimer = [this](TObject* s) { Timer1Timer(s); };
    PasswordEdit->OnChange = [this](TObject* s) { PasswordEditChange(s); };
    PasswordEdit->OnDblClick = [this](TObject* s) { PasswordEditDblClick(s); };
    Button1->OnClick = [this](TObject* s) { Button1Click(s); };
    OnKeyDown = [this](TObject* s, uint16_t& key, TShiftState shift) { FormKeyDown(s, key, shift); };
    OnCreate = [this](TObject* s) { FormCreate(s); };

    promptFlags.clear();
    ZrX_SetDevPogress(showDeviceProgress, hideDeviceProgress, nullptr);
    if (caption) SetCaption(caption);
    locationFrame = CreateComponent<TCtxPtromptFrame>(this);
    locationFrame->SetParent(pnl1);
    locationFrame->SetAlign(alClient);
    translateComponentProperties(locationFrame);
    SetClientHeight(148);
    for (THistoryEdit* e : {locationFrame->hstEditFN}) e->OnChange = [this](TObject* s) { PasswordEditChange(s); };
    locationFrame->edtFN->OnChange = [this](TObject* s) { PasswordEditChange(s); };

    Timer1Timer(Timer1);
    int maxLength = 0;
    getPassMinMax(&FMinLength, &maxLength);
    if (maxLength != 0) PasswordEdit->SetMaxLength(maxLength);
    PasswordEditChange(PasswordEdit);
}

bool TNctxLoadPaswordPrompt::okAllowed() const {
    if (locationFrame->getPathText().isEmpty()) return false;
    if (!passwordVisible()) return true;
    TCSecretString typed = PasswordEdit->Secret();
    TCString trimmed(typed.c_str());
    trimmed.trim();
    const bool longEnough = int(trimmed.charCount()) >= FMinLength;
    secretWipe(trimmed.data(), trimmed.length());
    return longEnough;
}

void TNctxLoadPaswordPrompt::focusFirstFieldToType() {
    if (TCString(locationFrame->getPathText()).trim().isEmpty()) SetActiveControl(locationFrame->pathEditor());
    else if (passwordVisible() && PasswordEdit->GetText().empty()) SetActiveControl(PasswordEdit);
    else SetActiveControl(Button1);
}

void TNctxLoadPaswordPrompt::initLocationFrame() {
    locationFrame->setFlags(promptFlags);
    locationFrame->fillMediaTypes();
    locationFrame->init(effectiveStateName());
}

void TNctxLoadPaswordPrompt::setPasswordVisible(bool visible) {
    if (!visible && PasswordEdit->Visible()) {
        const int delta = PasswordEdit->Height() + kRowGap;
        SetClientHeight(ClientHeight() - delta);
        for (TButton* b : {Button1, Button2}) b->SetTop(b->Top() - delta);
        Button1->SetEnabled(true);
    }
    PasswordEdit->SetVisible(visible);
    Label1->SetVisible(visible);
    pnl2->SetVisible(visible);
    Label1->SetEnabled(visible);
}

void TNctxLoadPaswordPrompt::FormCreate(TObject* Sender) { PasswordEditChange(Sender); }

void TNctxLoadPaswordPrompt::PasswordEditChange(TObject*) {
    locationFrame->hstEditFN->SetHint(locationFrame->hstEditFN->GetText());
    locationFrame->edtFN->SetHint(locationFrame->edtFN->GetText());
    Button1->SetEnabled(okAllowed());
}

void TNctxLoadPaswordPrompt::Timer1Timer(TObject*) {
    showKeyboardLayout(pnl2);
    // The same rule as typing: a password below the minimum never passes.
    Button1->SetEnabled(okAllowed());
}

void TNctxLoadPaswordPrompt::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    if (!testerShortcutsBuilt() || !CtrlAltHeld(Shift)) return;
    if (Key == '2') {
        // Between the last two paths of the history.
        THistoryEdit* h = locationFrame->hstEditFN;
        h->Load();
        if (h->Items()->Count() >= 2) {
            const String text = locationFrame->getPathText().str();
            if (text == h->Items()->Get(0)) h->SetItemIndex(1);
            else if (text == h->Items()->Get(1)) h->SetItemIndex(0);
        }
        Key = 0;
        return;
    }
    if (const char* password = testerPasswordFor(tdContainerPrompt, Key, Shift)) {
        PasswordEdit->SetText(password);
        Key = 0;
    }
}

void TNctxLoadPaswordPrompt::Button1Click(TObject*) {
    if (ModalResult() != mrOk) return;
    if (!okAllowed()) {
        SetModalResult(mrNone);
        return;
    }
    const TCSecretString typed = passwordVisible() ? PasswordEdit->Secret() : TCSecretString();
    // The frame resolves the device and, when writing, decides on the
    // location; a refused one keeps the dialog open.
    SetModalResult(locationFrame->selectDevice(mrOk, typed.c_str()));
    if (ModalResult() == mrNone) SetActiveControl(locationFrame->pathEditor());
}

void TNctxLoadPaswordPrompt::PasswordEditDblClick(TObject*) {
    if (!testerShortcutsBuilt()) return;
    PasswordEdit->SetText(getPassMinMax(nullptr, nullptr));
    if (TCString(locationFrame->hstEditFN->GetText()).trim().isEmpty()) return;
    SetModalResult(mrOk);
    Button1Click(Button1);
}

TCString cmdLineCtxName;

bool promptContainer(const char* caption, TCString& location, TCSecretString* password,
                     const TCFlags<unsigned int>& flags, const char* stateName, TCString* existsContext,
                     TCString* cleanOnCommit) {
    auto* prompt = CreateComponent<TNctxLoadPaswordPrompt>(activeOrMainForm(), caption);
    prompt->stateName = stateName;
    prompt->promptFlags = flags;
    if (!password) prompt->promptFlags.set(kPromptNoPassword);
    else if (flags.isSet(kLocationForWriting)) prompt->PasswordEdit->SetText(password->c_str());
    prompt->setPasswordVisible(!prompt->promptFlags.isSet(kPromptNoPassword));
    prompt->setFileExistsContext(existsContext);
    prompt->initLocationFrame();
    if (!cmdLineCtxName.isEmpty()) {
        prompt->setLocation(cmdLineCtxName.c_str());
        cmdLineCtxName.clear();
    }
    prompt->PasswordEditChange(prompt);
    prompt->focusFirstFieldToType();
    bool confirmed = false;
    ShowModalAndFree(
        prompt, [prompt] { placeDialogOnScreen(prompt); },
        [&](int result) {
            confirmed = result == mrOk;
            if (!confirmed) return;
            location = prompt->location();
            if (cleanOnCommit) *cleanOnCommit = prompt->locationFrame->cleanOnCommit();
            if (password && prompt->passwordVisible()) *password = prompt->PasswordEdit->Secret();
        });
    return confirmed;
}

KResult loadContainer(const char* name, TZrX509Csp& csp, const TCFlags<unsigned int>& flags, TCSecretString* password,
                      const char* stateName) {
    initP11Lib();
    const TCString caption = TCFString(zrnTranslateString("Загрузка контейнера %s").c_str(), name ? name : "");
    TCString location;
    TCSecretString own;
    TCSecretString* buffer = password ? password : &own;
    buffer->wipe();
    if (!promptContainer(caption.c_str(), location, buffer, flags, stateName, nullptr)) return kPromptCancelled;
    const KResult rc = csp.load(location.c_str(), buffer->c_str());
    if (isFailure(rc))
        kvdShowErrorMessage(nullptr, rc, 0, zrnTranslateString("Загрузка контейнера %s. %s!").c_str(), location.c_str(),
                            KRTL_GetTextMessage(rc).c_str());
    return rc;
}

KResult loadContainer(const char* name, TZrX509Csp& csp, TCSecretString* password, const char* stateName) {
    return loadContainer(name, csp, TCFlags<unsigned int>(0), password, stateName);
}

void showDeviceProgress(void*, const char* text) {
    if (!gDeviceProgress) gDeviceProgress = CreateComponent<TDeviceProgressForm>(Application);
    // The libraries name their step in the source language.
    gDeviceProgress->showText((TCString("\n") + zrnTranslateString(text ? text : "")).c_str());
}

void hideDeviceProgress(void*) {
    if (gDeviceProgress) gDeviceProgress->Free();
}

TCProgressForm* deviceProgressForm() { return gDeviceProgress; }
