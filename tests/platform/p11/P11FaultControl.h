#pragma once
// The controls of the tests' fault-injecting PKCS#11 module (the module's
// own header: nothing of the program). P11FaultLayer.h explains the module.
#include <p11-kit/pkcs11.h>

extern "C" {
enum ZrxP11FaultOp {
    zrxFaultCreateObject,     // C_CreateObject
    zrxFaultGenerateKeyPair,  // C_GenerateKeyPair
    zrxFaultLogin,            // C_Login
    zrxFaultSetPin,           // C_SetPIN (a user changing the PIN)
    zrxFaultDestroyObject,    // C_DestroyObject
    zrxFaultOpCount
};
// The operation fails with rv once it has succeeded `successes` more times
// (0: the next call fails); every later call fails too until it is reset.
// A negative count takes the fault away.
void zrxP11FaultFailAfter(int op, long successes, CK_RV rv);
// No faults; every count back to 0.
void zrxP11FaultReset();
// Calls of an operation since the last reset, failed ones included.
long zrxP11FaultCalls(int op);
// C_Login calls the token answered with CKR_PIN_INCORRECT since the last reset.
long zrxP11FaultPinRefusals();
// True once an armed fault has made a call fail.
int zrxP11FaultFired();
// Path of this module's file.
const char* zrxP11FaultModulePath();
}
