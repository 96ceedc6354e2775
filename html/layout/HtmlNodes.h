#pragma once
// The bases of the laid-out document: element nodes, sections (everything
// that takes part in vertical layout), blocks, stand-alone anchors, the list
// of sections, and the objects that sit in a line of text or float beside it.
//
// Coordinates are integer pixels; X grows to the right, Y is a document
// coordinate (0 at the top of the document); painting subtracts the
// document's scroll offset YOff to reach the canvas.
//
// A node never refers to what the parser frees: it keeps its own copy of the
// tag's attributes and of the property values it was made with (print copies
// share them), and its element symbol.
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>

#include "html/layout/FreeList.h"
#include "html/layout/IDObject.h"
#include "html/layout/ModelTypes.h"
#include "html/text/HtmlSymbols.h"
#include "html/text/StyleTypes.h"
#include "platform/framework/Graphics.h"

class TAttribute;
class TAttributeList;
class TBlock;
class TCellBasic;
class TFontObj;
class TFormControlObjBase;
class TImageObj;
class TIndentManager;
class TMapItem;
class TProperties;
class TUrlTarget;
class ThtDocument;

// A name or id anchor that has no element object of its own: it stands for a
// source position. The id list owns it.
class TChPosObj : public TIDObject {
public:
    TChPosObj(ThtDocument* ADocument, int32_t APos);
    // The caret Y of the document position of the source position, 0 when none.
    int32_t GetYPosition() const override;
    bool FreeMe() const override { return true; }
    int32_t ChPos() const { return FChPos; }
    ThtDocument* Document() const { return FDocument; }

private:
    ThtDocument* FDocument;
    int32_t FChPos;
};

class THtmlNode : public TIDObject {
public:
    // Owner cell = Parent; owner block and document come from Parent when it
    // is given. Attributes and Properties (either may be null) are copied.
    THtmlNode(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Properties, std::u16string_view ID);
    ~THtmlNode() override;

    // The node's attribute of the symbol; false and null when there is none.
    virtual bool FindAttribute(TAttrSymb Sy, TAttribute*& Attr) const;
    virtual THtmlNode* GetChild(int Index) const;
    // The node belongs to a print copy of a document.
    virtual bool IsCopy() const;
    virtual int IndexOf(const THtmlNode* Child) const;

    // The element symbol of the property set the node was made with.
    TElemSymb Symbol() const { return FSymbol; }
    TBlock* OwnerBlock() const { return FOwnerBlock; }
    void SetOwnerBlock(TBlock* v) { FOwnerBlock = v; }
    TCellBasic* OwnerCell() const { return FOwnerCell; }
    void SetOwnerCell(TCellBasic* v) { FOwnerCell = v; }
    ThtDocument* Document() const { return FDocument; }
    // The node's own copies, null when it was made without them.
    TAttributeList* Attributes() const { return FAttributes.get(); }
    TProperties* Properties() const { return FProperties.get(); }

protected:
    // The copy constructor of print copies: id, attributes and properties
    // from Source; owner cell, owner block and document from Parent.
    THtmlNode(TCellBasic* Parent, const THtmlNode& Source);
    // Enters the node in the document's id list under Name (nothing without
    // a document, its list, or a name); the node leaves it when destroyed.
    void RegisterName(const std::u16string& Name);

    ThtDocument* FDocument = nullptr;
    TBlock* FOwnerBlock = nullptr;
    TCellBasic* FOwnerCell = nullptr;
    std::shared_ptr<TAttributeList> FAttributes;
    std::shared_ptr<TProperties> FProperties;
    TElemSymb FSymbol = OtherChar;

private:
    void TakeParent(TCellBasic* Parent);
    bool FRegistered = false;
};

class TSectionBase : public THtmlNode {
public:
    // The id and class from Properties (PropID, PropClass) when given, else
    // from the attribute list.
    TSectionBase(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop);
    TSectionBase(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop, std::u16string_view TheId,
                 std::u16string_view TheClass);
    ~TSectionBase() override;

