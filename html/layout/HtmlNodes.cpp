#include "html/layout/HtmlNodes.h"

#include "html/layout/AttributeList.h"
#include "html/layout/Blocks.h"
#include "html/layout/Cells.h"
#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/Properties.h"

// ---- stand-alone anchors

TChPosObj::TChPosObj(ThtDocument* ADocument, int32_t APos) : FDocument(ADocument), FChPos(APos) {}

int32_t TChPosObj::GetYPosition() const {
    if (!FDocument) return 0;
    const int32_t pos = FDocument->FindDocPos(FChPos, false);
    int32_t x = 0, y = 0;
    return FDocument->CursorToXY(nullptr, pos, x, y) ? y : 0;
}

// ---- nodes

namespace {

// The node's own copy of a property set: nothing in it refers to the
// parser's stack or to the tag's style set, which go away after the parse.
std::shared_ptr<TProperties> ownCopy(const TProperties* P) {
    if (!P) return nullptr;
    std::shared_ptr<TProperties> copy = TProperties::CreateCopy(*P);
    copy->PropStack = nullptr;
    copy->PropStyle = nullptr;
    copy->PropSym = P->PropSym;
    return copy;
}

}  // namespace

THtmlNode::THtmlNode(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Properties, std::u16string_view ID)
    : TIDObject(ID) {
    TakeParent(Parent);
    if (Attributes) FAttributes = TAttributeList::CreateCopy(*Attributes);
    FProperties = ownCopy(Properties);
    if (Properties) FSymbol = Properties->PropSym;
    RegisterName(FHtmlId);
}

THtmlNode::THtmlNode(TCellBasic* Parent, const THtmlNode& Source)
    : TIDObject(Source.FHtmlId), FAttributes(Source.FAttributes), FProperties(Source.FProperties),
      FSymbol(Source.FSymbol) {
    FGlobalId = Source.FGlobalId;
    TakeParent(Parent);
    RegisterName(FHtmlId);
}

THtmlNode::~THtmlNode() {
    // The id list must never hold a node that is gone.
    if (FRegistered && FDocument && FDocument->IDNameList) FDocument->IDNameList->RemoveObject(this);
}

void THtmlNode::TakeParent(TCellBasic* Parent) {
    FOwnerCell = Parent;
    if (Parent) {
        FOwnerBlock = Parent->OwnerBlock();
        FDocument = Parent->Document();
    }
}

void THtmlNode::RegisterName(const std::u16string& Name) {
    if (Name.empty() || !FDocument || !FDocument->IDNameList) return;
    // The text inside a block is made with the block's own properties, id
    // included; the id still names the block. Taken by the text, it would
    // name an inline run, and be lost when an empty run is dropped.
    const int held = FDocument->IDNameList->IndexOf(Name);
    if (held >= 0 && FOwnerBlock && FDocument->IDNameList->GetObject(held) == FOwnerBlock) return;
    FDocument->IDNameList->AddObject(Name, this);
    FRegistered = true;
}

bool THtmlNode::FindAttribute(TAttrSymb Sy, TAttribute*& Attr) const {
    Attr = nullptr;
    return FAttributes && FAttributes->Find(Sy, Attr);
}

THtmlNode* THtmlNode::GetChild(int) const { return nullptr; }

bool THtmlNode::IsCopy() const { return FDocument && FDocument->IsCopy; }

int THtmlNode::IndexOf(const THtmlNode*) const { return -1; }

// ---- sections

namespace {

std::u16string idOf(TAttributeList* Attributes, TProperties* Prop) {
    if (Prop) return Prop->PropID;
    return Attributes ? Attributes->TheID() : std::u16string();
}

std::u16string classOf(TAttributeList* Attributes, TProperties* Prop) {
    if (Prop) return Prop->PropClass;
    return Attributes ? Attributes->TheClass() : std::u16string();
}

}  // namespace

TSectionBase::TSectionBase(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop)
    : TSectionBase(Parent, Attributes, Prop, idOf(Attributes, Prop), classOf(Attributes, Prop)) {}

