#include "store/work_event.h"

namespace vornal {

std::optional<WorkEvent> WorkEventOf(std::string_view name) {
  for (std::size_t i = 0; i < std::size(kWorkEventNames); ++i)
    if (kWorkEventNames[i] == name) return static_cast<WorkEvent>(i);
  return std::nullopt;
}

std::string EventInSql(std::initializer_list<WorkEvent> events) {
  std::string sql = "Event IN (";
  for (const WorkEvent event : events)
    sql += (sql.back() == '(' ? "'" : ", '") + std::string(WorkEventName(event)) + "'";
  return sql + ")";
}

const std::string& UnfinishedRowsSql() {
  static const std::string sql = EventInSql(
      {WorkEvent::StartWDay, WorkEvent::WorkingDay, WorkEvent::StartWork, WorkEvent::Working});
  return sql;
}

}  // namespace vornal
