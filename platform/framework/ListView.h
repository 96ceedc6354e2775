// The list view: rows of a caption and sub-items under report columns, with
// check boxes, owner data, single or multiple selection, sorting and
// per-row custom drawing.
//
// Selection and the focused row live in the view; ticks, texts and data in
// the items. OnChanging is asked before a tick or a caption changes and may
// refuse it; OnChange follows every tick, text, selection and focus change.
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/framework/Controls.h"

class TListView;
class TListItems;
class TCustomImageList;
class ListViewModel;
class ListViewWidget;

enum TViewStyle { vsIcon, vsSmallIcon, vsList, vsReport };
extern const TEnumInfo ViewStyleInfo;
enum TSortType { stNone, stData, stText, stBoth };
extern const TEnumInfo SortTypeInfo;
enum TItemChange { ctText, ctImage, ctState };
enum TCustomDrawStage { cdPrePaint, cdPostPaint, cdPreErase, cdPostErase };
using TCustomDrawState = uint32_t;
constexpr TCustomDrawState cdsSelected = 1, cdsGrayed = 2, cdsDisabled = 4, cdsChecked = 8, cdsFocused = 16,
                           cdsDefault = 32, cdsHot = 64;
enum TItemState { isNone, isCut, isDropHilited, isFocused, isSelected, isActivating };
using TItemStates = uint32_t;
constexpr TItemStates isSet(TItemState s) { return 1u << s; }

class TListColumn : public TCollectionItem {
    DECLARE_CLASS(TListColumn)
    explicit TListColumn(TCollection* c);
    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    int Width() const { return FWidth; }
    void SetWidth(int v);
    TAlignment Alignment() const { return FAlignment; }
    void SetAlignment(TAlignment v);
    // Picture in the header, from the list view's SmallImages; -1 none.
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    // Auto-sized columns share the width the other columns leave.
    bool AutoSize() const { return FAutoSize; }
    void SetAutoSize(bool v);
    intptr_t Tag() const { return FTag; }
    void SetTag(intptr_t v) { FTag = v; }
    String DisplayName() const override { return FCaption; }
    void Assign(TPersistent* Source) override;

private:
    friend class TListView;
    void Changed();
    String FCaption;
    int FWidth = 50;
    TAlignment FAlignment = taLeftJustify;
    int FImageIndex = -1;
    bool FAutoSize = false;
    intptr_t FTag = 0;
};

class TListColumns : public TCollection {
    DECLARE_CLASS(TListColumns)
    explicit TListColumns(TListView* owner);
    TListColumn* Add() { return static_cast<TListColumn*>(TCollection::Add()); }
    TListColumn* Items(int i) const { return static_cast<TListColumn*>(TCollection::Items(i)); }
    TListView* Owner() const { return FView; }

protected:
    void Update(TCollectionItem* item) override;

private:
    TListView* FView;
};

class TListItem : public TPersistent {
    DECLARE_CLASS(TListItem)
    explicit TListItem(TListItems* owner);
    ~TListItem() override;
    TListItems* Owner() const { return FOwner; }
    TListView* ListView() const;
    int Index() const;
    String Caption() const { return FCaption; }
    void SetCaption(const String& v);
    // Sub-item i shows in column i + 1.
    TStrings* SubItems() const { return FSubItems; }
    void SetSubItems(TStrings* s);
    void* Data() const { return FData; }
    void SetData(void* d) { FData = d; }
    int ImageIndex() const { return FImageIndex; }
    void SetImageIndex(int v);
    bool Checked() const { return FChecked; }
    // Asks OnChanging first; a refused change leaves the tick.
    void SetChecked(bool v);
    bool Selected() const;
    void SetSelected(bool v);
    bool Focused() const;
    void SetFocused(bool v);
    void MakeVisible(bool PartialOK);
    void Delete();
    void Assign(TPersistent* Source) override;

private:
    friend class TListItems;
    friend class TListView;
    void subItemsChanged();
    TListItems* FOwner;
    String FCaption;
    TStringList* FSubItems;
    void* FData = nullptr;
    int FImageIndex = -1;
    bool FChecked = false;
    int FIndex = -1;  // owner-data items: the row they stand for
};

