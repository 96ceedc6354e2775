// The tests' fault-injecting PKCS#11 module over SoftHSM2 (P11FaultLayer.h).
// It is its own shared library and uses nothing of the program: the program
// loads it as it would load any module.
#include <dlfcn.h>
#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <mutex>
#include <string>

#include "platform/p11/P11FaultControl.h"

namespace {

const char* const kSoftHsmPaths[] = {
    "/usr/lib/softhsm/libsofthsm2.so",
    "/usr/lib/x86_64-linux-gnu/softhsm/libsofthsm2.so",
    "/usr/lib/aarch64-linux-gnu/softhsm/libsofthsm2.so",
    "/usr/lib64/pkcs11/libsofthsm2.so",
    "/usr/lib/pkcs11/libsofthsm2.so",
    "/usr/local/lib/softhsm/libsofthsm2.so",
};

struct Fault {
    std::atomic<long> left{-1};  // successes still allowed; -1: no fault
    std::atomic<CK_RV> rv{CKR_OK};
    std::atomic<long> calls{0};
};

Fault g_faults[zrxFaultOpCount];
std::atomic<long> g_pinRefusals{0};
std::atomic<int> g_fired{0};

CK_FUNCTION_LIST* g_real = nullptr;
CK_FUNCTION_LIST g_list;

// CKR_OK when the call may go on; the armed failure otherwise.
CK_RV gate(ZrxP11FaultOp op) {
    Fault& f = g_faults[op];
    ++f.calls;
    long left = f.left.load();
    while (left >= 0) {
        if (left == 0) {
            g_fired = 1;
            return f.rv.load();
        }
        if (f.left.compare_exchange_weak(left, left - 1)) break;
    }
    return CKR_OK;
}

CK_RV wrapCreateObject(CK_SESSION_HANDLE s, CK_ATTRIBUTE_PTR t, CK_ULONG n, CK_OBJECT_HANDLE_PTR h) {
    if (CK_RV rv = gate(zrxFaultCreateObject)) return rv;
    return g_real->C_CreateObject(s, t, n, h);
}

CK_RV wrapGenerateKeyPair(CK_SESSION_HANDLE s, CK_MECHANISM_PTR m, CK_ATTRIBUTE_PTR pub, CK_ULONG npub,
                          CK_ATTRIBUTE_PTR priv, CK_ULONG npriv, CK_OBJECT_HANDLE_PTR hpub,
                          CK_OBJECT_HANDLE_PTR hpriv) {
    if (CK_RV rv = gate(zrxFaultGenerateKeyPair)) return rv;
    return g_real->C_GenerateKeyPair(s, m, pub, npub, priv, npriv, hpub, hpriv);
}

CK_RV wrapLogin(CK_SESSION_HANDLE s, CK_USER_TYPE user, CK_UTF8CHAR_PTR pin, CK_ULONG len) {
    if (CK_RV rv = gate(zrxFaultLogin)) return rv;
    const CK_RV rv = g_real->C_Login(s, user, pin, len);
    if (rv == CKR_PIN_INCORRECT) ++g_pinRefusals;
    return rv;
}

CK_RV wrapSetPIN(CK_SESSION_HANDLE s, CK_UTF8CHAR_PTR oldPin, CK_ULONG oldLen, CK_UTF8CHAR_PTR newPin,
                 CK_ULONG newLen) {
    if (CK_RV rv = gate(zrxFaultSetPin)) return rv;
    return g_real->C_SetPIN(s, oldPin, oldLen, newPin, newLen);
}

CK_RV wrapDestroyObject(CK_SESSION_HANDLE s, CK_OBJECT_HANDLE h) {
    if (CK_RV rv = gate(zrxFaultDestroyObject)) return rv;
    return g_real->C_DestroyObject(s, h);
}

CK_RV load() {
    static std::once_flag once;
    static CK_RV result = CKR_GENERAL_ERROR;
    std::call_once(once, [] {
        for (const char* path : kSoftHsmPaths) {
            if (access(path, R_OK) != 0) continue;
            // Kept loaded for the life of the process.
            void* handle = dlopen(path, RTLD_NOW | RTLD_LOCAL);
            auto get = handle ? reinterpret_cast<CK_C_GetFunctionList>(dlsym(handle, "C_GetFunctionList")) : nullptr;
            if (!get || get(&g_real) != CKR_OK || !g_real) continue;
            g_list = *g_real;
            g_list.C_CreateObject = wrapCreateObject;
            g_list.C_GenerateKeyPair = wrapGenerateKeyPair;
            g_list.C_Login = wrapLogin;
            g_list.C_SetPIN = wrapSetPIN;
            g_list.C_DestroyObject = wrapDestroyObject;
            result = CKR_OK;
            return;
        }
    });
    return result;
}

}  // namespace

extern "C" {

__attribute__((visibility("default"))) CK_RV C_GetFunctionList(CK_FUNCTION_LIST_PTR_PTR list) {
    if (!list) return CKR_ARGUMENTS_BAD;
    if (CK_RV rv = load()) return rv;
    *list = &g_list;
    return CKR_OK;
}

void zrxP11FaultFailAfter(int op, long successes, CK_RV rv) {
    if (op < 0 || op >= zrxFaultOpCount) return;
    g_faults[op].rv = rv;
    g_faults[op].left = successes < 0 ? -1 : successes;
}

void zrxP11FaultReset() {
    for (Fault& f : g_faults) {
        f.left = -1;
        f.rv = CKR_OK;
        f.calls = 0;
    }
    g_pinRefusals = 0;
    g_fired = 0;
}

long zrxP11FaultCalls(int op) { return op >= 0 && op < zrxFaultOpCount ? g_faults[op].calls.load() : 0; }

long zrxP11FaultPinRefusals() { return g_pinRefusals.load(); }

int zrxP11FaultFired() { return g_fired.load(); }

const char* zrxP11FaultModulePath() {
    static std::string path = [] {
        Dl_info info{};
        return dladdr(reinterpret_cast<void*>(&C_GetFunctionList), &info) && info.dli_fname
                   ? std::string(info.dli_fname)
                   : std::string();
    }();
    return path.c_str();
}

}  // extern "C"
