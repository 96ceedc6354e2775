#include "locations/HsmTokensForm.h"

#include <algorithm>
#include <cstring>
#include <utility>

#include "dialogs/AppServices.h"
#include "locations/DeviceListUnit.h"
#include "dialogs/DialogLayout.h"
#include "dialogs/MessageView.h"
#include "dialogs/PasswordDialogs.h"
#include "components/FormsTranslation.h"
#include "platform/core/config/CfgMacros.h"
#include "platform/framework/Graphics.h"
#include "platform/p11/P11Storage.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Messages.h"
#include "platform/runtime/Passwords.h"
#include "platform/runtime/TCStringList.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"

namespace {
constexpr TColor kSelectionBackground = 0xE8DACC;
constexpr KResult kCancelled = 0xC0800024;
constexpr CK_FLAGS kUserPinLocked = CKF_USER_PIN_LOCKED;
constexpr int kButtonWidth = 132, kButtonHeight = 25, kGap = 8;

// A token's label holds 32 bytes: a name is kept to the characters that fit,
// so the name shown is the one the token shows, and two names differ on it.
constexpr size_t kLabelBytes = 32;
TCString tokenLabelPart(const std::string& name) {
    return TCString(name.substr(0, zrx_utf8::cutBytes(name, kLabelBytes)));
}

void showError(const TCString& text) { messageDlg(text, mtError, mbSet(mbOK)); }

TButton* actionButton(TComponent* owner, TWinControl* parent, const char* name, TAction* action, int top) {
    auto* b = placeControl<TButton>(owner, parent, name, kGap, top, kButtonWidth, kButtonHeight);
    b->SetAction(action);
    return b;
}

TPasswordEdit* passwordRow(TForm* form, const char* name, TLabel*& label, const char* caption, int top) {
    label = placeLabel(form, form, (std::string("lbl_") + name).c_str(), caption, 52, top + 3);
    label->SetWidth(166);
    auto* e = placeControl<TPasswordEdit>(form, form, name, 220, top, 164, 21);
    label->SetFocusControl(e);
    return e;
}

TPanel* layoutIndicator(TForm* form, int top) {
    auto* p = placeControl<TPanel>(form, form, "pnl3", 390, top, 44, 21);
    p->SetCaption("УКР");
    p->Font()->SetStyle(fsSet(fsBold));
    return p;
}

// The two password dialogs end alike: "Выполнить", enabled once what is typed
// agrees, "Отменить", and the timer that keeps the keyboard layout shown.
void placeRunAndCancel(TForm* form, TButton*& ok, TButton*& cancel, TTimer*& layoutTimer) {
    ok = placeButton(form, form, "OKBtn", "Выполнить", 254, 138, 88, mrOk);
    ok->SetDefault(true);
    ok->SetEnabled(false);
    cancel = placeButton(form, form, "CancelBtn", "Отменить", 346, 138, 88, mrCancel);
    cancel->SetCancel(true);
    layoutTimer = new TTimer(form);
    layoutTimer->SetName("tmr1");
    layoutTimer->SetInterval(200);
}

// The critical-token mark: a red disc with a white bar.
void drawCriticalMark(TImageList* list) {
    TBitmap mark;
    mark.SetPixelFormat(pf24bit);
    mark.SetSize(16, 16);
    TCanvas* c = mark.Canvas();
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect{0, 0, 16, 16});
    c->Brush()->SetColor(clRed);
    c->Pen()->SetColor(clMaroon);
    c->Ellipse(1, 1, 15, 15);
    c->Brush()->SetColor(clWhite);
    c->FillRect(TRect{4, 7, 12, 9});
    list->AddMasked(&mark, clWhite);
}
}  // namespace

// ---- THsmTokenPropsDlg

IMPLEMENT_CLASS(THsmTokenPropsDlg, TForm) {}

