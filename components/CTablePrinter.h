// Table printing: rows of word-wrapped, filled and framed cells laid out
// between page margins given in millimetres, asked row by row from a
// callback; and the page and export settings a list view publishes.
#pragma once

#include <vector>

#include "platform/framework/Printers.h"

class TCPrintedCell {
public:
    TCPrintedCell(const String& text, int alignment, float widthShare, TColor background, const TFont* font);
    ~TCPrintedCell();
    TCPrintedCell(const TCPrintedCell&) = delete;
    TCPrintedCell& operator=(const TCPrintedCell&) = delete;
    void SetFont(const TFont* font);
    TFont* Font() const { return FFont; }

    String Text;
    int Alignment;  // 0 left, 1 right, 2 centre
    TColor BgColor;
    TColor FrameColor = clNone;
    uint8_t PenStyle = 0;
    int PenWidth = 1;
    float WidthShare;  // share of the row's width; all 0 are equal shares, one 0 among others no room
    int PixelWidth = -1;

private:
    TFont* FFont;
};

class TCCellsList {
public:
    TCCellsList() = default;
    ~TCCellsList() { FreeAll(); }
    TCCellsList(const TCCellsList&) = delete;
    TCCellsList& operator=(const TCCellsList&) = delete;
    TCPrintedCell* AddCell(const String& text, int alignment, float widthShare, TColor background, const TFont* font);
    TCPrintedCell* At(int i) const { return FCells.at(size_t(i)); }
    int Count() const { return int(FCells.size()); }
    void FreeAll();

private:
    std::vector<TCPrintedCell*> FCells;
};

enum TCCellTypes { ctPageHeader = 0, ctTitle = 1, ctTableHeader = 2, ctDataRow = 3, ctPageFooter = 4 };

class TCTablePrinter;
using TFGetRowEvent = std::function<void(TObject* Sender, TCCellTypes CellType, int rowNumber, bool& CancelPrint)>;

class TCTablePrinter : public TComponent {
    DECLARE_CLASS(TCTablePrinter)
    explicit TCTablePrinter(TComponent* AOwner);
    ~TCTablePrinter() override;

    // Prints the whole table on the framework's printer.
    void Print();
    TCPrintedCell* AddCell(const String& text, int alignment, float widthShare, TColor background);
    bool GetRow(TCCellTypes type, int row);
    bool PrintRow(TCCellTypes type);
    bool NewPage();
    bool PrintPageTitles();
    int CalcRowHeight();
    int CalcCellHeight(TCPrintedCell* cell);
    void PrintCell(TCPrintedCell* cell, int rowHeight);
    void CalcPageRect();
    void BeginDoc();
    void EndDoc();
    void Abort();
    double PhisicalWidth() const;
    double PhisicalHeight() const;
    int MeasureUnitToPixelsHorz(float mm) const;
    int MeasureUnitToPixelsVert(float mm) const;
    bool GetIsPrinting() const;
    bool GetAvailable() const;
    const TCCellsList& Cells() const { return FCells; }
    int PageNumber() const { return FPageNumber; }

