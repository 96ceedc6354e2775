#include "app/DailyLog.h"

#include <string>

#include "platform/runtime/Log.h"
#include "platform/runtime/TimeUtils.h"

TCString logDir;
FILE* logFile = nullptr;
int64_t lastRunDay = 0;
unsigned char debugSwitch = 0;

namespace {
// Installed once: reinstalling on every failed open would drop a log
// grabber that chained itself in front of the daily log.
bool g_outputInstalled = false;
}  // namespace

TCString currentLogFileName() { return fileNameFromDate("log", logDir.c_str(), "crt"); }

int openLogFile() {
    if (!g_outputInstalled) {
        csSetKV_HLogOutFunc(&writeLogLine);
        g_outputInstalled = true;
    }
    const int64_t day = today();
    if (logFile) {
        if (lastRunDay == day) return 0;
        closeLogFile();  // the day has changed
    }
    if (debugSwitch == 1) {
        csSetDbgOutMask(0xB8014000u);
        enableDebugLog(logDir.c_str());
    }
    const TCString name = currentLogFileName();
    logFile = std::fopen(name.c_str(), "a+");
    if (!logFile) return -1;
    lastRunDay = day;
    return 0;
}

int writeLogLine(uint32_t code, const char* text) {
    openLogFile();
    if (!logFile) return 0;
    // One record is one line, whatever the text holds.
    std::string t(text ? text : "");
    for (size_t i = 0; i < t.size(); ++i) {
        if (t[i] == '\r' && i + 1 < t.size() && t[i + 1] == '\n') t.erase(i + 1, 1);
        if (t[i] == '\r' || t[i] == '\n') t[i] = ' ';
    }
    std::fprintf(logFile, "%s | 0x%08X | %s\n", currentTime().c_str(), code, t.c_str());
    std::fflush(logFile);
    return 0;
}

void closeLogFile() {
    if (logFile) {
        std::fclose(logFile);
        logFile = nullptr;
    }
}

void resetDailyLog() {
    closeLogFile();
    if (g_outputInstalled && csGetHLogOutFunc() == &writeLogLine) csSetKV_HLogOutFunc(nullptr);
    g_outputInstalled = false;
    lastRunDay = 0;
    debugSwitch = 0;
    logDir.clear();
}
