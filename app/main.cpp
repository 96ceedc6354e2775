// Program entry: command line, then the daily log; the windows start here
// as they are built.
#include <cstdio>

#include "app/CommandLine.h"
#include "app/DailyLog.h"
#include "app/PathMacros.h"
#include "platform/core/CfgMacros.h"
#include "platform/runtime/FileUtils.h"
#include "platform/runtime/Log.h"
#include "platform/runtime/Translation.h"

int main(int argc, char** argv) {
    setCommandLineArgs(argc, argv);
    zrnInitTranslation();
    if (!parseCommandLine()) return 0;

    // The update check at start registers the path macros; until it runs
    // here, the entry registers them itself.
    registerPathMacros();
    logDir = makePathName(getCFGMacroValue("APPLDATA").c_str(), "logs");
    makeDirectory(logDir.c_str());
    if (openLogFile() != 0) {
        // No window exists yet to show it in.
        std::fprintf(stderr, "Ошибка открытия файла протокола в папке '%s'!\n", logDir.c_str());
    }
    KV_HLogFmtText(0, zrnTranslateString("Запуск программы %s").c_str(), getModuleFileName().c_str());
    return 0;
}
