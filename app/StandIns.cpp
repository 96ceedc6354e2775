#include "app/StandIns.h"

#include "app/MessageView.h"
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


void showAboutBox(int firstYear, const TAboutModule* modules, int count) {
    TCString text = TCFString("%s\n(c) %d\n", Application ? Application->Title().c_str() : "", firstYear);
    for (int i = 0; modules && i < count; ++i)
        text += TCFString("\n%s - %s", zrnTranslateString(modules[i].description).c_str(), modules[i].fileName);
    messageDlg(text, mtInformation, mbSet(mbOK));
}
