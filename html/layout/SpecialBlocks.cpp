#include "html/layout/SpecialBlocks.h"

#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/Fonts.h"

// ---- lists and list items

TListBlock::TListBlock(TCellBasic* Parent, const TListBlock& Source) : TBlock(Parent, Source) {}

std::unique_ptr<TSectionBase> TListBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TListBlock(Parent, *this));
}

TBlockLI::TBlockLI(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop, TElemSymb, bool, char16_t,
                   int32_t AListNumb, int32_t)
    : TBlock(Parent, Attributes, Prop), FListNumb(AListNumb) {
    // Still to come: the list kind, marker style, margin of a lone item, marker font and list-style image.
}

TBlockLI::TBlockLI(TCellBasic* Parent, const TBlockLI& Source)
    : TBlock(Parent, Source), FListType(Source.FListType), FListNumb(Source.FListNumb),
      FListStyleType(Source.FListStyleType) {
    SetListFont(Source.FListFont.get());
}

TBlockLI::~TBlockLI() = default;

std::unique_ptr<TSectionBase> TBlockLI::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TBlockLI(Parent, *this));
}

void TBlockLI::SetListFont(const ThtFont* Value) {
    if (!Value) {
        FListFont.reset();
        return;
    }
    if (!FListFont) FListFont = std::make_unique<ThtFont>();
    FListFont->Assign(const_cast<ThtFont*>(Value));
}

int32_t TBlockLI::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                             int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    // Still to come: the list-style image and the first-line baseline.
    return TBlock::DrawLogic1(Canvas, X, Y, XRef, YRef, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
}

int32_t TBlockLI::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                        int32_t YRef) {
    // Still to come: the marker after the block.
    return TBlock::Draw1(Canvas, ARect, IMgr, X, XRef, YRef);
}

// ---- body

TBodyBlock::TBodyBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop)
    : TBlock(Parent, Attributes, Prop) {
    Positioning = posStatic;
    // Still to come: the background image and colour handed to the document.
}

TBodyBlock::TBodyBlock(TCellBasic* Parent, const TBodyBlock& Source) : TBlock(Parent, Source) {}

std::unique_ptr<TSectionBase> TBodyBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TBodyBlock(Parent, *this));
}

int32_t TBodyBlock::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                               int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth,
                               int32_t& Curs) {
    // Still to come: the body's own layout across the manager's width.
    return TBlock::DrawLogic1(Canvas, X, Y, XRef, YRef, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
}

int32_t TBodyBlock::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                          int32_t YRef) {
    // Still to come: the children without background or border of the body's own.
    return TBlock::Draw1(Canvas, ARect, IMgr, X, XRef, YRef);
}

ThtguResultType TBodyBlock::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                   TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    // Still to come: the cell's answer, or the body's title anywhere.
    return TBlock::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
}

// ---- rules

THRBlock::THRBlock(TCellBasic* Parent, const THRBlock& Source) : TBlock(Parent, Source), Align(Source.Align) {
    // The rule is the copied cell's section where the source's was.
    if (Source.MyHRule) {
        const int i = Source.MyCell->IndexOf(Source.MyHRule);
        if (i >= 0 && i < MyCell->Count()) MyHRule = MyCell->GetItem(i);
    }
}

std::unique_ptr<TSectionBase> THRBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new THRBlock(Parent, *this));
}

int32_t THRBlock::FindWidth(TCanvas*, int32_t, int32_t, int32_t) {
    // Still to come: the rule's width, alignment and thickness.
    return 0;
}

THorzLine::THorzLine(TCellBasic* Parent, TAttributeList* L, TProperties* Prop) : TSectionBase(Parent, L, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdBlock;
    // Still to come: ALIGN, COLOR, NOSHADE, SIZE and WIDTH, and the style's border, colour and alignment.
}

THorzLine::THorzLine(TCellBasic* Parent, const THorzLine& Source)
    : TSectionBase(Parent, Source), VSize(Source.VSize), Color(Source.Color), Align(Source.Align),
      UseDefBorder(Source.UseDefBorder), NoShade(Source.NoShade) {}

std::unique_ptr<TSectionBase> THorzLine::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new THorzLine(Parent, *this));
}

int32_t THorzLine::DrawLogic1(TCanvas*, int32_t, int32_t Y, int32_t, int32_t, int32_t, int32_t, int32_t,
                              TIndentManager*, int32_t& MaxWidth, int32_t& Curs) {
    // Still to come: the rule's place between the floats.
    YDraw = DrawTop = ContentTop = ContentBot = DrawBot = Y;
    StartCurs = Curs;
    MaxWidth = 0;
    return 0;
}

int32_t THorzLine::Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t) {
    // Still to come: the coloured bar or the two-tone bevel.
    return YDraw + SectionHeight;
}

void THorzLine::CopyToClipboard() {
    // Still to come: a line break in the collected text.
}

// ---- field sets

TFieldsetBlock::TFieldsetBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop)
    : TBlock(Parent, Attributes, Prop), FLegend(std::make_unique<TBlockCell>(FDocument, this)) {
    HasBorderStyle = true;
    // Still to come: the default border and padding.
}

TFieldsetBlock::TFieldsetBlock(TCellBasic* Parent, const TFieldsetBlock& Source)
    : TBlock(Parent, Source), FLegend(std::make_unique<TBlockCell>(FDocument, this, *Source.FLegend)) {}

TFieldsetBlock::~TFieldsetBlock() = default;

std::unique_ptr<TSectionBase> TFieldsetBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TFieldsetBlock(Parent, *this));
}

void TFieldsetBlock::ContentMinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    // Still to come: the legend's widths taken in.
    TBlock::ContentMinMaxWidth(Canvas, Min, Max);
}

void TFieldsetBlock::ConvMargArray(int32_t BaseWidth, int32_t BaseHeight, int32_t& AutoCount) {
    // Still to come: the top grown so that the border runs through the legend's middle.
    TBlock::ConvMargArray(BaseWidth, BaseHeight, AutoCount);
}

int32_t TFieldsetBlock::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef,
                                   int32_t AWidth, int32_t AHeight, int32_t BlHt, TIndentManager* IMgr,
                                   int32_t& MaxWidth, int32_t& Curs) {
    // Still to come: the legend laid out first.
    return TBlock::DrawLogic1(Canvas, X, Y, XRef, YRef, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
}

int32_t TFieldsetBlock::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                              int32_t YRef) {
    // Still to come: the legend drawn and kept out of the border's clip.
    return TBlock::Draw1(Canvas, ARect, IMgr, X, XRef, YRef);
}

// ---- page breaks

TPage::TPage(TCellBasic* Parent, TAttributeList* L, TProperties* Prop) : TSectionBase(Parent, L, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdBlock;
}

TPage::TPage(TCellBasic* Parent, const TPage& Source) : TSectionBase(Parent, Source) {}

std::unique_ptr<TSectionBase> TPage::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TPage(Parent, *this));
}

int32_t TPage::DrawLogic1(TCanvas*, int32_t X, int32_t Y, int32_t, int32_t, int32_t, int32_t, int32_t,
                          TIndentManager*, int32_t& MaxWidth, int32_t& Curs) {
    StartCurs = Curs;
    Len = 0;
    SectionHeight = DrawHeight = 0;
    MaxWidth = 0;
    ContentTop = DrawTop = YDraw = ContentBot = DrawBot = Y;
    DrawRect = Rect(X, Y, X, Y);
    return 0;
}

int32_t TPage::Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t) {
    // Still to come: ending the printed page at the marker.
    return YDraw + SectionHeight;
}
