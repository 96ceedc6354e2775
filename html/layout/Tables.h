#pragma once
// The table model: a table section owned by its table block, its rows of
// cell slots (real cells with a content cell, and fillers for grid places
// covered by a span), the rectangular grid, column widths, row heights, and
// drawing, printing and hit testing over the cells.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "html/layout/Backgrounds.h"
#include "html/layout/Cells.h"
#include "html/layout/HtmlNodes.h"
#include "html/layout/TableHelpers.h"
#include "html/text/Margins.h"

class TBlock;
class THtmlTable;
class TImageObj;

// The state of printing a table whose header and footer rows repeat.
enum class TTablePart { Normal, DoHead, DoBody1, DoBody2, DoBody3, DoFoot };
struct TTablePartRec {
    TTablePart TablePart = TTablePart::Normal;
    int32_t PartStart = 0;  // document Y where the next part to print starts
    int32_t PartHeight = 0;
    int32_t FootHeight = 0;
};

enum class TRowType { THead, TBody, TFoot };

// Bounds that keep hostile tables finite: spans beyond these ask for more
// grid places than any page holds; specified widths, heights and
// multipliers beyond 10^6 pixels are taken as 10^6, so that sums of them
// stay far from overflowing; layout and drawing refuse tables nested deeper
// than the parser builds them.
constexpr int32_t MaxColSpan = 1000;
constexpr int32_t MaxRowSpan = 65534;
constexpr int32_t MaxSpecExtent = 1000000;
constexpr int32_t MaxTableNestLevel = 51;
enum TTableFrame { tfVoid, tfAbove, tfBelow, tfHSides, tfLhs, tfRhs, tfVSides, tfBox, tfBorder };
enum TTableRules { trNone, trGroups, trRows, trCols, trAll };

// "%" gives a percentage (at most 100, in tenths), "*" a multiplier, else pixels.
TSpecWidth MakeSpecFromText(int32_t Value, std::u16string_view Text);

class TCellObjBase {
public:
    virtual ~TCellObjBase() = default;
    TCellObjBase(const TCellObjBase&) = delete;
    TCellObjBase& operator=(const TCellObjBase&) = delete;

    virtual TCellObjCell* GetCell() const = 0;
    virtual void DrawCell(TCanvas* Canvas, const TRect& ARect, int32_t X, int32_t Y, int32_t CellSpacingHorz,
                          int32_t CellSpacingVert, bool Border, TColor Light, TColor Dark) = 0;
    virtual void DrawLogicInRow(TCanvas* Canvas, int32_t Y, int32_t CellSpacingHorz, int32_t CellSpacingVert,
                                int32_t& Curs) = 0;
    // A copy for the table block Parent of a print copy.
    virtual std::unique_ptr<TCellObjBase> Clone(TBlock* Parent) const = 0;
    // Copies spans, spaces and declared sizes.
    virtual void AssignTo(TCellObjBase& Destin) const;

    TCellObjCell* Cell() const { return GetCell(); }
    int32_t ColSpan() const { return FColSpan; }
    int32_t RowSpan() const { return FRowSpan; }

    int32_t FColSpan = 1, FRowSpan = 1;
    int32_t FHzSpace = 0;  // horizontal padding and border of the cell
    int32_t FVrSpace = 0;  // vertical padding and border
    TSpecWidth FSpecWd, FSpecHt;

protected:
    TCellObjBase() = default;
};

// A grid place covered by another cell's span.
class TDummyCellObj : public TCellObjBase {
public:
    explicit TDummyCellObj(int32_t RSpan);
    TCellObjCell* GetCell() const override { return nullptr; }
    void DrawCell(TCanvas*, const TRect&, int32_t, int32_t, int32_t, int32_t, bool, TColor, TColor) override {}
    void DrawLogicInRow(TCanvas*, int32_t, int32_t, int32_t, int32_t&) override {}
    std::unique_ptr<TCellObjBase> Clone(TBlock* Parent) const override;
};

class TCellObj : public TCellObjBase {
public:
    // Parent: the table block; AVAlign: the row's or column's default.
    TCellObj(TBlock* Parent, ThtAlignmentStyle AVAlign, TAttributeList* Attr, TProperties* Prop);
    ~TCellObj() override;

