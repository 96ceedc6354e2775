// Any XML taken as the signed object either fails with a list code or gives
// entries whose destinations are full paths.
#include <cstdint>
#include <cstdlib>

#include "update/UpdateList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TCXMLNodeParser p(true);
    p.setMacroMode(0);
    if (p.loadText(reinterpret_cast<const char*>(data), size) != 0) return 0;
    for (const char* app : {"", "A"}) {
        TCXMLNodeParser q(true);
        q.setMacroMode(0);
        q.loadText(reinterpret_cast<const char*>(data), size);
        TCUpdateFilesList list(app);
        list.setRoot(q.detachRoot());
        const KResult r = list.readList("fuzz");
        if (r != 0 && r != 0xC0800049u) std::abort();
        for (int i = 0; i < list.count(); ++i) {
            const TCUPFileInfo* e = list.at(i);
            if (!e->dest.isEmpty() && e->dest.at(0) != '/') std::abort();
        }
    }
    return 0;
}
