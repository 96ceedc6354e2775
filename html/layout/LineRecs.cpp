#include "html/layout/LineRecs.h"

#include "html/layout/Document.h"
#include "html/layout/Sections.h"

ThtLineRec::ThtLineRec(TSection* SL) {
    ThtDocument* doc = SL ? SL->Document() : nullptr;
    FirstDraw = doc && doc->InlineList && !doc->InlineList->Empty();
}

void ThtLineRec::Clear() { BorderList.reset(); }
