#include "views/HtmlViewerColor.h"

#include "html/viewer/WindowViewer.h"

namespace {
constexpr TColor kDefaultHtmlColor = 0xFCFFFF;
}

TColor htmlViewerColor() { return kDefaultHtmlColor; }

bool setHtmlViewerColor(TControl* control) {
    auto* viewer = dynamic_cast<TWindowHtmlViewer*>(control);
    if (!viewer) return false;
    viewer->SetDefBackground(htmlViewerColor());
    return true;
}
