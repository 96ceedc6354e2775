// The package's report list view: sorting by a clicked column with header
// pictures, searching rows (whole row, caption or one column; forward or
// backward) with the found row highlighted, copying the selected rows,
// printing through its own table printer and exporting an HTML table.
#pragma once

#include "components/CTablePrinter.h"
#include "platform/framework/ListView.h"

class TCAdvancedListView;

using TFCompareColumItems =
    std::function<int(TCAdvancedListView* Sender, const String& Item1, const String& Item2, int ColumnNumber)>;
using TFOnSortItems = std::function<void(TObject* Sender)>;
using TFValueNotFound = std::function<void(TCAdvancedListView* Sender, const String& Value)>;
using TFGetPHeaderFooterEvent = std::function<void(TObject* Sender, TCTablePrinter* Printer, bool& CancelPrint)>;

// Shows a cursor (the hourglass by default) while it lives.
class TCursorSetter {
public:
    explicit TCursorSetter(TCursor cursor = crHourGlass);
    ~TCursorSetter();
    TCursorSetter(const TCursorSetter&) = delete;
    TCursorSetter& operator=(const TCursorSetter&) = delete;

private:
    TCursor FOld;
};

class TCAdvancedListView : public TListView {
    DECLARE_CLASS(TCAdvancedListView)
    explicit TCAdvancedListView(TComponent* AOwner);
    ~TCAdvancedListView() override;

    // Sorting
    int SortColumn() const { return FSortColumn; }
    void SetSortColumn(int n);
    int SortIncrImageIndex() const { return FSortIncr; }
    void SetSortIncrImageIndex(int v) { FSortIncr = v; }
    int SortDecrImageIndex() const { return FSortDecr; }
    void SetSortDecrImageIndex(int v) { FSortDecr = v; }
    bool SortGrown() const { return FSortGrown; }
    void SetSortGrown(bool v) { FSortGrown = v; }
    String GetSortColumnCaption() const;
    void SetSortColumnCaption(const String& caption);
    void doSort(bool changed);
    virtual void sortItems();
    // The row comparison (the list's compare handler).
    int lvCompare(TListItem* Item1, TListItem* Item2) const;
    void SortDialog();
    TListColumn* GetAColumn(int n) const { return Column(n); }

    // Searching
    bool SearchTextEx(const String& text, bool FromStart, bool Forward, bool Next, int Column);
    bool SearchText(const String& text, bool FromStart, bool Forward, bool Next);
    bool SearchNext();
    bool SearchPrev();
    bool SearchItemDialog(bool withColumns, const char* historyName);
    TListItem* searchItem(TListItem* start, bool forward) const;
    bool compareItem(int index) const;
    bool containSubString(const String& text, const String& search) const;
    String GetFindString() const { return FSearch; }
    void SetFindString(const String& v) { FSearch = v; }
    bool GetSearchFrom() const { return FFromStart; }
    void SetSearchFrom(bool v) { FFromStart = v; }
    bool GetSearchDirection() const { return FForward; }
    void SetSearchDirection(bool v) { FForward = v; }
    int SearchInColumn() const { return FSearchInColumn; }
    void SetSearchInColumn(int v) { FSearchInColumn = v; }
    bool FindIgnoreCase() const { return FFindIgnoreCase; }
    void SetFindIgnoreCase(bool v) { FFindIgnoreCase = v; }
    bool GetSeachNextEnabled() const;
    bool GetSeachPrevEnabled() const;
    int FoundRow() const { return FFound; }

    // Selection and clipboard
    String item2String(const TListItem* item) const;
    void copySelectionToClipboard();
    void SelectAll() override;
    void ClearSelection() override;
    int countSelected() const;
    void ansiSetSubItemsText(TListItem* item, const char* text);
    void KeyDown(uint16_t& Key, TShiftState Shift) override;

    // Printing and export
    TCTablePrinter* TablePrinter() const { return FPrinter; }
    TTblPrintSettings* PrinterSettings() const { return FPrintSettings; }
    TTblExportsSettings* ExportsSettings() const { return FExportSettings; }
    String GetTitle() const { return FExportSettings->ExportTitle(); }
    void SetTitle(const String& v) { FExportSettings->SetExportTitle(v); }
    void GerPrintRow(TObject* Sender, TCCellTypes type, int row, bool& CancelPrint);
    int CalcRowWidth();
    void Print(const char* title);
    void DefPrint();
    // 0 on success, -1 when the file cannot be written.
    int SaveToHTML_Ex(const String& fileName, const char* prefix, const char* suffix);
    int SaveToHTML(const String& fileName) { return SaveToHTML_Ex(fileName, nullptr, nullptr); }
    // Asks for the file; a file that cannot be written is reported.
    void SaveToHTML(const char* prefix, const char* suffix);

    TNotifyEvent OnBeginDoc, OnEndDoc, OnAbortDoc, OnNewPage;
    TFGetPHeaderFooterEvent OnGetPageHeader, OnGetPageFooter, OnPrintTitle;
    TFCompareColumItems OnColumnsCompare;
    TFOnSortItems OnSortItems;
    TFValueNotFound OnValueNotFound;

protected:
    void ColClick(TListColumn* Column) override;
    bool CustomDrawItem(TListItem* Item, TCustomDrawState State, TCustomDrawStage Stage) override;
    void Change(TListItem* Item, TItemChange Change) override;

private:
    void CreatePrinter();
    int FSortColumn = -1, FSortIncr = -1, FSortDecr = -1;
    bool FSortGrown = true;
    String FSearch;
    bool FFromStart = true, FForward = true, FFindIgnoreCase = true;
    int FSearchInColumn = -1;
    int FFound = -1;
    int FTotalWidth = 0;
    bool FBusy = false;
    TCTablePrinter* FPrinter = nullptr;
    TTblPrintSettings* FPrintSettings = nullptr;
    TTblExportsSettings* FExportSettings = nullptr;
};
