// The flags box: a read-only edit with a button that drops down a list of
// items, each carrying an unsigned 64-bit value. With check boxes the value
// is the OR of the ticked items; in single selection it is the ticked item's.
// The edit shows the ticked captions as "[cap1,cap2]".
#pragma once

#include <cstdint>

#include "components/CompoundEdit.h"
#include "platform/framework/ListView.h"
#include "platform/framework/PopupWindow.h"

enum TCCheckListType { clsCheckboxes, clsSingleSelection };
extern const TEnumInfo CheckListTypeInfo;

// Item-state bit: the user cannot tick or untick the item.
constexpr uint32_t fbxDisabled = 1;

// Reads a whole text as a 64-bit integer: decimal, or hexadecimal after
// "0x" or "$"; blanks around it are allowed. False when it does not parse.
bool fbxParseValue(const String& text, uint64_t& value);
// "0x" and at least 4 upper-case hexadecimal digits.
String fbxValueText(uint64_t value);

uint32_t fbxGetItemFlags(const TListItem* item);
void fbxSetItemFlags(TListItem* item, uint32_t mask, bool on);
// Appends empty sub-items until `index` exists, then stores the text there.
void fbxSetSbItemValue(TListItem* item, const String& text, int index);
void fbxSetSbItemValue(TListItem* item, uint64_t value, int index);
// The sub-item read as a number; 0 when missing or not a number.
uint64_t fbxGetSbItemValue(const TListItem* item, int index);

class TCFlagsBox;

class TCCheckListView : public TListView {
    DECLARE_CLASS(TCCheckListView)
    TCCheckListView(TComponent* AOwner, TCFlagsBox* box);
    ~TCCheckListView() override;

    TListItem* AddItem(const String& caption, uint64_t value, bool enabled);
    void AssignItems(const TStrings* lines);
    void SetChecked(uint64_t value);
    uint64_t GetChecked() const;
    void ClearChecked();
    // Changes the tick (raising OnItemChecked) when it differs.
    void checkItem(TListItem* item, bool on);
    // Unticks every other item whose value lies inside the item's exclusion mask.
    void ExcludeOther(TListItem* item);
    TListItem* ItemByValue(uint64_t value) const;
    TListItem* ItemByCaption(const String& text) const;
    bool ItemEnabled(const TListItem* item) const;
    void EnableItem(uint64_t value, bool enable);
    void EnableItems(uint64_t mask, bool enable);
    // Every item is disabled exactly when all its bits are in the mask.
    void SetDisabledMask(uint64_t mask);
    uint64_t GetItemValue(const TListItem* item) const { return fbxGetSbItemValue(item, 0); }
    uint64_t GetValueAt(int index) const;
    uint64_t GetItemExcluded(const TListItem* item) const { return fbxGetSbItemValue(item, 1); }
    uint64_t GetItemExcludedAt(int index) const;
    void SetItemExcluded(TListItem* item, uint64_t mask) { fbxSetSbItemValue(item, mask, 1); }
    void SetExcludedAt(int index, uint64_t mask);

    TCCheckListType ListType() const { return FListType; }
    void SetType(TCCheckListType t);
    int RowsVisible() const { return FRowsVisible; }
    void SetRowsVisible(int v) { FRowsVisible = v; }
    int CalcHeight() const;
    bool GetValuesVisible() const { return FValuesVisible; }
    void SetValuesVisible(bool v);
    void SetupView();
    void ShowList(TPoint screen);
    void HideList();
    bool DroppedDown() const { return FDropped; }
    // Keys the box passes on while the list is open; true when used up.
    bool ForwardKey(const TCKeyMessage& m);
    // A click on the list (also Space while open).
    void LVClick();
    // Ticks the item and unticks every other one.
    void tickAlone(TListItem* item);
    void Click() override;

protected:
    bool CanChange(TListItem* Item, TItemChange Change) override;
    void CheckBoxPressed(TListItem* Item) override;
    bool CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) override;
    void MouseDown(TMouseButton Button, TShiftState Shift, int X, int Y) override;
    void MouseMove(TShiftState Shift, int X, int Y) override;

