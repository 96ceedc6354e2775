#pragma once
// The panel a viewer paints its document on, inside the viewer's border
// and beside its scroll bars. It paints every pixel itself (nothing is
// erased first) and nothing while the viewer lays the document out.
#include "platform/framework/Controls.h"

class THtmlViewer;

class TPaintPanel : public TCustomControl {
    DECLARE_CLASS(TPaintPanel)
    TPaintPanel(TComponent* AOwner, THtmlViewer* Viewer);
    THtmlViewer* ParentViewer() const { return FViewer; }

protected:
    void Paint() override;

private:
    THtmlViewer* FViewer;
};