TSectionBase::TSectionBase(TCellBasic* Parent, TAttributeList* Attributes, TProperties* Prop, std::u16string_view TheId,
                           std::u16string_view TheClass)
    : THtmlNode(Parent, Attributes, Prop, TheId) {
    if (Prop) FDisplay = Prop->GetDisplay();
    // Always "tag.class#id" (the id as the node keeps it), also when class or id are empty.
    TagClass = (Prop ? Prop->PropTag : std::u16string()) + u"." + std::u16string(TheClass) + u"#" + FHtmlId;
}

TSectionBase::TSectionBase(TCellBasic* Parent, const TSectionBase& Source)
    : THtmlNode(Parent, Source), FDisplay(Source.FDisplay), ZIndex(Source.ZIndex), SectionHeight(Source.SectionHeight) {
}

TSectionBase::~TSectionBase() {
    // The document's list of sections by position never keeps one that is gone.
    if (FDocument && FDocument->PositionList && !FDocument->PositionList->Empty())
        FDocument->PositionList->Remove(this);
}

ThtDisplayStyle TSectionBase::GetOuterDisplay() const {
    return FDisplay == pdInlineBlock || FDisplay == pdInlineTable ? pdInline : FDisplay;
}

ThtDisplayStyle TSectionBase::GetInnerDisplay() const {
    if (FDisplay == pdInlineBlock) return pdBlock;
    if (FDisplay == pdInlineTable) return pdTable;
    return FDisplay;
}

bool TSectionBase::CursorToXY(TCanvas*, int32_t, int32_t&, int32_t&) { return false; }

int32_t TSectionBase::Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t) {
    return YDraw + SectionHeight;
}

int32_t TSectionBase::FindCursor(TCanvas*, int32_t, int32_t, int32_t&, int32_t&, int32_t&, bool& Intext) {
    Intext = false;
    return -1;
}

int32_t TSectionBase::FindDocPos(int32_t, bool) { return -1; }
int32_t TSectionBase::FindSourcePos(int32_t) { return -1; }
int32_t TSectionBase::FindString(int32_t, std::u16string_view, bool) { return -1; }
int32_t TSectionBase::FindStringR(int32_t, std::u16string_view, bool) { return -1; }

bool TSectionBase::GetChAtPos(int32_t, char16_t& Ch, TSectionBase*& Obj) {
    Ch = 0;
    Obj = nullptr;
    return false;
}

ThtguResultType TSectionBase::GetURL(TCanvas*, int32_t, int32_t, std::unique_ptr<TUrlTarget>& UrlTarg,
                                     TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    UrlTarg.reset();
    FormControl = nullptr;
    if (ATitle) ATitle->clear();
    return 0;
}

bool TSectionBase::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    if (!PtInDrawRect(X, Y, IX, IY)) return false;
    Obj = this;
    return true;
}

bool TSectionBase::PtInDrawRect(int32_t X, int32_t Y, int32_t& IX, int32_t& IY) {
    if (FDisplay == pdNone) return false;
    const int64_t y = int64_t(Y) - (FDocument ? FDocument->YOff : 0);
    if (X < DrawRect.Left || X >= DrawRect.Right || y < DrawRect.Top || y >= DrawRect.Bottom) return false;
    IX = X - DrawRect.Left;
    IY = int32_t(y - DrawRect.Top);
    return true;
}

void TSectionBase::AddSectionsToList() {
    if (FDocument) FDocument->AddSectionToPositionList(this);
}

void TSectionBase::CopyToClipboard() {}

void TSectionBase::MinMaxWidth(TCanvas*, int32_t& Min, int32_t& Max) {
    Min = 0;
    Max = 0;
}

// ---- blocks

TBlockBase::TBlockBase(TCellBasic* Parent, int32_t Position, TAttributeList* Attributes, TProperties* Prop)
    : TSectionBase(Parent, Attributes, Prop) {
    if (FDisplay == pdUnassigned) FDisplay = pdBlock;
    StartCurs = Position;
    if (Prop) {
        ThtAlignmentStyle f = aNone;
        if (Prop->GetFloat(f) && (f == aLeft || f == aRight)) Floating = f;
        Positioning = Prop->GetPosition();
    }
    if (Positioning == posAbsolute) Floating = aNone;
}

TBlockBase::TBlockBase(TCellBasic* Parent, const TBlockBase& Source)
    : TSectionBase(Parent, Source), Positioning(Source.Positioning), Floating(Source.Floating), Indent(Source.Indent) {}

