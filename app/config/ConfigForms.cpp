#include "app/config/ConfigForms.h"

#include "dialogs/DialogLayout.h"
#include "dialogs/MessageView.h"
#include "platform/framework/SysMsgBox.h"
#include "platform/runtime/Translation.h"
#include "update/UpdateParsDlg.h"

namespace {
constexpr int kRequiredTextMax = 260;
// The CA configuration keeps the directory server's address in 127 bytes.
constexpr int kServerAddressMax = 127;
constexpr int kJcmpUrlMax = 100;
constexpr int kHsmAddressMax = 259;

String trimmed(const String& s) { return TCString(s).trim().str(); }

void setHistory(TRegistryInfo* info, const char* key, const char* value) {
    info->SetRootKey(hkCURRENT_USER);
    info->SetKey(key);
    info->SetValueName(value);
}

// Text edits and history edits hold text; anything else has none.
String controlText(TControl* control) {
    if (auto* e = dynamic_cast<TEdit*>(control)) return e->GetText();
    if (auto* c = dynamic_cast<TComboBox*>(control)) return c->GetText();
    return control ? control->GetText() : String();
}
}  // namespace

// ---- template

IMPLEMENT_CLASS(TConfigFormTemplate, TForm) {}

TConfigFormTemplate::TConfigFormTemplate(TComponent* AOwner) : TForm(AOwner) {
    SetName("ConfigFormTemplate");
    SetBorderStyle(bsDialog);
    SetPosition(poScreenCenter);
    SetClientWidth(422);
    SetClientHeight(300);
    pnl1 = makeDialogPanel(this, "pnl1", alBottom, 34);
    btnOk = placeButton(this, pnl1, "btnOk", "Сохранить", 250, 5, 80, mrOk);
    btnOk->SetDefault(true);
    btnOk->OnClick = [this](TObject* s) { btnOkClick(s); };
    btnCancel = placeButton(this, pnl1, "btnCancel", "Отменить", 336, 5, 80, mrCancel);
    btnCancel->SetCancel(true);
    for (TButton* b : {btnOk, btnCancel}) b->SetAnchors(akSet(akTop) | akSet(akRight));
    PageControl1 = new TPageControl(this);
    PageControl1->SetName("PageControl1");
    PageControl1->SetParent(this);
    PageControl1->SetAlign(alClient);
}

TTabSheet* TConfigFormTemplate::addPage(const char* name, const char* caption) {
    auto* page = new TTabSheet(this);
    page->SetName(name);
    page->SetCaption(caption);
    page->SetPageControl(PageControl1);
    return page;
}

void TConfigFormTemplate::btnOkClick(TObject*) {
    if (!validate()) SetModalResult(mrNone);
}

TCString TConfigFormTemplate::getControlText(TControl* control, int maxChars) {
    const String text = controlText(control);
    // Cut after maxChars characters (not bytes).
    size_t at = 0;
    for (int n = 0; at < text.size() && n < maxChars; ++n) {
        ++at;
        while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) ++at;
    }
    return TCString(text.substr(0, at)).trim();
}

bool TConfigFormTemplate::checkRequiredControl(TWinControl* control, TTabSheet* page) {
    // A field the operator cannot see or change cannot be demanded.
    if (!control || !control->Visible() || !control->Enabled()) return true;
    if (page && !page->TabVisible()) return true;
    if (!getControlText(control, kRequiredTextMax).isEmpty()) return true;
    if (page) PageControl1->SetActivePage(page);
    SysMessageBox(zrnTranslateString("Данное поле необходимо обязательно заполнить!").str(),
                  zrnTranslateString("Ошибка").str(), MB_ICONERROR);
    SetActiveControl(control);
    return false;
}

// ---- CA-address dialog

IMPLEMENT_CLASS(TZrXBaseConfigForm, TConfigFormTemplate) {}