    int32_t GetYPosition() const override { return ContentTop; }
    // A copy of the section, made by its own class, for the cell Parent of a
    // print copy.
    virtual std::unique_ptr<TSectionBase> CreateCopy(TCellBasic* Parent) const = 0;
    // pdInlineBlock and pdInlineTable report pdInline.
    virtual ThtDisplayStyle GetOuterDisplay() const;
    // pdInlineBlock reports pdBlock, pdInlineTable pdTable.
    virtual ThtDisplayStyle GetInnerDisplay() const;
    // The caret position of a document position.
    virtual bool CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y);
    // Lays the section out at (X, Y) within AWidth; answers the height taken.
    // XRef, YRef: origin of positioned descendants; AHeight: the height
    // available (for percentages); BlHt: the block height; IMgr: the float
    // manager in force; MaxWidth: the width the section needs; Curs: the
    // running document position.
    virtual int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                               int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth,
                               int32_t& Curs) = 0;
    // Paints what lies in the clip rectangle ARect (canvas coordinates);
    // answers the Y below the section.
    virtual int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                          int32_t YRef);
    // The document position at a point, or -1.
    virtual int32_t FindCursor(TCanvas* Canvas, int32_t X, int32_t Y, int32_t& XR, int32_t& YR, int32_t& CaretHt,
                               bool& Intext);
    virtual int32_t FindDocPos(int32_t SourcePos, bool Prev);
    virtual int32_t FindSourcePos(int32_t DocPos);
    virtual int32_t FindString(int32_t From, std::u16string_view ToFind, bool MatchCase);
    virtual int32_t FindStringR(int32_t From, std::u16string_view ToFind, bool MatchCase);
    virtual bool GetChAtPos(int32_t Pos, char16_t& Ch, TSectionBase*& Obj);
    // What lies at a point: a set of guUrl, guControl, guTitle. A found link
    // target becomes the caller's; ATitle is written only when given.
    virtual ThtguResultType GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                   TFormControlObjBase*& FormControl, std::u16string* ATitle);
    virtual bool PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY);
    // The point (document Y) lies in DrawRect (canvas coordinates; left and
    // top edges inside); IX, IY are the offsets from its top-left corner.
    virtual bool PtInDrawRect(int32_t X, int32_t Y, int32_t& IX, int32_t& IY);
    virtual void AddSectionsToList();
    virtual void CopyToClipboard();
    virtual void MinMaxWidth(TCanvas* Canvas, int32_t& Min, int32_t& Max);

    ThtDisplayStyle Display() const { return FDisplay; }
    void SetDisplay(ThtDisplayStyle v) { FDisplay = v; }

    ThtDisplayStyle FDisplay = pdUnassigned;
    int32_t StartCurs = 0;  // first document position of the section
    int32_t Len = 0;        // document positions it covers
    int32_t ZIndex = 0;
    int32_t YDraw = 0;               // where the section's slot in the flow begins
    int32_t DrawTop = 0;             // top of the drawn box
    int32_t ContentTop = NotPlaced;  // top of the content (the YPosition)
    int32_t ContentBot = 0;          // where the next section begins
    int32_t DrawBot = 0;             // lowest Y the section paints
    int32_t SectionHeight = 0;       // height taken in the flow
    int32_t DrawHeight = 0;          // height down to the lowest float it holds
    TRect DrawRect{NotPlaced, NotPlaced, 0, 0};
    std::u16string TagClass;  // "tag.class#id"

protected:
    // Copies the display, SectionHeight and ZIndex.
    TSectionBase(TCellBasic* Parent, const TSectionBase& Source);
};

class TBlockBase : public TSectionBase {
public:
    TBlockBase(TCellBasic* Parent, int32_t Position, TAttributeList* Attributes, TProperties* Prop);

    ThtBoxPositionStyle Positioning = posStatic;
    ThtAlignmentStyle Floating = aNone;  // aNone, aLeft or aRight
    int32_t Indent = 0;                  // offset of the content from the X the block was given

protected:
    TBlockBase(TCellBasic* Parent, const TBlockBase& Source);
};

