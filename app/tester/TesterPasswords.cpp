// The testers' fixed-password shortcuts. Linked into the program only with
// the build option ZRX_TESTER_PASSWORDS, and into the test programs.
#include "dialogs/PasswordDialogs.h"
#include "platform/runtime/Passwords.h"

namespace {
const char* testerPassword(TTesterDialog dialog, uint16_t key) {
    const char* policyPassword = getPassMinMax(nullptr, nullptr);
    switch (dialog) {
    case tdNewPassword:
        switch (key) {
        case '1': return policyPassword;
        case '2': return "40719385";
        case '3': return "7hwnRTB#";
        default: return nullptr;
        }
    case tdContainerPrompt:
    case tdOwnerParams:
        switch (key) {
        case '1': return policyPassword;
        case '3': return "5061mzvk";
        default: return nullptr;
        }
    case tdTokenDialog: return key == '1' || key == '2' ? policyPassword : nullptr;
    }
    return nullptr;
}

struct Install {
    Install() { setTesterPasswordSource(testerPassword); }
} install;
}  // namespace
