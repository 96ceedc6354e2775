#pragma once
// Start-up pieces whose windows and engines come later. Each keeps the name
// and the effect the start-up relies on, with the least behaviour that lets
// the program start and end correctly; the code that builds the real piece
// replaces its entry here.
#include "platform/framework/ActnList.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"

// Style chooser: applies the default style (the stored choice is not read yet).
void applyStoredStyle(const char* defaultStyle);

// Program settings dialog: created hidden at start and never shown.
class TZrXCViewerConfigForm : public TForm {
    DECLARE_CLASS(TZrXCViewerConfigForm)
    explicit TZrXCViewerConfigForm(TComponent* AOwner);
};

// Start-up dialog: the user's choice among the new-key items of `items`
// (their actions), or opening an existing container (withOpenCheck).
// Answers the modal result; `chosen` receives the chosen action or null.
// Until the dialog exists the start is confirmed without a choice.
int execStartupDialog(TMenuItem* items, bool withOpenCheck, TBasicAction*& chosen);

// About box: one row of its module table (a description and a file name).
struct TAboutModule {
    const char* description;
    const char* fileName;
};
// LEAST BODY until the about box exists: an information message with the
// program's name, the years from firstYear and the module table.
void showAboutBox(int firstYear, const TAboutModule* modules, int count);
