#include "html/layout/InlineBoxes.h"

#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"

TInlineList::TInlineList(ThtDocument* AnOwner) : TFreeList<ThtInThtLineRec>(true), Owner(AnOwner) {}

void TInlineList::Clear() {
    TFreeList<ThtInThtLineRec>::Clear();
    NeedsConverting = true;
}

void TInlineList::ConvertPositions() {
    NeedsConverting = false;
    if (!Owner) return;
    for (int i = 0; i < Count(); ++i) {
        ThtInThtLineRec* box = Items(i);
        box->StartB = Owner->FindDocPos(box->StartBDoc, false);
        box->EndB = Owner->FindDocPos(box->EndBDoc, false);
        // A box without characters still covers the one before its place.
        if (box->StartB == box->EndB) --box->StartB;
    }
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
    const int n = Count();
    for (int i = 0; i < n && i < Count(); ++i) {
        const TImageRec* rec = Items(i);
        if (rec->AObj) rec->AObj->DrawInline(rec->ACanvas, rec->AX, rec->AY, rec->AYBaseline, rec->AFO);
    }
}
