#include "dialogs/PasswordDialogs.h"

#include "platform/framework/Graphics.h"
#include "platform/runtime/Passwords.h"

namespace {
TTesterPasswordSource g_testerSource = nullptr;
}

void showKeyboardLayout(TControl* indicator) {
    if (!indicator) return;
    const TCString name = getKBLayoutNameSN3();
    indicator->SetCaption(name.str());
    indicator->Font()->SetColor(name == "eng" ? clWindowText : clMaroon);
}

void setTesterPasswordSource(TTesterPasswordSource source) { g_testerSource = source; }

bool testerShortcutsBuilt() { return g_testerSource != nullptr; }

const char* testerPasswordFor(TTesterDialog dialog, uint16_t key, TShiftState shift) {
    if (!g_testerSource || !CtrlAltHeld(shift)) return nullptr;
    return g_testerSource(dialog, key);
}
