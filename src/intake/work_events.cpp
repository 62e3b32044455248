#include "intake/work_events.h"

#include "intake/event_applier.h"

namespace vornal {

bool IsWorkEvent(const std::string& event) {
  for (const char* name :
       {"StartWDay", "WorkingDay", "StopWDay", "StartWork", "Working", "StopWork"})
    if (event == name) return true;
  return false;
}

void ApplyEvent(Database& db, const DateTime& time, const std::string& login,
                const std::string& event) {
  EventApplier applier(db);
  applier.Apply(time, login, event);
  applier.Flush();
}

bool LogRowExists(Database& db, const std::string& event, const std::string& login) {
  return db.QueryInt("SELECT 1 FROM LOGS WHERE Event = ? AND Login = ? LIMIT 1", event, login)
      .has_value();
}

}  // namespace vornal
