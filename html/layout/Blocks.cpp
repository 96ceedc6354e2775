#include "html/layout/Blocks.h"

#include <algorithm>
#include <optional>
#include <vector>

#include "html/layout/Borders.h"
#include "html/layout/Document.h"
#include "html/layout/HtmlScreen.h"
#include "html/layout/ImageDrawing.h"
#include "html/layout/IndentScope.h"
#include "html/layout/Sections.h"
#include "html/layout/SizeableObjs.h"
#include "html/layout/SpecialBlocks.h"
#include "html/layout/TableBlocks.h"
#include "html/layout/Tables.h"
#include "html/text/Fonts.h"
#include "html/text/Properties.h"
#include "platform/framework/DeviceContext.h"

namespace {

constexpr TColor QuirksTableBorderColor = 12632256;  // silver, C0C0C0

bool quirks(const ThtDocument* Document) { return Document && Document->UseQuirksMode(); }

bool positionedOrFloating(const TBlock& B) {
    return B.Positioning == posAbsolute || B.Positioning == posFixed || B.Floating != aNone;
}

// The value of a size that was given: not unset, not auto.
bool sizeGiven(const ThtVariant& V) {
    if (VarIsEmpty(V) || VarIsNull(V)) return false;
    if (VarIsOrdinal(V)) return VarInt(V) != AutoSentinel && VarInt(V) != NoValueSentinel;
    if (VarIsStr(V)) return !VarStr(V).empty() && VarStr(V) != u"auto";
    return true;
}

}  // namespace

// ---- making and copying

TBlock::TBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop)
    : TBlock(Parent, Attributes, Prop, Prop && Prop->PropSym == TableSy ? TBlockRole::Table : TBlockRole::Plain) {}

TBlock::TBlock(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop, TBlockRole Role)
    : TBlockBase(Parent, 0, Attributes, Prop), MyCell(std::make_unique<TBlockCell>(FDocument, this)) {
    const bool tableRole = Role == TBlockRole::Table || Role == TBlockRole::TableAndCaption;
    if (Prop) {
        if (tableRole && (quirks(FDocument) || (!FDocument && Prop->UseQuirksMode())))
            Prop->GetVMarginArrayDefBorder(MargArrayO, int64_t(QuirksTableBorderColor));
        else Prop->GetVMarginArray(MargArrayO);
        ThtClearStyle clear = clrNone;
        if (Prop->GetClear(clear)) ClearAttr = clear;
        HasBorderStyle = Prop->HasBorderStyle();
        FGColor = TColor(VarToInt(Prop->Props[Color], clNone));
        // The sizes of the element's font (made now when nothing asked for it yet).
        if (Prop->EmSize() == 0) (void)Prop->GetFont();
        EmSize = Prop->EmSize();
        ExSize = Prop->ExSize();
        BlockTitle = Prop->PropTitle;
        std::u16string image;
        if (Role != TBlockRole::Body && Role != TBlockRole::TableAndCaption && Prop->GetBackgroundImage(image) &&
            !image.empty()) {
            BGImage = std::make_unique<TImageObj>(MyCell.get(), image);
            Prop->GetBackgroundPos(EmSize, ExSize, PRec);
        }
        Visibility = Prop->GetVisibility();
        Prop->GetPageBreaks(BreakBefore, BreakAfter, KeepIntact);
        if (Positioning != posStatic) {
            ZIndex = 10 * Prop->GetZIndex();
            if (Positioning == posAbsolute && ZIndex == 0) ZIndex = 1;
        }
    }
    if (positionedOrFloating(*this)) {
        MyIMgr = std::make_unique<TIndentManager>();
        MyCell->IMgr = MyIMgr.get();
        if (Floating != aNone && ZIndex == 0) ZIndex = 1;
    }
    if (!tableRole) CollapseMargins();
    if (Prop) {
        HideOverflow = Prop->IsOverflowHidden();
        const ThtVariant& align = Prop->Props[TextAlign];
        Justify = VarIsText(align, u"right")    ? ThtJustify::Right
                  : VarIsText(align, u"center") ? ThtJustify::Centered
                                                : ThtJustify::Left;
    }
}

TBlock::TBlock(TCellBasic* Parent, const TBlock& Source)
    : TBlockBase(Parent, Source), MargArrayO(Source.MargArrayO), BlockTitle(Source.BlockTitle),
      MargArray(Source.MargArray), EmSize(Source.EmSize), ExSize(Source.ExSize), FGColor(Source.FGColor),
      HasBorderStyle(Source.HasBorderStyle), ClearAttr(Source.ClearAttr), PRec(Source.PRec),
      Visibility(Source.Visibility), BottomAuto(Source.BottomAuto), BreakBefore(Source.BreakBefore),
      BreakAfter(Source.BreakAfter), KeepIntact(Source.KeepIntact), HideOverflow(Source.HideOverflow),
      Justify(Source.Justify) {
    MyCell = std::make_unique<TBlockCell>(FDocument, this, *Source.MyCell);
    if (Source.BGImage && FDocument && FDocument->PrintTableBackground) {
        std::unique_ptr<TSectionBase> copy = Source.BGImage->CreateCopy(MyCell.get());
        BGImage.reset(static_cast<TImageObj*>(copy.release()));
    }
    if (positionedOrFloating(*this)) {
        MyIMgr = std::make_unique<TIndentManager>();
        MyCell->IMgr = MyIMgr.get();
    }
}

