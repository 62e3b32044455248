#include "text/date_time.h"

#include <array>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <ctime>

namespace vornal {
namespace {

using namespace std::chrono;

constexpr std::array<const char*, 12> kMonthShort = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                     "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
constexpr std::array<const char*, 12> kMonthLong = {
    "January", "February", "March",     "April",   "May",      "June",
    "July",    "August",   "September", "October", "November", "December"};

constexpr std::int64_t kSecondsPerDay = 86400;

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) {
  std::int64_t q = a / b;
  if ((a % b != 0) && ((a < 0) != (b < 0))) --q;
  return q;
}

void AppendNumber(std::string& out, int value, int width) {
  char buffer[16];
  std::snprintf(buffer, sizeof buffer, "%0*d", width, value);
  out += buffer;
}

bool ParseDigits(std::string_view text, std::size_t pos, std::size_t count, int& value) {
  if (pos + count > text.size()) return false;
  value = 0;
  for (std::size_t i = pos; i < pos + count; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

std::optional<DateTime> DateTime::FromParts(int year, int month, int day, int hour, int minute,
                                            int second) {
  if (year < 1 || year > 9999 || month < 1 || month > 12 || day < 1 ||
      day > DaysInMonth(year, month) || hour < 0 || hour > 23 || minute < 0 || minute > 59 ||
      second < 0 || second > 59)
    return std::nullopt;
  DateTime t;
  t.m_year = year;
  t.m_month = month;
  t.m_day = day;
  t.m_hour = hour;
  t.m_minute = minute;
  t.m_second = second;
  return t;
}

std::optional<DateTime> DateTime::FromIso(std::string_view text) {
  int y = 0, mo = 0, d = 0, h = 0, mi = 0, s = 0;
  if (!ParseDigits(text, 0, 4, y) || text.size() < 10 || text[4] != '-' ||
      !ParseDigits(text, 5, 2, mo) || text[7] != '-' || !ParseDigits(text, 8, 2, d))
    return std::nullopt;
  if (text.size() != 10) {
    if (text.size() != 19 || text[10] != ' ' || !ParseDigits(text, 11, 2, h) || text[13] != ':' ||
        !ParseDigits(text, 14, 2, mi) || text[16] != ':' || !ParseDigits(text, 17, 2, s))
      return std::nullopt;
  }
  return FromParts(y, mo, d, h, mi, s);
}

std::optional<DateTime> DateTime::FromIsoDay(std::string_view text) {
  return text.size() == 10 ? FromIso(text) : std::nullopt;
}

DateTime DateTime::FromSeconds(std::int64_t seconds) {
  const std::int64_t days = FloorDiv(seconds, kSecondsPerDay);
  std::int64_t rest = seconds - days * kSecondsPerDay;
  const year_month_day ymd{sys_days{std::chrono::days{days}}};
  DateTime t;
  t.m_year = static_cast<int>(ymd.year());
  t.m_month = static_cast<int>(static_cast<unsigned>(ymd.month()));
  t.m_day = static_cast<int>(static_cast<unsigned>(ymd.day()));
  t.m_hour = static_cast<int>(rest / 3600);
  rest %= 3600;
  t.m_minute = static_cast<int>(rest / 60);
  t.m_second = static_cast<int>(rest % 60);
  return t;
}

std::int64_t DateTime::ToSeconds() const {
  const sys_days day{year{m_year} / month{static_cast<unsigned>(m_month)} /
                     std::chrono::day{static_cast<unsigned>(m_day)}};
  return static_cast<std::int64_t>(day.time_since_epoch().count()) * kSecondsPerDay +
         m_hour * 3600 + m_minute * 60 + m_second;
}

DateTime DateTime::Now() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return *FromParts(local.tm_year + 1900, local.tm_mon + 1, local.tm_mday, local.tm_hour,
                    local.tm_min, local.tm_sec > 59 ? 59 : local.tm_sec);
}

DateTime DateTime::Date() const {
  return *FromParts(m_year, m_month, m_day);
}

DateTime DateTime::AddDays(int days) const {
  return FromSeconds(ToSeconds() + std::int64_t{days} * kSecondsPerDay);
}

DateTime DateTime::AddSeconds(std::int64_t seconds) const {
  return FromSeconds(ToSeconds() + seconds);
}

std::int64_t DateTime::SecondsSince(const DateTime& other) const {
  return ToSeconds() - other.ToSeconds();
}

std::string DateTime::ToIso() const {
  return Format("%Y-%m-%d %H:%M:%S");
}

std::string DateTime::Format(std::string_view format) const {
  std::string out;
  out.reserve(format.size() + 16);
  for (std::size_t i = 0; i < format.size(); ++i) {
    if (format[i] != '%' || i + 1 == format.size()) {
      out += format[i];
      continue;
    }
    switch (format[++i]) {
      case 'd':
        AppendNumber(out, m_day, 2);
        break;
      case 'm':
        AppendNumber(out, m_month, 2);
        break;
      case 'Y':
        AppendNumber(out, m_year, 4);
        break;
      case 'y':
        AppendNumber(out, m_year % 100, 2);
        break;
      case 'H':
        AppendNumber(out, m_hour, 2);
        break;
      case 'M':
        AppendNumber(out, m_minute, 2);
        break;
      case 'S':
        AppendNumber(out, m_second, 2);
        break;
      case 'b':
        out += kMonthShort[static_cast<std::size_t>(m_month - 1)];
        break;
      case 'B':
        out += kMonthLong[static_cast<std::size_t>(m_month - 1)];
        break;
      case '%':
        out += '%';
        break;
      default:
        out += '%';
        out += format[i];
    }
  }
  return out;
}

int DateTime::DaysInMonth(int year, int month) {
  static constexpr std::array<int, 12> kDays = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  if (month < 1 || month > 12) return 0;
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[static_cast<std::size_t>(month - 1)];
}

std::string HoursText(std::int64_t seconds) {
  const std::int64_t minutes = std::llabs(seconds) / 60;
  char text[32];
  std::snprintf(text, sizeof text, "%s%lld:%02lld", seconds < 0 ? "-" : "",
                static_cast<long long>(minutes / 60), static_cast<long long>(minutes % 60));
  return text;
}

}  // namespace vornal
