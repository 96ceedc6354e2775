// The window controls the HTML form controls are built on.
#pragma once

#include "platform/framework/StdCtrls.h"

// An edit whose Ctrl+A selects all its text.
class ThtEdit : public TEdit {
    DECLARE_CLASS(ThtEdit)
    explicit ThtEdit(TComponent* AOwner);
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
};

class ThtComboBox : public TComboBox {
    DECLARE_CLASS(ThtComboBox)
    explicit ThtComboBox(TComponent* AOwner);
};

// A memo that shows a grey hint while it is empty and unfocused.
class ThtMemo : public TMemo {
    DECLARE_CLASS(ThtMemo)
    explicit ThtMemo(TComponent* AOwner);
    ~ThtMemo() override;
    TStrings* TextHint() const { return FTextHint; }
    void SetTextHint(TStrings* v) { FTextHint->Assign(v); }
    int MaxLength() const { return TMemo::MaxLength(); }
    // Typed text is cut to this many characters (0: no limit).
    void SetMaxLength(int v);

protected:
    void PaintOver(TCanvas* Canvas) override;

private:
    TStringList* FTextHint;
};