TZrXBaseConfigForm::TZrXBaseConfigForm(TComponent* AOwner) : TConfigFormTemplate(AOwner) {
    SetName("ZrXBaseConfigForm");
    ts1 = addPage("ts1", "Сервер");
    lbl1 = placeLabel(this, ts1, "lbl1", "Адрес сервера ЦСК:", 12, 15);
    hedt1 = placeControl<THistoryEdit>(this, ts1, "hedt1", 150, 12, 250, 21);
    hedt1->SetMaxLength(kServerAddressMax);
    hedt1->SetText("127.0.0.1:831");
    hedt1->SetMaxHistCount(20);
    setHistory(hedt1->RegInfo(), "Software\\Zoren\\ZrxCAClient", "serv_addrHistory");
    hedt1->SetSaveHistory(true);
    lbl1->SetFocusControl(hedt1);
}

bool TZrXBaseConfigForm::validate() { return checkRequiredControl(hedt1, ts1); }

void TZrXBaseConfigForm::storeServerAddress(TZrxCaConfig& config) {
    config.ldapAddress = cutText(trimmed(hedt1->GetText()).c_str(), kServerAddressMax);
}

void TZrXBaseConfigForm::loadServerAddress(const TZrxCaConfig& config) { hedt1->SetText(config.ldapAddress.str()); }

// ---- program settings

IMPLEMENT_CLASS(TZrXCViewerConfigForm, TZrXBaseConfigForm) {}

TZrXCViewerConfigForm::TZrXCViewerConfigForm(TComponent* AOwner)
    : TZrXBaseConfigForm(AOwner), sntpParams(&getSNTPParams()) {
    SetName("ZrXCViewerConfigForm");
    SetCaption("Настройки");
    SetClientWidth(422);
    SetClientHeight(379);
    Font()->SetName("Tahoma");
    ts1->SetCaption("Параметры");

    grp2 = placeControl<TGroupBox>(this, ts1, "grp2", 8, 6, 398, 110);
    grp2->SetCaption("Служба jСMP");
    lbl30 = placeLabel(this, grp2, "lbl30", "Адрес jCMP-службы", 10, 22);
    chedt1 = placeControl<TCompoundHistoryEdit>(this, grp2, "chedt1", 146, 19, 242, 21);
    chedt1->SetMaxLength(kJcmpUrlMax);
    chedt1->SetMaxHistCount(20);
    setHistory(chedt1->RegInfo(), "Software\\Zoren\\CRAConfigForm", "chedt1");
    chedt1->SetSaveHistory(true);
    chedt1->OnChange = [this](TObject* s) { chedt1Change(s); };
    lbl31 = placeLabel(this, grp2, "lbl31", "Тайм-аут, сек. ", 10, 50);
    nedt4 = placeControl<TCNumberEdit>(this, grp2, "nedt4", 146, 47, 70, 21);
    nedt4->SetIsUnsigned(true);
    nedt4->SetMinValue(0);
    nedt4->SetMaxValue(0xFFFF);  // the settings keep it in 16 bits
    chk1 = placeControl<TCheckBox>(this, grp2, "chk1", 10, 74, 380, 17);
    chk1->SetCaption("Отправлять запросы на сертификат на jCMP-сервер");
    chk2 = placeControl<TCheckBox>(this, grp2, "chk2", 10, 91, 380, 17);
    chk2->SetCaption("Обновлять служебные файлы при старте");

    // The base dialog's history edit holds the HSM address here.
    lbl1->SetVisible(false);
    lbl2 = placeLabel(this, ts1, "lbl2", "HSM-модуль", 18, 129);
    hedt1->SetBounds(138, 126, 268, 21);
    hedt1->SetMaxLength(kHsmAddressMax);
    hedt1->SetText("");
    setHistory(hedt1->RegInfo(), "Software\\Zoren\\ZI509\\ZrxCAClient", "caAddrHistory");
    lbl2->SetFocusControl(hedt1);

    // No inactivity lock is installed: the field is not offered, and the
    // stored value stays as it is.
    lbl3 = placeLabel(this, ts1, "lbl3", "Автоблокировка через", 18, 160);
    nedt3 = placeControl<TCNumberEdit>(this, ts1, "nedt3", 138, 157, 60, 21);
    nedt3->SetIsUnsigned(true);
    nedt3->SetMinValue(0);
    nedt3->SetMaxValue(1440);
    ud2 = placeControl<TUpDown>(this, ts1, "ud2", 198, 157, 17, 21);
    ud2->SetMax(1440);
    ud2->SetIncrement(10);
    ud2->SetAssociate(nedt3);
    lbl4 = placeLabel(this, ts1, "lbl4", "мин.", 222, 160);
    for (TControl* c : std::initializer_list<TControl*>{lbl3, nedt3, ud2, lbl4}) c->SetVisible(false);

    rg1 = placeControl<TRadioGroup>(this, ts1, "rg1", 8, 160, 398, 64);
    rg1->SetCaption("Использовать хеш ДСТУ 7564:2014 для ДСТУ 4145-2002");
    rg1->Items()->Add("Исходя из параметров алгоритма ЭП");
    rg1->Items()->Add("Всегда");
    rg1->SetItemIndex(0);
    btn8 = placeButton(this, ts1, "btn8", "Параметры  обновления программы", 8, 234, 260, mrNone);
    btn8->OnClick = [this](TObject* s) { btn8Click(s); };

    ts2 = addPage("ts2", "Контроль даты и времени");
    sntpFrame = new TCSNTPCfgFrame(this);
    sntpFrame->SetParent(ts2);
    sntpFrame->SetAlign(alClient);
    PageControl1->SetActivePage(ts1);
    chedt1Change(chedt1);
}