THsmTokenPropsDlg::THsmTokenPropsDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName("HsmTokenPropsDlg");
    SetCaption("Инициализация HSM-токена");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetKeyPreview(true);
    SetClientWidth(442);
    SetClientHeight(176);
    img1 = placeControl<TIconImage>(this, this, "img1", 10, 12, 32, 32);
    img1->SetKind(ikQuestion);
    lblName = placeLabel(this, this, "lblName", "Название слота", 52, 15);
    lblName->SetWidth(166);
    chedt1 = placeControl<TCompoundHistoryEdit>(this, this, "chedt1", 220, 12, 214, 21);
    chedt1->RegInfo()->SetRootKey(hkCURRENT_USER);
    chedt1->RegInfo()->SetKey("Software\\Zoren\\HsmTokenPropsDlg");
    chedt1->RegInfo()->SetValueName("chedt1");
    chedt1->SetMaxHistCount(20);
    chedt1->SetRowsVisible(3);
    chedt1->SetSaveHistory(true);
    lblToken = placeLabel(this, this, "lblToken", "Имя носителя", 52, 43);
    lblToken->SetWidth(166);
    edt3 = placeControl<TEdit>(this, this, "edt3", 220, 40, 214, 21);
    edt3->SetReadOnly(true);
    edt3->SetColor(clBtnFace);
    edt1 = passwordRow(this, "edt1", lblPassword, "Пароль администратора", 68);
    edt2 = passwordRow(this, "edt2", lblConfirm, "Подтверждение", 96);
    pnl3 = layoutIndicator(this, 68);
    placeRunAndCancel(this, OKBtn, CancelBtn, tmr1);

    OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
    // Cut as it is typed (or put there): never more than the label holds.
    chedt1->OnChange = [this](TObject*) {
        const String typed = chedt1->GetText();
        const TCString kept = tokenLabelPart(typed);
        if (kept.length() < typed.size()) chedt1->SetText(kept.str());
    };
    edt1->OnChange = [this](TObject* s) { edt1Change(s); };
    edt2->OnChange = [this](TObject* s) { edt1Change(s); };
    tmr1->OnTimer = [this](TObject* s) { tmr1Timer(s); };
    OnKeyDown = [this](TObject* s, uint16_t& k, TShiftState sh) { FormKeyDown(s, k, sh); };
    tmr1Timer(tmr1);
}

void THsmTokenPropsDlg::OKBtnClick(TObject*) {
    if (ModalResult() != mrOk) return;
    const TCString name = TCString(chedt1->GetText()).trim();
    if (name.isEmpty()) {
        showError(tr("Заполните поле 'Название слота'"));
        SetModalResult(mrNone);
        return;
    }
    // Nothing reaches the token without an administrator password.
    if (edt1->Secret().empty() || !(edt1->Secret() == edt2->Secret().c_str())) {
        showError(tr("Введите и подтвердите пароль администратора HSM-токена!"));
        SetModalResult(mrNone);
        return;
    }
    if (descriptor && descriptor->ownerList) {
        const TCHSMTokenDescriptor* other = descriptor->ownerList->findByNick(name.c_str());
        if (other && other->slot != descriptor->slot) {
            showError(TCFString(tr("Слот с названием '%s' уже присутствует в списке!").c_str(), name.c_str()));
            SetModalResult(mrNone);
        }
    }
}

void THsmTokenPropsDlg::edt1Change(TObject*) {
    const TCSecretString a = edt1->Secret(), b = edt2->Secret();
    OKBtn->SetEnabled(!a.empty() && a == b.c_str());
}

void THsmTokenPropsDlg::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    if (Key != '1') return;
    if (const char* password = testerPasswordFor(tdTokenDialog, Key, Shift)) {
        edt1->SetText(password);
        edt2->SetText(password);
        Key = 0;
    }
}

void THsmTokenPropsDlg::tmr1Timer(TObject*) { showKeyboardLayout(pnl3); }

// ---- THsmTokenUnlockDlg

IMPLEMENT_CLASS(THsmTokenUnlockDlg, TForm) {}

THsmTokenUnlockDlg::THsmTokenUnlockDlg(TComponent* AOwner) : TForm(AOwner) {
    SetName("HsmTokenUnlockDlg");
    SetCaption("Разблокирование HSM-токена");
    SetBorderStyle(bsDialog);
    SetPosition(poMainFormCenter);
    SetKeyPreview(true);
    SetClientWidth(442);
    SetClientHeight(176);
    img1 = placeControl<TIconImage>(this, this, "img1", 10, 12, 32, 32);
    img1->SetKind(ikQuestion);
    txt1 = placeControl<TStaticText>(this, this, "txt1", 52, 10, 382, 21);
    txt1->SetAlignment(taCenter);
    edt3 = passwordRow(this, "edt3", lblAdmin, "Пароль администратора", 40);
    edt1 = passwordRow(this, "edt1", lblNew, "Новый пароль владельца", 68);
    edt2 = passwordRow(this, "edt2", lblConfirm, "Подтверждение", 96);
    pnl3 = layoutIndicator(this, 40);
    placeRunAndCancel(this, OKBtn, CancelBtn, tmr1);

    OKBtn->OnClick = [this](TObject* s) { OKBtnClick(s); };
    for (TPasswordEdit* e : {edt1, edt2, edt3}) e->OnChange = [this](TObject* s) { edt1Change(s); };
    tmr1->OnTimer = [this](TObject* s) { tmr1Timer(s); };
    OnKeyDown = [this](TObject* s, uint16_t& k, TShiftState sh) { FormKeyDown(s, k, sh); };
    getPassMinMax(&FMinLength, &FMaxLength);
    if (FMaxLength > 0)
        for (TPasswordEdit* e : {edt1, edt2}) e->SetMaxLength(FMaxLength);
    tmr1Timer(tmr1);
}

