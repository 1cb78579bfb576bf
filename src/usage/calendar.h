// Local calendar days as plain numbers, so that a day's successor, a
// month's end and the distance between two dates are arithmetic.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace dw::usage {

// Days since 1970-01-01 of the proleptic Gregorian calendar (negative before).
using Day = std::int32_t;

inline constexpr std::int64_t kMsPerDay = 86'400'000;

struct Date {
  int year = 1970;
  int month = 1;
  int day = 1;
};

bool IsLeapYear(int year);
// Brings a month outside 1..12 into the year it falls in (13 is January of
// the next year, 0 December of the one before).
void NormaliseMonth(int& year, int& month);
// 28 to 31; a month outside 1..12 as NormaliseMonth places it.
int DaysInMonth(int year, int month);

// Any year; a month or day out of range is clamped into the month.
Day DayOf(int year, int month, int day);
Date DateOf(Day day);

// The local date of a clock reading; a reading with fields out of range
// (a clock that answered rubbish) is clamped like DayOf.
Day DayOf(const LocalDateTime& time);
// Milliseconds since local midnight, clamped to one day.
std::int64_t MsOfDay(const LocalDateTime& time);

// "YYYY-MM-DD".
std::string IsoDate(Day day);

// `value` in decimal with at least `width` digits (leading zeros), a minus
// sign before them when negative. Not snprintf: in the Windows build that is
// mingw's own printf, some 30 KB of the download.
std::string ZeroPadded(std::int64_t value, int width);

}  // namespace dw::usage
