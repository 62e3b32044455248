#include "store/database_check.h"

#include "store/schema.h"
#include "store/work_event.h"

namespace vornal {
namespace {

constexpr std::size_t kExamples = 10;

// The rows of LOGS the query selects (ID, Login, Event, BeginTime, EndTime),
// as a finding; nothing when there are none.
void FindRows(Database& db, std::vector<CheckFinding>& findings, const std::string& sql,
              const std::optional<DateTime>& bound, const std::string& what) {
  Statement query = db.Prepare(sql);
  if (bound) query.Bind(*bound);
  CheckFinding finding;
  std::size_t count = 0;
  while (query.Step()) {
    if (++count > kExamples) continue;
    const auto time = [&](int column) {
      const std::optional<DateTime> value = query.Time(column);
      return value ? value->ToIso() : std::string("(none)");
    };
    finding.examples.push_back("ID " + std::to_string(query.Int(0)) + ": " + query.Text(1) + " " +
                               query.Text(2) + " from " + time(3) + " to " + time(4));
  }
  if (count == 0) return;
  finding.text = what + ": " + std::to_string(count);
  findings.push_back(std::move(finding));
}

void CheckRows(Database& db, const DateTime& now, std::vector<CheckFinding>& findings) {
  Transaction snapshot(db, Transaction::Mode::Read);
  for (std::string& change : PendingUpgrade(db)) findings.push_back({false, std::move(change), {}});
  FindRows(db, findings,
           "SELECT ID, Login, Event, BeginTime, EndTime FROM LOGS WHERE EndTime < BeginTime "
           "ORDER BY ID",
           std::nullopt, "rows that end before they begin (the statistics count them as no time)");
  FindRows(db, findings,
           std::string("SELECT ID, Login, Event, BeginTime, EndTime FROM LOGS WHERE ") +
               UnfinishedRowsSql() + " AND COALESCE(EndTime, BeginTime) < ? ORDER BY ID",
           now.AddDays(-1),
           "rows still going on with no activity for more than a day (the client sent no "
           "stop, or the folder was not collected since)");

  // Without login keys (before schema version 3, or rows another tool
  // wrote), logins compare in ASCII case.
  const bool keys =
      db.Connection().SchemaVersion() >= 3 &&
      !db.QueryInt("SELECT 1 FROM logs WHERE LoginKey IS NULL AND Login IS NOT NULL LIMIT 1") &&
      !db.QueryInt("SELECT 1 FROM human WHERE LoginKey IS NULL AND Login IS NOT NULL LIMIT 1");
  Statement orphans = db.Prepare(
      keys ? "SELECT MIN(Login), COUNT(*) FROM LOGS WHERE NOT EXISTS "
             "(SELECT 1 FROM HUMAN WHERE HUMAN.LoginKey = LOGS.LoginKey) GROUP BY LoginKey "
             "ORDER BY 1"
           : "SELECT MIN(Login), COUNT(*) FROM LOGS WHERE NOT EXISTS "
             "(SELECT 1 FROM HUMAN WHERE lower(HUMAN.Login) = lower(LOGS.Login)) "
             "GROUP BY lower(Login) ORDER BY 1");
  CheckFinding note{false, "", {}};
  std::size_t logins = 0;
  while (orphans.Step())
    if (++logins <= kExamples)
      note.examples.push_back(orphans.Text(0) + ": " + std::to_string(orphans.Int(1)) +
                              (orphans.Int(1) == 1 ? " row" : " rows"));
  if (logins) {
    note.text = "logins with work rows but no person (removed, or never entered): " +
                std::to_string(logins);
    findings.push_back(std::move(note));
  }
}

}  // namespace

std::vector<CheckFinding> CheckDatabase(Database& db, const DateTime& now, bool storageOnly) {
  std::vector<CheckFinding> findings;
  try {
    for (std::string& problem : db.Connection().IntegrityProblems())
      findings.push_back({true, "storage: " + std::move(problem), {}});
    // The rows of a damaged file are not worth checking, and may not be read.
    if (findings.empty() && !storageOnly) CheckRows(db, now, findings);
  } catch (const StoreError& e) {
    if (e.Kind() != StoreErrorKind::Damaged) throw;
    findings.push_back({true, std::string("storage: cannot be read: ") + e.what(), {}});
  }
  return findings;
}

}  // namespace vornal
