#pragma once
// What the program's windows name of the HTML viewer (html/viewer): border
// styles, document types, viewer options and the printing event.
#include <cstdint>
#include <functional>

#include "platform/framework/TypInfo.h"

class TObject;

enum THTMLBorderStyle { htFocused, htNone, htSingle };
extern const TEnumInfo HTMLBorderStyleInfo;

// What a load takes its text for.
enum THtmlFileType { HTMLType, TextType, ImgType, XHtmlType, OtherType };
extern const TEnumInfo HtmlFileTypeInfo;

enum THtmlViewerOption {
    htOverLinksActive,       // links change colour under the mouse
    htNoLinkUnderline,       // links are not underlined
    htPrintTableBackground,  // table backgrounds print
    htPrintBackground,       // the page background prints
    htPrintMonochromeBlack,  // a monochrome printer prints text black
    htShowDummyCaret,
    htShowVScroll,           // the vertical bar is always shown
    htNoWheelMouse,          // no wheel or middle-button scrolling by the viewer
    htNoLinkHilite,          // a press on a link starts no selection
    htNoFocusRect,           // no focus rectangles
    htAllowHotSpotDblClick,  // a double click right after a link still selects a word
};
using THtmlViewerOptions = uint32_t;
constexpr THtmlViewerOptions htoSet(THtmlViewerOption o) { return THtmlViewerOptions(1u << o); }
constexpr bool htoHas(THtmlViewerOptions s, THtmlViewerOption o) { return (s & htoSet(o)) != 0; }
constexpr THtmlViewerOptions DefaultHtmlViewerOptions = htoSet(htPrintTableBackground) | htoSet(htPrintMonochromeBlack);
extern const TEnumInfo HtmlViewerOptionInfo;

// Before a print: a handler that sets StopPrinting prints nothing.
using THtmlPrintingEvent = std::function<void(TObject* Sender, bool& StopPrinting)>;
