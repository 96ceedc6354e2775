#pragma once
// Cells: ordered lists of sections laid out one under the other. The basic
// cell is the base of a block's cell, of a table cell's content and of the
// document; TCell adds a float manager of its own (the document and every
// table cell's content); TCellObjCell is a table cell's content with the
// rectangle it was drawn in and the cell's own title and link.
#include <cstdint>
#include <memory>
#include <string>

#include "html/layout/HtmlNodes.h"

class TSection;
class ThtDocument;

class TCellBasic : public TSectionBaseList {
public:
    // Owner block = Parent; the document from it.
    explicit TCellBasic(TBlock* Parent);
    // The cell of a document (Parent null) or of a block of ADocument.
    TCellBasic(ThtDocument* ADocument, TBlock* Parent);
    // A print copy of T: with CopySections, a copy of each section of T (by
    // its own class), in order. (The document copies its sections itself,
    // once it is whole.)
    TCellBasic(ThtDocument* ADocument, TBlock* Parent, const TCellBasic& T, bool CopySections = true);
    ~TCellBasic() override;

    // Lays the sections out from Y; answers the total height. A section that
    // raises EProcessError is dropped and layout goes on.
    virtual int32_t DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t BlHt,
                            int32_t& ScrollWidth, int32_t& Curs);
    // Paints the sections; answers the last one's answer, or Y when empty.
    virtual int32_t Draw(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t Y, int32_t XRef,
                         int32_t YRef);
    // The first section that finds something answers.
    virtual ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                   TFormControlObjBase*& FormControl, std::u16string* ATitle);
    virtual void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max);

    // Takes the section over and appends it (null is ignored); a text
    // section goes through AddSection.
    void Add(std::unique_ptr<TSectionBase> Item, int32_t TagIndex);
    // Finishes a text section and appends it, or frees it when it ended up
    // empty (no positions, no anchor, no clear, not preformatted). Section
    // is null afterwards either way.
    void AddSection(std::unique_ptr<TSection>& Section, int32_t TagIndex);
    // pdInline when every section is inline (also when empty), else pdBlock.
    ThtDisplayStyle GetContentDisplay() const;
    // Drops an automatic bottom margin of the last block (looking into a
    // list item's cell); true when one was dropped.
    bool CheckLastBottomMargin();
    int32_t FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt, bool& Intext);
    int32_t FindSourcePos(int32_t DocPos);
    int32_t FindString(int32_t From, std::u16string_view ToFind, bool MatchCase);
    int32_t FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase);
    bool GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj);
    void CopyToClipboard();
    void AddSectionsToList();
    bool IsCopy() const;

    ThtDocument* Document() const { return FDocument; }
    TBlock* OwnerBlock() const { return FOwnerBlock; }

    ThtDocument* FDocument = nullptr;
    TBlock* FOwnerBlock = nullptr;
    int32_t StartCurs = 0;
    int32_t Len = 0;
    TIndentManager* IMgr = nullptr;  // not owned
    bool BkGnd = false;
    TColor BkColor = clNone;
    int32_t tcDrawTop = 0, tcContentBot = 0, tcDrawBot = 0;  // extent found by the last layout
};

// The cell of a block.
class TBlockCell : public TCellBasic {
public:
    using TCellBasic::TCellBasic;
    // Lays the children out one below the other; answers the cell height.
    int32_t DoLogicX(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t Width, int32_t AHeight,
                     int32_t BlHt, int32_t& ScrollWidth, int32_t& Curs);

    int32_t CellHeight = 0;  // height of the laid-out children
    int32_t TextWidth = 0;
};

// A cell with a float manager of its own.
class TCell : public TCellBasic {
public:
    explicit TCell(TBlock* Parent);
    TCell(ThtDocument* ADocument, TBlock* Parent);
    TCell(ThtDocument* ADocument, TBlock* Parent, const TCell& T, bool CopySections = true);
    ~TCell() override;

    int32_t DoLogic(TCanvas* Canvas, int32_t Y, int32_t Width, int32_t AHeight, int32_t BlHt, int32_t& ScrollWidth,
                    int32_t& Curs) override;
    int32_t Draw(TCanvas* Canvas, const TRect& ARect, int32_t ClipWidth, int32_t X, int32_t Y, int32_t XRef,
                 int32_t YRef) override;

    int32_t DrawYY = 0;  // where it was last drawn

private:
    std::unique_ptr<TIndentManager> FOwnIMgr;
};

// The content of a table cell.
class TCellObjCell : public TCell {
public:
    explicit TCellObjCell(TBlock* Parent);
    // Copies MyRect only (and the sections).
    TCellObjCell(TBlock* Parent, const TCellObjCell& T);

    // The children first; then, inside MyRect, the cell's own title and link.
    ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                           TFormControlObjBase*& FormControl, std::u16string* ATitle) override;

    TRect MyRect;  // window coordinates of the last drawing
    std::u16string Title, Url, Target;
};
