// intake_bench [EVENTS] [PREFILL_ROWS] [WORKDIR] [LOGINS] [SERVER]: events per
// second of the intake into an empty database and into one already holding
// PREFILL_ROWS LOGS rows, beside the raw insert rate of the same rows in the
// same run. With SERVER (libpq's connection string of a PostgreSQL server's
// maintenance database) the same is measured there after the file engine.
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>
#include <vector>

#include "buffer_generator.h"
#include "intake/buffer_line.h"
#include "intake/folder_sweep.h"
#include "stopwatch.h"
#include "store/schema.h"
#include "text/login_key.h"

namespace {

namespace fs = std::filesystem;
using vornal::Database;
using vornal::DateTime;
using Clock = std::chrono::steady_clock;
using vornal::bench::Stopwatch;
using vornal::bench::Timing;

struct Row {
  std::string login, key, event, begin, end;
};

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

vornal::DatabasePtr NewDatabase(const std::string& path) {
  fs::remove(path);
  auto db = std::make_unique<vornal::Database>();
  db->Create(path);
  vornal::CreateTables(*db);
  return db;
}

// The definitions of the indexes of LOGS: dropped for a bulk load, made
// again afterwards as a long-lived office's are.
std::vector<std::string> DropLogsIndexes(Database& db) {
  std::vector<std::string> definitions;
  {
    vornal::Statement query = db.Prepare(
        db.IsServer() ? "SELECT indexdef FROM pg_indexes WHERE tablename = 'logs' AND "
                        "indexname <> 'logs_pkey'"
                      : "SELECT sql FROM sqlite_master WHERE type = 'index' AND tbl_name = "
                        "'logs' AND sql IS NOT NULL");
    while (query.Step()) definitions.push_back(query.Text(0));
  }
  for (const std::string& name : db.Indexes("logs")) db.ExecuteScript("DROP INDEX " + name);
  return definitions;
}

void MakeIndexes(Database& db, const std::vector<std::string>& definitions) {
  for (const std::string& definition : definitions) db.ExecuteScript(definition);
}

// Finished rows of the same logins, on days before the buffer's: each login's
// intervals alternate between a working day and a task. (When every row of a
// login was of one family, the intake's look-up of the other family's latest
// end read all of that login's rows: 18,000 events/s.)
void Prefill(const std::string& path, long long rows, int logins) {
  auto db = NewDatabase(path);
  const std::vector<std::string> indexes = DropLogsIndexes(*db);
  db->ExecuteScript(
      "PRAGMA synchronous = OFF; PRAGMA journal_mode = OFF; PRAGMA cache_size = -1000000;");
  vornal::Transaction transaction(*db);
  const DateTime first = *DateTime::FromParts(2010, 1, 1);
  const char* events[] = {"StopWDay", "StopWork"};
  for (long long i = 0; i < rows; ++i) {
    const int login = static_cast<int>(i % logins);
    const long long slot = i / logins;  // per login, one interval every 30 minutes
    const DateTime begin = first.AddSeconds(slot * 1800 + login % 60);
    const std::string name = vornal::bench::BufferGenerator::LoginName(login);
    db->Execute(
        "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
        name, vornal::LoginKey(name), events[slot % 2], begin, begin.AddSeconds(1500));
  }
  transaction.Commit();
  MakeIndexes(*db, indexes);
  db->ExecuteScript("PRAGMA journal_mode = DELETE; ANALYZE");
}

// A new database on the server, empty or a copy of `from`; opened, with the
// program's tables.
vornal::DatabasePtr NewServerDatabase(const std::string& server, const std::string& name,
                                      const std::string& from = "template0") {
  {
    Database maintenance;
    maintenance.Open(server);
    maintenance.ExecuteScript("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    maintenance.ExecuteScript("CREATE DATABASE " + name + " TEMPLATE " + from +
                              " STRATEGY FILE_COPY");
  }
  auto db = std::make_unique<Database>();
  db->Open(server + " dbname=" + name);
  vornal::CreateServerTables(*db);
  vornal::UpgradeSchema(*db);
  return db;
}

// The same rows as Prefill, made by the server itself.
void ServerPrefill(const std::string& server, const std::string& name, long long rows, int logins) {
  auto db = NewServerDatabase(server, name);
  const std::vector<std::string> indexes = DropLogsIndexes(*db);
  // The logins are "user<n>", their own keys.
  db->ExecuteScript(
      "INSERT INTO logs (login, loginkey, event, begintime, endtime) SELECT 'user' || i % " +
      std::to_string(logins) + ", 'user' || i % " + std::to_string(logins) + ", CASE WHEN i / " +
      std::to_string(logins) +
      " % 2 = 0 THEN 'StopWDay' ELSE 'StopWork' END, t, t + interval '1500 s' "
      "FROM generate_series(0, " +
      std::to_string(rows - 1) + ") AS i, LATERAL (SELECT timestamp '2010-01-01' + ((i / " +
      std::to_string(logins) + ") * 1800 + i % " + std::to_string(logins) +
      " % 60) * interval '1 s' AS t) AS times");
  MakeIndexes(*db, indexes);
  db->ExecuteScript("VACUUM ANALYZE logs");
}

Timing Intake(Database& db, const std::string& buffer, const std::string& folder) {
  fs::copy_file(buffer, folder + "/main.buf", fs::copy_options::overwrite_existing);
  ::sync();
  const Stopwatch watch(db);
  const auto summary = vornal::ProcessBufferFile(db, folder + "/main.buf");
  const Timing timing = watch.Stop();
  if (!summary || summary->Skipped() != 0) std::exit(1);
  return timing;
}

Timing RawInsert(Database& db, const std::vector<Row>& rows, bool keep) {
  const Stopwatch watch(db);
  {
    vornal::Transaction transaction(db);
    for (const Row& row : rows)
      db.Send(
          "INSERT INTO LOGS (Login, LoginKey, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?, ?)",
          row.login, row.key, row.event, row.begin, row.end);
    if (keep) transaction.Commit();
  }
  return watch.Stop();
}

// What the store of applied events (where there is one) takes for the
// events applied: its rows, their text, and its pages with its indexes.
void PrintAppliedEvents(Database& db, double events) {
  if (!db.HasTable("applied_events")) return;
  const auto rows = db.QueryInt("SELECT COUNT(*) FROM applied_events").value_or(0);
  const auto text = db.QueryInt("SELECT SUM(length(Events)) FROM applied_events").value_or(0);
  const auto disk =
      db.QueryInt(db.IsServer() ? "SELECT pg_total_relation_size('applied_events')"
                                : "SELECT SUM(pgsize) FROM dbstat WHERE name IN ('applied_events', "
                                  "'sqlite_autoindex_applied_events_1', 'applied_events_day')")
          .value_or(0);
  std::printf(
      "  applied events: %lld rows (login and day), %lld bytes of text = %.2f per event; "
      "%lld bytes with its indexes = %.2f per event (MB per million events)\n",
      static_cast<long long>(rows), static_cast<long long>(text),
      static_cast<double>(text) / events, static_cast<long long>(disk),
      static_cast<double>(disk) / events);
}

void Print(const char* what, double count, const char* unit, const Timing& t) {
  std::printf("  %-28s %7.2f s wall = %9.0f %s/s   %7.2f s CPU = %9.0f %s/s\n", what, t.wall,
              count / t.wall, unit, t.cpu, count / t.cpu, unit);
}

// The measurements of one engine.
struct Figures {
  Timing emptyIntake, emptyRaw, emptyRawEvents, bigIntake, bigRaw, bigRawEvents;
};

// How one engine makes its databases: an empty one, and one holding the
// prefilled rows.
struct Engine {
  const char* name;
  std::function<vornal::DatabasePtr(const std::string& name)> empty;
  std::function<vornal::DatabasePtr()> big;
};

Figures Measure(const Engine& engine, const std::string& buffer, const std::string& folder,
                long long lines, long long prefill) {
  Figures f;
  auto empty = engine.empty("empty");
  f.emptyIntake = Intake(*empty, buffer, folder);
  std::vector<Row> rows;
  {
    vornal::Statement all =
        empty->Prepare("SELECT Login, Event, BeginTime, EndTime FROM LOGS ORDER BY ID");
    while (all.Step())
      rows.push_back(
          {all.Text(0), vornal::LoginKey(all.Text(0)), all.Text(1), all.Text(2), all.Text(3)});
  }
  // One row per buffer line: what plainly logging every event would insert.
  std::vector<Row> eventRows;
  {
    std::ifstream in(buffer, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      const vornal::BufferLine parsed = vornal::ParseBufferLine(line);
      const std::string time = parsed.Time()->ToIso();
      eventRows.push_back({parsed.login, vornal::LoginKey(parsed.login), parsed.event, time, time});
    }
  }
  auto raw = engine.empty("raw");
  raw->Connection().PrepareForBulkWrite();
  f.emptyRaw = RawInsert(*raw, rows, true);
  f.emptyRawEvents = RawInsert(*raw, eventRows, false);
  const double n = static_cast<double>(lines);
  const double r = static_cast<double>(rows.size());
  std::printf("%s, empty database (%zu rows written):\n", engine.name, rows.size());
  Print("intake", n, "events", f.emptyIntake);
  Print("raw insert of the rows", r, "rows", f.emptyRaw);
  Print("raw insert, a row per event", n, "rows", f.emptyRawEvents);
  PrintAppliedEvents(*empty, n);

  auto big = engine.big();
  big->Connection().PrepareForBulkWrite();
  // The intake first: the rolled-back raw inserts leave the file rewritten
  // and the caches disturbed.
  f.bigIntake = Intake(*big, buffer, folder);
  f.bigRaw = RawInsert(*big, rows, false);
  ::sync();
  f.bigRawEvents = RawInsert(*big, eventRows, false);
  std::printf("%s, database holding %lld LOGS rows:\n", engine.name, prefill);
  Print("intake", n, "events", f.bigIntake);
  Print("raw insert of the rows", r, "rows", f.bigRaw);
  Print("raw insert, a row per event", n, "rows", f.bigRawEvents);
  std::printf("loss of the intake rate: %.1f%% wall, %.1f%% CPU\n",
              100.0 * (1.0 - f.emptyIntake.wall / f.bigIntake.wall),
              100.0 * (1.0 - f.emptyIntake.cpu / f.bigIntake.cpu));
  return f;
}

}  // namespace

