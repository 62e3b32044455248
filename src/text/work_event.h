#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace vornal {

// The six events a client writes, stored as their names in LOGS.Event
// (compared exactly): a working day and a task, each started, going on and
// stopped. The one table of their names, shared by the office and the
// worker's client.
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

// The task's events, as against the working day's.
constexpr bool IsTaskEvent(WorkEvent event) {
  return event >= WorkEvent::StartWork;
}

}  // namespace vornal
