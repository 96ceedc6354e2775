#pragma once
// A PKCS#11 module of the tests that stands between the program and
// SoftHSM2: every call goes through to SoftHSM2's function list, except
// that object creation, key-pair generation, login, PIN change and object
// removal can be made to fail after a number of successes, as a token that
// is full or pulled out part-way through a write would. It also counts the
// calls and the logins the token refused.
//
// The module (libzrx_p11fault.so) is linked into the test program, so the
// controls below act on the same copy that the program loads as its PKCS#11
// module once P11FaultLayer points it there.
#include "platform/p11/P11FaultControl.h"
#include "platform/p11/P11Storage.h"

namespace zrxtest {

// Makes the program's PKCS#11 module the fault layer for the life of the
// object (the module is started again on both ends), with no fault armed.
class P11FaultLayer {
public:
    P11FaultLayer() {
        zrxP11FaultReset();
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        TCP11Lib::setModulePath(zrxP11FaultModulePath());
    }
    ~P11FaultLayer() {
        zrxP11FaultReset();
        TCP11Lib::forMedia(P11_MEDIA_HSM)->close();
        TCP11Lib::setModulePath("");
    }
    P11FaultLayer(const P11FaultLayer&) = delete;
    P11FaultLayer& operator=(const P11FaultLayer&) = delete;

    void failAfter(ZrxP11FaultOp op, long successes, CK_RV rv = CKR_DEVICE_MEMORY) {
        zrxP11FaultFailAfter(op, successes, rv);
    }
    void reset() { zrxP11FaultReset(); }
    long calls(ZrxP11FaultOp op) const { return zrxP11FaultCalls(op); }
    long pinRefusals() const { return zrxP11FaultPinRefusals(); }
    bool fired() const { return zrxP11FaultFired() != 0; }
};

}  // namespace zrxtest