    int TopMargin() const { return FTopMargin; }
    void SetTopMargin(int v) {
        if (!GetIsPrinting()) FTopMargin = v;
    }
    int BottomMargin() const { return FBottomMargin; }
    void SetBottomMargin(int v) {
        if (!GetIsPrinting()) FBottomMargin = v;
    }
    int LeftMargin() const { return FLeftMargin; }
    void SetLeftMargin(int v) {
        if (!GetIsPrinting()) FLeftMargin = v;
    }
    int RightMargin() const { return FRightMargin; }
    void SetRightMargin(int v) {
        if (!GetIsPrinting()) FRightMargin = v;
    }
    int HorSpace() const { return FHorSpace; }
    void SetHorSpace(int v) {
        if (!GetIsPrinting()) FHorSpace = v;
    }
    int VertSpace() const { return FVertSpace; }
    void SetVertSpace(int v) {
        if (!GetIsPrinting()) FVertSpace = v;
    }
    String Title() const { return FTitle; }
    void SetTitle(const String& v) { FTitle = v; }
    bool PrintHeader() const { return FPrintHeader; }
    void SetPrintHeader(bool v) { FPrintHeader = v; }
    bool PrintFooter() const { return FPrintFooter; }
    void SetPrintFooter(bool v) { FPrintFooter = v; }
    bool RepeatTableHeader() const { return FRepeatTableHeader; }
    void SetRepeatTableHeader(bool v) { FRepeatTableHeader = v; }
    TColor FrameColor() const { return FFrameColor; }
    void SetFrameColor(TColor v) { FFrameColor = v; }
    TFont* PrintFont() const { return FPrintFont; }
    void SetPrintFont(TFont* f) { FPrintFont->Assign(f); }
    bool PrintTableHeader() const { return FPrintTableHeader; }
    void SetPrintTableHeader(bool v);
    bool PrintTitle() const { return FPrintTitle; }
    void SetPrintTitle(bool v) { FPrintTitle = v; }

    TFGetRowEvent OnGetRow;
    TNotifyEvent OnBeginDoc, OnEndDoc, OnAbortDoc, OnNewPage;

private:
    int FTopMargin = 20, FBottomMargin = 20, FLeftMargin = 25, FRightMargin = 20;
    int FHorSpace = 1, FVertSpace = 1;
    String FTitle;
    bool FPrintHeader = false, FPrintFooter = false, FRepeatTableHeader = false;
    bool FPrintTableHeader = false, FPrintTitle = false;
    TColor FFrameColor = clNone;
    TFont* FPrintFont;
    TCCellsList FCells;
    int FPageNumber = 1;
    int FLeft = 0, FTop = 0, FRight = 0, FBottom = 0;
    int FRowTop = 0, FHSpace = 0, FVSpace = 0, FX = 0, FY = 0, FRowWidth = 0;
    int FDataRowsOnPage = 0;
};

// The page settings of a list view: each property is its printer's.
class TTblPrintSettings : public TPersistent {
    DECLARE_CLASS(TTblPrintSettings)
    explicit TTblPrintSettings(TCTablePrinter* printer) : FPrinter(printer) {}
    TCTablePrinter* Printer() const { return FPrinter; }
    String JobTitle() const { return FPrinter->Title(); }
    void SetJobTitle(const String& v) { FPrinter->SetTitle(v); }

private:
    TCTablePrinter* FPrinter;
};

// Colours, fonts and title of a list view's printing and HTML export.
class TTblExportsSettings : public TPersistent {
    DECLARE_CLASS(TTblExportsSettings)
    explicit TTblExportsSettings(TCTablePrinter* printer);
    ~TTblExportsSettings() override;
    TFont* BodyFont() const { return FBodyFont; }
    void SetBodyFont(TFont* f);  // the printer's PrintFont follows
    TColor BorderColor() const { return FBorderColor; }
    void SetBorderColor(TColor c);  // the printer's FrameColor follows
    TColor HeaderColor() const { return FHeaderColor; }
    void SetHeaderColor(TColor c) { FHeaderColor = c; }
    TColor BodyColor() const { return FBodyColor; }
    void SetBodyColor(TColor c) { FBodyColor = c; }
    TFont* HeaderFont() const { return FHeaderFont; }
    void SetHeaderFont(TFont* f) { FHeaderFont->Assign(f); }
    TFont* TitleFont() const { return FTitleFont; }
    void SetTitleFont(TFont* f) { FTitleFont->Assign(f); }
    String ExportTitle() const { return FExportTitle; }
    void SetExportTitle(const String& v);  // the printer prints a title row when not empty
private:
    TCTablePrinter* FPrinter;
    TFont* FBodyFont;
    TColor FBorderColor = clBlack;
    TColor FHeaderColor = clNavy;
    TColor FBodyColor = clWhite;
    TFont* FHeaderFont;
    TFont* FTitleFont;
    String FExportTitle;
};
