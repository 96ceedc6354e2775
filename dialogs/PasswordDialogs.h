#pragma once
// What every password dialog shares: the keyboard-layout indicator and the
// testers' shortcuts (Ctrl and Alt together with a digit).
#include <cstdint>

#include "platform/framework/Controls.h"
#include "platform/framework/StdCtrls.h"

// Shows the current layout's short name; maroon unless the layout is "eng".
void showKeyboardLayout(TControl* indicator);

// The dialogs whose testers' shortcuts differ.
enum TTesterDialog { tdNewPassword, tdContainerPrompt, tdTokenDialog, tdOwnerParams };

// The testers' shortcuts are compiled in only by the build option
// ZRX_TESTER_PASSWORDS (the unit in app/tester/ installs the source).
// A source answers the password of a dialog for a digit key ('1', '2',
// '3'), or null.
using TTesterPasswordSource = const char* (*)(TTesterDialog dialog, uint16_t key);
void setTesterPasswordSource(TTesterPasswordSource source);
// True when the testers' shortcuts are built in.
bool testerShortcutsBuilt();
// The password the shortcut Ctrl+Alt+key gives in a dialog, or null when the
// shortcuts are not built in or the keys are not a shortcut.
const char* testerPasswordFor(TTesterDialog dialog, uint16_t key, TShiftState shift);
inline const char* testerPasswordFor(uint16_t key, TShiftState shift) {
    return testerPasswordFor(tdNewPassword, key, shift);
}
