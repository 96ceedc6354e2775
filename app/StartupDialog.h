#pragma once
// The start-up dialog: start key generation with one of the entries of a
// menu item (each carries its action), or open an existing key container.
#include "platform/framework/ActnList.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"
#include "platform/framework/StdCtrls.h"

class TStatupCreatorDialog : public TForm {
    DECLARE_CLASS(TStatupCreatorDialog)
    explicit TStatupCreatorDialog(TComponent* AOwner);

    TRadioGroup* rg1;
    TCheckBox* chk1;
    TButton* btn1;  // "Принять"
    TButton* btn2;  // "Отменить"

    // One radio item per entry of `item`, the entry's action as its object;
    // the dialog and the group grow by one check-box height (+3) per entry.
    void addNewKeysItems(TMenuItem* item);
    void updateOkButton();
    // The chosen radio item's action (null without a choice).
    TBasicAction* chosenAction() const;

    void rg1Click(TObject* Sender);
    void chk1Click(TObject* Sender);

private:
    bool FSyncing = false;
};

// Shows the dialog; true when accepted, `action` then being the chosen
// entry's action or null for "open an existing container". False when
// cancelled (action null).
bool showStartupDialog(TMenuItem* item, TBasicAction*& action, bool showCheckBox, const char* caption = nullptr);
