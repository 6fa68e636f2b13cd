#pragma once
// Serial day numbers of the 1900 date system, with the host's fictitious 29 February 1900
// (serial 60) kept so that serials agree with the host's.

#include <optional>

namespace kx::memhost {

struct CivilDate {
  int year = 1900;
  int month = 1;
  int day = 1;
};

// nullopt for a date the host cannot hold (before 1900-01-01, after 9999-12-31, invalid day).
std::optional<double> SerialFromDate(CivilDate date);
// The calendar day of a serial's whole part (serial 0 reads as 1900-01-00, shown as 1/0/1900).
CivilDate DateFromSerial(double serial);

}  // namespace kx::memhost
