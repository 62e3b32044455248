#pragma once

#include <cstdint>
#include <optional>

#include "text/date_time.h"

namespace vornal {

// The worked time of a listed interval, or a sum of them: a signed number of
// whole seconds, or empty when a time is missing. Once an empty span has been
// added, a sum stays empty.
class WorkDuration {
 public:
  // Zero.
  WorkDuration() = default;
  static WorkDuration FromSeconds(std::int64_t seconds);
  static WorkDuration Empty();
  // end - begin; empty when either time is missing.
  static WorkDuration Between(const std::optional<DateTime>& begin,
                              const std::optional<DateTime>& end);

  bool IsEmpty() const { return m_empty; }
  std::int64_t Seconds() const { return m_seconds; }

  WorkDuration& operator+=(const WorkDuration& other);

 private:
  std::int64_t m_seconds = 0;
  bool m_empty = false;
};

}  // namespace vornal