// The sections of a cell, owned, in flow order.
class TSectionBaseList : public TFreeList<TSectionBase> {
public:
    explicit TSectionBaseList(bool OwnsObjects = true) : TFreeList<TSectionBase>(OwnsObjects) {}
    TSectionBase* GetItem(int Index) const { return Items(Index); }
    // The first section that answers.
    virtual bool CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y);
    // With Prev the last matching section answers first.
    virtual int32_t FindDocPos(int32_t SourcePos, bool Prev);
    bool PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY);
};

// Images, form controls, frames, panels and meters: they sit in the text of
// a section like large characters or float beside it; the section places
// (DrawLogicInline) and paints (DrawInline) them.
class TFloatingObj : public TBlockBase {
public:
    TFloatingObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop);

    virtual int32_t GetClientHeight() const = 0;
    virtual int32_t GetClientWidth() const = 0;
    virtual void SetClientHeight(int32_t Value) = 0;
    virtual void SetClientWidth(int32_t Value) = 0;
    // Sizes the object in the line of FO (the font run around it, may be null).
    virtual void DrawLogicInline(TCanvas* Canvas, TFontObj* FO, int32_t AvailableWidth, int32_t AvailableHeight) = 0;
    virtual void DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) = 0;

    // Placed and painted by the section that holds the object.
    int32_t DrawLogic1(TCanvas* Canvas, int32_t X, int32_t Y, int32_t XRef, int32_t YRef, int32_t AWidth,
                       int32_t AHeight, int32_t BlHt, TIndentManager* IMgr, int32_t& MaxWidth, int32_t& Curs) override;
    int32_t Draw1(TCanvas* Canvas, const TRect& ARect, TIndentManager* IMgr, int32_t X, int32_t XRef,
                  int32_t YRef) override;

    // A copy made by the object's own class.
    std::unique_ptr<TFloatingObj> Clone(TCellBasic* Parent) const;
    int32_t ClientHeight() const { return GetClientHeight(); }
    int32_t ClientWidth() const { return GetClientWidth(); }
    int32_t TotalWidth() const { return ClientWidth() + HSpaceL + HSpaceR; }
    int32_t TotalHeight() const { return ClientHeight() + VSpaceT + VSpaceB; }

    ThtAlignmentStyle VertAlign = aBottom;
    int32_t HSpaceL = 0, HSpaceR = 0, VSpaceT = 0, VSpaceB = 0;  // space kept free around it
    bool PercentWidth = false, PercentHeight = false;            // the specified size is a percentage
    int32_t DrawYY = 0;                                          // where it was last drawn (document Y)
    int32_t DrawXX = 0;

protected:
    TFloatingObj(TCellBasic* Parent, const TFloatingObj& Source);
};

// The floating objects of one text section in increasing StartCurs (owned).
class TFloatingObjList : public TFreeList<TFloatingObj> {
public:
    explicit TFloatingObjList(bool OwnsObjects = true) : TFreeList<TFloatingObj>(OwnsObjects) {}
    // Appends a clone of every object of T, made for Parent.
    void CopyFrom(TCellBasic* Parent, const TFloatingObjList& T);
    // After the character at N was removed: the objects after N move back by one.
    void Decrement(int32_t N);
    // The distance from Posn to the first object at or after it (Obj), or
    // NoItemDistance and null.
    int32_t GetObjectAt(int32_t Posn, TFloatingObj*& Obj) const;
    // The object at exactly Posn, or null.
    TFloatingObj* FindObject(int32_t Posn) const;
    bool PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) const;
    // The first image hit: its map kinds, position and, for a client-side
    // map the document holds, the map.
    bool PtInImage(int32_t X, int32_t Y, int32_t& IX, int32_t& IY, int32_t& Posn, bool& AMap, bool& UMap,
                   TMapItem*& MapItem, TImageObj*& ImageObj) const;
};