int main(int argc, char** argv) {
  const long long events = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const long long prefill = argc > 2 ? std::atoll(argv[2]) : 10000000;
  const fs::path work = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "vornal-bench";
  const int logins = argc > 4 ? std::atoi(argv[4]) : 200;
  const std::string server = argc > 5 ? argv[5] : "";
  fs::create_directories(work / "folder");
  const std::string folder = (work / "folder").string();
  const std::string buffer = (work / "source.buf").string();

  {
    std::ofstream out(buffer, std::ios::binary);
    vornal::bench::BufferGenerator generator(logins, 7, *DateTime::FromParts(2024, 3, 4));
    generator.Write(out, events);
  }
  long long lines = 0;
  {
    std::ifstream in(buffer, std::ios::binary);
    for (std::string line; std::getline(in, line);) ++lines;
  }
  std::printf("buffer: %lld events, %d logins, %.1f MB\n", lines, logins,
              static_cast<double>(fs::file_size(buffer)) / 1e6);

  std::vector<Engine> engines;
  engines.push_back(
      {"SQLite",
       [&](const std::string& name) { return NewDatabase((work / (name + ".mdb")).string()); },
       [&]() -> vornal::DatabasePtr {
         const std::string templatePath =
             (work / ("prefilled-" + std::to_string(prefill) + ".mdb")).string();
         if (!fs::exists(templatePath)) {
           const auto start = Clock::now();
           Prefill(templatePath + ".tmp", prefill, logins);
           fs::rename(templatePath + ".tmp", templatePath);
           std::printf("prefilled %lld rows in %.0f s\n", prefill, Seconds(start));
         }
         const std::string bigPath = (work / "big.mdb").string();
         fs::copy_file(templatePath, bigPath, fs::copy_options::overwrite_existing);
         // The copy's dirty pages would otherwise be written by the first commit's sync.
         ::sync();
         auto big = std::make_unique<Database>();
         big->Open(bigPath);
         return big;
       }});
  if (!server.empty())
    engines.push_back(
        {"PostgreSQL",
         [&](const std::string& name) { return NewServerDatabase(server, "vornal_bench_" + name); },
         [&]() {
           const std::string templateName = "vornal_bench_prefilled_" + std::to_string(prefill);
           {
             Database maintenance;
             maintenance.Open(server);
             if (!maintenance.QueryInt("SELECT 1 FROM pg_database WHERE datname = ?",
                                       templateName)) {
               const auto start = Clock::now();
               ServerPrefill(server, templateName, prefill, logins);
               std::printf("prefilled %lld rows in %.0f s\n", prefill, Seconds(start));
             }
           }
           auto big = NewServerDatabase(server, "vornal_bench_big", templateName);
           big->ExecuteScript("CHECKPOINT");
           return big;
         }});
  std::vector<Figures> figures;
  for (const Engine& engine : engines)
    figures.push_back(Measure(engine, buffer, folder, lines, prefill));
  if (figures.size() == 2) {
    const double n = static_cast<double>(lines);
    std::printf("events/s (wall), SQLite | PostgreSQL:\n");
    std::printf("  empty database        %9.0f | %9.0f\n", n / figures[0].emptyIntake.wall,
                n / figures[1].emptyIntake.wall);
    std::printf("  %lld rows        %9.0f | %9.0f\n", prefill, n / figures[0].bigIntake.wall,
                n / figures[1].bigIntake.wall);
  }
  return 0;
}