TBlock::~TBlock() {
    // The children go before the block's own float manager and images.
    if (MyCell) {
        MyCell->Clear();
        MyCell->IMgr = nullptr;
    }
    DrawList.Clear();
}

std::unique_ptr<TSectionBase> TBlock::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TBlock(Parent, *this));
}

// ---- margins

int32_t CombineMargins(int32_t A, int32_t B) {
    if (A < 0 && B < 0) return std::min(A, B);
    if (A >= 0 && B >= 0) return std::max(A, B);
    return A + B;
}

void TBlock::CollapseMargins() {
    LengthConversionRec rec;
    InitLengthConversion(0, 400, EmSize, ExSize, GetBorderWidth(), rec);
    ConvertVerticalMargins(MargArrayO, rec, MargArray);
    const bool topAuto = rec.DefaultSpaceIndexes.Contains(MarginTop);
    BottomAuto = rec.DefaultSpaceIndexes.Contains(MarginBottom);
    if (Positioning == posAbsolute) {
        if (topAuto) MargArray[MarginTop] = 0;
        return;
    }
    if (Floating != aNone || FDisplay == pdNone) return;

    TSectionBase* predecessor = nullptr;
    if (FOwnerCell)
        for (int i = FOwnerCell->Count() - 1; i >= 0 && !predecessor; --i) {
            TSectionBase* s = FOwnerCell->GetItem(i);
            if (s == this || s->Display() == pdNone) continue;
            if (auto* b = dynamic_cast<TBlock*>(s); b && b->Positioning == posAbsolute) continue;
            predecessor = s;
        }

    if (!predecessor) {
        if (auto* body = dynamic_cast<TBodyBlock*>(FOwnerBlock))
            MargArray[MarginTop] = std::max(0, MargArray[MarginTop] - body->MargArray[MarginTop]);
        else if (topAuto) MargArray[MarginTop] = 0;
        return;
    }
    auto* block = dynamic_cast<TBlock*>(predecessor);
    const bool floatingTable = block && block->Floating != aNone &&
                               (dynamic_cast<TTableBlock*>(block) || dynamic_cast<TTableAndCaptionBlock*>(block));
    if (floatingTable && topAuto) {
        MargArray[MarginTop] = 0;
    } else if (block) {
        MargArray[MarginTop] = CombineMargins(block->MargArray[MarginBottom], MargArray[MarginTop]);
        block->MargArray[MarginBottom] = 0;
    } else if (topAuto && dynamic_cast<TBlockLI*>(FOwnerBlock) && (FSymbol == OLSy || FSymbol == ULSy)) {
        MargArray[MarginTop] = 0;
    }
}

void TBlock::CollapseBottomMargins() {
    if (FDocument && FOwnerCell == static_cast<TCellBasic*>(FDocument)) return;
    if (sizeGiven(MargArrayO[piHeight]) || MargArray[piMinHeight] != 0) return;

    TSectionBase* last = nullptr;
    for (int i = MyCell->Count() - 1; i >= 0 && !last; --i) {
        TSectionBase* s = MyCell->GetItem(i);
        if (s->Display() == pdNone) continue;
        if (auto* b = dynamic_cast<TBlock*>(s); b && (b->Positioning == posAbsolute || b->Floating != aNone)) continue;
        last = s;
    }
    auto* child = dynamic_cast<TBlock*>(last);
    if (!child || child->Positioning != posStatic) return;

    LengthConversionRec rec;
    InitLengthConversion(100, 100, child->EmSize, child->ExSize, child->GetBorderWidth(), rec);
    ConvertMarginProperty(PaddingBottom, child->MargArrayO, rec, child->MargArray);
    ConvertMarginProperty(BorderBottomStyle, child->MargArrayO, rec, child->MargArray);
    ConvertMarginProperty(BorderBottomWidth, child->MargArrayO, rec, child->MargArray);
    if (child->MargArray[PaddingBottom] != 0 || child->MargArray[BorderBottomWidth] != 0) return;

    MargArray[MarginBottom] = CombineMargins(MargArray[MarginBottom], child->MargArray[MarginBottom]);
    child->MargArray[MarginBottom] = 0;
}

// ---- widths

int32_t TBlock::GetBorderWidth() { return 3; }

void TBlock::ContentMinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) { MyCell->MinMaxWidth(Canvas, Min, Max); }

