#include "app/PasswordDialogs.h"

#include "platform/framework/Graphics.h"
#include "platform/runtime/Passwords.h"

namespace {
TTesterPasswordSource g_testerSource = nullptr;
TTesterPasswordSource g_ownerSource = nullptr;

const char* fromSource(TTesterPasswordSource source, uint16_t key, TShiftState shift) {
    if (!source) return nullptr;
    if ((shift & (ssCtrl | ssAlt)) != (ssCtrl | ssAlt)) return nullptr;
    return source(key);
}
}

void showKeyboardLayout(TStaticText* indicator) {
    if (!indicator) return;
    const TCString name = getKBLayoutNameSN3();
    indicator->SetCaption(name.str());
    indicator->Font()->SetColor(name == "eng" ? clWindowText : clMaroon);
}

void setTesterPasswordSource(TTesterPasswordSource source) { g_testerSource = source; }

const char* testerPasswordFor(uint16_t key, TShiftState shift) { return fromSource(g_testerSource, key, shift); }

void setTesterOwnerPasswordSource(TTesterPasswordSource source) { g_ownerSource = source; }

const char* testerOwnerPasswordFor(uint16_t key, TShiftState shift) { return fromSource(g_ownerSource, key, shift); }

bool testerShortcutsBuiltIn() { return g_testerSource != nullptr; }
