#include "html/layout/TableBlocks.h"

#include <algorithm>
#include <cstdlib>

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/Tables.h"
#include "html/text/HtmlColors.h"
#include "html/text/HtmlStrings.h"
#include "html/text/Properties.h"

namespace {

constexpr TColor TableBorderGrey = 8421504;  // 808080

bool sizeUnset(const ThtVariant& V) {
    if (VarIsEmpty(V) || VarIsNull(V)) return true;
    return VarIsOrdinal(V) && (VarInt(V) == AutoSentinel || VarInt(V) == NoValueSentinel);
}

int32_t sidesOf(const ThtMarginArray& M) {
    return M[BorderLeftWidth] + M[BorderRightWidth] + M[PaddingLeft] + M[PaddingRight];
}

// The block's own copy of the element's set (the parser's stack and style
// set go away after the parse).
std::shared_ptr<TProperties> ownCopy(const TProperties& P) {
    std::shared_ptr<TProperties> copy = TProperties::CreateCopy(P);
    copy->PropStack = nullptr;
    copy->PropStyle = nullptr;
    copy->PropSym = P.PropSym;
    return copy;
}

}  // namespace

std::unique_ptr<TProperties> MakeTableBlockProperties(const TProperties& Prop, const THtmlTable& Table,
                                                      TAttributeList* Attr) {
    std::unique_ptr<TProperties> p = TProperties::CreateCopy(Prop);
    p->PropSym = Prop.PropSym;
    // The table's own border colour is the one its BORDERCOLOR names: the
    // system colour a table starts with stands for none here.
    TColor color = Table.HasBorderWidthAttr ? TableBorderGrey : clNone;
    TAttribute* T = nullptr;
    TColor given = clNone;
    if (Attr && Attr->Find(BorderColorSy, T) && T && TryTextToColor(T->Name, false, given)) color = given;
    for (ThtPropertyIndex i : {BorderTopColor, BorderRightColor, BorderBottomColor, BorderLeftColor})
        p->SetPropertyDefault(i, int64_t(color));
    p->SetPropertyDefault(BorderSpacingHorz, int64_t(Table.CellSpacingHorz));
    p->SetPropertyDefault(BorderSpacingVert, int64_t(Table.CellSpacingVert));
    if (Table.HasBorderWidthAttr)
        for (ThtPropertyIndex i : {BorderTopWidth, BorderRightWidth, BorderBottomWidth, BorderLeftWidth})
            p->SetPropertyDefault(i, int64_t(Table.BorderWidth));
    auto styles = [&](ThtBorderStyle L, ThtBorderStyle Tp, ThtBorderStyle R, ThtBorderStyle B) {
        p->SetPropertyDefault(BorderLeftStyle, int64_t(L));
        p->SetPropertyDefault(BorderTopStyle, int64_t(Tp));
        p->SetPropertyDefault(BorderRightStyle, int64_t(R));
        p->SetPropertyDefault(BorderBottomStyle, int64_t(B));
    };
    switch (Table.Frame) {
    case tfAbove: styles(bssNone, bssSolid, bssNone, bssNone); break;
    case tfBelow: styles(bssNone, bssNone, bssNone, bssSolid); break;
    case tfLhs: styles(bssSolid, bssNone, bssNone, bssNone); break;
    case tfRhs: styles(bssNone, bssNone, bssSolid, bssNone); break;
    case tfHSides: styles(bssNone, bssSolid, bssNone, bssSolid); break;
    case tfVSides: styles(bssSolid, bssNone, bssSolid, bssNone); break;
    case tfBox:
    case tfBorder: styles(bssOutset, bssOutset, bssOutset, bssOutset); break;
    case tfVoid:
        if (Table.HasBorderWidthAttr) {
            const ThtBorderStyle s = Table.BorderWidth > 0 ? bssOutset : bssNone;
            styles(s, s, s, s);
        }
        break;
    }
    return p;
}

// ---- table blocks

