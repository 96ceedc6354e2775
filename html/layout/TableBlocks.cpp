#include "html/layout/TableBlocks.h"

#include "html/layout/Document.h"
#include "html/layout/Tables.h"

// ---- table blocks

TTableBlock::TTableBlock(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, THtmlTable* ATable, int32_t)
    : TBlock(Parent, Attr, Prop), Table(ATable) {
    // Still to come: the table's defaults in a property copy, ALIGN, BACKGROUND, BGCOLOR, HEIGHT, HSPACE,
    // VSPACE and WIDTH.
}

TTableBlock::TTableBlock(TCellBasic* Parent, const TTableBlock& Source)
    : TBlock(Parent, Source), WidthAttr(Source.WidthAttr), AsPercent(Source.AsPercent), BkColor(Source.BkColor),
      BkGnd(Source.BkGnd), HSpace(Source.HSpace), VSpace(Source.VSpace), HasCaption(Source.HasCaption),
      TableIndent(Source.TableIndent) {
    Table = MyCell->Count() > 0 ? dynamic_cast<THtmlTable*>(MyCell->GetItem(0)) : nullptr;
}

std::unique_ptr<TSectionBase> TTableBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TTableBlock(Parent, *this));
}

int32_t TTableBlock::GetBorderWidth() {
    // Still to come: the table's border width.
    return TBlock::GetBorderWidth();
}

void TTableBlock::MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    // Still to come: the table's requested width taken in.
    TBlock::MinMaxWidth(Canvas, Min, Max);
}

int32_t TTableBlock::FindWidth(TCanvas*, int32_t, int32_t, int32_t) {
    // Still to come: the table's width from its attribute, style and column widths.
    return 0;
}

int32_t TTableBlock::FindWidth1(TCanvas*, int32_t, int32_t) {
    // Still to come: the width inside a caption wrapper.
    return 0;
}

int32_t TTableBlock::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                                int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth,
                                int32_t& Curs) {
    // Still to come: a table that does not float placed between the floats.
    return TBlock::DrawLogic1(Canvas, X, Y, XRef, YRef, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
}

int32_t TTableBlock::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                           int32_t YRef) {
    return TBlock::Draw1(Canvas, ARect, IMgr, X + TableIndent, XRef, YRef);
}

void TTableBlock::AddSectionsToList() {
    if (Table) Table->AddSectionsToList();
}

// ---- table and caption

TTableAndCaptionBlock::TTableAndCaptionBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop,
                                             TTableBlock* ATableBlock)
    : TBlock(Parent, Attributes, Prop, TBlockRole::TableAndCaption), TableBlock(ATableBlock) {
    TagClass = u"TableAndCaption.";
    // Still to come: ALIGN, the id kept for the table and the margins taken from the table block.
}

TTableAndCaptionBlock::TTableAndCaptionBlock(TCellBasic* Parent, const TTableAndCaptionBlock& Source)
    : TBlock(Parent, Source), TopCaption(Source.TopCaption) {
    TagClass = u"TableAndCaption.";
    if (MyCell->Count() >= 2) {
        FCaptionBlock = dynamic_cast<TBlock*>(MyCell->GetItem(TopCaption ? 0 : 1));
        TableBlock = dynamic_cast<TTableBlock*>(MyCell->GetItem(TopCaption ? 1 : 0));
    }
}

std::unique_ptr<TSectionBase> TTableAndCaptionBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TTableAndCaptionBlock(Parent, *this));
}

void TTableAndCaptionBlock::CancelUsage() {
    // Still to come: the table's id moved to the table block.
}

int32_t TTableAndCaptionBlock::FindWidth(TCanvas*, int32_t, int32_t, int32_t) {
    // Still to come: the wider of table and caption, placed by alignment.
    return 0;
}

void TTableAndCaptionBlock::MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) {
    // Still to come: the table's and the caption's widths.
    Min = 0;
    Max = 0;
}

int32_t TTableAndCaptionBlock::FindDocPos(int32_t, bool) {
    // Still to come: caption and table asked in the order of Prev.
    return -1;
}

void TTableAndCaptionBlock::SetCaptionBlock(TBlock* Value) {
    FCaptionBlock = Value;
    if (TableBlock) TableBlock->HasCaption = true;
}
