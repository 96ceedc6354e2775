#include "html/viewer/ViewerLayout.h"

#include <algorithm>

#include "html/layout/Document.h"

ThvGeometry ViewerGeometry(const ThvGeometryInput& In, int32_t ContentWidth, int32_t ContentHeight) {
    ThvGeometry g;
    g.Offset = In.BorderWidth / 2;
    g.PaintWidth = In.ViewerWidth - In.BorderWidth;
    g.PaintHeight = In.ViewerHeight - In.BorderWidth;
    const int32_t sb = In.ScrollBarWidth;
    switch (In.ScrollBars) {
    case ssNone: break;
    case ssHorizontal:
        g.HBar = g.PaintWidth < ContentWidth;
        if (g.HBar) g.PaintHeight -= sb;
        break;
    case ssVertical:
        g.VBar = In.ShowVScroll || g.PaintHeight < ContentHeight;
        if (g.VBar) g.PaintWidth -= sb;
        break;
    case ssBoth:
        g.VBar = In.ShowVScroll || g.PaintHeight < ContentHeight;
        if (g.VBar) g.PaintWidth -= sb;
        g.HBar = g.PaintWidth < ContentWidth;
        if (g.HBar) {
            g.PaintHeight -= sb;
            // The horizontal bar took the room the content needed.
            if (!g.VBar && g.PaintHeight < ContentHeight) {
                g.VBar = true;
                g.PaintWidth -= sb;
            }
        }
        break;
    }
    return g;
}

namespace {
int32_t gVScrollHint = 0;
}

int32_t VScrollHint() { return gVScrollHint; }
void ResetVScrollHint() { gVScrollHint = 0; }

ThvLayoutResult LayOutForWindow(ThtDocument& Document, TCanvas* Canvas, const ThvGeometryInput& In) {
    ThvLayoutResult r;
    const ThvGeometry full = ViewerGeometry(In, 0, 0);
    const int32_t W0 = full.PaintWidth, H0 = full.PaintHeight;
    auto layOut = [&](int32_t W) {
        int32_t curs = 0;
        r.ScrollWidth = 0;
        r.MaxVertical = Document.DoLogic(Canvas, 0, W, H0, 0, r.ScrollWidth, curs);
        ++r.Layouts;
    };
    auto barNeeded = [&] { return ViewerGeometry(In, r.ScrollWidth, r.MaxVertical).VBar; };

    if (In.ScrollBars == ssNone || In.ScrollBars == ssHorizontal) {
        layOut(W0);
        return r;
    }
    if (In.ShowVScroll) {
        layOut(W0);
        return r;
    }
    const int32_t narrow = W0 - In.ScrollBarWidth;
    bool lastShowedBar = false;
    bool geometryComputed = false;
    if (gVScrollHint >= 0) {
        layOut(narrow);
        if (r.MaxVertical > 0) {
            lastShowedBar = barNeeded();
            geometryComputed = true;
            // A document that may fit without the bar is tried at the full width.
            if (!lastShowedBar || r.MaxVertical <= 2 * H0) {
                layOut(W0);
                lastShowedBar = barNeeded();
                if (lastShowedBar) layOut(narrow);
            }
        }
    } else {
        layOut(W0);
        lastShowedBar = barNeeded();
        geometryComputed = true;
        if (lastShowedBar) {
            layOut(narrow);
            lastShowedBar = barNeeded();
            if (!lastShowedBar) layOut(W0);
        }
    }
    if (geometryComputed && r.MaxVertical > 0)
        gVScrollHint = std::clamp(gVScrollHint + (lastShowedBar ? 1 : -1), -MaxVScrollHint, MaxVScrollHint);
    return r;
}
