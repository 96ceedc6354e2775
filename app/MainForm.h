#pragma once
// The program's main window, the key generator: the container window with
// "Создать ключи", one command per new-key item of the application
// configuration. Each command generates keys into the open container by its
// key profile and saves what was made (requests as files, or self-issued
// certificates); the start-up dialog offers the same commands and opening an
// existing container.
#include "app/ViewCtxForm.h"
#include "platform/framework/ActnList.h"

class TCXProfileDescriptor;
class TZrX509;

class TZrXZerUvoridoForm : public TZrXViewCtxForm {
    DECLARE_CLASS(TZrXZerUvoridoForm)
public:
    explicit TZrXZerUvoridoForm(TComponent* AOwner);

    // The container frame in its derived type (the same object as ctxFrame).
    TViewPrivatesFrameEx* frameEx;
    TMenuItem* NewKeyMI;      // "Создать ключи" (the frame's)
    TMenuItem* NewKeyMI_dvd;  // its separator
    // One action per new-key item, made by init.
    TActionList* newKeysActions = nullptr;

    bool openContainer() override;
    // The main window's start-up: the base start-up, the daily log, the
    // certificate library, the token list, the new-key menu and the start-up
    // dialog. False ends the program (startupFailed() tells a failure from a
    // cancelled start).
    bool init(bool openAtStart = false) override;

    // One generation with a new-key item into the frame's container.
    KResult createKeys(TCXProfileDescriptor* item);
    // Shows the container's content (or none).
    void refreshViews();
    // Handlers of the new-key actions and of the frame's create command.
    void runNewKeysAction(TObject* Sender);
    void createKeysClick(TObject* Sender);
    // The profile for a certificate that names none: by its key's kind, else
    // chosen in the start-up dialog.
    TCXProfileDescriptor* selectKeyProfile(TZrX509* cert);
    // The frame's requests after a key change: saved as files.
    int saveNewRequests(uint32_t keyKinds);
};
