#include "html/layout/SizeableObjs.h"

#include "html/layout/Document.h"

// ---- sizeable objects

TSizeableObj::TSizeableObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TFloatingObj(Parent, Position, L, Prop) {
    // Still to come: ALIGN, HEIGHT, WIDTH, HSPACE and VSPACE, and the quirks spaces of floats.
}

TSizeableObj::TSizeableObj(TCellBasic* Parent) : TFloatingObj(Parent, 0, nullptr, nullptr) {
    NoBorder = true;
}

TSizeableObj::TSizeableObj(TCellBasic* Parent, const TSizeableObj& Source)
    : TFloatingObj(Parent, Source), FAlt(Source.FAlt), FClientHeight(Source.FClientHeight),
      FClientWidth(Source.FClientWidth), ClientSizeKnown(Source.ClientSizeKnown), SpecWidth(Source.SpecWidth),
      SpecHeight(Source.SpecHeight), Title(Source.Title), NoBorder(Source.NoBorder), BorderSize(Source.BorderSize) {}

void TSizeableObj::SetAlt(int, std::u16string_view Value) {
    // Still to come: line ends at the end of the text removed.
    FAlt = Value;
}

void TSizeableObj::ProcessProperties(TProperties*) {
    // Still to come: alignment, float, margins, size and border from the property set.
}

void TSizeableObj::CalcSize(int32_t, int32_t, bool, int32_t, int32_t) {
    // Still to come: the client size from the specified size, the room and the picture.
}

bool TSizeableObj::PtInDrawRect(int32_t, int32_t, int32_t&, int32_t&) {
    // Still to come: the point inside the client area less the border.
    return false;
}

void TSizeableObj::DrawInline(TCanvas*, int32_t X, int32_t, int32_t, TFontObj*) {
    if (!IsCopy()) DrawXX = X;
}

// ---- images

TImageObj::TImageObj(TCellBasic* Parent, int32_t Position, TAttributeList* L, TProperties* Prop)
    : TSizeableObj(Parent, Position, L, Prop) {
    // Still to come: ACTIVE, ALT, BORDER, ISMAP, NAME, SRC, TRANSP, USEMAP and TITLE.
}

TImageObj::TImageObj(TCellBasic* Parent, std::u16string_view AnURL) : TSizeableObj(Parent), FSource(AnURL) {}

TImageObj::TImageObj(TCellBasic* Parent, const TImageObj& Source)
    : TSizeableObj(Parent, Source), FSource(Source.FSource), FImage(Source.FImage), OrigImage(Source.OrigImage),
      Transparent(Source.Transparent), FHover(Source.FHover), FHoverImage(Source.FHoverImage),
      AltHeight(Source.AltHeight), AltWidth(Source.AltWidth), ObjHeight(Source.ObjHeight),
      ObjWidth(Source.ObjWidth), IsMap(Source.IsMap), UseMap(Source.UseMap), MapName(Source.MapName),
      Swapped(Source.Swapped), Missing(Source.Missing) {}

TImageObj::~TImageObj() {
    // The document never keeps an image object that is gone.
    if (FDocument) {
        if (FDocument->ActiveImage == this) FDocument->ActiveImage = nullptr;
        std::erase_if(FDocument->MissingImages, [this](const ThtMissingImage& m) { return m.Image == this; });
    }
    // Still to come: the image cache's use of the source dropped.
}

std::unique_ptr<TSectionBase> TImageObj::CreateCopy(TCellBasic* Parent) const {
    return std::unique_ptr<TSectionBase>(new TImageObj(Parent, *this));
}

void TImageObj::DrawLogicInline(TCanvas*, TFontObj*, int32_t, int32_t) {
    // Still to come: loading the picture and sizing the object and its alternative-text box.
}

void TImageObj::DrawInline(TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    // Still to come: the picture, placeholder, border and focus mark by alignment.
    TSizeableObj::DrawInline(Canvas, X, Y, YBaseline, FO);
}

void TImageObj::DoDraw(TCanvas*, int32_t, int32_t, ThtImage*) {
    // Still to come: drawing or printing the picture, failures kept as the last drawing error.
}

void TImageObj::SetHover(ThtHover Value) {
    // Still to come: the hover frames and animation of GIF pictures.
    FHover = Value;
}

bool TImageObj::InsertImage(std::u16string_view, bool, bool& Reformat) {
    // Still to come: the pending picture replaced by the one that arrived.
    Reformat = false;
    return false;
}

void TImageObj::ReplaceImage(TStream&) {
    // Still to come: the picture replaced from a stream.
}

TBitmap* TImageObj::Bitmap() const {
    // Still to come: the framework bitmap of the picture.
    return nullptr;
}

TSizeableObj* TSizeableObjList::GetItem(int Index) const { return static_cast<TSizeableObj*>(Items(Index)); }
