#include "intake/work_events.h"

#include "intake/event_applier.h"
#include "store/schema.h"
#include "text/login_key.h"

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
  // Unfinished rows are found through their own small index.
  static const std::string unfinished =
      std::string("SELECT 1 FROM LOGS WHERE Event = ? AND LoginKey = ? AND ") + kUnfinishedRows +
      " LIMIT 1";
  const bool isUnfinished =
      event == "StartWDay" || event == "WorkingDay" || event == "StartWork" || event == "Working";
  return db
      .QueryInt(isUnfinished ? std::string_view(unfinished)
                             : "SELECT 1 FROM LOGS WHERE Event = ? AND LoginKey = ? LIMIT 1",
                event, LoginKey(login))
      .has_value();
}

}  // namespace vornal