void TBlock::ConvMargArray(int32_t BaseWidth, int32_t BaseHeight, int32_t& AutoCount) {
    AutoCount = ConvertMargins(MargArrayO, BaseWidth, BaseHeight, EmSize, ExSize, GetBorderWidth(), MargArray);
}

void TBlock::MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    Min = Max = 0;
    if (FDisplay == pdNone || Positioning == posAbsolute) return;
    int32_t autoCount = 0;
    ConvMargArray(0, 400, autoCount);
    int32_t cmin = 0, cmax = 0;
    if (HideOverflow && !IsAutoPixels(MargArray[piWidth]) && MargArray[piWidth] > 20) cmin = cmax = MargArray[piWidth];
    else ContentMinMaxWidth(Canvas, cmin, cmax);
    for (int i : {MarginLeft, MarginRight, piWidth})
        if (IsAutoPixels(MargArray[i])) MargArray[i] = 0;
    const int32_t leftSide = MargArray[MarginLeft] + MargArray[PaddingLeft] + MargArray[BorderLeftWidth];
    const int32_t rightSide = MargArray[MarginRight] + MargArray[PaddingRight] + MargArray[BorderRightWidth];
    const int32_t width = MargArray[piWidth];
    if (width < 1) {
        Min = leftSide + std::max(cmin, width) + rightSide;
        Max = leftSide + std::max(cmax, width) + rightSide;
    } else {
        Min = Max = leftSide + width + rightSide;
    }
}

int32_t TBlock::FindWidth(TCanvas* Canvas, int32_t AWidth, int32_t, int32_t AutoCount) {
    ThtMarginArray& M = MargArray;
    int32_t cmin = 0, cmax = 0;
    ContentMinMaxWidth(Canvas, cmin, cmax);
    const bool skipClamp = quirks(FDocument);
    const int32_t bordPad = M[BorderLeftWidth] + M[BorderRightWidth] + M[PaddingLeft] + M[PaddingRight];
    auto clamp = [&] { ClampWidthToMinMax(M, cmin, cmax, skipClamp); };
    auto calcWidth = [&]() -> int32_t {
        const int32_t room = AWidth - bordPad - M[MarginLeft] - M[MarginRight];
        if (Positioning == posAbsolute) {
            if (IsAutoPixels(M[piLeft]) && !IsAutoPixels(M[piRight])) return cmax;  // shrinks to fit
            // The offset layout will take: the given left, or 0.
            const int32_t left = IsAutoPixels(M[piLeft]) ? 0 : M[piLeft];
            return std::max(cmin, room - left);
        }
        // A float too narrow for its own margins, borders and paddings gets
        // no content width, never a negative one.
        if (Floating != aNone) return std::max(0, std::min(cmax, room));
        return std::max(cmin, room);
    };
    auto spare = [&] { return std::max(0, AWidth - M[piWidth] - bordPad); };

    switch (AutoCount) {
    case 0:
        if ((Justify == ThtJustify::Centered || Justify == ThtJustify::Right) && Positioning == posStatic &&
            Floating == aNone && M[MarginLeft] == 0 && M[MarginRight] == 0) {
            clamp();
            const int32_t d = spare();
            if (Justify == ThtJustify::Centered) M[MarginLeft] = M[MarginRight] = d / 2;
            else M[MarginLeft] = d;
        }
        break;
    case 1:
        if (IsAutoPixels(M[piWidth])) {
            clamp();
            M[piWidth] = calcWidth();
        } else if (IsAutoPixels(M[MarginRight])) {
            M[MarginRight] = Floating != aNone ? 0 : std::max(0, AWidth - bordPad - M[MarginLeft] - M[piWidth]);
        } else if (IsAutoPixels(M[MarginLeft])) {
            M[MarginLeft] = std::max(0, AWidth - bordPad - M[MarginRight] - M[piWidth]);
        }
        break;
    case 2:
        if (IsAutoPixels(M[piWidth])) {
            if (IsAutoPixels(M[MarginLeft])) M[MarginLeft] = 0;
            else M[MarginRight] = 0;
            clamp();
            M[piWidth] = calcWidth();
        } else {
            M[MarginLeft] = M[MarginRight] = spare() / 2;
        }
        break;
    case 3:
        M[MarginLeft] = M[MarginRight] = 0;
        clamp();
        M[piWidth] = calcWidth();
        break;
    default: break;
    }
    return M[piWidth];
}

// ---- displays

ThtDisplayStyle TBlock::GetOuterDisplay() const {
    const ThtDisplayStyle d = TBlockBase::GetOuterDisplay();
    return d == pdInline ? MyCell->GetContentDisplay() : d;
}

ThtDisplayStyle TBlock::GetInnerDisplay() const {
    const ThtDisplayStyle d = TBlockBase::GetInnerDisplay();
    return d == pdNone ? pdNone : MyCell->GetContentDisplay();
}

