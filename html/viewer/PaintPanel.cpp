#include "html/viewer/PaintPanel.h"

#include "html/viewer/HtmlViewer.h"

IMPLEMENT_CLASS(TPaintPanel, TCustomControl) {}

TPaintPanel::TPaintPanel(TComponent* AOwner, THtmlViewer* Viewer) : TCustomControl(AOwner), FViewer(Viewer) {
    SetOpaque(true);
}

void TPaintPanel::Paint() {
    if (FViewer->ViewerState() & vsSet(vsDontDraw)) return;
    FViewer->PaintDocument(Canvas(), Canvas()->ClipRect());
}