private:
    void toggle(TListItem* item);
    int LVCompare(TListItem* a, TListItem* b) const;
    TCFlagsBox* FBox;
    TPopupWindow* FPopup;
    TListColumn* FValuesColumn;
    TListItem* FAllowed = nullptr;
    int FRowsVisible = 2;
    bool FValuesVisible = false;
    TCCheckListType FListType = clsCheckboxes;
    bool FDropped = false;
    int FByCode = 0;
    bool FSkipClick = false;
};

using TICheckedEvent = std::function<void(TObject* Sender, TListItem* item, uint64_t flag)>;

class TCFlagsBox : public TCompoundEdit {
    DECLARE_CLASS(TCFlagsBox)
    explicit TCFlagsBox(TComponent* AOwner);
    ~TCFlagsBox() override;

    // Reuses the item of that value (renaming it) or appends a new one.
    TListItem* AddItem(const char* caption, uint64_t value, bool enabled);
    uint64_t GetChecked() const { return FList->GetChecked(); }
    void SetChecked(uint64_t v);
    void EnableItem(uint64_t value, bool enable) { FList->EnableItem(value, enable); }
    void EnableItems(uint64_t mask, bool enable);
    uint64_t DisabledItems() const { return FDisabled; }
    void SetDisabledItems(uint64_t v);
    // "caption,value" lines; lines with fewer than two fields are skipped.
    void AssignItems(const TStrings* lines);
    void Clear();

    TCCheckListType ListType() const { return FList->ListType(); }
    void SetListType(TCCheckListType t);
    TListItems* Items() const { return FList->Items(); }
    void SetItems(TListItems* items) {
        FList->Items()->Assign(items);
        UpdateText();
    }
    int RowsVisible() const { return FList->RowsVisible(); }
    void SetRowsVisible(int v) { FList->SetRowsVisible(v); }
    bool ValuesVisible() const { return FList->GetValuesVisible(); }
    void SetValuesVisible(bool v) { FList->SetValuesVisible(v); }
    bool FlatScrollBars() const { return FList->FlatScrollBars(); }
    void SetFlatScrollBars(bool v) { FList->SetFlatScrollBars(v); }
    TSortType SortType() const { return FList->SortType(); }
    void SetSortType(TSortType v) { FList->SetSortType(v); }
    bool HideListOnSelect() const { return FHideListOnSelect; }
    void SetHideListOnSelect(bool v) { FHideListOnSelect = v && ListType() == clsSingleSelection; }
    TColor ColorFocus() const { return FColorFocus; }
    void SetColorFocus(TColor c) { FColorFocus = c; }
    TColor ColorNoFocus() const { return FColorNoFocus; }
    void SetColorNoFocus(TColor c);

    bool GetDroppedDown() const { return FList->DroppedDown(); }
    void SetDroppedDown(bool on);
    void hideDropped() override { SetDroppedDown(false); }
    bool haseDropped() const override { return GetDroppedDown(); }
    bool isFocusHandle(const TWinControl* handle) const override;
    bool FocusedBox() const;

    String GetCheckedText() const;
    // Shows the ticked captions; a box without items shows nothing, and a
    // read-only box shows its text from the start.
    void UpdateText();
    void BtnClick();
    void DoDblClick();

    TCCheckListView* List() const { return FList; }
    TButton* Button() const { return FButton; }

    TNotifyEvent OnListShow;
    TNotifyEvent OnListHide;
    TICheckedEvent OnItemChecked;

    void SetParent(TWinControl* p) override;
    void KeyDown(uint16_t& Key, TShiftState Shift) override;
    void KeyUp(uint16_t& Key, TShiftState Shift) override;
    void KeyPress(char32_t& Key) override;
    void DblClick() override;
    void DoEnter() override;
    void DoExit() override;
    bool UpdateEditRect(TRect& rect) override;

protected:
    void Change() override;
    void Loaded() override;
    void Resize() override;

private:
    friend class TCCheckListView;
    TCCheckListView* FList;
    TButton* FButton;
    uint64_t FDisabled = 0;
    bool FHideListOnSelect = false;
    bool FSelfChange = false;
    TColor FColorFocus = clWindow;
    TColor FColorNoFocus = clBtnFace;
};
