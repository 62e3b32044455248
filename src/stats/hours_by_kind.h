#pragma once

#include <cstdint>
#include <vector>

#include "text/date_time.h"

namespace vornal {

// Night work: from 22:00 to 06:00.
inline constexpr std::int64_t kNightEnds = 6 * 3600;
inline constexpr std::int64_t kNightBegins = 22 * 3600;

// The worked time of one day, and the part of it at night.
struct DayHours {
  std::int64_t worked = 0;  // seconds
  std::int64_t night = 0;   // seconds, part of worked
};

// Adds the interval [begin, end) to the days it covers, each day's part to
// its own entry: days[0] is the day `first`. Parts outside the days count
// nowhere; an interval that ends before it begins adds nothing.
void AddWorkedInterval(std::vector<DayHours>& days, const DateTime& first, const DateTime& begin,
                       const DateTime& end);

}  // namespace vornal
