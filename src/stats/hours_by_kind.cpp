#include "stats/hours_by_kind.h"

#include <algorithm>

namespace vornal {
namespace {

constexpr std::int64_t kDay = 86400;

std::int64_t Overlap(std::int64_t begin, std::int64_t end, std::int64_t from, std::int64_t to) {
  return std::max<std::int64_t>(0, std::min(end, to) - std::max(begin, from));
}

}  // namespace

void AddWorkedInterval(std::vector<DayHours>& days, const DateTime& first, const DateTime& begin,
                       const DateTime& end) {
  const std::int64_t origin = first.Date().ToSeconds();
  std::int64_t from = begin.ToSeconds() - origin;
  const std::int64_t to = end.ToSeconds() - origin;
  while (from < to) {
    const std::int64_t day = from >= 0 ? from / kDay : (from - kDay + 1) / kDay;
    const std::int64_t dayStart = day * kDay;
    const std::int64_t partEnd = std::min(to, dayStart + kDay);
    if (day >= 0 && day < static_cast<std::int64_t>(days.size())) {
      DayHours& hours = days[static_cast<std::size_t>(day)];
      const std::int64_t b = from - dayStart;
      const std::int64_t e = partEnd - dayStart;
      hours.worked += e - b;
      hours.night += Overlap(b, e, 0, kNightEnds) + Overlap(b, e, kNightBegins, kDay);
    }
    from = partEnd;
  }
}

}  // namespace vornal
