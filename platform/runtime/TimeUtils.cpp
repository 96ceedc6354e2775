#include "platform/runtime/TimeUtils.h"

#include <atomic>
#include <chrono>
#include <ctime>

#include "platform/runtime/FileUtils.h"

namespace {
std::atomic<TimeSourceFunc> g_source{nullptr};

TCDateTime fromTm(const std::tm& tm, int ms) {
    TCDateTime d;
    d.year = tm.tm_year + 1900;
    d.month = tm.tm_mon + 1;
    d.day = tm.tm_mday;
    d.hour = tm.tm_hour;
    d.minute = tm.tm_min;
    d.second = tm.tm_sec;
    d.ms = ms;
    d.wday = tm.tm_wday;
    return d;
}

std::tm toTm(const TCDateTime& d) {
    std::tm tm{};
    tm.tm_year = d.year - 1900;
    tm.tm_mon = d.month - 1;
    tm.tm_mday = d.day;
    tm.tm_hour = d.hour;
    tm.tm_min = d.minute;
    tm.tm_sec = d.second;
    tm.tm_isdst = -1;
    return tm;
}

int64_t floorDiv(int64_t a, int64_t b) { return a / b - ((a % b != 0) && ((a < 0) != (b < 0))); }
}  // namespace

TimeSourceFunc setTimeSource(TimeSourceFunc fn) { return g_source.exchange(fn); }

int64_t currentTimeMs() {
    if (const TimeSourceFunc fn = g_source.load()) return fn();
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::system_clock::now().time_since_epoch())
        .count();
}

int64_t u_time(int64_t* t) {
    const int64_t s = floorDiv(currentTimeMs(), 1000);
    if (t) *t = s;
    return s;
}

TCDateTime localTimeOf(int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (!localtime_r(&tt, &tm)) return TCDateTime{};
    return fromTm(tm, 0);
}

TCDateTime gmTimeOf(int64_t t) {
    const std::time_t tt = static_cast<std::time_t>(t);
    std::tm tm{};
    if (!gmtime_r(&tt, &tm)) return TCDateTime{};
    return fromTm(tm, 0);
}

int64_t fromLocalTime(const TCDateTime& dt) {
    std::tm tm = toTm(dt);
    return static_cast<int64_t>(std::mktime(&tm));
}

int64_t fromGmTime(const TCDateTime& dt) {
    std::tm tm = toTm(dt);
    tm.tm_isdst = 0;
    return static_cast<int64_t>(timegm(&tm));
}

SYSTEMTIME time_t2localtime(int64_t t) {
    const TCDateTime dt = localTimeOf(t);
    SYSTEMTIME st;
    st.wYear = static_cast<uint16_t>(dt.year);
    st.wMonth = static_cast<uint16_t>(dt.month);
    st.wDayOfWeek = static_cast<uint16_t>(dt.wday);
    st.wDay = static_cast<uint16_t>(dt.day);
    st.wHour = static_cast<uint16_t>(dt.hour);
    st.wMinute = static_cast<uint16_t>(dt.minute);
    st.wSecond = static_cast<uint16_t>(dt.second);
    return st;
}

SYSTEMTIME time_t2systemtime(int64_t t) { return time_t2localtime(t); }

int64_t systemtime2time_t(const SYSTEMTIME& st) {
    TCDateTime dt;
    dt.year = st.wYear;
    dt.month = st.wMonth;
    dt.day = st.wDay;
    dt.hour = st.wHour;
    dt.minute = st.wMinute;
    dt.second = st.wSecond;
    return fromLocalTime(dt);
}

int64_t today(bool local) {
    const int64_t now = u_time();
    if (!local) return floorDiv(now, 86400) * 86400;
    TCDateTime d = localTimeOf(now);
    d.hour = d.minute = d.second = 0;
    return fromLocalTime(d);
}

int64_t incDays(int64_t t, int days) {
    TCDateTime d = localTimeOf(t);
    d.day += days;
    return fromLocalTime(d);
}

int daysBetween(int64_t from, int64_t to) {
    TCDateTime a = localTimeOf(from), b = localTimeOf(to);
    a.hour = b.hour = 12;  // noon: clear of DST shifts
    a.minute = b.minute = a.second = b.second = 0;
    return static_cast<int>(floorDiv(fromLocalTime(b) - fromLocalTime(a) + 43200, 86400));
}

TCString currentTime() {
    const int64_t ms = currentTimeMs();
    const TCDateTime d = localTimeOf(floorDiv(ms, 1000));
    return TCString::format("%04d-%02d-%02d %02d:%02d:%02d.%03d", d.year, d.month, d.day, d.hour, d.minute, d.second,
                            static_cast<int>(ms - floorDiv(ms, 1000) * 1000));
}

TCString currentDateTime() { return dateTimeStr(u_time(), true); }

TCString dateTimeStr(int64_t t, bool withTime) {
    if (t == 0) return TCString();
    const TCDateTime d = localTimeOf(t);
    if (!withTime) return TCString::format("%02d.%02d.%04d", d.day, d.month, d.year);
    return TCString::format("%02d.%02d.%04d %02d:%02d:%02d", d.day, d.month, d.year, d.hour, d.minute, d.second);
}

TCString gm_dateStr(int64_t t, bool withTime) { return gm_dateTimeStr(t, withTime); }

TCString gm_dateTimeStr(int64_t t, bool withTime) {
    if (t == 0) return TCString();
    const TCDateTime d = gmTimeOf(t);
    if (!withTime) return TCString::format("%02d.%02d.%04d", d.day, d.month, d.year);
    return TCString::format("%02d.%02d.%04d %02d:%02d:%02d", d.day, d.month, d.year, d.hour, d.minute, d.second);
}

TCString utime2str(int64_t t) {
    const TCDateTime d = localTimeOf(t);
    return TCString::format("%02d:%02d:%02d", d.hour, d.minute, d.second);
}

TCString fileNameFromDate(const char* prefix, const char* folder, const char* ext, int64_t t) {
    const TCDateTime d = localTimeOf(t);
    TCString name = TCString::format("%s%04d%02d%02d", prefix ? prefix : "", d.year, d.month, d.day);
    if (ext && *ext) name.appendf(*ext == '.' ? "%s" : ".%s", ext);
    return makePathName(folder, name.c_str());
}

TCString fileNameFromDate(const char* prefix, const char* folder, const char* ext) {
    return fileNameFromDate(prefix, folder, ext, u_time());
}

TCString gmCompactStr(int64_t t) {
    const TCDateTime d = gmTimeOf(t);
    return TCString::format("%04d%02d%02d%02d%02d%02d", d.year, d.month, d.day, d.hour, d.minute, d.second);
}

bool parseGmCompact(const char* text, int64_t& t) {
    if (!text) return false;
    int v[6] = {0, 0, 0, 0, 0, 0};
    static const int widths[6] = {4, 2, 2, 2, 2, 2};
    const char* p = text;
    for (int i = 0; i < 6; ++i) {
        for (int k = 0; k < widths[i]; ++k, ++p) {
            if (*p < '0' || *p > '9') return false;
            v[i] = v[i] * 10 + (*p - '0');
        }
    }
    if (*p) return false;
    if (v[1] < 1 || v[1] > 12 || v[2] < 1 || v[2] > 31 || v[3] > 23 || v[4] > 59 || v[5] > 60) return false;
    TCDateTime d;
    d.year = v[0];
    d.month = v[1];
    d.day = v[2];
    d.hour = v[3];
    d.minute = v[4];
    d.second = v[5];
    t = fromGmTime(d);
    return true;
}
