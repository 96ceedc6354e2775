// The document as the parser sees it while it builds the document.
#include "html/layout/Document.h"

TStyleList& ThtDocument::ParserStyles() {
    // A print copy has no style list and is never parsed into.
    if (!Styles) Styles = std::make_unique<TStyleList>(FUseQuirksMode);
    return *Styles;
}

void ThtDocument::ParserProcessInlines(int32_t SIndex, TProperties& Prop, bool Start) {
    ProcessInlines(SIndex, &Prop, Start);
}

void ThtDocument::ParserAddIDName(const std::u16string& Name, int32_t Pos) { AddChPosObjectToIDNameList(Name, Pos); }

void ThtDocument::ParserProgress(int32_t Percent) {
    if (TheOwner) TheOwner->htProgress(Percent);
}