void THsmTokenUnlockDlg::fitTitle() {
    constexpr int kRightMargin = 8;
    const int area = ClientWidth() - txt1->Left() - kRightMargin;
    if (txt1->Width() > area) {
        const int grow = txt1->Width() - area;
        SetClientWidth(ClientWidth() + grow);
        for (TButton* b : {OKBtn, CancelBtn}) b->SetLeft(b->Left() + grow);
    }
    // Centred over the fields, as the title stands.
    txt1->SetLeft(txt1->Left() + std::max(0, ClientWidth() - txt1->Left() - kRightMargin - txt1->Width()) / 2);
}

void THsmTokenUnlockDlg::OKBtnClick(TObject*) {
    if (ModalResult() != mrOk) return;
    const TCSecretString admin = edt3->Secret(), fresh = edt1->Secret(), confirm = edt2->Secret();
    const int length = int(TCString(fresh.c_str()).charCount());
    if (admin.empty() || fresh.empty() || !(fresh == confirm.c_str())) {
        SetModalResult(mrNone);
        return;
    }
    // The new user PIN keeps the password policy.
    if (length < FMinLength || (FMaxLength > 0 && length > FMaxLength)) {
        showError(TCFString(tr("Длина нового пароля владельца должна быть от %d до %d символов!").c_str(), FMinLength,
                            FMaxLength));
        SetModalResult(mrNone);
    }
}

void THsmTokenUnlockDlg::edt1Change(TObject*) {
    const TCSecretString a = edt1->Secret(), b = edt2->Secret();
    OKBtn->SetEnabled(!a.empty() && a == b.c_str() && !edt3->Secret().empty());
}

void THsmTokenUnlockDlg::FormKeyDown(TObject*, uint16_t& Key, TShiftState Shift) {
    const char* password = testerPasswordFor(tdTokenDialog, Key, Shift);
    if (!password) return;
    if (Key == '1') {
        edt1->SetText(password);
        edt2->SetText(password);
    } else {
        edt3->SetText(password);
    }
    Key = 0;
}

void THsmTokenUnlockDlg::tmr1Timer(TObject*) { showKeyboardLayout(pnl3); }

bool askUnlock(TCHSMTokenDescriptor* d, TCSecretString& adminPassword, TCSecretString& newPassword) {
    auto* dlg = CreateComponent<THsmTokenUnlockDlg>(activeOrMainForm());
    dlg->descriptor = d;
    dlg->txt1->SetCaption(
        TCFString(tr("Разблокирование пароля HSM-токена '%s',id:%X").c_str(), d->nick, unsigned(d->slot)).str());
    translateComponentProperties(dlg);
    dlg->fitTitle();
    bool ok = false;
    ShowModalAndFree(
        dlg, [dlg] { placeDialogOnScreen(dlg); },
        [&](int result) {
            if (result != mrOk) return;
            ok = true;
            adminPassword = dlg->edt3->Secret();
            newPassword = dlg->edt1->Secret();
        });
    return ok;
}

// ---- checkTokenKeys

