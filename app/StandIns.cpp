#include "app/StandIns.h"

#include "platform/framework/AppStyle.h"
#include "platform/runtime/Translation.h"

void applyStoredStyle(const char* defaultStyle) {
    if (defaultStyle && *defaultStyle) ApplyAppStyle(defaultStyle);
}

IMPLEMENT_CLASS(TZrXCViewerConfigForm, TForm) {}

TZrXCViewerConfigForm::TZrXCViewerConfigForm(TComponent* AOwner) : TForm(AOwner) {
    SetName("ZrXCViewerConfigForm");
    SetCaption(zrnTranslateString("Настройки").str());
    SetVisible(false);
}

int execStartupDialog(TMenuItem*, bool, TBasicAction*& chosen) {
    chosen = nullptr;
    return mrOk;
}

