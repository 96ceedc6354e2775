#pragma once
// The background colour of the program's HTML views.
#include "platform/framework/Graphics.h"

class TControl;

// 0xFCFFFF unless the program sets another.
TColor htmlViewerColor();
// An HTML viewer gets the colour as its DefBackground (true); any other
// control is left alone (false).
bool setHtmlViewerColor(TControl* control);
