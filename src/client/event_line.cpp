#include "client/event_line.h"

#include <charconv>
#include <vector>

namespace vornal {

std::string EventLine(const DateTime& time, std::string_view login, WorkEvent event) {
  std::string line;
  for (const int number :
       {time.Year(), time.Month(), time.Day(), time.Hour(), time.Minute(), time.Second()})
    line += std::to_string(number) + '|';
  line += login;
  line += '|';
  line += WorkEventName(event);
  line += "|\n";
  return line;
}

std::optional<LoggedEvent> ReadEventLine(std::string_view line) {
  std::vector<std::string_view> fields;
  while (!line.empty()) {
    const std::size_t bar = line.find('|');
    if (bar == std::string_view::npos) break;
    fields.push_back(line.substr(0, bar));
    line.remove_prefix(bar + 1);
  }
  if (fields.size() != 8) return std::nullopt;
  int numbers[6] = {};
  for (int i = 0; i < 6; ++i) {
    const auto [end, error] =
        std::from_chars(fields[i].data(), fields[i].data() + fields[i].size(), numbers[i]);
    if (error != std::errc() || end != fields[i].data() + fields[i].size()) return std::nullopt;
  }
  const auto time =
      DateTime::FromParts(numbers[0], numbers[1], numbers[2], numbers[3], numbers[4], numbers[5]);
  if (!time) return std::nullopt;
  for (std::size_t i = 0; i < std::size(kWorkEventNames); ++i)
    if (kWorkEventNames[i] == fields[7]) return LoggedEvent{*time, static_cast<WorkEvent>(i)};
  return std::nullopt;
}

void WorkedTimeCounter::Close(Family& family) {
  if (!family.row) return;
  Row& row = *family.row;
  // Cut at each midnight: the next part begins at 00:00:00.
  while (row.begin.Date() != row.end.Date() && row.begin < row.end) {
    const DateTime midnight = row.begin.Date().AddDays(1);
    family.days[row.begin.Date()] += midnight.SecondsSince(row.begin);
    row.begin = midnight;
  }
  family.days[row.begin.Date()] += row.end.SecondsSince(row.begin);
  family.row.reset();
}

void WorkedTimeCounter::Add(const DateTime& time, WorkEvent event) {
  Family& family = IsTaskEvent(event) ? m_task : m_day;
  std::optional<Row>& row = family.row;
  const bool stale = row && time.SecondsSince(row->end) > kOfficeGapSeconds;
  switch (event) {
    case WorkEvent::StartWDay:
    case WorkEvent::StartWork:
      Close(family);
      row = Row{time, time, true};
      break;
    case WorkEvent::WorkingDay:
    case WorkEvent::Working:
      if (stale) Close(family);
      if (!row) row = Row{time, time, false};
      row->end = time;
      row->start = false;
      break;
    case WorkEvent::StopWDay:
    case WorkEvent::StopWork:
      if (row && (!stale || (row->start && event == WorkEvent::StopWDay))) row->end = time;
      Close(family);
      break;
  }
}

std::map<DateTime, WorkedTime> WorkedTimeCounter::Days() const {
  WorkedTimeCounter copy = *this;
  copy.Close(copy.m_day);
  copy.Close(copy.m_task);
  std::map<DateTime, WorkedTime> days;
  for (const auto& [day, seconds] : copy.m_day.days) days[day].work += seconds;
  for (const auto& [day, seconds] : copy.m_task.days) days[day].tasks += seconds;
  return days;
}

}  // namespace vornal
