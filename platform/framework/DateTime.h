// The framework's date-time value: days since 1899-12-30, the time of day as
// the fraction. Encoding a date or time that does not exist raises
// EConvertError, as the framework does.
#pragma once

#include "platform/framework/Classes.h"

using TDateTime = double;

bool IsValidDate(int Year, int Month, int Day);
TDateTime EncodeDate(int Year, int Month, int Day);
TDateTime EncodeTime(int Hour, int Min, int Sec, int MSec);
void DecodeDate(TDateTime d, int& Year, int& Month, int& Day);
void DecodeTime(TDateTime d, int& Hour, int& Min, int& Sec, int& MSec);
// The date part (midnight) and the time-of-day part.
TDateTime DateOf(TDateTime d);
TDateTime TimeOf(TDateTime d);