class TListItems : public TPersistent {
    DECLARE_CLASS(TListItems)
    explicit TListItems(TListView* owner);
    ~TListItems() override;
    TListView* Owner() const { return FView; }
    int Count() const;
    // Owner data: the number of rows the view asks OnData for.
    void SetCount(int n);
    TListItem* Item(int i) const;  // null out of range
    TListItem* operator[](int i) const { return Item(i); }
    TListItem* Add();
    TListItem* Insert(int i);
    void Delete(int i);
    void Clear();
    int IndexOf(const TListItem* item) const;
    void BeginUpdate();
    void EndUpdate();
    void Assign(TPersistent* Source) override;

private:
    friend class TListView;
    friend class TListItem;
    friend class ListViewModel;
    TListView* FView;
    std::vector<TListItem*> FItems;
    int FOwnerCount = 0;
    TListItem* FTemp = nullptr;  // the owner-data item handed out last
    int FUpdate = 0;
    bool FDirty = false;  // rows changed while updating
};

using TLVChangeEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change)>;
using TLVChangingEvent = std::function<void(TObject* Sender, TListItem* Item, TItemChange Change, bool& AllowChange)>;
using TLVColumnClickEvent = std::function<void(TObject* Sender, TListColumn* Column)>;
using TLVCompareEvent =
    std::function<void(TObject* Sender, TListItem* Item1, TListItem* Item2, int Data, int& Compare)>;
using TLVCustomDrawItemEvent =
    std::function<void(TObject* Sender, TListItem* Item, TCustomDrawState State, bool& DefaultDraw)>;
using TLVAdvancedCustomDrawItemEvent = std::function<void(TObject* Sender, TListItem* Item, TCustomDrawState State,
                                                          TCustomDrawStage Stage, bool& DefaultDraw)>;
using TLVOwnerDataEvent = std::function<void(TObject* Sender, TListItem* Item)>;
using TLVSelectItemEvent = std::function<void(TObject* Sender, TListItem* Item, bool Selected)>;

class TListView : public TWinControl {
    DECLARE_CLASS(TListView)
    explicit TListView(TComponent* AOwner);
    ~TListView() override;

    TListColumns* Columns() const { return FColumns; }
    void SetColumns(TListColumns* c) { FColumns->Assign(c); }
    // The column shown at position n (columns are not reordered here), or null.
    TListColumn* Column(int n) const;
    TListItems* Items() const { return FItems; }
    void SetItems(TListItems* s) { FItems->Assign(s); }

    TViewStyle ViewStyle() const { return FViewStyle; }
    void SetViewStyle(TViewStyle v) { FViewStyle = v; }
    bool Checkboxes() const { return FCheckboxes; }
    void SetCheckboxes(bool v);
    bool MultiSelect() const { return FMultiSelect; }
    void SetMultiSelect(bool v);
    bool ReadOnly() const { return FReadOnly; }
    void SetReadOnly(bool v) { FReadOnly = v; }
    bool RowSelect() const { return FRowSelect; }
    void SetRowSelect(bool v);
    bool ShowColumnHeaders() const { return FShowColumnHeaders; }
    void SetShowColumnHeaders(bool v);
    bool GridLines() const { return FGridLines; }
    void SetGridLines(bool v);
    bool HideSelection() const { return FHideSelection; }
    void SetHideSelection(bool v) {
        FHideSelection = v;
        Invalidate();
    }
    bool ColumnClick() const { return FColumnClick; }
    void SetColumnClick(bool v);
    bool FlatScrollBars() const { return FFlatScrollBars; }
    void SetFlatScrollBars(bool v) { FFlatScrollBars = v; }
    bool BorderNone() const { return FBorderNone; }
    void SetBorderNone(bool v);
    TSortType SortType() const { return FSortType; }
    void SetSortType(TSortType v);
    bool OwnerData() const { return FOwnerData; }
    void SetOwnerData(bool v);
    TCustomImageList* SmallImages() const { return FSmallImages; }
    void SetSmallImages(TCustomImageList* v);

