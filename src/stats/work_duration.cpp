#include "stats/work_duration.h"

#include <cstdio>
#include <cstdlib>

namespace vornal {
namespace {

constexpr std::int64_t kSecondsPerDay = 86400;

std::string Clock(std::int64_t seconds) {
  char buffer[8];
  std::snprintf(buffer, sizeof buffer, "%02d:%02d", static_cast<int>(seconds / 3600 % 24),
                static_cast<int>(seconds / 60 % 60));
  return buffer;
}

}  // namespace

WorkDuration WorkDuration::FromSeconds(std::int64_t seconds) {
  WorkDuration duration;
  duration.m_seconds = seconds;
  return duration;
}

WorkDuration WorkDuration::Empty() {
  WorkDuration duration;
  duration.m_empty = true;
  return duration;
}

WorkDuration WorkDuration::Between(const std::optional<DateTime>& begin,
                                   const std::optional<DateTime>& end) {
  if (!begin || !end) return Empty();
  return FromSeconds(end->SecondsSince(*begin));
}

WorkDuration& WorkDuration::operator+=(const WorkDuration& other) {
  if (other.m_empty) {
    m_empty = true;
    m_seconds = 0;
  } else if (!m_empty) {
    m_seconds += other.m_seconds;
  }
  return *this;
}

std::string WorkDuration::FormatClock() const {
  if (m_empty) return {};
  return Clock(std::llabs(m_seconds));
}

std::string WorkDuration::FormatTotal() const {
  if (m_empty) return {};
  // Days are truncated toward zero and the hours and minutes are those of the
  // remainder's absolute value, so -26:30 reads "-1 дней 02:30". Less than a
  // day below zero keeps its sign as "-0 дней ...", or it would read as time
  // worked.
  const std::int64_t days = m_seconds / kSecondsPerDay;
  std::string text = m_seconds < 0 && days == 0 ? "-0" : std::to_string(days);
  text += " дней ";
  text += Clock(std::llabs(m_seconds) % kSecondsPerDay);
  return text;
}

}  // namespace vornal
