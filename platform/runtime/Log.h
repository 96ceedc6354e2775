#pragma once
// The runtime library's output channels:
//  - the one log output (code, text) that the daily log and log grabbers use;
//  - the event log (code, text), a separate channel for event views;
//  - the debug display (text), filtered by the debug-category mask, and the
//    debug log file.
#include <cstdarg>
#include <cstdint>
#include <vector>

#include "platform/runtime/TCString.h"

// --- the log output
using KV_HLogOutFunc = int (*)(uint32_t code, const char* text);
// Installs the log output (null: none); answers the one it replaces.
KV_HLogOutFunc csSetKV_HLogOutFunc(KV_HLogOutFunc fn);
KV_HLogOutFunc csGetHLogOutFunc();
// One record through the current output (dropped while none is installed);
// answers the output's result, or 0.
int KV_HLogFmtText(uint32_t code, const char* fmt, ...) ZRX_PRINTF(2, 3);
int KV_HLogVFmtText(uint32_t code, const char* fmt, va_list args);
// The same for a code that a library returned: the code's text is appended.
int KV_HLogLibFmtText(uint32_t code, const char* fmt, ...) ZRX_PRINTF(2, 3);
int KV_HLogText(uint32_t code, const char* text);

// --- the event log
using TCSLogOutFunc = void (*)(int32_t code, const char* text);
TCSLogOutFunc csSetLogOutFunc(TCSLogOutFunc fn);
TCSLogOutFunc csGetLogOutFunc();
// Level/code and text; dropped while no function is installed.
void csLogFmtText(int32_t code, const char* fmt, ...) ZRX_PRINTF(2, 3);

// Records as the runtime hands them to event views.
struct TCTextEventInfo {
    int32_t code = 0;
    TCString text;
};
struct TCDynTextEventInfo {
    int64_t time = 0;
    int32_t code = 0;
    TCString text;
};

// --- the debug display and debug log
using TCSDisplayFunc = void (*)(const char* text);
TCSDisplayFunc csSetDisplayFunc(TCSDisplayFunc fn);
TCSDisplayFunc csGetDisplayFunc();
// The debug-category mask: a debug text is output when its mask shares a bit
// with it (mask 0 texts always pass while the mask is non-zero).
uint32_t csSetDbgOutMask(uint32_t mask);
uint32_t csGetDbgOutMask();
// A debug text of the given categories: to the display function and, when
// the debug log is enabled, appended to the debug log file.
void csOutDbgText(uint32_t mask, const char* fmt, ...) ZRX_PRINTF(2, 3);
// Enables the debug log in a folder (created when missing); empty or null
// folder: disables it. Answers true when the folder is usable.
bool enableDebugLog(const char* folder);
void disableDebugLog();
// The debug log file in use, empty while disabled.
TCString getDebugLogFile();
// The runtime's own debug folder "<data>/zoren/dbg" (data: ALLUSERSPROFILE,
// else XDG_DATA_HOME, else ~/.local/share).
TCString getDBGLogDir();

// Debug categories (bits of the debug mask) with their names.
struct TCDbgMaskDescriptor {
    uint32_t mask;
    const char* text;
};
const std::vector<TCDbgMaskDescriptor>& getDbgMaskDesctiptors();
// Adds a category (libraries register theirs).
void addDbgMaskDescriptor(uint32_t mask, const char* text);

// Debug categories the runtime knows.
constexpr uint32_t DBG_RUNTIME = 0x00004000u;
constexpr uint32_t DBG_FILES = 0x00010000u;
constexpr uint32_t DBG_DEVICES = 0x20000000u;
constexpr uint32_t DBG_CRYPTO = 0x80000000u;
constexpr uint32_t DBG_NETWORK = 0x08000000u;
constexpr uint32_t DBG_UPDATE = 0x10000000u;
