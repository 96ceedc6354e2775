#pragma once
// The block box: an element with margins, borders and paddings around a
// cell of child sections; its margins collapse with its neighbours while the
// document is read, it reports its minimum and maximum width, resolves its
// content width, lays its children out with floats, clearance and
// positioning, and paints its background, children and borders.
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/Backgrounds.h"
#include "html/layout/Cells.h"
#include "html/layout/FloatManager.h"
#include "html/layout/HtmlNodes.h"
#include "html/text/Margins.h"

class TImageObj;

class TBlock : public TBlockBase {
public:
    TBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop);
    ~TBlock() override;

    // The width "medium" and default borders convert to.
    virtual int32_t GetBorderWidth();
    virtual void ContentMinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max);
    // MargArrayO into MargArray but for the vertical margins; AutoCount: the
    // auto values among width, left and right margin.
    virtual void ConvMargArray(int32_t BaseWidth, int32_t BaseHeight, int32_t& AutoCount);
    virtual void DrawBlockBorder(TCanvas* Canvas, const TRect& ORect, const TRect& IRect);
    // The content width.
    virtual int32_t FindWidth(TCanvas* Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount);

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    ThtDisplayStyle GetOuterDisplay() const override;
    ThtDisplayStyle GetInnerDisplay() const override;
    bool CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) override;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;
    int32_t FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt,
                       bool& Intext) override;
    int32_t FindDocPos(int32_t SourcePos, bool Prev) override;
    int32_t FindSourcePos(int32_t DocPos) override;
    int32_t FindString(int32_t From, std::u16string_view ToFind, bool MatchCase) override;
    int32_t FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase) override;
    bool GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) override;
    ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                           TFormControlObjBase*& FormControl, std::u16string* ATitle) override;
    bool PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) override;
    void AddSectionsToList() override;
    void CopyToClipboard() override;
    void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) override;

    // The top margin collapses with the predecessor (while the block is made).
    void CollapseMargins();
    // The bottom margin collapses with the last child (at the end tag).
    void CollapseBottomMargins();
    // The painting order of the children by z-index (once, after the first layout).
    void DrawSort();
    void DrawBlock(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t Y, int32_t XRef,
                   int32_t YRef);
    void DrawTheList(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef, int32_t YRef);

    std::unique_ptr<TBlockCell> MyCell;
    ThtVMarginArray MargArrayO;  // the property values BackgroundColor..BorderSpacingVert
    std::unique_ptr<TImageObj> BGImage;
    std::u16string BlockTitle;
    ThtMarginArray MargArray{};  // the same in pixels
    int32_t EmSize = 0, ExSize = 0;
    TColor FGColor = clNone;
    bool HasBorderStyle = false;
    ThtClearStyle ClearAttr = clrNone;
    PtPositionRec PRec;
    ThtVisibilityStyle Visibility = viInherit;
    bool BottomAuto = false;  // the bottom margin is the automatic paragraph margin
    bool BreakBefore = false, BreakAfter = false, KeepIntact = false;
    bool HideOverflow = false;
    ThtJustify Justify = ThtJustify::Left;
    int32_t ContentWidth = 0;
    int32_t ClearAddon = 0;
    bool NeedDoImageStuff = false;
    ThtTiledBackground Tiled;         // the tiled background (image, mask, NoMask)
    std::unique_ptr<TBitmap> FullBG;  // scratch bitmap for colour and image
    int32_t TopP = 0, LeftP = 0;
    TSectionBaseList DrawList{false};  // the children in painting order
    int32_t ClientContentBot = 0;
    TRect MyRect;                            // the border box last painted, canvas coordinates
    std::unique_ptr<TIndentManager> MyIMgr;  // own float manager of a positioned or floating block
    TIndentManager* RefIMgr = nullptr;       // the float manager of the flow around it

protected:
    // What a block stands for, where its making differs: the body hands its
    // background to the document; a table block collapses its top margin
    // itself once its width attributes are read, and takes silver as its
    // default border colour in quirks mode; the caption wrapper of a table
    // never collapses and has no background image of its own.
    enum class TBlockRole { Plain, Body, Table, TableAndCaption };
    TBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop, TBlockRole Role);
    // Copies MargArray and the fields after it up to Justify, the cell (by
    // copy), MargArrayO and BlockTitle; the background image only when the
    // document prints backgrounds.
    TBlock(TCellBasic* Parent, const TBlock& Source);

private:
    // The background colour and tiled image of the padding box's visible band.
    void DrawBackground(TCanvas* Canvas, const TRect& PBox, int32_t VisTop, int32_t VisHeight, int32_t ImgOffset);
    // While printing: whether the block ends the page instead of being drawn.
    bool EndsPageHere(const TRect& ARect);
};

// The pixel value of an auto width or side margin (and of an unset offset).
inline bool IsAutoPixels(int32_t V) { return V == NoValueSentinel || V == AutoSentinel; }

// Two adjoining margins: both negative, the more negative; both not, the
// larger; one of each, their sum.
int32_t CombineMargins(int32_t A, int32_t B);
