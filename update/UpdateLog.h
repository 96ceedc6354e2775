#pragma once
// The update log: "updateLog.txt" in the updates folder receives the
// runtime's log records while a run is under way and no other log output
// is installed (at start, before the daily log is opened).
#include <cstdint>

// Opens the log and installs its output, unless an output is installed or
// the log is open already.
void openUpdateLog();
// Uninstalls the output (only when it is still this log's) and closes the file.
void closeUpdateLog();
// The log output: one line per record.
int updateLogOutput(uint32_t code, const char* text);