KResult checkTokenKeys(TCHSMTokenDescriptor* d) {
    // A token not initialised yet holds nothing to lose.
    TCP11Slot slot;
    if (!isFailure(slot.initSlot(d->mediaType, d->slot)) && slot.getTokenInfo() && !slot.tokenInitialized()) return 0;
    TCString keyText;
    const KResult rc = isTokenEmpty(d->tokenName, &keyText);
    if (!isFailure(rc) && rc != P11_TOKEN_HOLDS_KEYS) return 0;
    if (isFailure(rc)) {
        showError(TCFString(tr("Контроль наличия ключей  на HSM-токене '%s': %s!").c_str(), d->tokenName,
                            KRTL_GetTextMessage(rc).c_str()));
        return rc;
    }
    if (getCFGMacroValue("onlyEmptyTokens").toLower() == "yes") {
        showError(TCFString(
            tr("Выбранный HSM-токен %s уже содержит ключи, сгенерированые другой программой/системой! ").c_str(),
            d->tokenName));
        return kCancelled;
    }
    TCString kind, profile;
    int found = findTokenCertificate(keyText.c_str(), kind, profile);
    // Without a certificate database nothing is known of the keys.
    if (found == 0 && kind.isEmpty() && profile.isEmpty()) found = -1;
    if (found == 0) {
        const TCString q =
            TCFString(tr("Программа обнаружила действующий сертификат  %s '%s', который соответсвует найденным ключам "
                         "HSM-токена '%s'. Инициализация данного носителя приведет к потере соответствующих личных "
                         "ключей. Выполнить инициализацию все равно?")
                          .c_str(),
                      profile.c_str(), kind.c_str(), d->tokenName);
        return messageDlg(q, mtWarning, mbSet(mbYes, mbNo)) == mrYes ? 0 : kCancelled;
    }
    if (found == 1) {
        showError(TCFString(tr("HSM-токен '%s' содержит действующие ключи %s '%s', и на данном этапе не может быть "
                               "инициализирован!")
                                .c_str(),
                            d->tokenName, profile.c_str(), kind.c_str()));
        return kCancelled;
    }
    if (d->isCritical()) {
        showError(TCFString((tr("HSM-токен '%s' содержит действующие ключи, утеря которых критична для "
                                "функционрования системы") +
                             tr(", и на данном этапе не может быть инициализирован!"))
                                .c_str(),
                            d->tokenName));
        return kCancelled;
    }
    const TCString q = TCFString(tr("HSM-токен '%s' содержит ключи, которые были сгенерированы ранее, возможно в "
                                    "другой системе.\nВыполнить инициализацию токена(обнаруженные ключи будут "
                                    "утеряны)?")
                                     .c_str(),
                                 d->tokenName);
    return messageDlg(q, mtWarning, mbSet(mbYes, mbNo)) == mrYes ? 0 : kCancelled;
}

// ---- THSMTokensForm

IMPLEMENT_CLASS(THSMTokensForm, TForm) {}

