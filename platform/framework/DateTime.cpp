#include "platform/framework/DateTime.h"

#include <cmath>
#include <cstdint>

namespace {
constexpr int64_t kMsPerDay = 86400000;
// Days from 1970-01-01 of a civil date (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, int m, int d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}
void civilFromDays(int64_t z, int& y, int& m, int& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = int(doy - (153 * mp + 2) / 5 + 1);
    m = int(mp < 10 ? mp + 3 : mp - 9);
    y = int(yoe + era * 400 + (m <= 2));
}
// 1899-12-30 counted from 1970-01-01.
const int64_t kEpochShift = daysFromCivil(1899, 12, 30);

// Milliseconds since 1899-12-30 of a value, rounded to the millisecond.
int64_t totalMs(TDateTime d) { return int64_t(std::llround(d * double(kMsPerDay))); }
}  // namespace

bool IsValidDate(int Year, int Month, int Day) {
    if (Year < 1 || Year > 9999 || Month < 1 || Month > 12 || Day < 1) return false;
    static const int days[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    bool leap = (Year % 4 == 0 && Year % 100 != 0) || Year % 400 == 0;
    return Day <= days[Month - 1] + (Month == 2 && leap ? 1 : 0);
}

TDateTime EncodeDate(int Year, int Month, int Day) {
    if (!IsValidDate(Year, Month, Day)) throw EConvertError("Invalid argument to date encode");
    return double(daysFromCivil(Year, Month, Day) - kEpochShift);
}

TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec) {
    if (Hour < 0 || Hour > 23 || Min < 0 || Min > 59 || Sec < 0 || Sec > 59 || MSec < 0 || MSec > 999)
        throw EConvertError("Invalid argument to time encode");
    return double(((Hour * 60 + Min) * 60 + Sec) * 1000 + MSec) / double(kMsPerDay);
}

void DecodeDate(TDateTime d, int& Year, int& Month, int& Day) {
    int64_t ms = totalMs(d);
    int64_t days = ms >= 0 ? ms / kMsPerDay : -((-ms + kMsPerDay - 1) / kMsPerDay);
    civilFromDays(days + kEpochShift, Year, Month, Day);
}

void DecodeTime(TDateTime d, int& Hour, int& Min, int& Sec, int& MSec) {
    int64_t ms = totalMs(d) % kMsPerDay;
    if (ms < 0) ms += kMsPerDay;
    MSec = int(ms % 1000);
    Sec = int(ms / 1000 % 60);
    Min = int(ms / 60000 % 60);
    Hour = int(ms / 3600000);
}

TDateTime DateOf(TDateTime d) {
    int y, m, day;
    DecodeDate(d, y, m, day);
    return double(daysFromCivil(y, m, day) - kEpochShift);
}

TDateTime TimeOf(TDateTime d) {
    int h, mi, s, ms;
    DecodeTime(d, h, mi, s, ms);
    return EncodeTime(h, mi, s, ms);
}
