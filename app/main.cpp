// Program entry: command line, then the daily log; the windows start here
// as they are built.
#include <cstdio>

#include "app/CommandLine.h"
#include "app/DailyLog.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"

namespace {
// The application data folder: "$ALLUSERS$/zoren/<APPL>".
// Computed here until the path macros give APPLDATA.
TCString applDataFolder() {
    return makePathName(makePathName(getCommonDataDir().c_str(), "zoren").c_str(), getApplName().c_str());
}
}  // namespace

int main(int argc, char** argv) {
    setCommandLineArgs(argc, argv);
    zrnInitTranslation();
    if (!parseCommandLine()) return 0;

    logDir = makePathName(applDataFolder().c_str(), "logs");
    makeDirectory(logDir.c_str());
    if (openLogFile() != 0) {
        // No window exists yet to show it in.
        std::fprintf(stderr, "Ошибка открытия файла протокола в папке '%s'!\n", logDir.c_str());
    }
    KV_HLogFmtText(0, zrnTranslateString("Запуск программы %s").c_str(), getModuleFileName().c_str());
    return 0;
}
