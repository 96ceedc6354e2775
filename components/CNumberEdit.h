// The number edit: one 64-bit integer, signed or unsigned, decimal or
// hexadecimal, with optional bounds and a default for unreadable text.
#pragma once

#include <cstdint>

#include "components/CompoundEdit.h"
#include "platform/framework/StdCtrls.h"

class TCNumberEdit : public TCompoundEdit {
    DECLARE_CLASS(TCNumberEdit)
    explicit TCNumberEdit(TComponent* AOwner);

    // The number read from the text, moved into the bounds (the default when
    // SetDefaultValue is on and bounding changed it); unreadable text gives Default.
    uint64_t GetValue();
    uint64_t Value() const { return const_cast<TCNumberEdit*>(this)->GetValue(); }
    // Stores the bounded value and writes it as the text.
    void SetValue(uint64_t v);
    uint64_t Default() const { return FDefault; }
    void SetDefault(uint64_t v);
    uint64_t GetMinValue() const { return FMinValue; }
    void SetMinValue(uint64_t v) { FMinValue = v; }
    uint64_t GetMaxValue() const { return FMaxValue; }
    void SetMaxValue(uint64_t v) { FMaxValue = v; }
    bool GetUseBounds() const { return FMinValue != FMaxValue; }
    void SetUseBounds(bool) {}
    bool AllowHex() const { return FAllowHex; }
    // Rewrites the text in the new radix, so the value stays.
    void SetAllowHex(bool b);
    bool GetAllowConversion() const { return FButton != nullptr; }
    void SetAllowConversion(bool v);
    bool SetDefaultValue() const { return FSetDefaultValue; }
    void SetSDefaultValue(bool v) { FSetDefaultValue = v; }
    bool IsUnsigned() const { return FIsUnsigned; }
    void SetIsUnsigned(bool v) { FIsUnsigned = v; }

    uint64_t CheckBounds(uint64_t v) const;
    bool inBounds(uint64_t v) const;
    String Val2Text(uint64_t v) const;
    // Reads a text in the current radix; false for anything but the
    // canonical form (no sign where not allowed, no leading zeros, no blanks
    // inside, no overflow).
    bool parseText(const String& text, uint64_t& v) const;
    // Rewrites the text in canonical form (unreadable text becomes Default);
    // an empty text, "-" or "+" is left alone.
    void ChekValue();
    // The bounds test; with showMessage the field's page comes forward, the
    // range is reported and the field focused.
    bool validate(bool showMessage);

    bool setTextValue(const String& text) override;
    String getTextValue() const override { return GetText(); }
    bool UpdateEditRect(TRect& rect) override;
    void SetBounds(int ALeft, int ATop, int AWidth, int AHeight) override;
    void KeyPress(char32_t& Key) override;
    void DoExit() override;

    void BtnClick();
    void UpdateButton();
    void SetupButtonWidth();
    void SetBtnBounds();
    TButton* Button() const { return FButton; }

private:
    uint64_t readValue();  // the text's number, unbounded; Default when unreadable
    void writeText(uint64_t v);
    bool FAllowHex = false;
    uint64_t FMinValue = 0, FMaxValue = 0;
    uint64_t FValue = 0;
    uint64_t FDefault = 0;
    bool FSetDefaultValue = false;
    bool FIsUnsigned = false;
    TButton* FButton = nullptr;
};