// ---- section lists

bool TSectionBaseList::CursorToXY(TCanvas* Canvas, int32_t Cursor, int32_t& X, int32_t& Y) {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->CursorToXY(Canvas, Cursor, X, Y)) return true;
    return false;
}

int32_t TSectionBaseList::FindDocPos(int32_t SourcePos, bool Prev) {
    if (Prev) {
        for (int i = Count() - 1; i >= 0; --i)
            if (const int32_t p = Items(i)->FindDocPos(SourcePos, true); p >= 0) return p;
    } else {
        for (int i = 0; i < Count(); ++i)
            if (const int32_t p = Items(i)->FindDocPos(SourcePos, false); p >= 0) return p;
    }
    return -1;
}

bool TSectionBaseList::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->PtInObject(X, Y, Obj, IX, IY)) return true;
    return false;
}

// ---- floating objects

TFloatingObj::TFloatingObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TBlockBase(Parent, Position, L, Prop) {
    StartCurs = Position;
}

TFloatingObj::TFloatingObj(TCellBasic* Parent, const TFloatingObj& Source)
    : TBlockBase(Parent, Source), VertAlign(Source.VertAlign), HSpaceL(Source.HSpaceL), HSpaceR(Source.HSpaceR),
      VSpaceT(Source.VSpaceT), VSpaceB(Source.VSpaceB), PercentWidth(Source.PercentWidth),
      PercentHeight(Source.PercentHeight), DrawYY(Source.DrawYY), DrawXX(Source.DrawXX) {}

int32_t TFloatingObj::DrawLogic1(TCanvas*, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t, int32_t,
                                 TIndentManager*, int32_t&, int32_t&) {
    return SectionHeight;
}

int32_t TFloatingObj::Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t) { return ContentBot; }

std::unique_ptr<TFloatingObj> TFloatingObj::Clone(TCellBasic* Parent) const {
    std::unique_ptr<TSectionBase> copy = CreateCopy(Parent);
    auto* obj = dynamic_cast<TFloatingObj*>(copy.get());
    if (!obj) return nullptr;
    copy.release();
    return std::unique_ptr<TFloatingObj>(obj);
}

void TFloatingObjList::CopyFrom(TCellBasic* Parent, const TFloatingObjList& T) {
    for (int i = 0; i < T.Count(); ++i)
        if (std::unique_ptr<TFloatingObj> c = T.Items(i)->Clone(Parent)) Add(std::move(c));
}

void TFloatingObjList::Decrement(int32_t N) {
    for (int i = Count() - 1; i >= 0; --i) {
        TFloatingObj* o = Items(i);
        if (o->StartCurs <= N) break;
        --o->StartCurs;
    }
}

int32_t TFloatingObjList::GetObjectAt(int32_t Posn, TFloatingObj*& Obj) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->StartCurs >= Posn) {
            Obj = Items(i);
            return Obj->StartCurs - Posn;
        }
    Obj = nullptr;
    return NoItemDistance;
}

TFloatingObj* TFloatingObjList::FindObject(int32_t Posn) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->StartCurs == Posn) return Items(i);
    return nullptr;
}

bool TFloatingObjList::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) const {
    for (int i = 0; i < Count(); ++i)
        if (Items(i)->PtInDrawRect(X, Y, IX, IY)) {
            Obj = Items(i);
            return true;
        }
    return false;
}

bool TFloatingObjList::PtInImage(int32_t X, int32_t Y, int32_t& IX, int32_t& IY, int32_t& Posn, bool& AMap, bool& UMap,
                                 TMapItem*& MapItem, TImageObj*& ImageObj) const {
    for (int i = 0; i < Count(); ++i) {
        auto* img = dynamic_cast<TImageObj*>(Items(i));
        if (!img || !img->PtInDrawRect(X, Y, IX, IY)) continue;
        AMap = img->IsMap;
        Posn = img->StartCurs;
        ImageObj = img;
        UMap = false;
        MapItem = nullptr;
        if (img->UseMap && img->Document())
            for (const std::unique_ptr<TMapItem>& m : img->Document()->MapList)
                if (m->MapName == img->MapName) {
                    UMap = true;
                    MapItem = m.get();
                    break;
                }
        return true;
    }
    return false;
}