TTableBlock::TTableBlock(TCellBasic* Parent, TAttributeList* Attr, TProperties* Prop, THtmlTable* ATable, int32_t)
    : TBlock(Parent, Attr, Prop && ATable ? MakeTableBlockProperties(*Prop, *ATable, Attr).get() : Prop,
             TBlockRole::Table),
      Table(ATable) {
    if (Prop) FProperties = ownCopy(*Prop);
    if (Table) Table->SetOwnerBlock(this);
    Justify = ThtJustify::NoJustify;
    for (int i = 0; Attr && i < Attr->Count(); ++i) {
        const TAttribute* T = Attr->GetAttribute(i);
        switch (T->Which) {
        case AlignSy: {
            const std::u16string a = UpperCaseString(T->Name);
            if (a == u"CENTER") Justify = ThtJustify::Centered;
            else if (a == u"LEFT" && Floating == aNone) Floating = aLeft;
            else if (a == u"RIGHT" && Floating == aNone) Floating = aRight;
            break;
        }
        case BackgroundSy:
            if (!BGImage && !T->Name.empty()) {
                BGImage = std::make_unique<TImageObj>(MyCell.get(), T->Name);
                // Tiled from the top left corner both ways.
                PRec.X = PositionRec{bpDim, 0, true, false};
                PRec.Y = PositionRec{bpDim, 0, true, false};
            }
            break;
        case BGColorSy: BkGnd = TryTextToColor(T->Name, false, BkColor); break;
        case HeightSy:
            if (sizeUnset(MargArrayO[piHeight])) MargArrayO[piHeight] = T->Name;
            break;
        case HSpaceSy: HSpace = std::min(std::abs(T->Value), 40); break;
        case VSpaceSy: VSpace = std::min(std::abs(T->Value), 200); break;
        case WidthSy:
            if (T->Name.find(u'%') != std::u16string::npos) {
                AsPercent = true;
                if (T->Value >= 1 && T->Value <= 100) WidthAttr = T->Value * 10;
            } else {
                WidthAttr = std::min(T->Value, MaxSpecExtent);
            }
            break;
        default: break;
        }
    }
    ApplyStyleWidth();
    CollapseMargins();
    if (Table) {
        Table->HSpace = HSpace;
        Table->VSpace = VSpace;
    }
    if (Floating != aNone) {
        if (Table) Table->Float = true;
        if (ZIndex == 0) ZIndex = 1;
    }
}

void TTableBlock::ApplyStyleWidth() {
    const int32_t borderWidth = Table && Table->BorderWidth > 0 ? Table->BorderWidth : 3;
    ConvertMargins(MargArrayO, 100, 0, EmSize, ExSize, borderWidth, MargArray);
    const int32_t cssWidth = MargArray[piWidth];
    if (cssWidth <= 0) return;
    if (VarStr(MargArrayO[piWidth]).find(u'%') != std::u16string::npos) {
        AsPercent = true;
        WidthAttr = int32_t(std::min<int64_t>(1000, int64_t(cssWidth) * 10));
    } else {
        WidthAttr = std::min(cssWidth, MaxSpecExtent);
        MargArray[piWidth] = WidthAttr - sidesOf(MargArray);
        MargArrayO[piWidth] = int64_t(MargArray[piWidth]);
        AsPercent = false;
    }
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

int32_t TTableBlock::GetBorderWidth() { return Table && Table->BorderWidth != 0 ? Table->BorderWidth : 3; }

void TTableBlock::MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    const int32_t tw = AsPercent ? 0 : std::max(0, WidthAttr - sidesOf(MargArray));
    if (Table) Table->tblWidthAttr = tw;
    TBlock::MinMaxWidth(Canvas, Min, Max);
    if (tw > 0) Min = Max = std::max(Min, tw);
}