// ---- layout

int32_t TBlock::DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                           int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) {
    if (GetInnerDisplay() == pdNone) {
        SectionHeight = DrawHeight = ContentBot = DrawBot = 0;
        MaxWidth = 0;
        DrawRect = Rect(X, DrawTop, X + ContentWidth, DrawTop);
        return 0;
    }
    ThtMarginArray& M = MargArray;
    YDraw = Y;
    const int32_t X0 = X;

    ClearAddon = 0;
    if (ClearAttr != clrNone && IMgr) {
        int32_t cl = 0, cr = 0;
        IMgr->GetClearY(cl, cr);
        switch (ClearAttr) {
        case clLeft: ClearAddon = std::max(0, cl - Y - 1); break;
        case clRight: ClearAddon = std::max(0, cr - Y - 1); break;
        case clAll: ClearAddon = std::max(cl - Y - 1, std::max(0, cr - Y - 1)); break;
        default: break;
        }
    }
    StartCurs = Curs;
    MaxWidth = AWidth;

    int32_t autoCount = 0;
    ConvMargArray(AWidth, AHeight, autoCount);
    HasBorderStyle = false;
    for (int i = BorderTopStyle; i <= BorderLeftStyle; ++i)
        if (M[i] != bssNone) HasBorderStyle = true;
    ApplyMinMaxAndBoxSizing(M, quirks(FDocument));

    ContentWidth = FindWidth(Canvas, AWidth, AHeight, autoCount);
    const int32_t leftSide = M[MarginLeft] + M[PaddingLeft] + M[BorderLeftWidth];
    const int32_t rightSide = M[MarginRight] + M[PaddingRight] + M[BorderRightWidth];
    const int32_t miscWidths = leftSide + rightSide;
    const int32_t totalWidth = miscWidths + ContentWidth;
    Indent = leftSide;

    TopP = M[piTop];
    LeftP = M[piLeft];
    if (Positioning == posRelative) {
        if (IsAutoPixels(TopP)) TopP = 0;
        if (IsAutoPixels(LeftP)) LeftP = 0;
    } else if (Positioning == posAbsolute) {
        if (IsAutoPixels(TopP)) TopP = 0;
        if (IsAutoPixels(LeftP))
            LeftP = !IsAutoPixels(M[piRight]) && !IsAutoPixels(M[piWidth])
                        ? AWidth - M[piRight] - M[piWidth] - leftSide - rightSide
                        : 0;
        X = LeftP;
        Y = TopP + YRef;
    }

    int32_t yClear = Y + ClearAddon;
    if (Positioning != posAbsolute && Positioning != posFixed && IMgr) {
        // Clearance does not apply to floats.
        if (Floating == aLeft) {
            yClear = Y;
            Indent = IMgr->AlignLeft(yClear, totalWidth) + leftSide - X;
        } else if (Floating == aRight) {
            yClear = Y;
            Indent = IMgr->AlignRight(yClear, totalWidth) + leftSide - X;
        }
    }
    X += Indent;
    // A negative top margin never lifts the block.
    DrawTop = std::max(0, M[MarginTop]) + yClear;
    ContentTop = DrawTop + M[PaddingTop] + M[BorderTopWidth];

    const bool ownManager = positionedOrFloating(*this);
    TIndentManager* manager = IMgr;
    if (ownManager) {
        RefIMgr = IMgr;
        if (!MyIMgr) MyIMgr = std::make_unique<TIndentManager>();
        manager = MyIMgr.get();
        manager->Init(0, ContentWidth);
    }
    MyCell->IMgr = manager;

    TIndentScope scope(manager, this, X, X + ContentWidth, yClear);
    const int32_t blockHeight = M[piHeight] > 0 ? M[piHeight] : AHeight > 0 ? AHeight : BlHt;
    int32_t scrollWidth = 0;
    if (Positioning == posRelative) {
        MyCell->DoLogicX(Canvas, X, ContentTop + TopP, XRef, ContentTop + TopP, ContentWidth, M[piHeight], blockHeight,
                         scrollWidth, Curs);
        MaxWidth = scrollWidth + miscWidths - M[MarginRight] + LeftP - X0;
    } else if (Positioning == posAbsolute) {
        MyCell->DoLogicX(Canvas, X, ContentTop, XRef + LeftP + M[MarginLeft] + M[BorderLeftWidth],
                         YRef + TopP + M[MarginTop] + M[BorderTopWidth], ContentWidth, M[piHeight], blockHeight,
                         scrollWidth, Curs);
        MaxWidth = scrollWidth + miscWidths - M[MarginRight] + LeftP - X0;
        MyCell->tcContentBot = std::max(MyCell->tcContentBot, manager->ImageBottom());
    } else {
        MyCell->DoLogicX(Canvas, X, ContentTop, XRef, YRef, ContentWidth, M[piHeight], blockHeight, scrollWidth, Curs);
        MaxWidth = Indent + scrollWidth + rightSide;
    }
    const int32_t contentBottom = MyCell->tcContentBot - (Positioning == posRelative ? TopP : 0);
    if (HideOverflow && M[piHeight] > 3) ClientContentBot = ContentTop + M[piHeight];
    else ClientContentBot = std::max({ContentTop, contentBottom, ContentTop + M[piHeight]});

    Len = Curs - StartCurs;
    ContentBot = ClientContentBot + M[PaddingBottom] + M[BorderBottomWidth] + M[MarginBottom];
    DrawBot = std::max(ClientContentBot, MyCell->tcDrawBot) + M[PaddingBottom] + M[BorderBottomWidth];
    int32_t result = ContentBot - Y;

    if (BGImage && FDocument && FDocument->ShowImages) {
        BGImage->DrawLogicInline(Canvas, nullptr, 100, 0);
        if (BGImage->Image() == &BrokenImage()) {
            BGImage.reset();
        } else {
            BGImage->ClientSizeKnown = true;
            NeedDoImageStuff = true;
        }
    }

    SectionHeight = result;
    scope.RemoveRecords();
    if (ownManager) {
        // Positioned blocks and floats take no room in the flow.
        DrawHeight = 0;
        if (RefIMgr) {
            if (Floating == aLeft) RefIMgr->AddLeft(yClear, ContentBot, totalWidth);
            else if (Floating == aRight) RefIMgr->AddRight(yClear, ContentBot, totalWidth);
        }
        SectionHeight = 0;
        result = 0;
    } else {
        DrawHeight = std::max(SectionHeight, (manager ? manager->ImageBottom() : 0) - Y);
    }
    scope.RestoreID();
    if (DrawList.Empty()) DrawSort();

    const int32_t left = X - leftSide + M[MarginLeft];
    DrawRect = Rect(left, DrawTop, left + ContentWidth, DrawTop + SectionHeight);
    return result;
}

