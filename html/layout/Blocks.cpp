#include "html/layout/Blocks.h"

#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"

TBlock::TBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop)
    : TBlockBase(Parent, 0, Attributes, Prop), MyCell(std::make_unique<TBlockCell>(FDocument, this)) {
    // Still to come: margins, background image, page breaks, z-index, own float manager, top-margin collapse,
    // overflow and justification from the property set.
}

TBlock::TBlock(TCellBasic* Parent, const TBlock& Source)
    : TBlockBase(Parent, Source), MargArrayO(Source.MargArrayO), BlockTitle(Source.BlockTitle),
      MargArray(Source.MargArray), EmSize(Source.EmSize), ExSize(Source.ExSize), FGColor(Source.FGColor),
      HasBorderStyle(Source.HasBorderStyle), ClearAttr(Source.ClearAttr), PRec(Source.PRec),
      Visibility(Source.Visibility), BottomAuto(Source.BottomAuto), BreakBefore(Source.BreakBefore),
      BreakAfter(Source.BreakAfter), KeepIntact(Source.KeepIntact), HideOverflow(Source.HideOverflow),
      Justify(Source.Justify) {
    MyCell = std::make_unique<TBlockCell>(FDocument, this, *Source.MyCell);
    // Still to come: the background image (when backgrounds print) and the own float manager.
}

TBlock::~TBlock() {
    // The children go before the block's own float manager and images.
    if (MyCell) MyCell->Clear();
}

std::unique_ptr<TSectionBase> TBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TBlock(Parent, *this));
}

int32_t TBlock::GetBorderWidth() { return 3; }

void TBlock::ContentMinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) { MyCell->MinMaxWidth(Canvas, Min, Max); }

void TBlock::ConvMargArray(int32_t, int32_t, int32_t& AutoCount) {
    // Still to come: the margin array converted to pixels.
    AutoCount = 0;
}

void TBlock::DrawBlockBorder(TCanvas*, const TRect&, const TRect&) {
    // Still to come: the block's border through DrawBorder.
}

int32_t TBlock::FindWidth(TCanvas*, int32_t, int32_t, int32_t) {
    // Still to come: the content width by the count of auto values.
    return 0;
}

ThtDisplayStyle TBlock::GetOuterDisplay() const {
    // Still to come: an inline block reporting its content's display.
    return TBlockBase::GetOuterDisplay();
}

ThtDisplayStyle TBlock::GetInnerDisplay() const {
    // Still to come: the content's display unless none.
    return TBlockBase::GetInnerDisplay();
}

bool TBlock::CursorToXY(TCanvas*, int32_t, int32_t&, int32_t&) {
    // Still to come: asking the cell.
    return false;
}

int32_t TBlock::DrawLogic1(TCanvas*, int32_t, int32_t Y, int32_t, int32_t, int32_t, int32_t, int32_t,
                           TIndentManager*, int32_t& MaxWidth, int32_t& Curs) {
    // Still to come: the block layout with floats, clearance and positioning.
    YDraw = DrawTop = ContentTop = ContentBot = DrawBot = Y;
    StartCurs = Curs;
    MaxWidth = 0;
    SectionHeight = DrawHeight = 0;
    return 0;
}

int32_t TBlock::Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t) {
    // Still to come: page-break decisions, background, children and border.
    return YDraw + SectionHeight;
}

int32_t TBlock::FindCursor(TCanvas*, int32_t, int32_t, int32_t&, int32_t&, int32_t&, bool& Intext) {
    // Still to come: the children, topmost first.
    Intext = false;
    return -1;
}

int32_t TBlock::FindDocPos(int32_t, bool) {
    // Still to come: asking the cell.
    return -1;
}

int32_t TBlock::FindSourcePos(int32_t) {
    // Still to come: asking the cell.
    return -1;
}

int32_t TBlock::FindString(int32_t, std::u16string_view, bool) {
    // Still to come: asking the cell.
    return -1;
}

int32_t TBlock::FindStringR(int32_t, std::u16string_view, bool) {
    // Still to come: asking the cell.
    return -1;
}

bool TBlock::GetChAtPos(int32_t, char16_t& Ch, TSectionBase*& Obj) {
    // Still to come: asking the cell.
    Ch = 0;
    Obj = nullptr;
    return false;
}

ThtguResultType TBlock::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                               TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    // Still to come: the cell's answer and the block's title.
    return TBlockBase::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
}

bool TBlock::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    // Still to come: the children, topmost first.
    return TBlockBase::PtInObject(X, Y, Obj, IX, IY);
}

void TBlock::AddSectionsToList() { MyCell->AddSectionsToList(); }

void TBlock::CopyToClipboard() {
    // Still to come: the cell's text and a line break after a paragraph.
}

void TBlock::MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) {
    // Still to come: the block's minimum and maximum width with its margins.
    Min = 0;
    Max = 0;
}

void TBlock::CollapseMargins() {
    // Still to come: the top margin collapsed with the predecessor.
}

void TBlock::CollapseBottomMargins() {
    // Still to come: the bottom margin collapsed with the last child.
}

void TBlock::DrawSort() {
    // Still to come: the painting order by z-index.
}

void TBlock::DrawBlock(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t, int32_t) {
    // Still to come: border box, background, clipping, children and border.
}

void TBlock::DrawTheList(TCanvas*, const TRect&, int32_t, int32_t, int32_t, int32_t) {
    // Still to come: the children painted in painting order.
}

int32_t CombineMargins(int32_t A, int32_t B) {
    // Still to come: the collapsing rule of two margins.
    (void)A;
    (void)B;
    return 0;
}
