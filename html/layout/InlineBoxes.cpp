#include "html/layout/InlineBoxes.h"

#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"

TInlineList::TInlineList(ThtDocument* AnOwner) : TFreeList<ThtInThtLineRec>(true), Owner(AnOwner) {}

void TInlineList::Clear() {
    TFreeList<ThtInThtLineRec>::Clear();
    NeedsConverting = true;
}

void TInlineList::ConvertPositions() {
    // Still to come: source indices turned into document positions through the owner.
    NeedsConverting = false;
}

int32_t TInlineList::GetStartB(int I) {
    if (NeedsConverting) ConvertPositions();
    return I >= 0 && I < Count() ? Items(I)->StartB : NoPosition;
}

int32_t TInlineList::GetEndB(int I) {
    if (NeedsConverting) ConvertPositions();
    return I >= 0 && I < Count() ? Items(I)->EndB : NoPosition;
}

void TDrawList::AddImage(TImageObj* Obj, TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO) {
    Add(new TImageRec{Obj, Canvas, X, Y, YBaseline, FO});
}

void TDrawList::DrawImages() {
    // Still to come: every image drawn in place (those present when the walk starts).
}
