// The testers' fixed-password shortcuts. Linked into the program only with
// the build option ZRX_TESTER_PASSWORDS, and into the test programs.
#include "app/PasswordDialogs.h"
#include "platform/runtime/Passwords.h"

namespace {
const char* testerPassword(uint16_t key) {
    switch (key) {
    case '1': return getPassMinMax(nullptr, nullptr);
    case '2': return "40719385";
    case '3': return "7hwnRTB#";
    default: return nullptr;
    }
}

// The owner-parameter dialog: the policy's test password, and its own one.
const char* ownerTesterPassword(uint16_t key) {
    switch (key) {
    case '1': return getPassMinMax(nullptr, nullptr);
    case '3': return "5061mzvk";
    default: return nullptr;
    }
}

struct Install {
    Install() {
        setTesterPasswordSource(testerPassword);
        setTesterOwnerPasswordSource(ownerTesterPassword);
    }
} install;
}  // namespace