void TBlock::DrawSort() {
    DrawList.Clear();
    std::vector<TSectionBase*> order;
    order.reserve(size_t(MyCell->Count()));
    for (int i = 0; i < MyCell->Count(); ++i) {
        TSectionBase* s = MyCell->GetItem(i);
        s->SetOwnerBlock(this);
        order.push_back(s);
    }
    // Negative z-indexes first, then the flow, then positive ones; equal
    // values keep document order.
    std::stable_sort(order.begin(), order.end(),
                     [](const TSectionBase* a, const TSectionBase* b) { return a->ZIndex < b->ZIndex; });
    for (TSectionBase* s : order) DrawList.Add(s);
}

// ---- drawing

bool TBlock::EndsPageHere(const TRect& ARect) {
    ThtDocument* doc = FDocument;
    const int32_t y = YDraw - doc->YOff;  // canvas Y of the block
    const int32_t pageTop = ARect.Top + doc->YOff;
    const int32_t pageHeight = ARect.Bottom - ARect.Top;
    const int32_t marginTop = MargArray[MarginTop];
    if (BreakBefore && !doc->FirstPageItem) {
        if (YDraw + marginTop > pageTop) {
            doc->PageBottom = std::min(doc->PageBottom, YDraw + marginTop);
            doc->SkipDraw = true;
            return true;
        }
        return false;  // already at the top of the page
    }
    if (KeepIntact) {
        if (y > ARect.Top && YDraw + DrawHeight > doc->PageBottom && DrawHeight - marginTop < pageHeight) {
            doc->PageBottom = std::min(doc->PageBottom, YDraw + marginTop);
            return true;
        }
        return false;
    }
    if (BreakAfter) {
        const int32_t bottom = YDraw + SectionHeight;
        if (bottom > pageTop && bottom < doc->PageBottom) doc->PageBottom = bottom;
        return false;
    }
    auto* tableBlock = dynamic_cast<TTableBlock*>(this);
    THtmlTable* table = tableBlock ? tableBlock->Table : nullptr;
    if (!table) return false;
    if (!table->HeadOrFoot) {
        if (y > ARect.Top + pageHeight * 2 / 3 && YDraw + DrawHeight > doc->PageBottom && DrawHeight < pageHeight) {
            doc->PageBottom = std::min(doc->PageBottom, YDraw + marginTop);
            return true;
        }
        return false;
    }
    if (doc->TableNestLevel != 0 || (doc->PrintingTable && doc->PrintingTable != table)) return false;
    int32_t firstBody = 0;
    if (table->HeaderRowCount >= 0 && table->HeaderRowCount < table->Rows.Count())
        firstBody = table->Rows.GetItem(table->HeaderRowCount)->RowHeight;
    const int32_t h = firstBody + table->HeaderHeight + table->FootHeight;
    if (y > ARect.Top && YDraw + h > doc->PageBottom && h < pageHeight) {
        const int32_t bottom = YDraw + table->CellSpacingVert / 2;
        if (bottom < doc->PageBottom) {
            doc->PageBottom = bottom;
            doc->PageShortened = true;
        }
        return true;
    }
    return false;
}

