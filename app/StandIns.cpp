#include "app/StandIns.h"

#include "html/layout/HtmlViewer.h"
#include "platform/runtime/Translation.h"

void setHtmlViewerColor(THtmlViewer* viewer) {
    if (viewer) viewer->SetDefBackground(TColor(0xFCFFFF));
}

bool viewHtmlText(const char*, bool, const char*, const char*) { return false; }