int32_t TTableBlock::FindWidth(TCanvas* Canvas, int32_t AWidth, int32_t, int32_t) {
    ThtMarginArray& M = MargArray;
    if (HasCaption) {
        M[MarginLeft] = M[MarginRight] = 0;
    } else {
        for (int i : {MarginLeft, MarginRight})
            if (M[i] == NoValueSentinel || M[i] == AutoSentinel) M[i] = 0;
        if (Floating != aNone) {
            for (int i : {MarginLeft, MarginRight})
                if (M[i] == 0) M[i] = HSpace;
            for (int i : {MarginTop, MarginBottom})
                if (M[i] == 0) M[i] = VSpace;
        }
    }
    if (BkGnd && M[BackgroundColor] == clNone) M[BackgroundColor] = BkColor;
    if (Table) {
        Table->BkGnd = M[BackgroundColor] != clNone && !BGImage;
        Table->BkColor = M[BackgroundColor];
    }
    const int64_t ls = int64_t(M[MarginLeft]) + M[PaddingLeft] + M[BorderLeftWidth];
    const int64_t rs = int64_t(M[MarginRight]) + M[PaddingRight] + M[BorderRightWidth];
    if (!Table) return M[piWidth] = 0;
    if (!HasCaption) Table->tblWidthAttr = 0;

    int64_t width = 0;
    if (WidthAttr <= 0) {
        int32_t tMin = 0, tMax = 0;
        Table->MinMaxWidth(Canvas, tMin, tMax);
        int64_t mn = tMin, mx = tMax;
        int64_t p = 0;
        for (int32_t v : Table->Percents) p += v;
        p = std::min<int64_t>(1000, p);
        const int64_t avail = AWidth - ls - rs;
        if (p > 0) {
            mn = std::max(mn, avail * p / 1000);
            mx = std::max(mx, avail * p / 1000);
        }
        width = mx < avail ? mx : std::max(mn, avail);
    } else {
        if (!HasCaption) {
            const int64_t w0 =
                AsPercent ? int64_t(AWidth) * WidthAttr / 1000 - ls - rs : int64_t(WidthAttr) - sidesOf(M);
            Table->tblWidthAttr = int32_t(std::clamp<int64_t>(w0, INT32_MIN, FarBeyond));
            int32_t tMin = 0, tMax = 0;
            Table->MinMaxWidth(Canvas, tMin, tMax);
            Table->tblWidthAttr = int32_t(std::clamp<int64_t>(std::max<int64_t>(tMin, w0), 0, FarBeyond));
        }
        width = Table->tblWidthAttr;
    }
    M[piWidth] = int32_t(std::clamp<int64_t>(width, 0, FarBeyond));
    if (M[MarginLeft] == 0 && M[MarginRight] == 0 && ls + M[piWidth] + rs < AWidth) {
        const int32_t d = int32_t(AWidth - ls - M[piWidth] - rs);
        switch (Justify) {
        case ThtJustify::Left: M[MarginRight] = d; break;
        case ThtJustify::Centered:
            M[MarginLeft] = d / 2;
            M[MarginRight] = d - d / 2;
            break;
        case ThtJustify::Right: M[MarginLeft] = d; break;
        default: break;
        }
    }
    return M[piWidth];
}

int32_t TTableBlock::FindWidth1(TCanvas* Canvas, int32_t AWidth, int32_t ExtMarg) {
    ThtMarginArray& M = MargArray;
    M[MarginLeft] = M[MarginRight] = M[MarginTop] = M[MarginBottom] = 0;
    const int32_t bp = sidesOf(M);
    if (!Table) return bp;
    Table->tblWidthAttr = 0;
    int32_t tMin = 0, tMax = 0;
    int64_t width = 0;
    if (WidthAttr <= 0) {
        Table->MinMaxWidth(Canvas, tMin, tMax);
        width = int64_t(tMax) <= int64_t(AWidth) - bp ? tMax : std::max<int64_t>(tMin, int64_t(AWidth) - bp);
    } else {
        int64_t n = WidthAttr;
        if (AsPercent) n = std::min(int64_t(AWidth) * WidthAttr / 1000, int64_t(AWidth) - ExtMarg);
        Table->tblWidthAttr = int32_t(std::clamp<int64_t>(n - bp, INT32_MIN, FarBeyond));
        Table->MinMaxWidth(Canvas, tMin, tMax);
        width = std::max<int64_t>(tMin, n - bp);
        Table->tblWidthAttr = int32_t(std::clamp<int64_t>(width, 0, FarBeyond));
    }
    return int32_t(std::clamp<int64_t>(width + bp, 0, FarBeyond));
}

