#pragma once

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "text/work_event.h"

namespace vornal {

// The event a name stands for; nothing for any other text.
std::optional<WorkEvent> WorkEventOf(std::string_view name);

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
