// Check-box groups over a 32-bit flags word, and the yes/no box.
#pragma once

#include <cstdint>
#include <vector>

#include "components/CFlagsBox.h"
#include "platform/framework/StdCtrls.h"

class TScrollBox;

using TCheckBoxesClickEvent = std::function<void(TCheckBox* Sender, unsigned Flag)>;

// A group box with one check box per line of Items ("caption" or
// "caption|mask", at most 32 lines). Box i stands for bit i of Checked, or
// for its own mask when the line names one; BitsOffset shifts the word.
class TCheckBoxes : public TGroupBox {
    DECLARE_CLASS(TCheckBoxes)
    explicit TCheckBoxes(TComponent* AOwner);
    ~TCheckBoxes() override;

    TStrings* Items() const { return FItems; }
    void SetStrings(TStrings* s);
    TStrings* Hints() const { return FHints; }
    void SetHints(TStrings* s);
    uint32_t GetChecked() const;
    void SetChecked(uint32_t v);
    uint32_t BitsOffset() const { return FBitsOffset; }
    void SetBitsOffset(uint32_t v) { FBitsOffset = v; }
    bool AjustHeight() const { return FAjustHeight; }
    void SetAutoArrange(bool v);

    TCheckBox* GetButtons(int index) const;
    int GetButtonCount() const { return FItems->Count(); }
    int indexOf(const TCheckBox* box) const;
    // The box's own flag: its mask when its line names one, else its index
    // bit; either shifted by BitsOffset (modulo 32).
    unsigned flagOf(const TCheckBox* box) const;
    void SetIsChecked(int index, bool v);
    bool GetIsChecked(int index) const;
    void SetIsEnabled(int index, bool v);
    bool GetIsEnabled(int index) const;
    void SetIsGrayed(int index, bool v);
    bool GetIsGrayed(int index) const;
    void SetStates(int index, TCheckBoxState v);
    TCheckBoxState GetStates(int index) const;
    // Box i is enabled exactly when bit i of the mask is set.
    void SetEnabledFlag(uint32_t mask);
    uint32_t GetEnabledFlag() const;
    static bool GetBoolValue(uint32_t value, unsigned i) { return (value >> (i % 32)) & 1u; }
    static uint32_t GetIntValue(bool v, unsigned i) { return uint32_t(v ? 1 : 0) << (i % 32); }
    void ShowButtons(bool v);
    // Places every box whole: in as many columns as the group's width holds,
    // top to bottom; when they still do not fit, the boxes go on an area
    // inside the group that scrolls.
    void ArrangeButtons();
    void AjustSize();
    // The scrolling area while the boxes do not fit the group, else null.
    TScrollBox* ScrollArea() const { return FScrolling ? FScroll : nullptr; }

    // OnClick (inherited) is raised for a click on any box, with the box as Sender.
    TCheckBoxesClickEvent OnChekBoxClick;

protected:
    void Loaded() override;
    void Resize() override;

private:
    void createCheckBoxes();
    void freeCheckBoxes();
    void OnStringsChange();
    void checkBoxClickEvent(TCheckBox* box);
    TStringList* FItems;
    TStringList* FHints;
    std::vector<TCheckBox*> FBoxes;
    TScrollBox* FScroll = nullptr;
    bool FScrolling = false;
    uint32_t FBitsOffset = 0;
    bool FAjustHeight = false;
    bool FBuilding = false;
};

// A two-item single-selection flags box: "Нет" (0) and "Да" (1); its text
// value is "TRUE" or "FALSE".
class TCBoolBox : public TCFlagsBox {
    DECLARE_CLASS(TCBoolBox)
    explicit TCBoolBox(TComponent* AOwner);
    void SetParent(TWinControl* p) override;
    void init();
    bool setTextValue(const String& text) override;
    String getTextValue() const override;
};
