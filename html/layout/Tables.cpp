#include "html/layout/Tables.h"

#include "html/layout/Blocks.h"
#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"

TSpecWidth MakeSpecFromText(int32_t, std::u16string_view) {
    // Still to come: percentages, multipliers and pixels by the text.
    return TSpecWidth();
}

void SetupCell(TCellObj&, int32_t, std::u16string_view, const PtPositionRec&, bool) {
    // Still to come: paddings, borders, spaces and the row's background image.
}

// ---- slots

void TCellObjBase::AssignTo(TCellObjBase& Destin) const {
    Destin.FColSpan = FColSpan;
    Destin.FRowSpan = FRowSpan;
    Destin.FHzSpace = FHzSpace;
    Destin.FVrSpace = FVrSpace;
    Destin.FSpecWd = FSpecWd;
    Destin.FSpecHt = FSpecHt;
}

TDummyCellObj::TDummyCellObj(int32_t RSpan) {
    FColSpan = 0;
    FRowSpan = RSpan;
}

std::unique_ptr<TCellObjBase> TDummyCellObj::Clone(TBlock*) const {
    auto copy = std::make_unique<TDummyCellObj>(FRowSpan);
    AssignTo(*copy);
    return copy;
}

TCellObj::TCellObj(TBlock* Parent, ThtAlignmentStyle AVAlign, TAttributeList*, TProperties*)
    : FVAlign(AVAlign), FCell(std::make_unique<TCellObjCell>(Parent)) {
    // Still to come: spans, sizes, colours, background, paddings and borders from the tag and its style.
}

TCellObj::TCellObj(TBlock* Parent, const TCellObj& T) : FCell(std::make_unique<TCellObjCell>(Parent, *T.FCell)) {
    T.AssignTo(*this);
}

TCellObj::~TCellObj() = default;

std::unique_ptr<TCellObjBase> TCellObj::Clone(TBlock* Parent) const {
    return std::unique_ptr<TCellObjBase>(new TCellObj(Parent, *this));
}

void TCellObj::AssignTo(TCellObjBase& Destin) const {
    TCellObjBase::AssignTo(Destin);
    // Still to come: the cell's own fields, and its background when backgrounds print.
}

void TCellObj::DrawCell(TCanvas*, const TRect&, int32_t, int32_t, int32_t, int32_t, bool, TColor, TColor) {
    // Still to come: background, content and borders of the cell.
}

void TCellObj::DrawLogicInRow(TCanvas*, int32_t, int32_t, int32_t, int32_t&) {
    // Still to come: the content placed by vertical alignment.
}

// ---- rows

TCellList::TCellList(TAttributeList*, TProperties*) : TFreeList<TCellObjBase>(true) {
    // Still to come: BACKGROUND, BGCOLOR and HEIGHT of the row and its style.
}

TCellList::TCellList(TBlock* Parent, const TCellList& T)
    : TFreeList<TCellObjBase>(true), BreakBefore(T.BreakBefore), BreakAfter(T.BreakAfter), KeepIntact(T.KeepIntact),
      RowType(T.RowType) {
    for (int i = 0; i < T.Count(); ++i) {
        const TCellObjBase* slot = T.Items(i);
        TFreeList::Add(slot ? slot->Clone(Parent).release() : nullptr);
    }
}

void TCellList::Add(TCellObjBase* CellObj) {
    // Still to come: the row's page breaks and height specification merged into the cell.
    TFreeList::Add(CellObj);
}

void TCellList::Initialize() {
    // Still to come: the row colour given to cells without one.
}

int32_t TCellList::DrawLogicA(TCanvas*, const TIntArray&, int32_t, int32_t, int32_t, int32_t, int32_t,
                              int32_t& Desired, bool& Spec, bool& More) {
    // Still to come: the cells of the span measured.
    Desired = 0;
    Spec = false;
    More = false;
    return 0;
}

void TCellList::DrawLogicB(TCanvas*, int32_t, int32_t, int32_t, int32_t&) {
    // Still to come: every cell placed in the row.
}

int32_t TCellList::Draw(TCanvas*, ThtDocument*, const TRect&, const TIntArray&, int32_t, int32_t Y, int32_t,
                        int32_t, int32_t, bool, TColor, TColor, int32_t) {
    // Still to come: the row's cells and its page-break rules.
    return Y + RowHeight;
}

// ---- tables

THtmlTable::THtmlTable(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop)
    : TSectionBase(Parent, Attr, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdTable;
    // Still to come: BORDER, colours, CELLPADDING, CELLSPACING, FRAME, RULES and border spacing.
}

