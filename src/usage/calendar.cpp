#include "usage/calendar.h"

#include <algorithm>

namespace dw::usage {
namespace {

// Howard Hinnant's days_from_civil: exact for every Gregorian date.
Day DaysFromCivil(std::int64_t y, unsigned m, unsigned d) {
  y -= m <= 2 ? 1 : 0;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const auto yoe = static_cast<unsigned>(y - era * 400);
  const unsigned doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const unsigned doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return static_cast<Day>(era * 146097 + static_cast<std::int64_t>(doe) - 719468);
}

}  // namespace

bool IsLeapYear(int year) {
  return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
}

void NormaliseMonth(int& year, int& month) {
  const int index = month - 1;
  const int shift = index >= 0 ? index / 12 : -((11 - index) / 12);
  year += shift;
  month = index - shift * 12 + 1;
}

int DaysInMonth(int year, int month) {
  NormaliseMonth(year, month);
  static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  return month == 2 && IsLeapYear(year) ? 29 : kDays[month - 1];
}

Day DayOf(int year, int month, int day) {
  month = std::clamp(month, 1, 12);
  // Years far outside any clock's range would overflow a Day.
  year = std::clamp(year, -1'000'000, 1'000'000);
  day = std::clamp(day, 1, DaysInMonth(year, month));
  return DaysFromCivil(year, static_cast<unsigned>(month), static_cast<unsigned>(day));
}

Date DateOf(Day day) {
  // Hinnant's civil_from_days.
  const std::int64_t z = static_cast<std::int64_t>(day) + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const auto doe = static_cast<unsigned>(z - era * 146097);
  const unsigned yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const unsigned doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const unsigned mp = (5 * doy + 2) / 153;
  const unsigned d = doy - (153 * mp + 2) / 5 + 1;
  const unsigned m = mp < 10 ? mp + 3 : mp - 9;
  const std::int64_t y = static_cast<std::int64_t>(yoe) + era * 400 + (m <= 2 ? 1 : 0);
  return {static_cast<int>(y), static_cast<int>(m), static_cast<int>(d)};
}

Day DayOf(const LocalDateTime& time) {
  return DayOf(time.year, time.month, time.day);
}

std::int64_t MsOfDay(const LocalDateTime& time) {
  const std::int64_t ms =
      ((std::int64_t{time.hour} * 60 + time.minute) * 60 + time.second) * 1000 + time.millisecond;
  return std::clamp<std::int64_t>(ms, 0, kMsPerDay - 1);
}

std::string IsoDate(Day day) {
  const Date d = DateOf(day);
  return ZeroPadded(d.year, 4) + '-' + ZeroPadded(d.month, 2) + '-' + ZeroPadded(d.day, 2);
}

std::string ZeroPadded(std::int64_t value, int width) {
  const bool negative = value < 0;
  std::uint64_t magnitude = negative ? 0 - static_cast<std::uint64_t>(value)
                                     : static_cast<std::uint64_t>(value);
  std::string text;  // backwards, then turned round
  do {
    text += static_cast<char>('0' + magnitude % 10);
    magnitude /= 10;
  } while (magnitude != 0);
  while (static_cast<int>(text.size()) < width) text += '0';
  if (negative) text += '-';
  std::reverse(text.begin(), text.end());
  return text;
}

}  // namespace dw::usage