THSMTokensForm::THSMTokensForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("HSMTokensForm");
    SetCaption("Работа с HSM-токенами");
    SetPosition(poMainFormCenter);
    SetClientWidth(760);
    SetClientHeight(360);

    actlst1 = new TActionList(this);
    actlst1->SetName("actlst1");
    actOk = makeAction(actlst1, "actOk", "Выбрать", nullptr, [this](TObject* s) { actOkExecute(s); });
    actCancel = makeAction(actlst1, "actCancel", "Отменить", nullptr, [this](TObject* s) { actCancelExecute(s); });
    actAdd = makeAction(actlst1, "actAdd", "Добавить", nullptr, [this](TObject* s) { actAddExecute(s); });
    actDelete = makeAction(actlst1, "actDelete", "Удалить", nullptr, [this](TObject* s) { actDeleteExecute(s); });
    actList = makeAction(actlst1, "actList", "Список", nullptr, nullptr);
    actList->SetVisible(false);
    actInitialize = makeAction(actlst1, "actInitialize", "Инициализировать", nullptr,
                               [this](TObject* s) { actInitializeExecute(s); });
    actNew = makeAction(actlst1, "actNew", "Создать", nullptr, nullptr);
    actNew->SetVisible(false);
    actView = makeAction(actlst1, "actView", "Просмотреть", nullptr, [this](TObject* s) { actViewExecute(s); });
    actResetPin =
        makeAction(actlst1, "actResetPin", "Разблокировать", nullptr, [this](TObject* s) { actResetPinExecute(s); });
    actExport =
        makeAction(actlst1, "actExport", "Сформировать реестр", nullptr, [this](TObject* s) { actExportExecute(s); });
    actDelete->OnUpdate = [this](TObject* s) { actDeleteUpdate(s); };

    pm1 = new TPopupMenu(this);
    pm1->SetName("pm1");
    addActionItems(this, pm1->Items(), {actOk, nullptr, actAdd, actView, actInitialize, actDelete, nullptr, actExport});

    pnl1 = makeDialogPanel(this, "pnl1", alRight, kButtonWidth + 2 * kGap);
    spl1 = new TSplitter(this);
    spl1->SetName("spl1");
    spl1->SetParent(this);
    spl1->SetAlign(alRight);
    pnl2 = makeDialogPanel(this, "pnl2", alBottom, 2 * kButtonHeight + 3 * kGap);
    pnl2->SetParent(pnl1);
    btnOk = actionButton(this, pnl2, "btnOk", actOk, kGap);
    btnOk->SetDefault(true);
    btnCancel = actionButton(this, pnl2, "btnCancel", actCancel, 2 * kGap + kButtonHeight);
    btnCancel->SetCancel(true);
    pnl3 = makeDialogPanel(this, "pnl3", alClient, 0);
    pnl3->SetParent(pnl1);
    int top = kGap;
    auto next = [&top] { return std::exchange(top, top + kButtonHeight + kGap); };
    btnAdd = actionButton(this, pnl3, "btnAdd", actAdd, next());
    btnChange = actionButton(this, pnl3, "btnChange", actView, next());
    btnView = actionButton(this, pnl3, "btnView", actInitialize, next());
    btnClear = actionButton(this, pnl3, "btnClear", actDelete, next());
    btnClear1 = actionButton(this, pnl3, "btnClear1", actList, top);
    btnResetPin = actionButton(this, pnl3, "btnResetPin", actResetPin, next());

    il1 = new TImageList(this);
    il1->SetName("il1");
    drawCriticalMark(il1);

    alv1 = new TCAdvancedListView(this);
    alv1->SetName("alv1");
    alv1->SetParent(this);
    alv1->SetAlign(alClient);
    alv1->SetViewStyle(vsReport);
    alv1->SetGridLines(true);
    alv1->SetReadOnly(true);
    alv1->SetRowSelect(true);
    alv1->SetHideSelection(false);
    alv1->SetSmallImages(il1);
    alv1->SetPopupMenu(pm1);
    const std::pair<const char*, int> columns[] = {
        {"Имя носителя", 120}, {"Название", 250}, {"Серийный №", 120}, {"Дата модификации", 100}};
    for (const auto& [caption, width] : columns) {
        TListColumn* c = alv1->Columns()->Add();
        c->SetCaption(caption);
        c->SetWidth(width);
    }
    alv1->SetSortColumn(2);
    alv1->SetSortGrown(false);
    alv1->SetSearchInColumn(-1);
    alv1->OnDblClick = [this](TObject* s) { actOkExecute(s); };
    alv1->OnAdvancedCustomDrawItem = [this](TObject* s, TListItem* i, TCustomDrawState st, TCustomDrawStage sg,
                                            bool& dd) { alv1AdvancedCustomDrawItem(s, i, st, sg, dd); };
    alv1->OnSelectItem = [this](TObject* s, TListItem*, bool) { actDeleteUpdate(s); };

    cmpstrg1 = new TCCompStorage(this);
    cmpstrg1->SetName("cmpstrg1");
    cmpstrg1->SetRegKey("Software\\Zoren\\ZrX509");
    cmpstrg1->SetStorePosition(true);

    dlgSave1 = new TSaveDialog(this);
    dlgSave1->SetName("dlgSave1");
    dlgSave1->SetDefaultExt("txt");
    dlgSave1->SetFilter("Текстовые файлы|*.txt|Все файлы|*.*");
    dlgSave1->SetOptions(ofSet(ofHideReadOnly) | ofSet(ofNoChangeDir) | ofSet(ofEnableSizing));
    actDeleteUpdate(this);
}

void THSMTokensForm::setList(TCHSMTokens* list) {
    tokens = list;
    alv1->Items()->BeginUpdate();
    alv1->Items()->Clear();
    for (int i = 0; list && i < list->count(); ++i) fillItem(alv1->Items()->Add(), list->at(i));
    alv1->Items()->EndUpdate();
    actDeleteUpdate(this);
}

void THSMTokensForm::fitColumnCaptions() {
    constexpr int kHeaderPadding = 16;
    TCanvas canvas;
    canvas.Font()->Assign(alv1->Font());
    int grown = 0;
    for (int i = 0; i < alv1->Columns()->Count(); ++i) {
        TListColumn* c = alv1->Columns()->Items(i);
        const int width = std::max(c->Width(), canvas.TextWidth(c->Caption()) + kHeaderPadding);
        grown += width - c->Width();
        c->SetWidth(width);
    }
    // The window grows with its columns.
    SetClientWidth(ClientWidth() + grown);
}

void THSMTokensForm::setManagementVisible(bool visible) {
    pnl3->SetVisible(visible);
    for (TAction* a : {actAdd, actDelete, actInitialize}) a->SetVisible(visible);
}