THtmlTable::THtmlTable(TCellBasic* Parent, const THtmlTable& Source)
    : TSectionBase(Parent, Source), Initialized(Source.Initialized), BorderWidth(Source.BorderWidth),
      brdWidthAttr(Source.brdWidthAttr), HasBorderWidthAttr(Source.HasBorderWidthAttr), Frame(Source.Frame),
      Rules(Source.Rules), Float(Source.Float), NumCols(Source.NumCols), TableWidth(Source.TableWidth),
      tblWidthAttr(Source.tblWidthAttr), CellPadding(Source.CellPadding), CellSpacingHorz(Source.CellSpacingHorz),
      CellSpacingVert(Source.CellSpacingVert), HSpace(Source.HSpace), VSpace(Source.VSpace),
      BorderColor(Source.BorderColor), BorderColorLight(Source.BorderColorLight),
      BorderColorDark(Source.BorderColorDark) {
    TBlock* block = OwnerBlock();
    for (int i = 0; i < Source.Rows.Count(); ++i) Rows.Add(new TCellList(block, *Source.Rows.Items(i)));
    if (Source.FColSpecs) {
        FColSpecs = std::make_unique<TColSpecList>();
        for (int i = 0; i < Source.FColSpecs->Count(); ++i)
            FColSpecs->Add(new TColSpec(*Source.FColSpecs->GetItem(i)));
    }
    // Still to come: the per-column arrays sized and the background copied when backgrounds print.
}

THtmlTable::~THtmlTable() = default;

std::unique_ptr<TSectionBase> THtmlTable::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new THtmlTable(Parent, *this));
}

void THtmlTable::DoColumns(int32_t, const TSpecWidth&, ThtAlignmentStyle, std::u16string_view) {
    // Still to come: the column specifications appended.
}

void THtmlTable::InitializeGrid() {
    // Still to come: the rows made into a rectangular grid.
}

void THtmlTable::GatherColumnWidths(TCanvas*) {
    // Still to come: the minimum and maximum width of every column.
}

int32_t THtmlTable::FindTableWidth(TCanvas*, TIndentManager*, int32_t) {
    // Still to come: the column widths for the room.
    return 0;
}

void THtmlTable::FindRowHeights(TCanvas*, int32_t) {
    // Still to come: the row heights.
}

int32_t THtmlTable::LayOutRows(TCanvas*, int32_t, int32_t, int32_t&) {
    // Still to come: the rows and cells placed.
    return 0;
}

void THtmlTable::MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) {
    // Still to come: the sums of the column widths.
    Min = 0;
    Max = 0;
}

int32_t THtmlTable::DrawLogic1(TCanvas*, int32_t, int32_t Y, int32_t, int32_t, int32_t, int32_t, int32_t,
                               TIndentManager*, int32_t& MaxWidth, int32_t& Curs) {
    // Still to come: the table's widths and row heights.
    YDraw = DrawTop = ContentTop = ContentBot = DrawBot = Y;
    StartCurs = Curs;
    MaxWidth = 0;
    SectionHeight = DrawHeight = 0;
    return 0;
}

int32_t THtmlTable::Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t) {
    // Still to come: the rows, and the header and footer repeated when printing.
    return YDraw + SectionHeight;
}

ThtguResultType THtmlTable::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                   TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    // Still to come: the cell at the point answers.
    return TSectionBase::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
}

bool THtmlTable::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    // Still to come: the cell at the point asked first.
    return TSectionBase::PtInObject(X, Y, Obj, IX, IY);
}

int32_t THtmlTable::FindCursor(TCanvas*, int32_t, int32_t, int32_t&, int32_t&, int32_t&, bool& Intext) {
    // Still to come: the cell at the point.
    Intext = false;
    return -1;
}

bool THtmlTable::CursorToXY(TCanvas*, int32_t, int32_t&, int32_t&) {
    // Still to come: the cell that holds the position.
    return false;
}

bool THtmlTable::GetChAtPos(int32_t, char16_t& Ch, TSectionBase*& Obj) {
    // Still to come: the cell that holds the position.
    Ch = 0;
    Obj = nullptr;
    return false;
}

int32_t THtmlTable::FindString(int32_t, std::u16string_view, bool) {
    // Still to come: the cells in order.
    return -1;
}

int32_t THtmlTable::FindStringR(int32_t, std::u16string_view, bool) {
    // Still to come: the cells backwards.
    return -1;
}

int32_t THtmlTable::FindSourcePos(int32_t) {
    // Still to come: the cells in order.
    return -1;
}

int32_t THtmlTable::FindDocPos(int32_t, bool) {
    // Still to come: the cells in order, or backwards with Prev.
    return -1;
}

void THtmlTable::CopyToClipboard() {
    // Still to come: every cell's content in order.
}
