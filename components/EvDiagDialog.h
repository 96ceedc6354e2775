// The debug-output dialog of the event view: the debug categories (the
// runtime's debug mask) and where debug texts go (screen, log file).
#pragma once

#include "components/CFlagsBox.h"
#include "components/CheckBoxes.h"
#include "platform/framework/Forms.h"
#include "platform/framework/StdCtrls.h"

class TEvDiagDialog : public TForm {
    DECLARE_CLASS(TEvDiagDialog)
    explicit TEvDiagDialog(TComponent* AOwner);
    TLabel* lbl1;
    TCFlagsBox* cflgsbx1;
    TCheckBoxes* chckbxs1;
    TButton* btnOk;
    TButton* btnCancel;
    TButton* btn1;
    // Clears the categories and the switches.
    void btn1Click(TObject* Sender);
};
