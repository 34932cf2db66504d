#pragma once
// Calendar days of dates as the user sees them: the local calendar day, its ordinal, and
// the short "Dec 8" form in the user's locale.

#include "platform/Date.h"

#include <chrono>
#include <cstdint>
#include <string>

namespace nolby::DayText {

// The date's day in the local time zone; 1 January 2001 when the C library cannot place it.
std::chrono::year_month_day localDay(Date date);

// The day's ordinal counted from 1 January of the year 1 (day 1) through the calendar in
// use at the time (Julian before October 1582): the Julian Day Number less 1721423.
int64_t dayOrdinal(std::chrono::year_month_day day);

// Abbreviated month and day of the date's local day in the user's locale ("Dec 8"); the
// English form when the locale's formatter cannot be made.
std::string monthDay(Date date);

}  // namespace nolby::DayText