    TListItem* Selected() const;        // the first selected row, or null
    void SetSelected(TListItem* item);  // that row alone (null: none)
    TListItem* ItemFocused() const;
    void SetItemFocused(TListItem* item);
    int ItemIndex() const;
    void SetItemIndex(int i);
    int SelCount() const;
    bool IsRowSelected(int row) const;
    void SetRowSelected(int row, bool v);
    int FocusedRow() const;  // -1 when none
    void SetFocusedRow(int row);
    // The next row after `start` (-1: from the first) in the given states, or -1.
    int GetNextItemIndex(int start, TItemStates states) const;
    virtual void SelectAll();
    virtual void ClearSelection();

    // Sorts by OnCompare (or captions for stText, data for stData).
    bool AlphaSort();
    // Stable sort by a comparison of two rows (negative, zero, positive).
    bool CustomSort(const std::function<int(TListItem*, TListItem*)>& compare);
    // The first row after `start` (-1: from the first) whose caption equals
    // the text (or starts with it, when partial), without regard to case.
    TListItem* FindCaption(int start, const String& text, bool partial, bool inclusive, bool wrap) const;
    TListItem* GetItemAt(int X, int Y) const;
    // The client rectangle of a row (empty when it is not laid out).
    TRect ItemRect(int row) const;
    int VisibleRowCount() const;
    TListItem* TopItem() const;
    // Text height of one row on the list's font.
    int RowHeight() const;
    void AutoSizeColumns();
    // Canvas of the custom-draw handlers: set its font and brush for the row.
    TCanvas* Canvas() const { return FCanvas; }

    TLVChangeEvent OnChange;
    TLVChangingEvent OnChanging;
    TLVColumnClickEvent OnColumnClick;
    TLVCompareEvent OnCompare;
    TLVCustomDrawItemEvent OnCustomDrawItem;
    TLVAdvancedCustomDrawItemEvent OnAdvancedCustomDrawItem;
    TLVOwnerDataEvent OnData;
    TLVSelectItemEvent OnSelectItem;

    // Internal: rows of the widget.
    int RowCount() const { return FItems->Count(); }
    TListItem* RowItem(int row) const { return FItems->Item(row); }
    QWidget* ViewportWidget() const;

protected:
    virtual bool CanChange(TListItem* Item, TItemChange Change);
    virtual void Change(TListItem* Item, TItemChange Change);
    virtual void ColClick(TListColumn* Column);
    // Decides whether a row draws; handlers may set the canvas font and brush.
    virtual bool CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage);
    // A press on a row's check box; the default toggles the tick.
    virtual void CheckBoxPressed(TListItem* Item);
    void Notification(TComponent* AComponent, TOperation Operation) override;
    void ApplyColor() override;
    void ApplyFont() override;

private:
    friend class TListItem;
    friend class TListItems;
    friend class TListColumns;
    friend class ListViewModel;
    friend class ListViewWidget;
    friend class ListViewDelegate;
    void rowsReset();
    void rowChanged(int row);
    void columnsChanged();
    void sortIfNeeded();
    void selectionChanged(int row, bool selected);
    void focusChanged(int row);
    int defaultCompare(TListItem* a, TListItem* b) const;
    ListViewWidget* view() const;
    TListColumns* FColumns;
    TListItems* FItems;
    TCanvas* FCanvas;
    ListViewModel* FModel;
    TCustomImageList* FSmallImages = nullptr;
    TViewStyle FViewStyle = vsIcon;
    TSortType FSortType = stNone;
    bool FCheckboxes = false, FMultiSelect = false, FReadOnly = false, FRowSelect = false;
    bool FShowColumnHeaders = true, FGridLines = false, FHideSelection = true, FColumnClick = true;
    bool FFlatScrollBars = false, FOwnerData = false, FBorderNone = false;
    int FSyncing = 0;
    int FLastFocused = -1;
};
