#pragma once
// The blocks around a table: the table block gives a table the margins,
// borders, background, float and alignment of a block and resolves its
// width; a table with a caption is wrapped, with its caption block, in a
// table-and-caption block.
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/Blocks.h"

class THtmlTable;
class TProperties;

// The property set a table block is made from: a copy of the table
// element's set with the table's defaults where the element sets nothing
// (border colours from BORDERCOLOR, else grey with a BORDER attribute;
// border spacing from the cell spacing; border widths from BORDER; border
// styles from FRAME, or from BORDER without one).
std::unique_ptr<TProperties> MakeTableBlockProperties(const TProperties& Prop, const THtmlTable& Table,
                                                      TAttributeList* Attr);

class TTableBlock : public TBlock {
public:
    // ATable becomes the first and only section of the block's cell (the parser adds it).
    TTableBlock(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, THtmlTable* ATable, int32_t TableLevel);

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    int32_t GetBorderWidth() override;
    void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) override;
    int32_t FindWidth(TCanvas* Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount) override;
    // Converts the margin array; a style sheet's width above 0 then
    // replaces the WIDTH attribute (done while the block is made).
    void ApplyStyleWidth();
    // The caption wrapper's form: answers the width with borders and paddings.
    int32_t FindWidth1(TCanvas* Canvas, int32_t AWidth, int32_t ExtMarg);
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;
    // The table, not the cell's sections.
    void AddSectionsToList() override;
    // The block answers for the id (its caption wrapper gave it up).
    void TakeID(const std::u16string& ID) { RegisterName(ID); }

    THtmlTable* Table = nullptr;  // lives in the block's cell
    int32_t WidthAttr = 0;        // tenths of a percent when AsPercent, else pixels
    bool AsPercent = false;
    TColor BkColor = clNone;  // from BGCOLOR
    bool BkGnd = false;
    int32_t HSpace = 0, VSpace = 0;
    bool HasCaption = false;  // the block sits in a table-and-caption block
    int32_t TableIndent = 0;  // offset from the X given to the room between floats

protected:
    TTableBlock(TCellBasic* Parent, const TTableBlock& Source);
};

class TTableAndCaptionBlock : public TBlock {
public:
    TTableAndCaptionBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop, TTableBlock* ATableBlock);

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    // The wrapper is not used: its id goes to the table block.
    void CancelUsage();
    int32_t FindWidth(TCanvas* Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount) override;
    void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) override;
    int32_t FindDocPos(int32_t SourcePos, bool Prev) override;

    TBlock* CaptionBlock() const { return FCaptionBlock; }
    // Also tells the table block it has a caption.
    void SetCaptionBlock(TBlock* Value);

    bool TopCaption = true;
    TTableBlock* TableBlock = nullptr;  // in the wrapper's cell
    TBlock* FCaptionBlock = nullptr;    // in the wrapper's cell
    std::u16string TableID;

protected:
    TTableAndCaptionBlock(TCellBasic* Parent, const TTableAndCaptionBlock& Source);
};
