#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

namespace vornal {

// The six events a client writes, stored as their names in LOGS.Event
// (compared exactly): a working day and a task, each started, going on and
// stopped. The one table of their names.
enum class WorkEvent : std::uint8_t {
  StartWDay,
  WorkingDay,
  StopWDay,
  StartWork,
  Working,
  StopWork
};
inline constexpr std::string_view kWorkEventNames[] = {"StartWDay", "WorkingDay", "StopWDay",
                                                       "StartWork", "Working",    "StopWork"};

constexpr std::string_view WorkEventName(WorkEvent event) {
  return kWorkEventNames[static_cast<std::size_t>(event)];
}
// The event a name stands for; nothing for any other text.
std::optional<WorkEvent> WorkEventOf(std::string_view name);

// The task's events, as against the working day's.
constexpr bool IsTaskEvent(WorkEvent event) {
  return event >= WorkEvent::StartWork;
}
// A row of a started or going-on event is unfinished: its login has not
// stopped it yet.
constexpr bool IsUnfinishedEvent(WorkEvent event) {
  return event != WorkEvent::StopWDay && event != WorkEvent::StopWork;
}

// The SQL term "Event IN ('StartWDay', ...)" for the events given.
std::string EventInSql(std::initializer_list<WorkEvent> events);
// The rows a login has not finished yet. Only they are indexed by login and
// event, which keeps that index small whatever the size of LOGS; a query
// repeats this term so that the engine can use the index.
const std::string& UnfinishedRowsSql();

}  // namespace vornal