int32_t TTableBlock::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                                int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    TableIndent = 0;
    if (Floating != aNone || !IMgr)
        return TBlock::DrawLogic1(Canvas, X, Y, XRef, YRef, AWidth, AHeight, BlHt, IMgr, MaxWidth, Curs);
    // Placed in the room between the floats at Y.
    const int32_t left = std::max(X, IMgr->LeftIndent(Y));
    TableIndent = left - X;
    const int64_t width = std::min<int64_t>(int64_t(X) + AWidth, IMgr->RightSide(Y)) - left;
    return TBlock::DrawLogic1(Canvas, left, Y, XRef, YRef, int32_t(std::clamp<int64_t>(width, INT32_MIN, FarBeyond)),
                              AHeight, BlHt, IMgr, MaxWidth, Curs);
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
    if (TableBlock) Justify = TableBlock->Justify;
    TAttribute* T = nullptr;
    if (Attributes && Attributes->Find(AlignSy, T) && T) {
        const std::u16string a = UpperCaseString(T->Name);
        if (a == u"CENTER") Justify = ThtJustify::Centered;
        else if (a == u"LEFT" && Floating == aNone) Floating = aLeft;
        else if (a == u"RIGHT" && Floating == aNone) Floating = aRight;
    }
    T = nullptr;
    if (Attributes && Attributes->Find(IDSy, T) && T) TableID = T->Name;
    if (TableBlock) {
        MargArray[MarginTop] = TableBlock->MargArray[MarginTop];
        MargArray[MarginBottom] = TableBlock->MargArray[MarginBottom];
    }
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
    if (!TableID.empty() && TableBlock) TableBlock->TakeID(TableID);
}

int32_t TTableAndCaptionBlock::FindWidth(TCanvas* Canvas, int32_t AWidth, int32_t, int32_t) {
    ThtMarginArray& M = MargArray;
    for (int i : {BorderTopWidth, BorderRightWidth, BorderBottomWidth, BorderLeftWidth, PaddingTop, PaddingRight,
                  PaddingBottom, PaddingLeft})
        M[i] = 0;
    M[BackgroundColor] = clNone;
    HasBorderStyle = false;
    for (int i : {MarginLeft, MarginRight})
        if (M[i] == NoValueSentinel || M[i] == AutoSentinel) M[i] = 0;
    int32_t cMin = 0, cMax = 0;
    if (FCaptionBlock) FCaptionBlock->MinMaxWidth(Canvas, cMin, cMax);
    int32_t w = cMin;
    if (TableBlock) {
        TableBlock->Floating = aNone;
        if (TableBlock->Table) TableBlock->Table->Float = false;
        w = std::max(TableBlock->FindWidth1(Canvas, AWidth, M[MarginLeft] + M[MarginRight]), cMin);
    }
    if (w < AWidth && M[MarginLeft] == 0 && M[MarginRight] == 0) {
        const int32_t d = AWidth - w;
        if (Justify == ThtJustify::Centered) M[MarginLeft] = d / 2;
        else if (Justify == ThtJustify::Right) M[MarginLeft] = d;
    }
    if (TableBlock) TableBlock->Justify = ThtJustify::Centered;
    M[piWidth] = w;
    return w;
}

void TTableAndCaptionBlock::MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    int32_t tMin = 0, tMax = 0, cMin = 0, cMax = 0;
    if (TableBlock) TableBlock->MinMaxWidth(Canvas, tMin, tMax);
    if (FCaptionBlock) FCaptionBlock->MinMaxWidth(Canvas, cMin, cMax);
    Min = std::max(tMin, cMin);
    Max = std::max(tMax, cMin);
}

int32_t TTableAndCaptionBlock::FindDocPos(int32_t SourcePos, bool Prev) {
    TSectionBase* first = Prev ? static_cast<TSectionBase*>(TableBlock) : FCaptionBlock;
    TSectionBase* second = Prev ? static_cast<TSectionBase*>(FCaptionBlock) : TableBlock;
    for (TSectionBase* s : {first, second})
        if (s)
            if (const int32_t p = s->FindDocPos(SourcePos, Prev); p >= 0) return p;
    return -1;
}

void TTableAndCaptionBlock::SetCaptionBlock(TBlock* Value) {
    FCaptionBlock = Value;
    if (TableBlock) TableBlock->HasCaption = true;
}
