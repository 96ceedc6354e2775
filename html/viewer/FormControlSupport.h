#pragma once
// Small steps the typed form controls share.
#include <string>

#include "html/text/HtmlSymbols.h"
#include "platform/framework/Graphics.h"

class TAttributeList;
class TControl;
class TProperties;
class ThtDocument;

namespace formcontrols {

// Window controls wait here, off the page, until the layout draws them.
constexpr int OffScreenLeft = -4000;

// The window control takes the font of the tag's properties.
void AssignPropertiesFont(TControl* Control, TProperties* Prop);
// Whether the page prints black on white and the device is monochrome.
bool PrintsMono(const ThtDocument* Doc, TCanvas* Canvas);
// The canvas writes in the font, its colour through the visual style, on a
// clear brush, aligned at its top left.
void SelectTextFont(TCanvas* Canvas, const ThtDocument* Doc, const TFont* Font);
// The text of an attribute of the tag; empty when it is missing.
std::u16string AttributeText(const TAttributeList* L, TAttrSymb Sy, bool* Present = nullptr);

}  // namespace formcontrols