void THSMTokensForm::fillItem(TListItem* item, TCHSMTokenDescriptor* d) {
    item->SetCaption(d->tokenName);
    item->SubItems()->Clear();
    item->SubItems()->Add(d->nick);
    item->SubItems()->Add(d->serial);
    item->SubItems()->Add(dateTimeStr(d->modifyDate, false).str());
    item->SetImageIndex(d->isCritical() ? 0 : -1);
    item->SetData(d);
}

TCHSMTokenDescriptor* THSMTokensForm::selectedDescriptor() const {
    TListItem* item = alv1->Selected();
    return item ? static_cast<TCHSMTokenDescriptor*>(item->Data()) : nullptr;
}

TListItem* THSMTokensForm::itemOf(const TCHSMTokenDescriptor* d) const {
    for (int i = 0; i < alv1->Items()->Count(); ++i)
        if (alv1->Items()->Item(i)->Data() == d) return alv1->Items()->Item(i);
    return nullptr;
}

void THSMTokensForm::actDeleteUpdate(TObject*) {
    const bool one = alv1->SelCount() == 1;
    for (TAction* a : {actDelete, actInitialize, actView, actOk, actResetPin}) a->SetEnabled(one);
}

void THSMTokensForm::actCancelExecute(TObject*) { SetModalResult(mrCancel); }

void THSMTokensForm::actOkExecute(TObject*) {
    TCHSMTokenDescriptor* d = selectedDescriptor();
    if (!d) return;
    if (managementVisible() && lastInitialisedName != d->tokenName) {
        const TCString q =
            TCFString(tr("Выполнить инициализацию носителя '%s' перед генерацией новых ключей?").c_str(), d->nick);
        if (messageDlg(q, mtConfirmation, mbSet(mbYes, mbNo)) == mrYes && !initialiseEntry(d)) return;
    }
    SetModalResult(mrOk);
}

void THSMTokensForm::actAddExecute(TObject*) {
    TCP11ActiveToken storage(P11_MEDIA_ACTIVE);
    const int all = 1;
    storage.option(P11_OPT_ALL_SLOTS, &all);
    TCP11Slots* slots = storage.directory();
    if (!slots) {
        showError(TCFString(tr("Ошибка чтения списка слотов HSM: %s!").c_str(), storage.message().c_str()));
        return;
    }
    // Slots no entry uses, with a serial number.
    TCStringList free;
    for (int i = 0; i < slots->count(); ++i) {
        TCP11Slot* s = slots->item(i);
        bool used = false;
        for (int k = 0; tokens && k < tokens->count(); ++k) used = used || tokens->at(k)->slot == s->number();
        if (used || TCString(s->getSerial()).trim().isEmpty()) continue;
        free.add(s->name(), s);
    }
    TCP11Slot* slot = chooseSlot(&free, false);
    if (!slot) return;
    TCHSMTokenDescriptor fresh;
    if (isFailure(fresh.fillFromSlot(slot))) {
        showError(TCFString(tr("Данные слота '%s' не могут быть внесены в список HSM-токенов!").c_str(), slot->name()));
        return;
    }
    fresh.ownerList = tokens;
    const size_t labelChars = defaultLabel.charCount();
    if (labelChars >= 1 && labelChars <= 62) fresh.setNick(tokenLabelPart(defaultLabel.str()).c_str());
    if (checkTokenKeys(&fresh) != 0 || !initialise(&fresh, slot)) return;
    lastInitialisedName = fresh.tokenName;
    defaultLabel.clear();
    TCHSMTokenDescriptor* entry = tokens->addNew();
    entry->assign(fresh);
    tokens->save(true);
    TListItem* item = alv1->Items()->Add();
    fillItem(item, entry);
    alv1->SetSelected(item);
    actDeleteUpdate(this);
}

void THSMTokensForm::actInitializeExecute(TObject*) {
    if (TCHSMTokenDescriptor* d = selectedDescriptor()) initialiseEntry(d);
}

bool THSMTokensForm::initialiseEntry(TCHSMTokenDescriptor* d) {
    if (checkTokenKeys(d) != 0) return false;
    const TCString savedNick = d->nick;
    if (!defaultLabel.isEmpty()) d->setNick(tokenLabelPart(defaultLabel.str()).c_str());
    TCP11Slot slot;
    const KResult opened = slot.initSlot(d->mediaType, d->slot);
    if (isFailure(opened) || !initialise(d, &slot)) {
        if (isFailure(opened))
            showError(
                TCFString(tr("%s: '%s!'").c_str(), tr("Ошибка открытия слота HSM-токена").c_str(), slot.message()));
        d->setNick(savedNick.c_str());
        return false;
    }
    lastInitialisedName = d->tokenName;
    if (TListItem* item = itemOf(d)) fillItem(item, d);
    tokens->save(true);
    return true;
}

