#include "html/layout/Sections.h"

#include "html/layout/AttributeList.h"
#include "html/layout/ControlObjs.h"
#include "html/layout/Document.h"
#include "html/layout/TokenBuffers.h"
#include "html/text/Fonts.h"
#include "html/text/Properties.h"

// Construction, content and positions are in SectionContent.cpp; measuring
// and line breaking in SectionLayout.cpp.

// ---- drawing, caret, selection and search

int32_t TSection::Draw1(TCanvas*, const TRect&, TIndentManager*, int32_t, int32_t, int32_t) {
    // Still to come: the lines with their runs, selection, objects and inline borders.
    return YDraw + SectionHeight;
}

bool TSection::CursorToXY(TCanvas*, int32_t, int32_t&, int32_t&) {
    // Still to come: the point of a caret position.
    return false;
}

int32_t TSection::FindCursor(TCanvas*, int32_t, int32_t, int32_t&, int32_t&, int32_t&, bool& Intext) {
    // Still to come: the caret position at a point.
    Intext = false;
    return -1;
}

int32_t TSection::FindString(int32_t, std::u16string_view, bool) {
    // Still to come: the forward search.
    return -1;
}

int32_t TSection::FindStringR(int32_t, std::u16string_view, bool) {
    // Still to come: the backward search.
    return -1;
}

ThtguResultType TSection::GetURL(TCanvas* Canvas, int32_t X, int32_t Y, std::unique_ptr<TUrlTarget>& UrlTarg,
                                 TFormControlObjBase*& FormControl, std::u16string* ATitle) {
    // Still to come: images, maps, links and titles at the point.
    return TSectionBase::GetURL(Canvas, X, Y, UrlTarg, FormControl, ATitle);
}

bool TSection::PtInObject(int32_t X, int32_t Y, TSectionBase*& Obj, int32_t& IX, int32_t& IY) {
    return Images.PtInObject(X, Y, Obj, IX, IY) || TSectionBase::PtInObject(X, Y, Obj, IX, IY);
}

void TSection::CopyToClipboard() {
    // Still to come: the selected characters handed to the document's collector.
}
