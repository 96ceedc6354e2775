#pragma once
// The program's main window, the key generator. For now it carries what the
// start-up needs: the title, the "Контейнер" menu with the new-key items and
// "Выход", and the start-up operation init; the container view, key
// generation and the other commands come with their own code.
#include "platform/framework/ActnList.h"
#include "platform/framework/Forms.h"
#include "platform/framework/Menus.h"

class TZrXZerUvoridoForm : public TForm {
    DECLARE_CLASS(TZrXZerUvoridoForm)
    explicit TZrXZerUvoridoForm(TComponent* AOwner);

    TMainMenu* mm1;
    TMenuItem* ContainerMI;  // "Контейнер"
    TMenuItem* NewKeyMI;     // "Создать ключи": one entry per new-key item
    TMenuItem* NewKeyMI_dvd;
    TActionList* actionList;
    TAction* actClose;       // "Выход"

    // The configuration switches the container view reads.
    bool startupCheckCtx = true;
    bool copyToken = true;

    // The start-up: the generator's request page, message hook, debug log, update check, application
    // configuration, daily log, token list, new-key menu, start-up dialog.
    // False ends the program (startupFailed() tells a failure from a
    // cancelled start).
    virtual bool init();
    virtual bool openContainer();

private:
    void fillNewKeysMenu();
};
