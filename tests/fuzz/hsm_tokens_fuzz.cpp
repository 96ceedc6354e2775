// Any list file reads into entries whose texts fit their fields and whose
// written lines are exactly the lines the writer promises.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "locations/HSMTokens.h"
#include "platform/runtime/TCStringList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    TCSIniFile ini;
    ini.assignText(std::string(reinterpret_cast<const char*>(data), size).c_str());
    TCHSMTokens list;
    list.loadFromIni(ini);
    for (int i = 0; i < list.count(); ++i) {
        const TCHSMTokenDescriptor* d = list.at(i);
        if (d->ownerList != &list || d->badField() || std::strlen(d->nick) == 0 || std::strlen(d->serial) == 0 ||
            std::strlen(d->tokenName) == 0 || d->nick[sizeof d->nick - 1] || d->ownerName[sizeof d->ownerName - 1])
            std::abort();
    }
    TCStringList lines;
    list.buildLines(lines);
    if (lines.count() != 2 + 9 * list.count()) std::abort();
    for (int i = 0; i < lines.count(); ++i)
        if (std::strpbrk(lines[i].c_str(), "\r\n")) std::abort();
    return 0;
}
