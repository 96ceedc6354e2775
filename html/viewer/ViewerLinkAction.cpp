// The action a followed link runs.
#include "html/viewer/HtmlViewer.h"

void THtmlViewer::UrlAction() {
    // Still to come: in-page jumps, local files and the history; until then
    // the application alone hears of the link.
    bool handled = false;
    if (OnHotSpotClick) OnHotSpotClick(this, FURL, handled);
}