bool THSMTokensForm::initialise(TCHSMTokenDescriptor* d, TCP11Slot* slot) {
    TCString failure;
    const KResult rc = initialiseToken(d, slot, failure);
    if (rc == 0) return true;
    if (rc != kCancelled) showError(TCFString(tr("%s: '%s!'").c_str(), failure.c_str(), slot->message()));
    return false;
}

KResult THSMTokensForm::initialiseToken(TCHSMTokenDescriptor* d, TCP11Slot* slot, TCString& failure) {
    TCSecretString admin;
    if (!tokenPropsDialog(this, d, admin)) return kCancelled;
    const char* startPin = getCTXDef_p();
    TCP11Token token;
    if (KResult rc = token.initToken(slot, admin.c_str(), d->nick); isFailure(rc)) {
        failure = tr("Ошибка инициализации HSM-токена");
        return rc;
    }
    slot->setInfoCached(false);
    KV_HLogFmtText(0, tr("Выполнена инициализация HSM-токена '%s', '%s'").c_str(), slot->getLabel(),
                   slot->getTokenName());
    KResult rc = token.startSession(slot, true);
    if (!isFailure(rc)) rc = token.login(admin.c_str(), true);
    if (isFailure(rc)) {
        failure = tr("Ошибка подключения к HSM-токену");
        return rc;
    }
    if (rc = token.setUserPin(startPin); isFailure(rc)) {
        failure = tr("Ошибка задания стартового пользовательского пароля к HSM-токену");
        return rc;
    }
    token.closeSession();
    slot->setInfoCached(false);
    slot->getTokenInfo();
    d->fillFromSlot(slot);
    d->modifyDate = u_time();
    return 0;
}

bool THSMTokensForm::tokenPropsDialog(TComponent* owner, TCHSMTokenDescriptor* d, TCSecretString& adminPassword) {
    TCHSMTokenDescriptor copy;
    copy.assignAll(*d);
    for (;;) {
        auto* dlg = CreateComponent<THsmTokenPropsDlg>(owner);
        dlg->descriptor = &copy;
        dlg->chedt1->SetText(copy.nick);
        dlg->edt3->SetText(copy.tokenName);
        translateComponentProperties(dlg);
        TCString name;
        const int result = ShowModalAndFree(
            dlg, [dlg] { placeDialogOnScreen(dlg); },
            [&](int r) {
                if (r != mrOk) return;
                name = tokenLabelPart(TCString(dlg->chedt1->GetText()).trim().str()).trim();
                adminPassword = dlg->edt2->Secret();
            });
        if (result != mrOk) return false;
        bool taken = false;
        for (int i = 0; i < alv1->Items()->Count() && !taken; ++i) {
            const auto* other = static_cast<const TCHSMTokenDescriptor*>(alv1->Items()->Item(i)->Data());
            taken = other != d && TCString(other->nick).equalsIC(name.c_str());
        }
        if (taken) {
            showError(TCFString(tr("HSM-токен с именем '%s'  уже присутсвует в списке!").c_str(), name.c_str()));
            adminPassword.wipe();
            continue;
        }
        if (isFailure(copy.setNick(name.c_str()))) {
            showError(TCFString(tr("Название '%s' не может быть внесено в список HSM-токенов!").c_str(), name.c_str()));
            adminPassword.wipe();
            continue;
        }
        d->assignAll(copy);
        return true;
    }
}

void THSMTokensForm::actResetPinExecute(TObject*) {
    if (TCHSMTokenDescriptor* d = selectedDescriptor()) unlockEntry(d);
}

