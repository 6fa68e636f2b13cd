#include "memhost/rules/DateSerial.h"

#include <cmath>

namespace kx::memhost {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date (H. Hinnant's algorithm).
long DaysFromCivil(long y, long m, long d) {
  y -= m <= 2;
  const long era = (y >= 0 ? y : y - 399) / 400;
  const long yoe = y - era * 400;
  const long doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const long doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

CivilDate CivilFromDays(long z) {
  z += 719468;
  const long era = (z >= 0 ? z : z - 146096) / 146097;
  const long doe = z - era * 146097;
  const long yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const long y = yoe + era * 400;
  const long doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const long mp = (5 * doy + 2) / 153;
  const long d = doy - (153 * mp + 2) / 5 + 1;
  const long m = mp + (mp < 10 ? 3 : -9);
  return {static_cast<int>(y + (m <= 2)), static_cast<int>(m), static_cast<int>(d)};
}

// Serial 1 is 1900-01-01; from 1900-03-01 (serial 61) on, serial = days since 1899-12-30.
const long kEpoch = DaysFromCivil(1899, 12, 30);

bool IsLeap(int y) { return (y % 4 == 0 && y % 100 != 0) || y % 400 == 0; }

}  // namespace

std::optional<double> SerialFromDate(CivilDate date) {
  if (date.year < 1900 || date.year > 9999 || date.month < 1 || date.month > 12 || date.day < 1) {
    return std::nullopt;
  }
  static const int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  int maxDay = kDays[date.month - 1] + (date.month == 2 && IsLeap(date.year) ? 1 : 0);
  if (date.year == 1900 && date.month == 2) maxDay = 29;  // the host's 1900-02-29
  if (date.day > maxDay) return std::nullopt;
  if (date.year == 1900 && date.month <= 2) {
    return date.month == 1 ? date.day : 31 + date.day;
  }
  return static_cast<double>(DaysFromCivil(date.year, date.month, date.day) - kEpoch);
}

CivilDate DateFromSerial(double serial) {
  auto whole = static_cast<long>(std::floor(serial));
  if (whole < 1) return {1900, 1, 0};
  if (whole < 60) return {1900, whole <= 31 ? 1 : 2, static_cast<int>(whole <= 31 ? whole : whole - 31)};
  if (whole == 60) return {1900, 2, 29};
  return CivilFromDays(whole + kEpoch);
}

}  // namespace kx::memhost
