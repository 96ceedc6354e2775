// The package's single-line editors: the compound edit base with the common
// text-value, colour, enable and drop-down operations, the required-field
// check, the pop-up list and the compound history edit.
#pragma once

#include "components/HistoryEdit.h"
#include "platform/framework/Mask.h"
#include "platform/framework/PopupList.h"

// The nearest tab sheet among the control's parents, or null.
TWinControl* GetParentTabSheet(const TControl* control);
// True when the control is hidden or disabled, or the trimmed text is not
// empty. Otherwise false; with `showMessage`, the pages holding the control
// are brought to front, an error message names the field, and the control
// gets the focus.
bool checkFilled(TControl* control, const String& text, bool showMessage, const char* fieldName);

class TCompoundEdit : public TMaskEdit {
    DECLARE_CLASS(TCompoundEdit)
    explicit TCompoundEdit(TComponent* AOwner);
    ~TCompoundEdit() override;

    TColor EditorColor() const { return getColor(); }
    void SetEditorColor(TColor c) { setColor(c); }

    virtual bool UpdateEditRect(TRect& /*rect*/) { return false; }
    virtual bool isFocusHandle(const TWinControl* handle) const { return handle == this; }
    virtual void SetKeyEvent(TKeyEvent ev) { OnKeyDown = std::move(ev); }
    virtual bool setTextValue(const String& text) { return setUCTextValue(text); }
    virtual String getTextValue() const { return getUCTextValue(); }
    virtual bool setUCTextValue(const String& text);
    virtual String getUCTextValue() const { return Trim(GetText()); }
    virtual TColor getColor() const { return Color(); }
    virtual void setColor(TColor c) { SetColor(c); }
    virtual void enable(bool on) { SetEnabled(on); }
    virtual void hideDropped() {}
    virtual bool haseDropped() const { return false; }
    // The edit or one of its inner parts has the focus.
    virtual bool editorFocused() const;

    // Lets UpdateEditRect reserve room for embedded buttons; applied only
    // when it changed the rectangle.
    void SetEditRect();
    bool isMasked() const { return IsMasked(); }
    virtual bool isFilled(bool showMessage, const char* fieldName);
    TCanvas* GetFCanvas();

protected:
    // A text that does not fit the mask stays as typed: the field is
    // reported and gets the focus back.
    void ValidateError(int Pos) override;

private:
    TCanvas* FCanvas = nullptr;
};

struct TCKeyMessage {
    enum Kind { KeyDown, KeyUp, Char } kind;
    uint16_t key = 0;
    TShiftState shift = 0;
    char32_t ch = 0;
};

class TCPopupListBox : public TPopupListBox {
    DECLARE_CLASS(TCPopupListBox)
    explicit TCPopupListBox(TComponent* AOwner);
    int RowsVisible() const { return FRowsVisible; }
    void SetRowsVisible(int v) { FRowsVisible = v; }
    const String& SearchText() const { return FSearch; }

    void ShowList(TPoint screen);
    void HideList();
    int CalcHeight() const;
    bool GetDroppedDown() const { return PopupShown(); }
    // Escape, Up and Down (Up/Down with Ctrl while hidden): the new item
    // index; -1 for an empty list or a key not used.
    int SelectNextItem(uint16_t key, TShiftState shift, bool& handled);
    void SelectItemBySubString(const String& lowerText);
    virtual bool processKeyMessage(const TCKeyMessage& m);
    virtual void doCancel() { HideList(); }
    virtual void doOK() { HideList(); }

protected:
    void PopupMouseRow(int row, bool released) override;
    void PopupPressOutside(TControl* target) override;
    void PopupDeactivated() override { doCancel(); }
    String FSearch;

private:
    int FRowsVisible = 3;
};

class TCompoundHistoryEdit;

class TCComboEditListBox : public TCPopupListBox {
    DECLARE_CLASS(TCComboEditListBox)
    TCComboEditListBox(TComponent* AOwner, TCompoundHistoryEdit* edit);
    bool processKeyMessage(const TCKeyMessage& m) override;
    void doOK() override;

private:
    TCompoundHistoryEdit* FEdit;
};

class TCompoundHistoryEdit : public TCompoundEdit {
    DECLARE_CLASS(TCompoundHistoryEdit)
    explicit TCompoundHistoryEdit(TComponent* AOwner);
    ~TCompoundHistoryEdit() override;

    bool UpdateEditRect(TRect& rect) override;
    bool setUCTextValue(const String& text) override;
    String getUCTextValue() const override;
    void hideDropped() override { SetDroppedDown(false); }
    bool haseDropped() const override { return GetDroppedDown(); }
    virtual void getLBItemText(int index);

    int RowsVisible() const { return FList->RowsVisible(); }
    void SetRowsVisible(int v) { FList->SetRowsVisible(v); }
    TStrings* Items() const { return FList->Items(); }
    void SetItems(TStrings* s) { FList->Items()->Assign(s); }
    int ItemIndex() const { return FList->ItemIndex(); }
    void SetItemIndex(int v) { FList->SetItemIndex(v); }
    bool LoadOnFocus() const { return FLoadOnFocus; }
    void SetLoadOnFocus(bool v) { FLoadOnFocus = v; }
    bool SaveHistory() const { return FSaveHistory; }
    void SetSaveHistory(bool v);
    int MaxHistCount() const { return FMaxHistCount; }
    void SetMaxHistCount(int n);
    void setMaxHCount(int n) { FMaxHistCount = n; }
    TRegistryInfo* RegInfo() const { return FRegInfo; }
    void SetRegInfo(TRegistryInfo* v) { FRegInfo->Assign(v); }
    bool SaveValue() const { return FSaveValue; }
    void SetSaveValue(bool v) { FSaveValue = v; }
    bool GetButtonVisible() const;
    void SetButtonVisible(bool v);
    bool NoDrop() const { return FNoDrop; }
    void SetNoDrop(bool v) { FNoDrop = v; }
    bool TextAsHint() const { return FTextAsHint; }
    void SetTextAsHint(bool v);

    TCComboEditListBox* List() const { return FList; }
    TButton* Button() const { return FButton; }
    const String& CurrentText() const { return FCurrent; }
    bool HistoryModified() const { return FModified; }

    void BtnClick();
    void SetDroppedDown(bool on);
    bool GetDroppedDown() const { return FList && FList->GetDroppedDown(); }
    void getLBItem();
    void AddHistoryStr(const String& text);
    void AddHistory();
    void setRegParams(const String& key, const String& valueName, bool load);
    void SetNewValueName(const String& name);
    void ClearHistory();
    bool Save();
    bool Load();
    bool usesBlankSymbol(char32_t c) const;

    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DoEnter() override;
    void DoExit() override;

protected:
    void Change() override;
    void Resize() override;

private:
    friend class TCComboEditListBox;
    TButton* FButton;
    TCComboEditListBox* FList;
    TRegistryInfo* FRegInfo;
    String FCurrent;
    bool FModified = false;
    bool FLoadOnFocus = false;
    bool FSaveHistory = false;
    bool FSaveValue = false;
    bool FNoDrop = false;
    bool FTextAsHint = false;
    int FMaxHistCount = 20;
};
