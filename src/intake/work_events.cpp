#include "intake/work_events.h"

#include "intake/event_applier.h"
#include "store/schema.h"
#include "store/work_event.h"
#include "text/login_key.h"

namespace vornal {

bool IsWorkEvent(const std::string& event) {
  return WorkEventOf(event).has_value();
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
      std::string("SELECT 1 FROM LOGS WHERE Event = ? AND LoginKey = ? AND ") +
      UnfinishedRowsSql() + " LIMIT 1";
  const std::optional<WorkEvent> known = WorkEventOf(event);
  const bool isUnfinished = known && IsUnfinishedEvent(*known);
  return db
      .QueryInt(isUnfinished ? std::string_view(unfinished)
                             : "SELECT 1 FROM LOGS WHERE Event = ? AND LoginKey = ? LIMIT 1",
                event, LoginKey(login))
      .has_value();
}

}  // namespace vornal
