// Life of the PKCS#11 module and the token list for device choices.
#include "platform/p11/P11Support.h"

#include "platform/p11/P11Storage.h"
#include "platform/p11/TokenStorage.h"

KResult initP11Lib() {
    zrx::registerTokenKeyStorage();
    // The module is opened by the first device use: most loads are of files.
    return TCP11Lib::forMedia(P11_MEDIA_HSM)->prepare();
}

void doneP11Lib() { TCP11Lib::forMedia(P11_MEDIA_HSM)->close(); }

int listTokenDevices(TCStringList& list) {
    TCP11ActiveToken storage(P11_MEDIA_HSM);
    TCP11Slots* slots = storage.directory();
    if (!slots) return 0;
    int n = 0;
    for (int i = 0; i < slots->count(); ++i) {
        TCP11Slot* s = slots->item(i);
        if (!s->tokenInitialized() || !*s->getTokenName()) continue;
        list.add(s->getTokenName(), s);
        ++n;
    }
    return n;
}