void TZrXCViewerConfigForm::loadFrom(const TCCtxViewerConfig& settings) {
    ud2->SetPosition(settings.autolockTime);
    hedt1->SetText(settings.hsmAddress.str());
    sntpFrame->loadParams(*sntpParams);
    chedt1->setTextValue(settings.jcmpUrl.str());
    nedt4->SetValue(settings.timeout);
    chk1->SetChecked(settings.flags.isSet(VCF_USE_JCMP));
    chk2->SetChecked(settings.flags.isSet(VCF_UPDATE_SERVICE_FILES));
    if (settings.flags.isSet(VCF_RADIO_CHOICE)) rg1->SetItemIndex(1);
    chedt1Change(chedt1);
}

void TZrXCViewerConfigForm::storeTo(TCCtxViewerConfig& settings) {
    sntpFrame->storeParams(*sntpParams);
    // autolockTime is left alone: the dialog does not offer it.
    settings.hsmAddress = cutText(trimmed(hedt1->GetText()).c_str(), kHsmAddressMax);
    settings.jcmpUrl = cutText(trimmed(chedt1->GetText()).c_str(), kJcmpUrlMax);
    settings.timeout = uint16_t(nedt4->GetValue() & 0xFFFF);
    settings.flags.set(VCF_UPDATE_SERVICE_FILES, chk2->Enabled() && chk2->Checked());
    settings.flags.set(VCF_USE_JCMP, chk1->Enabled() && chk1->Checked());
    settings.flags.set(VCF_RADIO_CHOICE, rg1->ItemIndex() > 0);
}

void TZrXCViewerConfigForm::btnOkClick(TObject*) {
    if (!sntpFrame->checkParams(ts2)) SetModalResult(mrNone);
}

void TZrXCViewerConfigForm::btn8Click(TObject*) { execUpdateParsDialog(true); }

void TZrXCViewerConfigForm::chedt1Change(TObject*) {
    const bool on = !trimmed(chedt1->GetText()).empty();
    for (TControl* c : std::initializer_list<TControl*>{lbl30, lbl31, nedt4, chk1, chk2}) c->SetEnabled(on);
}

bool execViewerSettings(TCCtxViewerConfig& settings) {
    TComponent* owner =
        Application && Application->MainForm() ? static_cast<TComponent*>(Application->MainForm()) : dialogOwner();
    auto* dlg = new TZrXCViewerConfigForm(owner);
    bool saved = false;
    dlg->OnClose = [dlg, &settings, &saved](TObject*, TCloseAction&) {
        if (dlg->ModalResult() != mrOk) return;
        dlg->storeTo(settings);
        saved = true;
    };
    showProgramDialog(dlg, [&] { dlg->loadFrom(settings); });
    if (!saved) return false;
    if (!settings.save()) {
        showSettingsNotSaved(settings.filePath().c_str());
        return false;
    }
    return true;
}

void showSettingsNotSaved(const char* file) {
    messageDlg(
        TCFString(zrnTranslateString("Не удалось сохранить настройки в файле \"%s\"!").c_str(), file ? file : "").str(),
        mtError, mbSet(mbOK));
}
