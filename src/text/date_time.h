#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace vornal {

// Local wall-clock date and time to the second: no time zone, civil calendar
// arithmetic. Only valid dates and times can be constructed.
class DateTime {
 public:
  // 0001-01-01 00:00:00.
  DateTime() = default;

  // The date and time the six numbers spell, or nothing when they are no
  // valid date and time (month 13, 31 April, hour 24, ...).
  static std::optional<DateTime> FromParts(int year, int month, int day, int hour = 0,
                                           int minute = 0, int second = 0);
  // Parses "YYYY-MM-DD HH:MM:SS" (the stored form) or "YYYY-MM-DD".
  static std::optional<DateTime> FromIso(std::string_view text);
  // Parses a day written as "YYYY-MM-DD" and nothing else (command lines,
  // files of days).
  static std::optional<DateTime> FromIsoDay(std::string_view text);
  // Seconds since 1970-01-01 00:00:00 of the civil calendar, and back.
  static DateTime FromSeconds(std::int64_t seconds);
  std::int64_t ToSeconds() const;

  // The machine's local time now.
  static DateTime Now();

  int Year() const { return m_year; }
  int Month() const { return m_month; }
  int Day() const { return m_day; }
  int Hour() const { return m_hour; }
  int Minute() const { return m_minute; }
  int Second() const { return m_second; }

  // Midnight of the same day.
  DateTime Date() const;
  DateTime AddDays(int days) const;
  DateTime AddSeconds(std::int64_t seconds) const;
  // this - other, in seconds.
  std::int64_t SecondsSince(const DateTime& other) const;

  // The stored form, "YYYY-MM-DD HH:MM:SS".
  std::string ToIso() const;
  // strftime-like formatting with %d %m %Y %y %H %M %S %b %B %%, English month
  // names whatever the locale.
  std::string Format(std::string_view format) const;

  static int DaysInMonth(int year, int month);

  friend auto operator<=>(const DateTime&, const DateTime&) = default;
  friend bool operator==(const DateTime&, const DateTime&) = default;

 private:
  // Member order matters: the defaulted comparison is chronological.
  int m_year = 1;
  int m_month = 1;
  int m_day = 1;
  int m_hour = 0;
  int m_minute = 0;
  int m_second = 0;
};

// A span of time as hours and minutes, the seconds dropped: "8:15", "176:05",
// "-1:30" below zero. Timesheets, their files and windows all show it so.
std::string HoursText(std::int64_t seconds);

}  // namespace vornal