int32_t TBlock::Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                      int32_t YRef) {
    const int32_t result = YDraw + SectionHeight;
    if (GetInnerDisplay() == pdNone || Visibility == viHidden || !FDocument || !Canvas) return result;
    if (FDocument->SkipDraw) {
        FDocument->SkipDraw = false;
        return result;
    }
    if (FDocument->Printing && Positioning != posAbsolute && EndsPageHere(ARect)) return result;
    if (Positioning == posRelative) DrawBlock(Canvas, ARect, IMgr, X + LeftP, YDraw + TopP, XRef, YRef);
    else if (Positioning == posAbsolute) DrawBlock(Canvas, ARect, IMgr, XRef + LeftP, YRef + TopP, XRef, YRef);
    else DrawBlock(Canvas, ARect, IMgr, X, YDraw, XRef, YRef);
    return result;
}

void TBlock::DrawBlock(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t Y, int32_t XRef,
                       int32_t YRef) {
    ThtDocument* doc = FDocument;
    const ThtMarginArray& M = MargArray;
    if (doc->Printing && !doc->PrintBackground) NeedDoImageStuff = false;

    int32_t left = 0, top = 0;
    if (Floating != aNone) {
        X += Indent;
        left = X - M[PaddingLeft] - M[BorderLeftWidth];
        top = DrawTop;
    } else {
        left = X + M[MarginLeft];
        X += Indent;
        top = Y + ClearAddon + M[MarginTop];
    }
    const int32_t right = X + ContentWidth + M[PaddingRight] + M[BorderRightWidth];
    const int32_t bottom = ContentBot - M[MarginBottom] + (Positioning == posRelative ? TopP : 0);
    MyRect = Rect(left, top - doc->YOff, right, bottom - doc->YOff);
    DrawRect = MyRect;

    const TRect pBox = Rect(MyRect.Left + M[BorderLeftWidth], MyRect.Top + M[BorderTopWidth],
                            MyRect.Right - M[BorderRightWidth], MyRect.Bottom - M[BorderBottomWidth]);
    const TRect cBox = Rect(pBox.Left + M[PaddingLeft], pBox.Top + M[PaddingTop], pBox.Right - M[PaddingRight],
                            pBox.Bottom - M[PaddingBottom]);
    const int32_t visTop = std::max(pBox.Top, ARect.Top - 2);
    const int32_t visHeight = std::min(pBox.Bottom, ARect.Bottom) - visTop;
    const int32_t imgOffset = std::max(0, ARect.Top - 2 - pBox.Top);

    TDeviceContext* dc = Canvas->Handle();
    // Positioned content and negative margins inside a table paint outside the cell's clip.
    std::optional<TClipGuard> unclipped;
    const bool negativeMargin = M[MarginLeft] < 0 || M[MarginTop] < 0 || M[MarginRight] < 0 || M[MarginBottom] < 0;
    if (dc && doc->TableNestLevel > 0 && (Positioning != posStatic || negativeMargin)) {
        unclipped.emplace(dc);
        dc->SelectClipRgn(nullptr);
    }

    if (MyRect.Top <= ARect.Bottom && MyRect.Bottom >= ARect.Top) {
        try {
            DrawBackground(Canvas, pBox, visTop, visHeight, imgOffset);
        } catch (...) {
            // A background that cannot be painted leaves the block without it.
        }
    }
    if (doc->NoOutput) return;

    {
        std::optional<TClipGuard> overflowClip;
        if (HideOverflow && dc) {
            overflowClip.emplace(dc);
            TRegion oldRgn, newRgn;
            bool hadOld = false;
            MakeClipRegion(Canvas, Floating == aNone ? cBox : pBox, doc->Printing, oldRgn, hadOld, newRgn);
            dc->SelectClipRgn(&newRgn);
        }
        const TIndentOwner savedID = IMgr ? IMgr->CurrentID : nullptr;
        if (IMgr) IMgr->CurrentID = this;
        struct RestoreID {
            TIndentManager* m;
            TIndentOwner id;
            ~RestoreID() {
                if (m) m->CurrentID = id;
            }
        } restoreID{IMgr, savedID};
        if (Positioning == posRelative)
            DrawTheList(Canvas, ARect, ContentWidth, X, left + M[BorderLeftWidth] + M[PaddingLeft],
                        Y + M[MarginTop] + M[BorderTopWidth] + M[PaddingTop]);
        else if (Positioning == posAbsolute)
            DrawTheList(Canvas, ARect, ContentWidth, X, left + M[BorderLeftWidth],
                        Y + M[MarginTop] + M[BorderTopWidth]);
        else DrawTheList(Canvas, ARect, ContentWidth, X, XRef, YRef);
    }
    DrawBlockBorder(Canvas, MyRect, pBox);
}

