#include "app/StandIns.h"

#include "html/layout/HtmlViewer.h"

void setHtmlViewerColor(THtmlViewer* viewer) {
    if (viewer) viewer->SetDefBackground(TColor(0xFCFFFF));
}

