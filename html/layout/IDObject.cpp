#include "html/layout/IDObject.h"

#include "html/text/HtmlText.h"

TIDObject::TIDObject(std::u16string_view AHtmlID) : FHtmlId(htmltext::trim(AHtmlID)) {}