void TBlock::DrawTheList(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t XRef,
                         int32_t YRef) {
    if (positionedOrFloating(*this) && MyIMgr) {
        const TIndentOwner id = MyIMgr->CurrentID;
        MyIMgr->Reset(X);
        MyIMgr->CurrentID = id;
    }
    if (MyCell->IMgr) MyCell->IMgr->ClipWidth = ClipWidth;
    for (int i = 0; i < DrawList.Count(); ++i) DrawList.GetItem(i)->Draw1(Canvas, ARect, MyCell->IMgr, X, XRef, YRef);
}

void TBlock::DrawBlockBorder(TCanvas* Canvas, const TRect& ORect, const TRect& IRect) {
    const bool same = ORect.Left == IRect.Left && ORect.Top == IRect.Top && ORect.Right == IRect.Right &&
                      ORect.Bottom == IRect.Bottom;
    if (!HasBorderStyle || same) return;
    const ThtMarginArray& M = MargArray;
    DrawBorder(Canvas, ORect, IRect,
               htColors(M[BorderLeftColor], M[BorderTopColor], M[BorderRightColor], M[BorderBottomColor]),
               htStyles(ThtBorderStyle(M[BorderLeftStyle]), ThtBorderStyle(M[BorderTopStyle]),
                        ThtBorderStyle(M[BorderRightStyle]), ThtBorderStyle(M[BorderBottomStyle])),
               M[BackgroundColor], FDocument ? FDocument->StyleElements() : AllStyleElements);
}

namespace {

// Rows From..From+Height-1 of a bitmap, as a bitmap of their own.
std::unique_ptr<TBitmap> bandOf(const TBitmap& Source, int32_t From, int32_t Height) {
    auto band = std::make_unique<TBitmap>(std::max(1, Source.Width()), std::max(1, Height));
    band->Canvas()->Handle()->BitBlt(0, 0, Source.Width(), Height, &Source, 0, From, SRCCOPY);
    band->ReleaseCanvas();
    return band;
}

}  // namespace

void TBlock::DrawBackground(TCanvas* Canvas, const TRect& PBox, int32_t VisTop, int32_t VisHeight, int32_t ImgOffset) {
    ThtDocument* doc = FDocument;
    const ThtMarginArray& M = MargArray;
    const bool hasBG = M[BackgroundColor] != clNone;
    const int32_t pWidth = PBox.Right - PBox.Left;
    ThtImage* image = BGImage ? BGImage->Image() : nullptr;

    if (NeedDoImageStuff && BGImage && image != &PendingImage()) {
        if (image == &BrokenImage()) {
            BGImage.reset();
            image = nullptr;
        } else if (image) {
            try {
                const int32_t bottom = Floating == aNone ? ClientContentBot : DrawBot;
                const int32_t iw = M[PaddingLeft] + ContentWidth + M[PaddingRight];
                const int32_t ih = bottom - ContentTop + M[PaddingTop] + M[PaddingBottom];
                Tiled = ThtTiledBackground{};
                BuildTiledBackground(Canvas, iw, ih, *image, PRec, Tiled);
                if (doc->IsCopy && Tiled.Bitmap) Tiled.Bitmap->SetPixelFormat(pf24bit);
            } catch (...) {
                BGImage.reset();
                image = nullptr;
                Tiled = ThtTiledBackground{};
            }
        }
        NeedDoImageStuff = false;
    }
    const bool imgOK = !NeedDoImageStuff && BGImage && image && image != &PendingImage() && doc->ShowImages;
    const TColor colour = ThemedColor(M[BackgroundColor], doc->StyleElements() & seSet(seClient)) | TColor(PalRelative);

    if (hasBG && (!doc->Printing || doc->PrintTableBackground)) {
        Canvas->Brush()->SetColor(colour);
        Canvas->Brush()->SetStyle(bsSolid);
        if (doc->IsCopy && imgOK) {
            TBitmap* full = FullBG.release();
            PrepareBitmap(full, pWidth, VisHeight, false);
            FullBG.reset(full);
            FullBG->Canvas()->Brush()->SetColor(colour);
            FullBG->Canvas()->Brush()->SetStyle(bsSolid);
            FullBG->Canvas()->FillRect(Rect(0, 0, pWidth, VisHeight));
        } else if (!doc->Printing || doc->PrintBackground) {
            Canvas->FillRect(Rect(PBox.Left, VisTop, PBox.Right, VisTop + VisHeight));
        }
    }
    if (!imgOK || VisHeight <= 0 || pWidth <= 0) return;

    if (Tiled.GpBitmap) {
        if (doc->IsCopy) {
            if (hasBG && FullBG) {
                DrawGpImagePart(FullBG->Canvas(), *Tiled.GpBitmap, 0, 0, 0, ImgOffset, pWidth, VisHeight);
                FullBG->ReleaseCanvas();
                PrintBitmapDIB(Canvas, PBox.Left, VisTop, pWidth, VisHeight, FullBG.get());
            } else {
                DrawGpImageScaled(Canvas, *Tiled.GpBitmap, PBox.Left, PBox.Top, doc->ScaleX, doc->ScaleY);
            }
        } else {
            DrawGpImagePart(Canvas, *Tiled.GpBitmap, PBox.Left, VisTop, 0, ImgOffset, pWidth, VisHeight);
        }
        return;
    }
    if (!Tiled.Bitmap) return;
    const TBitmap* mask = Tiled.NoMask ? nullptr : Tiled.Mask.get();
    if (doc->IsCopy) {
        if (!mask) {
            PrintBitmapDIB(Canvas, PBox.Left, VisTop, pWidth, VisHeight,
                           bandOf(*Tiled.Bitmap, ImgOffset, VisHeight).get());
        } else if (hasBG && FullBG) {
            PrintMaskedBitmap(FullBG->Canvas(), 0, 0, pWidth, VisHeight, Tiled.Bitmap.get(), mask, ImgOffset,
                              VisHeight);
            FullBG->ReleaseCanvas();
            PrintBitmapDIB(Canvas, PBox.Left, VisTop, pWidth, VisHeight, FullBG.get());
        } else {
            PrintMaskedBitmap(Canvas, PBox.Left, VisTop, pWidth, VisHeight, Tiled.Bitmap.get(), mask, ImgOffset,
                              VisHeight);
        }
    } else if (!mask) {
        if (TDeviceContext* dc = Canvas->Handle())
            dc->BitBlt(PBox.Left, VisTop, pWidth, VisHeight, Tiled.Bitmap.get(), 0, ImgOffset, SRCCOPY);
    } else {
        // The band through its mask, on whatever the canvas draws to.
        PrintMaskedBitmap(Canvas, PBox.Left, VisTop, pWidth, VisHeight, Tiled.Bitmap.get(), mask, ImgOffset, VisHeight);
    }
}

