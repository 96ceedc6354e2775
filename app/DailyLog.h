#pragma once
// The daily log: the runtime library's log output, one text file per day in
// logDir ("log<date>.crt"), records "time | 0xCODE | text".
#include <cstdint>
#include <cstdio>

#include "platform/runtime/TCString.h"

extern TCString logDir;            // the log folder, set at start
extern FILE* logFile;              // the open file, null while none
extern int64_t lastRunDay;         // today() of the open file, 0 before the first
extern unsigned char debugSwitch;  // 1 with "-dbg"

// 0 when a file is open for the current day, -1 when it could not be opened.
// Installs writeLogLine as the log output the first time (only then).
int openLogFile();
// The log output function: one record, one line.
int writeLogLine(uint32_t code, const char* text);
void closeLogFile();
// The path of the file for the current day.
TCString currentLogFileName();
// Back to the state at start (tests): closes the file, forgets the day and
// the installation, clears logDir and debugSwitch.
void resetDailyLog();
