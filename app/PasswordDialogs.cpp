#include "app/PasswordDialogs.h"

#include "platform/framework/Graphics.h"
#include "platform/runtime/Passwords.h"

namespace {
TTesterPasswordSource g_testerSource = nullptr;
}

void showKeyboardLayout(TStaticText* indicator) {
    if (!indicator) return;
    const TCString name = getKBLayoutNameSN3();
    indicator->SetCaption(name.str());
    indicator->Font()->SetColor(name == "eng" ? clWindowText : clMaroon);
}

void setTesterPasswordSource(TTesterPasswordSource source) { g_testerSource = source; }

const char* testerPasswordFor(uint16_t key, TShiftState shift) {
    if (!g_testerSource) return nullptr;
    if ((shift & (ssCtrl | ssAlt)) != (ssCtrl | ssAlt)) return nullptr;
    return g_testerSource(key);
}
