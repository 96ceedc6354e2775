#include "html/layout/Cells.h"

#include <algorithm>

#include "html/layout/Blocks.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/IndentScope.h"
#include "html/layout/Sections.h"
#include "html/layout/SpecialBlocks.h"

// ---- the basic cell

TCellBasic::TCellBasic(TBlock* Parent) : TCellBasic(Parent ? Parent->Document() : nullptr, Parent) {}

TCellBasic::TCellBasic(ThtDocument* ADocument, TBlock* Parent) : FDocument(ADocument), FOwnerBlock(Parent) {}

TCellBasic::TCellBasic(ThtDocument* ADocument, TBlock* Parent, const TCellBasic& T, bool CopySections)
    : FDocument(ADocument), FOwnerBlock(Parent) {
    if (!CopySections) return;
    for (int i = 0; i < T.Count(); ++i)
        if (std::unique_ptr<TSectionBase> copy = T.GetItem(i)->CreateCopy(this)) TFreeList::Add(std::move(copy));
}

TCellBasic::~TCellBasic() = default;

int32_t TCellBasic::DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t BlHt,
                            int32_t& ScrollWidth, int32_t& Curs) {
    StartCurs = Curs;
    ScrollWidth = 0;
    int32_t height = 0;
    for (int i = 0; i < Count();) {
        TSectionBase* section = GetItem(i);
        const int32_t cursBefore = Curs;
        int32_t maxWidth = 0;
        try {
            height += section->DrawLogic1(Canvas, 0, Y + height, 0, 0, Width, AHeight, BlHt, IMgr, maxWidth, Curs);
        } catch (const EProcessError&) {
            // The section goes; the next one takes its place in the flow.
            Curs = cursBefore;
            if (FOwnerBlock) FOwnerBlock->DrawList.Remove(section);
            Delete(i);
            continue;
        }
        ScrollWidth = std::max(ScrollWidth, maxWidth);
        ++i;
    }
    Len = Curs - StartCurs;
    return height;
}

int32_t TCellBasic::Draw(TCanvas* Canvas, const TRect& ARect, int32_t, int32_t X, int32_t Y, int32_t XRef,
                         int32_t YRef) {
    int32_t result = Y;
    for (int i = 0; i < Count(); ++i) result = GetItem(i)->Draw1(Canvas, ARect, IMgr, X, XRef, YRef);
    return result;
}

ThtguResultType TCellBasic::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                   TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    UrlTarg.reset();
    FormControl = nullptr;
    if (ATitle) ATitle->clear();
    for (int i = 0; i < Count(); ++i) {
        if (ATitle) ATitle->clear();
        if (const ThtguResultType r = GetItem(i)->GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle)) return r;
    }
    return 0;
}

void TCellBasic::MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max) {
    Min = 0;
    Max = 0;
    for (int i = 0; i < Count(); ++i) {
        int32_t mn = 0, mx = 0;
        GetItem(i)->MinMaxWidth(Canvas, mn, mx);
        Min = std::max(Min, mn);
        Max = std::max(Max, mx);
    }
}

void TCellBasic::Add(std::unique_ptr<TSectionBase> Item, int32_t TagIndex) {
    if (!Item) return;
    if (dynamic_cast<TSection*>(Item.get())) {
        std::unique_ptr<TSection> section(static_cast<TSection*>(Item.release()));
        AddSection(section, TagIndex);
        return;
    }
    TFreeList::Add(std::move(Item));
}

void TCellBasic::AddSection(std::unique_ptr<TSection>& Section, int32_t TagIndex) {
    if (!Section) return;
    // Characters still waiting for their white space to be settled.
    if (!Section->XP.empty()) Section->ProcessText(TagIndex);
    const ThtWhiteSpaceStyle ws = Section->WhiteSpaceStyle;
    const bool keepsSpace = ws == wsPre || ws == wsPreWrap || ws == wsPreLine;
    if (Section->Len == 0 && !Section->AnchorName && Section->ClearAttr == clrNone && !keepsSpace) {
        Section.reset();
        return;
    }
    TFreeList::Add(std::unique_ptr<TSectionBase>(Section.release()));
}

ThtDisplayStyle TCellBasic::GetContentDisplay() const {
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->GetOuterDisplay() != pdInline) return pdBlock;
    return pdInline;
}

bool TCellBasic::CheckLastBottomMargin() {
    for (int i = Count() - 1; i >= 0; --i) {
        auto* block = dynamic_cast<TBlock*>(GetItem(i));
        if (!block || block->Positioning == posAbsolute) continue;
        if (auto* item = dynamic_cast<TBlockLI*>(block)) return item->MyCell->CheckLastBottomMargin();
        if (!block->BottomAuto) return false;
        block->MargArray[MarginBottom] = 0;
        return true;
    }
    return false;
}

int32_t TCellBasic::FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt,
                               bool& Intext) {
    Intext = false;
    for (int i = 0; i < Count(); ++i)
        if (const int32_t p = GetItem(i)->FindCursor(Canvas, X, Y, XR, YR, CaretHt, Intext); p >= 0) return p;
    return -1;
}

int32_t TCellBasic::FindSourcePos(int32_t DocPos) {
    for (int i = 0; i < Count(); ++i)
        if (const int32_t p = GetItem(i)->FindSourcePos(DocPos); p >= 0) return p;
    return -1;
}