    TCellObjCell* GetCell() const override { return FCell.get(); }
    void DrawCell(TCanvas* Canvas, const TRect& ARect, int32_t X, int32_t Y, int32_t CellSpacingHorz,
                  int32_t CellSpacingVert, bool Border, TColor Light, TColor Dark) override;
    void DrawLogicInRow(TCanvas* Canvas, int32_t Y, int32_t CellSpacingHorz, int32_t CellSpacingVert,
                        int32_t& Curs) override;
    std::unique_ptr<TCellObjBase> Clone(TBlock* Parent) const override;
    void AssignTo(TCellObjBase& Destin) const override;

    int32_t FWd = 0;       // width of the cell's columns with the horizontal spacing
    int32_t FHt = 0;       // height of the cell's rows
    int32_t FVSize = 0;    // height of the laid-out content
    int32_t FYIndent = 0;  // offset of the content from vertical alignment
    ThtAlignmentStyle FVAlign = aMiddle;
    int32_t FEmSize = 0, FExSize = 0;
    PtPositionRec FPRec;
    TRect FPad;  // paddings
    TRect FBrd;  // border widths
    bool FHideOverflow = false;
    bool FHasBorderStyle = false;
    bool FShowEmptyCells = false;
    std::unique_ptr<TCellObjCell> FCell;
    bool NeedDoImageStuff = false;
    std::unique_ptr<TImageObj> BGImage;
    ThtTiledBackground Tiled;
    std::unique_ptr<TBitmap> FullBG;
    ThtMarginArray MargArray{};
    ThtVMarginArray MargArrayO;
    bool BreakBefore = false, BreakAfter = false, KeepIntact = false;

    // Lays the content out at y 0 to learn its height (VSize): once per
    // layout pass of the document for a given width and available height;
    // a second request with the same ones answers the height found then.
    int32_t MeasureContent(TCanvas* Canvas, int32_t Width, int32_t AHeight);

protected:
    // The content cell copied for Parent (the rest through AssignTo).
    TCellObj(TBlock* Parent, const TCellObj& T);

private:
    // The last measuring layout: the document's layout cycle and the room given.
    int32_t FMeasuredCycle = -1, FMeasuredWidth = 0, FMeasuredHeight = 0;
};

// One row: its cell slots (owned).
class TCellList : public TFreeList<TCellObjBase> {
public:
    TCellList(TAttributeList* Attr, TProperties* Prop);
    // A copy for the table block Parent of a print copy.
    TCellList(TBlock* Parent, const TCellList& T);

    // Appends a slot; a cell takes the row's page breaks and declared height.
    void Add(TCellObjBase* CellObj);
    // A row colour reaches the cells without one.
    void Initialize();
    TCellObjBase* GetCellObj(int Index) const { return Index >= 0 && Index < Count() ? Items(Index) : nullptr; }
    // Measures the cells of row span Span; answers the row's minimum height.
    int32_t DrawLogicA(TCanvas* Canvas, const TIntArray& Widths, int32_t Span, int32_t CellSpacingHorz,
                       int32_t CellSpacingVert, int32_t AHeight, int32_t Rows, int32_t& Desired, bool& Spec,
                       bool& More);
    void DrawLogicB(TCanvas* Canvas, int32_t Y, int32_t CellSpacingHorz, int32_t CellSpacingVert, int32_t& Curs);
    // Answers Y + RowHeight.
    int32_t Draw(TCanvas* Canvas, ThtDocument* Document, const TRect& ARect, const TIntArray& Widths, int32_t X,
                 int32_t Y, int32_t YOffset, int32_t CellSpacingHorz, int32_t CellSpacingVert, bool Border,
                 TColor Light, TColor Dark, int32_t MyRow);

    int32_t RowHeight = 0;
    TSpecWidth SpecRowHeight;
    int32_t RowSpanHeight = 0;  // the tallest height of a cell starting here
    bool BkGnd = false;
    TColor BkColor = clNone;
    std::u16string BkImage;
    PtPositionRec APRec;
    bool BreakBefore = false, BreakAfter = false, KeepIntact = false;
    TRowType RowType = TRowType::TBody;
};

class TRowList : public TFreeList<TCellList> {
public:
    TRowList() : TFreeList<TCellList>(true) {}
    TCellList* GetItem(int Index) const { return Index >= 0 && Index < Count() ? Items(Index) : nullptr; }
};

