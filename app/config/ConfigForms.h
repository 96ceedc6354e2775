#pragma once
// The settings dialogs: the template (pages, "Сохранить", "Отменить" and the
// required-field check), the CA-address dialog and the program settings
// dialog "Настройки".
#include "app/config/CaConfig.h"
#include "app/config/ConfigBase.h"
#include "app/config/SNTPCfgFrame.h"
#include "components/CNumberEdit.h"
#include "components/CompoundEdit.h"
#include "components/HistoryEdit.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TConfigFormTemplate : public TForm {
    DECLARE_CLASS(TConfigFormTemplate)
    explicit TConfigFormTemplate(TComponent* AOwner);

    TPageControl* PageControl1;
    TPanel* pnl1;
    TButton* btnOk;      // "Сохранить"
    TButton* btnCancel;  // "Отменить"

    // The dialog's input check before saving (true: may close).
    virtual bool validate() { return true; }
    // Runs validate and keeps the dialog open when it refuses.
    virtual void btnOkClick(TObject* Sender);

    // A required field: a visible, enabled field on a shown page must hold
    // text; an empty one brings its page forward, tells the operator and
    // takes the focus. A hidden or disabled field passes.
    bool checkRequiredControl(TWinControl* control, TTabSheet* page);
    // The control's text with white space trimmed, at most maxChars characters.
    static TCString getControlText(TControl* control, int maxChars);

protected:
    TTabSheet* addPage(const char* name, const char* caption);
};

// The dialog with the certification authority's server address.
class TZrXBaseConfigForm : public TConfigFormTemplate {
    DECLARE_CLASS(TZrXBaseConfigForm)
    explicit TZrXBaseConfigForm(TComponent* AOwner);

    TTabSheet* ts1;  // "Сервер"
    TLabel* lbl1;
    THistoryEdit* hedt1;

    bool validate() override;
    void storeServerAddress(TZrxCaConfig& config);
    void loadServerAddress(const TZrxCaConfig& config);
};

// "Настройки": the program settings and the time-server record.
class TZrXCViewerConfigForm : public TZrXBaseConfigForm {
    DECLARE_CLASS(TZrXCViewerConfigForm)
    explicit TZrXCViewerConfigForm(TComponent* AOwner);

    TGroupBox* grp2;
    TLabel* lbl30;  // "Адрес jCMP-службы"
    TCompoundHistoryEdit* chedt1;
    TLabel* lbl31;  // "Тайм-аут, сек. "
    TCNumberEdit* nedt4;
    TCheckBox* chk1;
    TCheckBox* chk2;
    TLabel* lbl2;  // "HSM-модуль" (hedt1 holds the HSM address here)
    TLabel* lbl3;  // "Автоблокировка через"
    TCNumberEdit* nedt3;
    TUpDown* ud2;
    TLabel* lbl4;  // "мин."
    TRadioGroup* rg1;
    TButton* btn8;
    TTabSheet* ts2;  // "Контроль даты и времени"
    TCSNTPCfgFrame* sntpFrame;

    // The time-server record the dialog edits (the process-wide one unless set).
    TSNTPParams* sntpParams;

    virtual void storeTo(TCCtxViewerConfig& settings);
    virtual void loadFrom(const TCCtxViewerConfig& settings);
    void btnOkClick(TObject* Sender) override;
    void btn8Click(TObject* Sender);
    void chedt1Change(TObject* Sender);
};

// Edits the program settings: on "Сохранить" they are taken from the dialog
// and saved; true when they were written, a failure is shown.
bool execViewerSettings(TCCtxViewerConfig& settings);
// Tells the user that the settings file could not be written.
void showSettingsNotSaved(const char* file);
