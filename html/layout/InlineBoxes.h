#pragma once
// The document's inline boxes that carry borders or backgrounds (a SPAN with
// a border, a bordered form control), kept in source positions while the
// parser reads and converted to document positions for drawing; and the
// images whose drawing waits until the rest of the page is drawn.
#include <cstdint>

#include "html/layout/FreeList.h"
#include "html/layout/ModelTypes.h"
#include "html/text/Margins.h"

class TCanvas;
class TFontObj;
class TImageObj;
class TProperties;
class ThtDocument;

// One inline box.
struct ThtInThtLineRec {
    int32_t StartB = 0;         // document position of its first character (after conversion)
    int32_t EndB = NoPosition;  // document position of its end (after conversion)
    int32_t IDB = 0;            // identity of the property set that opened it
    int32_t StartBDoc = 0;      // source index of the start
    // Source index of the end; NoPosition until the end tag is read, so that
    // a box that is never closed ends at the end of the document.
    int32_t EndBDoc = NoPosition;
    ThtMarginArray MargArray{};  // margins, paddings, borders, colours and styles in pixels
};

class TInlineList : public TFreeList<ThtInThtLineRec> {
public:
    explicit TInlineList(ThtDocument* AnOwner);
    void Clear() override;
    // Source positions to document positions (through the owner). Without an
    // owner (it was cleared or went away while a print copy shares the list)
    // the positions stay as they were last converted.
    void ConvertPositions();
    // NoPosition for an index outside the list.
    int32_t GetStartB(int I);
    int32_t GetEndB(int I);

    bool NeedsConverting = true;
    ThtDocument* Owner;  // the document whose positions these are, or null
};

// One image whose drawing is deferred.
struct TImageRec {
    TImageObj* AObj = nullptr;
    TCanvas* ACanvas = nullptr;
    int32_t AX = 0, AY = 0, AYBaseline = 0;
    TFontObj* AFO = nullptr;  // the font run around the image
};

class TDrawList : public TFreeList<TImageRec> {
public:
    TDrawList() : TFreeList<TImageRec>(true) {}
    void AddImage(TImageObj* Obj, TCanvas* Canvas, int32_t X, int32_t Y, int32_t YBaseline, TFontObj* FO);
    // Draws the images in the order they were added; images added while they
    // are drawn wait for the next walk.
    void DrawImages();
};