class THtmlTable : public TSectionBase {
public:
    THtmlTable(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop);
    ~THtmlTable() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    // Appends min(Count, 10000) column declarations.
    void DoColumns(int32_t Count, const TSpecWidth& SpecWidth, ThtAlignmentStyle VAlign, std::u16string_view Align);
    // Turns the rows into a rectangular grid (once).
    void InitializeGrid();
    void GatherColumnWidths(TCanvas* Canvas);
    // The table width for the room at Y; fills Widths.
    int32_t FindTableWidth(TCanvas* Canvas, TIndentManager* IMgr, int32_t Y);
    void FindRowHeights(TCanvas* Canvas, int32_t AHeight);
    int32_t LayOutRows(TCanvas* Canvas, int32_t Y, int32_t AHeight, int32_t& Curs);

    void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) override;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;
    ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                           TFormControlObjBase*& FormControl, std::u16string* ATitle) override;
    bool PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) override;
    int32_t FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt,
                       bool& Intext) override;
    bool CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) override;
    bool GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) override;
    int32_t FindString(int32_t From, std::u16string_view ToFind, bool MatchCase) override;
    int32_t FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase) override;
    int32_t FindSourcePos(int32_t DocPos) override;
    int32_t FindDocPos(int32_t SourcePos, bool Prev) override;
    void CopyToClipboard() override;

    TColSpecList* ColSpecs() const { return FColSpecs.get(); }
    int32_t TableHeight() const { return SectionHeight; }

    std::unique_ptr<TTablePartRec> TablePartRec{std::make_unique<TTablePartRec>()};
    int32_t HeaderHeight = 0, HeaderRowCount = 0, FootHeight = 0, FootStartRow = -1, FootOffset = 0;
    int32_t BodyBreak = 0;
    bool HeadOrFoot = false;
    std::unique_ptr<TColSpecList> FColSpecs;
    TIntArray Percents, Multis, MaxWidths, MinWidths;  // per column
    TIntegerPerWidthType ColumnCounts{};
    TWidthTypeArray ColumnSpecs;  // width type per column
    TRowList Rows;
    bool Initialized = false;
    int32_t BorderWidth = 0;
    int32_t brdWidthAttr = 0;
    bool HasBorderWidthAttr = false;
    TTableFrame Frame = tfVoid;
    TTableRules Rules = trNone;
    bool Float = false;
    int32_t NumCols = 0;
    int32_t TableWidth = 0;
    int32_t tblWidthAttr = 0;  // the table block's width in pixels, 0 when not given
    int32_t CellPadding = 1;
    int32_t CellSpacingHorz = 2, CellSpacingVert = 2;
    int32_t HSpace = 0, VSpace = 0;
    TColor BorderColor = clBtnFace, BorderColorLight = clBtnHighlight, BorderColorDark = clBtnShadow;
    int32_t DrawX = 0;
    bool BkGnd = false;
    TColor BkColor = clNone;
    TIntArray Widths, Heights;

protected:
    THtmlTable(TCellBasic* Parent, const THtmlTable& Source);

private:
    // The layout cycle of the document whose column widths were gathered
    // (they depend on the content alone, so one gathering serves a pass).
    int32_t FGatheredCycle = -1;
    // The column widths Heights were found for.
    TIntArray FHeightsWidths;
    // The rows drawn plainly from row First to row Last, the first at Y.
    int32_t DrawRows(TCanvas* Canvas, const TRect& ARect, int First, int Last, int32_t X, int32_t Y);
    // The header and footer repeated on printed pages; see Draw1.
    void DrawPrintedParts(TCanvas* Canvas, const TRect& ARect, int32_t X, int32_t Y);
    // The header and footer can repeat on pages of ARect's height and leave
    // room for the body rows.
    bool PartsFitPage(const TRect& ARect) const;
    // The slot's cell whose box holds the point (document Y), or null.
    TCellObj* CellAt(int32_t X, int32_t Y) const;
};

// Paddings, borders and spaces of a cell, and the row's background image
// for a cell without one.
void SetupCell(TCellObj& Cell, int32_t CellPadding, std::u16string_view BkImage, const PtPositionRec& APRec,
               bool Border);
