#include "update/UpdateLog.h"

#include <cstdio>

#include "platform/core/config/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/ResultCodes.h"
#include "platform/runtime/TimeUtils.h"
#include "platform/runtime/Translation.h"

namespace {

FILE*& logFile() {
    static FILE* f = nullptr;
    return f;
}

}  // namespace

void openUpdateLog() {
    if (csGetHLogOutFunc() || logFile()) return;
    const TCString folder = getCFGMacroValue("UPDATES");
    if (folder.isEmpty()) return;
    checkDir(folder.c_str(), 1, 0);
    const TCString path = makePathName(folder.c_str(), "updateLog.txt");
    logFile() = std::fopen(path.c_str(), "a");
    if (logFile()) csSetKV_HLogOutFunc(updateLogOutput);
    else
        KV_HLogFmtText(0xC0800026u, zrnTranslateString("Ошибка создания файла протокола обновлений '%s'!").c_str(),
                       path.c_str());
}

int updateLogOutput(uint32_t code, const char* text) {
    FILE* f = logFile();
    if (!f) return 0;
    const TCString now = currentDateTime();
    if (isFailure(code))
        std::fprintf(
            f, "%s",
            TCString::format(zrnTranslateString("%s Ошибка %08X. %s.\n").c_str(), now.c_str(), code, text ? text : "")
                .c_str());
    else std::fprintf(f, "%s %08X %s.\n", now.c_str(), code, text ? text : "");
    return 0;
}

void closeUpdateLog() {
    FILE* f = logFile();
    if (!f) return;
    // Another output installed meanwhile stays.
    if (csGetHLogOutFunc() == updateLogOutput) csSetKV_HLogOutFunc(nullptr);
    std::fclose(f);
    logFile() = nullptr;
}