int32_t TCellBasic::FindString(int32_t From, std::u16string_view ToFind, bool MatchCase) {
    for (int i = 0; i < Count(); ++i)
        if (const int32_t p = GetItem(i)->FindString(From, ToFind, MatchCase); p >= 0) return p;
    return -1;
}

int32_t TCellBasic::FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase) {
    for (int i = Count() - 1; i >= 0; --i)
        if (const int32_t p = GetItem(i)->FindStringR(From, ToFind, MatchCase); p >= 0) return p;
    return -1;
}

bool TCellBasic::GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj) {
    Ch = 0;
    Obj = nullptr;
    if (Pos < StartCurs || Pos > StartCurs + Len) return false;
    for (int i = 0; i < Count(); ++i)
        if (GetItem(i)->GetChAtPos(Pos, Ch, Obj)) return true;
    return false;
}

void TCellBasic::CopyToClipboard() {
    if (!FDocument || FDocument->SelB >= FDocument->SelE) return;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* section = GetItem(i);
        if (section->StartCurs >= FDocument->SelE) break;
        if (section->StartCurs + section->Len > FDocument->SelB) section->CopyToClipboard();
    }
}

void TCellBasic::AddSectionsToList() {
    for (int i = 0; i < Count(); ++i) GetItem(i)->AddSectionsToList();
}

bool TCellBasic::IsCopy() const { return FDocument && FDocument->IsCopy; }

// ---- block cells

int32_t TBlockCell::DoLogicX(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t Width,
                             int32_t AHeight, int32_t BlHt, int32_t& ScrollWidth, int32_t& Curs) {
    StartCurs = Curs;
    ScrollWidth = 0;
    TextWidth = 0;
    tcContentBot = 0;
    tcDrawTop = NotPlaced;
    tcDrawBot = 0;
    const bool hides = FOwnerBlock && FOwnerBlock->HideOverflow;
    int32_t height = 0;
    for (int i = 0; i < Count(); ++i) {
        TSectionBase* child = GetItem(i);
        int32_t childWidth = 0;
        height += child->DrawLogic1(Canvas, X, Y + height, XRef, YRef, Width, AHeight, BlHt, IMgr, childWidth, Curs);
        ScrollWidth = hides ? Width : std::max(ScrollWidth, childWidth);
        if (auto* text = dynamic_cast<TSection*>(child)) TextWidth = std::max(TextWidth, text->TextWidth);
        auto* block = dynamic_cast<TBlock*>(child);
        // An absolutely positioned child stands apart from the flow's content.
        if (!block || block->Positioning != posAbsolute) tcContentBot = std::max(tcContentBot, child->ContentBot);
        tcDrawTop = std::min(tcDrawTop, child->DrawTop);
        tcDrawBot = std::max(tcDrawBot, child->DrawBot);
    }
    CellHeight = height;
    Len = Curs - StartCurs;
    return height;
}

// ---- cells with a float manager

TCell::TCell(TBlock* Parent) : TCellBasic(Parent), FOwnIMgr(std::make_unique<TIndentManager>()) {
    IMgr = FOwnIMgr.get();
}

TCell::TCell(ThtDocument* ADocument, TBlock* Parent)
    : TCellBasic(ADocument, Parent), FOwnIMgr(std::make_unique<TIndentManager>()) {
    IMgr = FOwnIMgr.get();
}

TCell::TCell(ThtDocument* ADocument, TBlock* Parent, const TCell& T, bool CopySections)
    : TCellBasic(ADocument, Parent, T, CopySections), FOwnIMgr(std::make_unique<TIndentManager>()) {
    IMgr = FOwnIMgr.get();
}

TCell::~TCell() {
    // The sections go before the manager they may point at.
    TFreeList::Clear();
}

int32_t TCell::DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t BlHt, int32_t& ScrollWidth,
                       int32_t& Curs) {
    IMgr->Init(0, Width);
    int32_t height = 0;
    {
        TIndentScope scope(IMgr, this, 0, Width, Y);
        height = TCellBasic::DoLogic(Canvas, Y, Width, AHeight, BlHt, ScrollWidth, Curs);
    }
    // Floats that hang below the last line extend the cell.
    return std::max(height, IMgr->ImageBottom() - Y);
}

int32_t TCell::Draw(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t Y, int32_t XRef,
                    int32_t YRef) {
    IMgr->Reset(X);
    IMgr->ClipWidth = ClipWidth;
    DrawYY = Y;
    return TCellBasic::Draw(Canvas, ARect, ClipWidth, X, Y, XRef, YRef);
}

// ---- table cell content

TCellObjCell::TCellObjCell(TBlock* Parent) : TCell(Parent) {}

TCellObjCell::TCellObjCell(TBlock* Parent, const TCellObjCell& T)
    : TCell(Parent ? Parent->Document() : nullptr, Parent, T), MyRect(T.MyRect) {}

ThtguResultType TCellObjCell::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                     TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    ThtguResultType result = TCell::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
    const int64_t y = int64_t(Y) - (FDocument ? FDocument->YOff : 0);
    if (X < MyRect.Left || X >= MyRect.Right || y < MyRect.Top || y >= MyRect.Bottom) return result;
    // The cell's own title and link stand only where its content gave none.
    if (!(result & guTitle) && !Title.empty()) {
        if (ATitle) *ATitle = Title;
        result |= guTitle;
    }
    if (!(result & guUrl) && !Url.empty()) {
        UrlTarg = std::make_unique<TUrlTarget>();
        UrlTarg->Assign(Url, Target, nullptr, -1);
        result |= guUrl;
    }
    return result;
}
