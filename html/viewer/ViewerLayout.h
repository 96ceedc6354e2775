#pragma once
// How a viewer fits its document into its window: which scroll bars show
// and how much room the paint panel gets for content of a given size (the
// geometry), and the layout driver, which lays the document out at one, two
// or at most three widths until the vertical bar it chose and the height
// the document then needs agree.
#include <cstdint>

#include "platform/framework/StdCtrls.h"

class TCanvas;
class ThtDocument;

// What the geometry depends on besides the content.
struct ThvGeometryInput {
    int32_t ViewerWidth = 0;
    int32_t ViewerHeight = 0;
    int32_t BorderWidth = 0;  // both edges of the border together (0 without one)
    TScrollStyle ScrollBars = ssBoth;
    bool ShowVScroll = false;    // the vertical bar is always shown
    int32_t ScrollBarWidth = 0;  // of the vertical bar, also the horizontal bar's height
};

struct ThvGeometry {
    int32_t Offset = 0;  // the paint panel's left and top inside the border
    int32_t PaintWidth = 0;
    int32_t PaintHeight = 0;
    bool HBar = false;
    bool VBar = false;
    bool operator==(const ThvGeometry&) const = default;
};

// The geometry for content ContentWidth × ContentHeight.
ThvGeometry ViewerGeometry(const ThvGeometryInput& In, int32_t ContentWidth, int32_t ContentHeight);

// The vertical-bar hint, shared by every viewer of the process: at 0 or
// above the last documents needed a vertical bar, so the narrower width is
// tried first. Each layout moves it one step, and it stays within
// ±MaxVScrollHint, so a few documents of the other kind turn it round.
constexpr int32_t MaxVScrollHint = 3;
int32_t VScrollHint();
void ResetVScrollHint();

struct ThvLayoutResult {
    int32_t MaxVertical = 0;  // the document's height
    int32_t ScrollWidth = 0;  // its width
    int32_t Layouts = 0;      // times the document was laid out
};

// Lays the document out for the window (scroll bars ssNone or ssHorizontal:
// once at the full width). With the bar always shown the full width already
// leaves its room, and the document is laid out there once.
ThvLayoutResult LayOutForWindow(ThtDocument& Document, TCanvas* Canvas, const ThvGeometryInput& In);