// ---- hit tests and searches

bool TBlock::CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) {
    return FDisplay != pdNone && MyCell->CursorToXY(Canvas, Cursor, X, Y);
}

int32_t TBlock::FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt,
                           bool& Intext) {
    Intext = false;
    if (FDisplay == pdNone) return -1;
    for (int i = DrawList.Count() - 1; i >= 0; --i)
        if (const int32_t p = DrawList.GetItem(i)->FindCursor(Canvas, X, Y, XR, YR, CaretHt, Intext); p >= 0) return p;
    return -1;
}

int32_t TBlock::FindDocPos(int32_t SourcePos, bool Prev) {
    return FDisplay == pdNone ? -1 : MyCell->FindDocPos(SourcePos, Prev);
}

int32_t TBlock::FindSourcePos(int32_t DocPos) { return FDisplay == pdNone ? -1 : MyCell->FindSourcePos(DocPos); }

int32_t TBlock::FindString(int32_t From, std::u16string_view ToFind, bool MatchCase) {
    return FDisplay == pdNone ? -1 : MyCell->FindString(From, ToFind, MatchCase);
}

int32_t TBlock::FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase) {
    return FDisplay == pdNone ? -1 : MyCell->FindStringR(From, ToFind, MatchCase);
}

bool TBlock::GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) {
    Ch = 0;
    Obj = nullptr;
    return FDisplay != pdNone && MyCell->GetChAtPos(Pos, Ch, Obj);
}

ThtguResultType TBlock::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                               TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    if (FDisplay == pdNone) return TBlockBase::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
    ThtguResultType result = MyCell->GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
    if (!(result & guTitle) && !BlockTitle.empty()) {
        const int64_t y = int64_t(Y) - (FDocument ? FDocument->YOff : 0);
        if (X >= MyRect.Left && X < MyRect.Right && y >= MyRect.Top && y < MyRect.Bottom) {
            if (ATitle) *ATitle = BlockTitle;
            result |= guTitle;
        }
    }
    return result;
}

bool TBlock::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    if (FDisplay == pdNone) return false;
    for (int i = DrawList.Count() - 1; i >= 0; --i)
        if (DrawList.GetItem(i)->PtInObject(X, Y, Obj, IX, IY)) return true;
    return TBlockBase::PtInObject(X, Y, Obj, IX, IY);
}

void TBlock::AddSectionsToList() {
    if (FDisplay != pdNone) MyCell->AddSectionsToList();
}

void TBlock::CopyToClipboard() {
    if (FDisplay == pdNone) return;
    MyCell->CopyToClipboard();
    // A paragraph that ends inside the selection ends its line in the text.
    if (FSymbol == PSy && FDocument && FDocument->CB && StartCurs + Len < FDocument->SelE)
        FDocument->CB->AddTextCR(u"");
}
