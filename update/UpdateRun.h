#pragma once
// The updater's entry: checks the signed update list of the application,
// downloads and verifies what is newer, and applies it (copies it into
// place, starts it as an installer, or announces it).
#include <cstdint>

#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TCFlags.h"
#include "platform/runtime/TCString.h"

class TCUpdationCtx;
class TForm;

// Answers the button pressed (6 is Yes) for a text and Windows message-box flags.
using TUpdateMessageFunc = int (*)(TCUpdationCtx* ctx, const char* text, uint32_t flags);
using TUpdateAfterRunFunc = void (*)(TCUpdationCtx* ctx);

// Result flags of a run.
constexpr unsigned UPD_MUST_EXIT = 1;       // the program must close now
constexpr unsigned UPD_FILES_REPLACED = 4;  // restart to use the replaced files

// Run modes.
constexpr int UPD_MODE_COMMAND = 0;  // the operator's command: no period check
constexpr int UPD_MODE_START = 1;    // at start: honours the mode bits and the period
constexpr int UPD_MODE_FORCED = 3;   // unconditional, with an explicit list address

class TCUpdationCtx {
public:
    TCUpdationCtx() = default;
    TCUpdationCtx(TUpdateMessageFunc message, uint32_t userValue, TUpdateAfterRunFunc afterRun)
        : userValue(userValue), message(message), afterRun(afterRun) {}

    TCFlags<unsigned int> flags;
    uint32_t userValue = 0;
    TUpdateMessageFunc message = nullptr;  // null: the run asks nothing
    TUpdateAfterRunFunc afterRun = nullptr;
    // The run's outcome, one line each: what it copied, started or offered,
    // every failure logged meanwhile, or that nothing was due.
    TCString text;

    bool mustExit() const { return flags.isSet(UPD_MUST_EXIT); }
};

// The context of runs given none.
TCUpdationCtx& defaultUpdationCtx();

// 0, 0x40800028 when no check is due, or a failure code. Null texts: the
// program's own name and the settings' list address.
KResult runUpdation(int mode, TCUpdationCtx* ctx, const char* appName, const char* listHref);
// The operator's command: shows the run's outcome, and closes the main form
// when an update asks for it.
void checkUpdatesNow(TForm* mainForm);
// The message callback of the program: its message window, caption "Внимание!".
int updateMessageBox(TCUpdationCtx* ctx, const char* text, uint32_t flags);
