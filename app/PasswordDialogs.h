#pragma once
// What every password dialog shares: the keyboard-layout indicator and the
// testers' fixed-password shortcuts (Ctrl+Alt+1, 2, 3).
#include <cstdint>

#include "platform/framework/Controls.h"
#include "platform/framework/StdCtrls.h"

// Shows the current layout's short name; maroon unless the layout is "eng".
void showKeyboardLayout(TStaticText* indicator);

// The testers' shortcuts are compiled in only by the build option
// ZRX_TESTER_PASSWORDS (the unit in app/tester/ installs the source).
// A source answers the password for a digit key ('1', '2', '3'), or null.
using TTesterPasswordSource = const char* (*)(uint16_t key);
void setTesterPasswordSource(TTesterPasswordSource source);
// The password the shortcut Ctrl+Alt+key gives, or null when the shortcuts
// are not built in or the keys are not a shortcut.
const char* testerPasswordFor(uint16_t key, TShiftState shift);
// The owner-parameter dialog's own shortcuts (Ctrl+Alt+1, Ctrl+Alt+3), from
// a second source the same unit installs; null when not built in.
void setTesterOwnerPasswordSource(TTesterPasswordSource source);
const char* testerOwnerPasswordFor(uint16_t key, TShiftState shift);
// True when the testers' shortcuts are built in (the owner dialog's test
// owner, Ctrl+Alt+N, exists only then).
bool testerShortcutsBuiltIn();