bool THSMTokensForm::unlockEntry(TCHSMTokenDescriptor* d) {
    TCP11Slot slot;
    if (isFailure(slot.initSlot(d->mediaType, d->slot))) {
        showError(TCFString(tr("%s: '%s!'").c_str(), tr("Ошибка открытия слота HSM-токена").c_str(), slot.message()));
        return false;
    }
    const CK_TOKEN_INFO* info = slot.getTokenInfo();
    if (!info || !(info->flags & kUserPinLocked)) {
        showError(TCFString(tr("HSM-токен '%s',id:%X, не был блокирован и не нуждается в сбросе пользовательского "
                               "пароля!")
                                .c_str(),
                            d->nick, unsigned(d->slot)));
        return false;
    }
    TCString failure;
    const KResult rc = resetUserPin(d, &slot, failure);
    if (rc == 0) {
        KV_HLogFmtText(0, tr("Выполнено успешно разблокирование HSM-токена '%s', id:%X").c_str(), d->nick,
                       unsigned(d->slot));
        return true;
    }
    if (rc != kCancelled) showError(TCFString(tr("%s: '%s!'").c_str(), failure.c_str(), slot.message()));
    return false;
}

KResult THSMTokensForm::resetUserPin(TCHSMTokenDescriptor* d, TCP11Slot* slot, TCString& failure) {
    TCSecretString admin, fresh;
    if (!askUnlock(d, admin, fresh)) return kCancelled;
    TCP11Token token;
    KResult rc = token.startSession(slot, true);
    if (!isFailure(rc)) rc = token.login(admin.c_str(), true);
    if (isFailure(rc)) {
        failure = tr("Ошибка подключения к HSM-токену");
        return rc;
    }
    if (rc = token.setUserPin(fresh.c_str()); isFailure(rc)) {
        failure = tr("Ошибка задания пользовательского пароля к HSM-токену");
        return rc;
    }
    d->modifyDate = u_time();
    return 0;
}

void THSMTokensForm::actDeleteExecute(TObject*) {
    TCHSMTokenDescriptor* d = selectedDescriptor();
    if (!d) return;
    const TCString nick = d->nick;
    const TCString q = TCFString(tr("Удалить HSM-токен '%s' из спика используемых ЦСК?").c_str(), nick.c_str());
    if (messageDlg(q, mtConfirmation, mbSet(mbYes, mbNo)) != mrYes) return;
    if (TListItem* item = itemOf(d)) alv1->Items()->Delete(item->Index());
    tokens->free(d);  // closes its session
    if (tokens->save(true))
        KV_HLogFmtText(0, tr("HSM-токен '%s' исключен из списка используемых ЦСК").c_str(), nick.c_str());
    actDeleteUpdate(this);
}

void THSMTokensForm::actViewExecute(TObject*) {
    if (TCHSMTokenDescriptor* d = selectedDescriptor()) showTokenCertificates(d->tokenName);
}

void THSMTokensForm::actExportExecute(TObject*) {
    dlgSave1->SetFilter(tr("Текстовые файлы|*.txt|Все файлы|*.*").str());
    if (!dlgSave1->Execute()) return;
    TCStringList lines;
    for (int i = 0; tokens && i < tokens->count(); ++i) {
        const TCHSMTokenDescriptor* d = tokens->at(i);
        lines.add(TCString::format("name=%s; caption=%s; serial=%s; slot=%d", d->tokenName, d->nick, d->serial,
                                   int(d->slot)));
    }
    const TCString path = dlgSave1->FileName();
    if (lines.saveToFile(path) != lines.count() || (lines.count() == 0 && !fileExists(path.c_str())))
        showError(TCFString(tr("Ошибка записи реестра HSM-токенов в файл '%s'!").c_str(), path.c_str()));
}

void THSMTokensForm::alv1AdvancedCustomDrawItem(TObject*, TListItem*, TCustomDrawState State, TCustomDrawStage Stage,
                                                bool&) {
    if (Stage == cdPrePaint && (State & cdsSelected)) alv1->Canvas()->Brush()->SetColor(kSelectionBackground);
}

bool chooseHsmToken(TCString& location, bool writingKeys, const char* defaultLabel) {
    TCHSMTokens* list = getHSMTokens();
    if (list->count() == 0 && !list->reload(true)) return false;
    auto* form = CreateComponent<THSMTokensForm>(Application);
    form->setList(list);
    form->setManagementVisible(writingKeys);
    form->defaultLabel = defaultLabel ? defaultLabel : "";
    translateComponentProperties(form);
    TCString chosen;
    ShowModalAndFree(
        form,
        [form] {
            form->fitColumnCaptions();
            placeDialogOnScreen(form);
        },
        [&](int result) {
            if (result != mrOk) return;
            if (TCHSMTokenDescriptor* d = form->selectedDescriptor()) chosen = TCString::format("$:%s", d->tokenName);
        });
    if (chosen.isEmpty()) return false;
    location = chosen;
    return true;
}
