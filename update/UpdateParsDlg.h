#pragma once
// The update settings dialog: when to check for updates, the list's
// address, the days between checks, the proxy and its account; it also
// empties the update cache and shows the information page.
#include <cstdint>

#include "components/CheckBoxes.h"
#include "components/CompoundEdit.h"
#include "platform/framework/Buttons.h"
#include "platform/framework/ComCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"
#include "update/UpdationConfig.h"

class TEditUpdateParsFrm : public TFrame {
    DECLARE_CLASS(TEditUpdateParsFrm)
    explicit TEditUpdateParsFrm(TComponent* AOwner);

    TCheckBoxes* chckbxs1;
    TLabel* lbl1;
    TCompoundHistoryEdit* chedt1;  // the list's address
    TLabel* lbl2;
    TEdit* edt1;
    TUpDown* ud1;  // the period in days
    TLabel* lbl3;
    TGroupBox* grp1;
    TLabel* lbl4;
    TCompoundHistoryEdit* chedt2;  // the proxy
    TLabel* lbl5;
    TEdit* edt2;  // the proxy account
    TLabel* lbl6;
    TEdit* edt3;  // its password

    TCUpdationConfig config;

    bool load();
    // False when the settings file could not be written.
    bool save();
    // False (the address field focused, the operator told) when a check is
    // chosen and the address is blank, or when saving failed (shown).
    bool validateAndSave();
    // Keeps "on command" with "at start" and greys what no check uses.
    void chckbxs1ChekBoxClick(TCheckBox* Sender, unsigned Flag);
};

class TCUpdateParsDlg : public TForm {
    DECLARE_CLASS(TCUpdateParsDlg)
    explicit TCUpdateParsDlg(TComponent* AOwner);

    TButton* btn1;  // "Сохранить"
    TButton* btn2;  // "Отменить"
    TButton* btn3;  // "Очистить кеш"
    TButton* btn4;  // "Информация"
    TEditUpdateParsFrm* frame;

    bool load() { return frame->load(); }
    void btn1Click(TObject* Sender);
    void btn3Click(TObject* Sender);
    void btn4Click(TObject* Sender);
};

// The dialog over the main form: the check-mode bits when saved, 1001 when
// closed otherwise, 0 when the settings could not be loaded.
uint32_t execUpdateParsDialog(bool full = true);
