#include "html/layout/Cells.h"

#include "html/layout/Blocks.h"
#include "html/layout/Document.h"
#include "html/layout/FloatManager.h"
#include "html/layout/Sections.h"

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

int32_t TCellBasic::DoLogic(TCanvas*, int32_t, int32_t, int32_t, int32_t, int32_t& ScrollWidth, int32_t& Curs) {
    // Still to come: the sections laid out one under the other, a failing section dropped.
    StartCurs = Curs;
    ScrollWidth = 0;
    Len = 0;
    return 0;
}

int32_t TCellBasic::Draw(TCanvas*, const TRect&, int32_t, int32_t, int32_t Y, int32_t, int32_t) {
    // Still to come: painting every section in order.
    return Y;
}

ThtguResultType TCellBasic::GetURL(TCanvas*, int32_t, int32_t, std::unique_ptr<TUrlTarget>& UrlTarg,
                                   TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    // Still to come: asking the sections in order.
    UrlTarg.reset();
    FormControl = nullptr;
    if (ATitle) ATitle->clear();
    return 0;
}

void TCellBasic::MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) {
    // Still to come: the largest minimum and maximum of the sections.
    Min = 0;
    Max = 0;
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

void TCellBasic::AddSection(std::unique_ptr<TSection>& Section, int32_t) {
    // Still to come: finishing the text first and dropping a section that ended up empty.
    if (Section) TFreeList::Add(std::unique_ptr<TSectionBase>(Section.release()));
}

ThtDisplayStyle TCellBasic::GetContentDisplay() const {
    // Still to come: pdBlock when some section is not inline.
    return pdInline;
}

bool TCellBasic::CheckLastBottomMargin() {
    // Still to come: dropping the last block's automatic bottom margin.
    return false;
}

int32_t TCellBasic::FindCursor(TCanvas*, int32_t, int32_t, int32_t&, int32_t&, int32_t&, bool& Intext) {
    // Still to come: the first section that answers.
    Intext = false;
    return -1;
}

int32_t TCellBasic::FindSourcePos(int32_t) {
    // Still to come: the first section that answers.
    return -1;
}

int32_t TCellBasic::FindString(int32_t, std::u16string_view, bool) {
    // Still to come: the first section that finds the text.
    return -1;
}

int32_t TCellBasic::FindStringR(int32_t, std::u16string_view, bool) {
    // Still to come: the sections from the last backwards.
    return -1;
}

bool TCellBasic::GetChAtPos(int32_t, char16_t& Ch, TSectionBase*& Obj) {
    // Still to come: the section that holds the position.
    Ch = 0;
    Obj = nullptr;
    return false;
}

void TCellBasic::CopyToClipboard() {
    // Still to come: the selected sections copy themselves.
}

void TCellBasic::AddSectionsToList() {
    for (int i = 0; i < Count(); ++i) GetItem(i)->AddSectionsToList();
}

bool TCellBasic::IsCopy() const { return FDocument && FDocument->IsCopy; }

// ---- block cells

int32_t TBlockCell::DoLogicX(TCanvas*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                             int32_t& ScrollWidth, int32_t& Curs) {
    // Still to come: the children laid out one below the other with their extent.
    StartCurs = Curs;
    ScrollWidth = 0;
    CellHeight = 0;
    Len = 0;
    return 0;
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

int32_t TCell::DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t BlHt,
                       int32_t& ScrollWidth, int32_t& Curs) {
    // Still to come: the float manager set up around the children; floats below the text extend the cell.
    return TCellBasic::DoLogic(Canvas, Y, Width, AHeight, BlHt, ScrollWidth, Curs);
}

int32_t TCell::Draw(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t Y, int32_t XRef,
                    int32_t YRef) {
    // Still to come: the float manager moved to X with its clip width.
    DrawYY = Y;
    return TCellBasic::Draw(Canvas, ARect, ClipWidth, X, Y, XRef, YRef);
}

// ---- table cell content

TCellObjCell::TCellObjCell(TBlock* Parent) : TCell(Parent) {}

TCellObjCell::TCellObjCell(TBlock* Parent, const TCellObjCell& T)
    : TCell(Parent ? Parent->Document() : nullptr, Parent, T), MyRect(T.MyRect) {}

ThtguResultType TCellObjCell::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                     TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    // Still to come: the cell's own title and link inside MyRect when the children gave none.
    return TCell::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
}
