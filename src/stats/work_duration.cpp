#include "stats/work_duration.h"

namespace vornal {

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

}  // namespace vornal
