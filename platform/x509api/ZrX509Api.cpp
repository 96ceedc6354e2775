// Start-up, callbacks and device functions of the programming-interface library.
#include "platform/x509api/ZrX509Api.h"

#include "platform/core/x509/ZrXErrors.h"

#include <openssl/crypto.h>

#include <cstring>
#include <mutex>
#include <vector>

#include "platform/core/container/KeyStorage.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"
#include "platform/p11/P11Storage.h"
#include "platform/p11/P11Support.h"
#include "platform/p11/TokenStorage.h"

using namespace zrx;
using namespace zrx::container;

namespace {

struct Callbacks {
    TZrXDevProgressShow show = nullptr;
    TZrXDevProgressHide hide = nullptr;
    void* progressCtx = nullptr;
    TZrXPasswordCallback password = nullptr;
    void* passwordCtx = nullptr;
};
Callbacks g_cb;
int g_mdMapMode = 1;

// Media the program knows by name; a device backend adds its own.
std::vector<TZrXTMediaDescriptor>& mediaDescriptors() {
    static std::vector<TZrXTMediaDescriptor> list = {
        {"file", kMediaFile, ""},
        {"HSM", kMediaHsmToken, ""},
    };
    return list;
}

}  // namespace

KResult ZrX_Initalize(const char*) {
    static std::once_flag once;
    std::call_once(once,
                   [] { OPENSSL_init_crypto(OPENSSL_INIT_ADD_ALL_CIPHERS | OPENSSL_INIT_ADD_ALL_DIGESTS, nullptr); });
    zrx::registerTokenKeyStorage();
    registerZrXMessages();
    return 0;
}

KResult ZrX_IntTranslations(int, int) {
    zrnInitTranslation();
    registerZrXMessages();
    return 0;
}

void ZrX_SetDevPogress(TZrXDevProgressShow show, TZrXDevProgressHide hide, void* context) {
    g_cb.show = show;
    g_cb.hide = hide;
    g_cb.progressCtx = context;
}

void registerPCBK(void*, int, TZrXPasswordCallback callback, void* context) {
    g_cb.password = callback;
    g_cb.passwordCtx = callback ? context : nullptr;
}

namespace zrx::api {

void progressShow(const char* text) {
    if (g_cb.show) g_cb.show(g_cb.progressCtx, text ? text : "");
}

void progressHide() {
    if (g_cb.hide) g_cb.hide(g_cb.progressCtx);
}

bool askPassword(char* buffer, size_t size) {
    if (!buffer || size < 2 || !g_cb.password) return false;
    std::memset(buffer, 0, size);
    bool ok = g_cb.password(g_cb.passwordCtx, buffer, int(size));
    // A password that filled the whole buffer may have been cut: refused.
    if (buffer[size - 1] != '\0') ok = false;
    buffer[size - 1] = '\0';
    if (!ok) OPENSSL_cleanse(buffer, size);
    return ok && *buffer;
}

}  // namespace zrx::api

int ZrX_GetSupportedDevices(TCStringList& list, bool withFile) {
    if (withFile) list.add("Файл", uintptr_t(kMediaFile));
    bool token = false;
    for (const MediaInfo& m : registeredMedia()) {
        list.add(m.name.c_str(), uintptr_t(m.mediaType));
        token = token || m.mediaType == kMediaHsmToken;
    }
    // HSM tokens are always offered; without their backend a token location
    // answers "no such device".
    if (!token) list.add("HSM-токен", uintptr_t(kMediaHsmToken));
    return list.count();
}

int ZrX_GetDevicesList(const char* prefix, TCStringList& list, int) {
    if (!prefix) return 0;
    // "$", "$:" or a whole token location: the tokens, each with its slot
    // attached for the device choice (never the media code).
    if (prefix[0] == kTokenPrefix) {
        // A module that cannot be used is a failure, not "no tokens".
        if (KResult rc = TCP11Lib::forMedia(P11_MEDIA_HSM)->open(); isFailure(rc)) return int(rc);
        return listTokenDevices(list);
    }
    if (!isDeviceLocation(prefix)) return 0;
    for (const MediaInfo& m : registeredMedia()) {
        if (m.prefix != prefix[0] || !m.listDevices) continue;
        std::vector<std::string> found;
        int n = m.listDevices(found);
        if (n < 0) return int(isFailure(KResult(n)) ? KResult(n) : kErrNoDevice);
        for (const std::string& loc : found) list.add(loc.c_str(), uintptr_t(m.mediaType));
        return int(found.size());
    }
    return 0;
}

int ZrX_IsFileContainer(const char* location) { return location && *location && !isDeviceLocation(location) ? 1 : 0; }

uint32_t ZrX_GetContainerType(const char* location) {
    if (!location || !*location) return kMediaFile;
    return mediaTypeOfLocation(location);
}

KResult ZrX_FileExistsEx(const char* location, const char* password, TCString* storageName) {
    if (!location || !*location) return kErrInvalidArg;
    std::unique_ptr<TCKeyStorage> st;
    if (KResult rc = openKeyStorage(location, st)) return rc;
    if (st->isFile()) return st->exists() ? 0 : kErrNotFound;
    std::string name;
    KResult rc = st->findKeys(password, 0x30000, &name);
    if (storageName && !name.empty()) *storageName = name;
    return rc;
}

KResult ZrX_CleanStorage(const char* location, const char* password) {
    if (!location || !*location) return kErrInvalidArg;
    std::unique_ptr<TCKeyStorage> st;
    if (KResult rc = openKeyStorage(location, st)) return rc;
    api::progressShow("Очистка носителя");
    KResult rc = st->clean(password, 0x30000);
    api::progressHide();
    return rc;
}

const TZrXTMediaDescriptor* ZrX_GetTMediaDescriptor(const char* name) {
    if (!name || !*name) return nullptr;
    TCString n(name);
    n.trim();
    for (const TZrXTMediaDescriptor& d : mediaDescriptors())
        if (d.name.compareIC(n) == 0) return &d;
    return nullptr;
}

void ZrX_RegisterTMediaDescriptor(const TZrXTMediaDescriptor& descriptor) {
    for (TZrXTMediaDescriptor& d : mediaDescriptors())
        if (d.name.compareIC(descriptor.name) == 0) {
            d = descriptor;
            return;
        }
    mediaDescriptors().push_back(descriptor);
}

TCString ZrX_CheckDefPassword(const char* location, int) {
    if (!location || !isDeviceLocation(location)) return TCString();
    const char* def = location[0] == kTokenPrefix ? getCTXDef_p() : nullptr;
    return TCString(def && *def ? def : kStartupPassword);
}

void setMDMapMode(int mode) { g_mdMapMode = mode == 2 ? 2 : 1; }
int getMDMapMode() { return g_mdMapMode; }
