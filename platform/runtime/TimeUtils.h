#pragma once
// Time: 64-bit seconds since 1970 (UTC), local calendar where named.
#include <cstdint>

#include "platform/runtime/TCString.h"

// The clock: seconds and milliseconds since 1970. Tests replace the source.
using TimeSourceFunc = int64_t (*)();             // milliseconds since 1970
TimeSourceFunc setTimeSource(TimeSourceFunc fn);  // null: the system clock
int64_t currentTimeMs();
// Now in seconds; also stored in *t when given.
int64_t u_time(int64_t* t = nullptr);

// Midnight of today in seconds (local day by default, else UTC).
int64_t today(bool local = true);
// The time moved by whole calendar days (local calendar keeps the wall time).
int64_t incDays(int64_t t, int days);

// Broken-down time.
struct TCDateTime {
    int year = 1970, month = 1, day = 1;
    int hour = 0, minute = 0, second = 0, ms = 0;
    int wday = 4;  // 0 Sunday
};
TCDateTime localTimeOf(int64_t t);
TCDateTime gmTimeOf(int64_t t);
// Back to seconds (fields are normalised); -1 fits nothing only for invalid years.
int64_t fromLocalTime(const TCDateTime& dt);
int64_t fromGmTime(const TCDateTime& dt);
// The system-time record of the windowing code. The three conversions share
// one convention: local calendar time both ways, so a record read from a
// time converts back to the same time.
struct SYSTEMTIME {
    uint16_t wYear = 1970, wMonth = 1, wDayOfWeek = 4, wDay = 1;
    uint16_t wHour = 0, wMinute = 0, wSecond = 0, wMilliseconds = 0;
};
SYSTEMTIME time_t2localtime(int64_t t);
SYSTEMTIME time_t2systemtime(int64_t t);
int64_t systemtime2time_t(const SYSTEMTIME& st);
// Days between two times' days (local).
int daysBetween(int64_t from, int64_t to);

// Texts.
// Now, local: "YYYY-MM-DD HH:MM:SS.mmm".
TCString currentTime();
// Now, local: "DD.MM.YYYY HH:MM:SS".
TCString currentDateTime();
// Local "DD.MM.YYYY" or, withTime, "DD.MM.YYYY HH:MM:SS"; 0 gives "".
TCString dateTimeStr(int64_t t, bool withTime = true);
// The same in UTC.
TCString gm_dateStr(int64_t t, bool withTime = false);
TCString gm_dateTimeStr(int64_t t, bool withTime = true);
// Local "HH:MM:SS".
TCString utime2str(int64_t t);
// "folder/<prefix>YYYYMMDD.<ext>" for the local day of now.
TCString fileNameFromDate(const char* prefix, const char* folder, const char* ext);
TCString fileNameFromDate(const char* prefix, const char* folder, const char* ext, int64_t t);
// Compact forms "YYYYMMDDHHMMSS" (UTC) used by settings.
TCString gmCompactStr(int64_t t);
bool parseGmCompact(const char* text, int64_t& t);
