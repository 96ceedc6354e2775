#include "html/viewer/FormControlSupport.h"

#include "html/layout/AttributeList.h"
#include "html/layout/Document.h"
#include "html/layout/SizeableObjs.h"
#include "html/text/Fonts.h"
#include "html/text/Properties.h"
#include "html/viewer/FormControlFrames.h"
#include "platform/framework/Controls.h"
#include "platform/framework/DeviceContext.h"

namespace formcontrols {

void AssignPropertiesFont(TControl* Control, TProperties* Prop) {
    if (!Control || !Prop) return;
    if (std::unique_ptr<ThtFont> font = Prop->GetFont()) Control->SetFont(font.get());
}

bool PrintsMono(const ThtDocument* Doc, TCanvas* Canvas) {
    return Doc && Doc->PrintMonoBlack && IsMonochromeCanvas(Canvas);
}

void SelectTextFont(TCanvas* Canvas, const ThtDocument* Doc, const TFont* Font) {
    if (Font) Canvas->Font()->Assign(const_cast<TFont*>(Font));
    Canvas->Font()->SetColor(DocumentThemedColor(Doc, Canvas->Font()->Color(), seFont));
    Canvas->Brush()->SetStyle(bsClear);
    // The text of the page may have left the alignment at the baseline.
    if (TDeviceContext* dc = Canvas->Handle()) dc->SetTextAlign(TA_LEFT | TA_TOP);
}

std::u16string AttributeText(const TAttributeList* L, TAttrSymb Sy, bool* Present) {
    TAttribute* a = nullptr;
    const bool found = L && L->Find(Sy, a);
    if (Present) *Present = found;
    return found ? a->Name : std::u16string();
}

}  // namespace formcontrols
