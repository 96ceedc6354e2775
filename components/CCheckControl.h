// The check control: a check box saying whether an optional parameter is
// used, and a typed editor holding its value; the control stands for one
// flag mask of a parameter word.
#pragma once

#include <cstdint>

#include "components/CompoundEdit.h"
#include "platform/core/x509/EditsList.h"
#include "platform/framework/ExtCtrls.h"
#include "platform/framework/StdCtrls.h"

class TCNumberEdit;
class TCBoolBox;
class TCFileNameEdit;
class TUXDatetimeEditor;
class TCFlagsBox;
class TUXDateTimePicker;

class TCCheckControl : public TPanel {
    DECLARE_CLASS(TCCheckControl)
    explicit TCCheckControl(TComponent* AOwner);

    String GetCaption() const;
    // Also makes the check box as wide as its caption.
    void SetCaption(const String& v);
    unsigned Flag() const { return FFlag; }
    void SetFlag(unsigned v) { FFlag = v; }
    int GetLabelWidth() const;
    void SetLabelWidth(int v);
    bool GetChecked() const;
    void SetChecked(bool v);
    TCEditsEntryType GetType() const { return FType; }
    void SetType(TCEditsEntryType type);
    String GetTextValue() const;
    void SetTextValue(const String& v);
    bool MustBeFilled() const { return FMustBeFilled; }
    void SetNeedFill(bool v) { FMustBeFilled = v; }
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v);

    TCheckBox* CheckBox() const { return FCheck; }
    TCompoundEdit* Editor() const { return FEdit; }
    void freeEdit();

    void enableEdit(bool v);
    // Enables the check box; disabling also disables the editor.
    void enable(bool v);
    // Checked exactly when all Flag bits are set in flags.
    void setChecked(unsigned flags);
    // Sets the Flag bits in flags when checked, clears them otherwise.
    void getChecked(unsigned& flags) const;
    void Gray(unsigned flags) { enable((flags & FFlag) == FFlag); }

    bool setNumValue(unsigned number, unsigned flag);
    // The editor's answer; Flag becomes flag.
    bool setStrValue(const char* text, unsigned flag);
    // Unchecked or disabled: the Flag bits cleared and value 0, true.
    bool getNumValue(unsigned* value, unsigned* flags);
    // Unchecked or disabled: the Flag bits cleared and an empty text, true;
    // a size below 1 is refused.
    bool getStrValue(char* buffer, int size, unsigned* flags);
    bool isFilled(bool showMessage, const char* caption);

    TCNumberEdit* asNumberEdit() const;
    TCBoolBox* asBoolEdit() const;
    TCFileNameEdit* asFileNameEdit() const;
    TUXDatetimeEditor* asUXDatetimeEdit() const;
    TCompoundHistoryEdit* asTextEdit() const;
    TCFlagsBox* asFlagsBox() const;
    TUXDateTimePicker* asUXDateTimePicker() const;

    void SetParent(TWinControl* p) override;
    TNotifyEvent OnChkClick;

protected:
    void Loaded() override;

private:
    void checkedClick();
    bool inactive() const;  // unchecked, or its check box disabled
    TCheckBox* FCheck;
    TCompoundEdit* FEdit = nullptr;
    TCEditsEntryType FType = xvtString;
    unsigned FFlag = 0;
    bool FMustBeFilled = true;
    bool FReadOnly = false;
};

// Over the check controls among a container's direct children.
void ccSetChecked(TWinControl* container, unsigned flags);
void ccGetChecked(TWinControl* container, unsigned& flags);
// With recurse also inside every other windowed child, depth first.
void ccGrayControls(TWinControl* container, unsigned flags, bool recurse);
