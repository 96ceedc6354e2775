#pragma once
// The blocks the parser makes for particular elements: lists and list items
// with their markers, the body, horizontal rules, field sets with their
// legend, and the page-break marker. Each changes one part of the block's
// behaviour.
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/Blocks.h"

class ThtFont;

// The text of a numbered list marker, without its period: decimal; letters
// a..z, aa, ab, ...; roman numerals from 1 to 3999. Numbers the style cannot
// show (below 1, and roman above 3999) are written in decimal.
std::u16string ListMarkerText(ThtBulletStyle Style, int32_t Number);

// OL, UL, DIR, MENU and DL.
class TListBlock : public TBlock {
public:
    using TBlock::TBlock;
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;

protected:
    TListBlock(TCellBasic* Parent, const TListBlock& Source);
};

class TBlockLI : public TBlock {
public:
    // Sy: the list element (or LI for an item outside a list); APlain: the
    // list's PLAIN attribute; AIndexType: the TYPE character; ListLevel: the
    // nesting depth (1 for an item of an outermost list).
    TBlockLI(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop, TElemSymb Sy, bool APlain,
             char16_t AIndexType, int32_t AListNumb, int32_t ListLevel);
    ~TBlockLI() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;

    ThtListType ListType() const { return FListType; }
    int32_t ListNumb() const { return FListNumb; }
    ThtBulletStyle ListStyleType() const { return FListStyleType; }
    void SetListStyleType(ThtBulletStyle v) { FListStyleType = v; }
    ThtFont* ListFont() const { return FListFont.get(); }
    // Keeps a copy of the font.
    void SetListFont(const ThtFont* Value);

    ThtListType FListType = ThtListType::None;
    int32_t FListNumb = 0;
    ThtBulletStyle FListStyleType = lbBlank;
    std::unique_ptr<ThtFont> FListFont;
    std::unique_ptr<TImageObj> Image;  // the list-style image
    int32_t FirstLineHt = 0;           // baseline Y of the first line (the text writes it)

protected:
    TBlockLI(TCellBasic* Parent, const TBlockLI& Source);
};

class TBodyBlock : public TBlock {
public:
    TBodyBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop);

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;
    ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                           TFormControlObjBase*& FormControl, std::u16string* ATitle) override;

protected:
    TBodyBlock(TCellBasic* Parent, const TBodyBlock& Source);
};

class THRBlock : public TBlock {
public:
    using TBlock::TBlock;
    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    int32_t FindWidth(TCanvas* Canvas, int32_t AWidth, int32_t AHeight, int32_t AutoCount) override;

    ThtJustify Align = ThtJustify::Centered;
    TSectionBase* MyHRule = nullptr;  // the rule in the block's cell (set by the parser)

protected:
    THRBlock(TCellBasic* Parent, const THRBlock& Source);
};

class THorzLine : public TSectionBase {
public:
    THorzLine(TCellBasic* Parent, TAttributeList* L, TProperties* Prop);

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;
    void CopyToClipboard() override;

    int32_t VSize = 2;  // thickness
    TColor Color = clNone;
    ThtJustify Align = ThtJustify::Centered;
    bool UseDefBorder = false;  // no border style: the default bevel
    bool NoShade = false;
    int32_t Width = 0, Indent = 0;  // from layout

protected:
    THorzLine(TCellBasic* Parent, const THorzLine& Source);
};

class TFieldsetBlock : public TBlock {
public:
    TFieldsetBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop);
    ~TFieldsetBlock() override;

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    void ContentMinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) override;
    void ConvMargArray(int32_t BaseWidth, int32_t BaseHeight, int32_t& AutoCount) override;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;

    TBlockCell* Legend() const { return FLegend.get(); }
    std::unique_ptr<TBlockCell> FLegend;  // the LEGEND's sections, on the top border

protected:
    TFieldsetBlock(TCellBasic* Parent, const TFieldsetBlock& Source);
};

// A page break.
class TPage : public TSectionBase {
public:
    TPage(TCellBasic* Parent, TAttributeList* L, TProperties* Prop);

    std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const override;
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;

protected:
    TPage(TCellBasic* Parent, const TPage& Source);
};
