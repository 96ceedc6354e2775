#include "html/layout/HtmlViewerTypes.h"

const TEnumInfo HTMLBorderStyleInfo{"THTMLBorderStyle", {"htFocused", "htNone", "htSingle"}};
const TEnumInfo HtmlFileTypeInfo{"THtmlFileType", {"HTMLType", "TextType", "ImgType", "XHtmlType", "OtherType"}};
const TEnumInfo HtmlViewerOptionInfo{
    "THtmlViewerOptions",
    {"htOverLinksActive", "htNoLinkUnderline", "htPrintTableBackground", "htPrintBackground", "htPrintMonochromeBlack",
     "htShowDummyCaret", "htShowVScroll", "htNoWheelMouse", "htNoLinkHilite", "htNoFocusRect",
     "htAllowHotSpotDblClick"}};
