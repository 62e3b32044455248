// intake_bench [EVENTS] [PREFILL_ROWS] [WORKDIR] [LOGINS]: events per second of the
// intake into an empty database and into one already holding PREFILL_ROWS
// LOGS rows, beside the raw insert rate of the same rows in the same run.
#include <time.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "buffer_generator.h"
#include "intake/buffer_line.h"
#include "intake/folder_sweep.h"
#include "store/schema.h"

namespace {

namespace fs = std::filesystem;
using vornal::Database;
using vornal::DateTime;
using Clock = std::chrono::steady_clock;

struct Row {
  std::string login, event, begin, end;
};

double Seconds(Clock::time_point since) {
  return std::chrono::duration<double>(Clock::now() - since).count();
}

// CPU time of the process: other builds on the machine slow the wall clock.
double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

// Wall and CPU seconds of one measurement.
struct Timing {
  double wall = 0;
  double cpu = 0;
};

vornal::DatabasePtr NewDatabase(const std::string& path) {
  fs::remove(path);
  vornal::DatabasePtr db;
  if (vornal::CreateDatabaseFile(db, path, vornal::kCreateOptions) != 1 ||
      !vornal::CreateTables(db.get()))
    std::exit(1);
  return db;
}

// Finished rows of the same logins, on days before the buffer's, loaded
// without indexes and indexed afterwards as a long-lived office would be.
void Prefill(const std::string& path, long long rows, int logins) {
  auto db = NewDatabase(path);
  db->ExecuteScript(
      "DROP INDEX logs_unfinished; DROP INDEX logs_login_begin; DROP INDEX logs_login_end;"
      "DROP INDEX logs_begin; DROP INDEX logs_end; PRAGMA synchronous = OFF;"
      "PRAGMA journal_mode = OFF; PRAGMA cache_size = -1000000;");
  vornal::Transaction transaction(*db);
  const DateTime first = *DateTime::FromParts(2010, 1, 1);
  const char* events[] = {"StopWDay", "StopWork"};
  for (long long i = 0; i < rows; ++i) {
    const int login = static_cast<int>(i % logins);
    const long long slot = i / logins;  // per login, one interval every 30 minutes
    const DateTime begin = first.AddSeconds(slot * 1800 + login % 60);
    db->Execute("INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?)",
                vornal::bench::BufferGenerator::LoginName(login), events[i % 2], begin,
                begin.AddSeconds(1500));
  }
  transaction.Commit();
  db->ExecuteScript("PRAGMA user_version = 0");
  vornal::UpgradeSchema(*db);
  db->ExecuteScript("PRAGMA journal_mode = DELETE; ANALYZE");
}

Timing Intake(Database& db, const std::string& buffer, const std::string& folder) {
  fs::copy_file(buffer, folder + "/main.buf", fs::copy_options::overwrite_existing);
  ::sync();
  const auto start = Clock::now();
  const double cpu = CpuSeconds();
  const auto summary = vornal::ProcessBufferFile(db, folder + "/main.buf");
  const Timing timing{Seconds(start), CpuSeconds() - cpu};
  if (!summary || summary->Skipped() != 0) std::exit(1);
  return timing;
}

Timing RawInsert(Database& db, const std::vector<Row>& rows, bool keep) {
  const auto start = Clock::now();
  const double cpu = CpuSeconds();
  {
    vornal::Transaction transaction(db);
    for (const Row& row : rows)
      db.Execute("INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?)",
                 row.login, row.event, row.begin, row.end);
    if (keep) transaction.Commit();
  }
  return {Seconds(start), CpuSeconds() - cpu};
}

void Print(const char* what, double count, const char* unit, const Timing& t) {
  std::printf("  %-28s %7.2f s wall = %9.0f %s/s   %7.2f s CPU = %9.0f %s/s\n", what, t.wall,
              count / t.wall, unit, t.cpu, count / t.cpu, unit);
}

}  // namespace

int main(int argc, char** argv) {
  const long long events = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const long long prefill = argc > 2 ? std::atoll(argv[2]) : 10000000;
  const fs::path work = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "vornal-bench";
  const int logins = argc > 4 ? std::atoi(argv[4]) : 200;
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

  auto empty = NewDatabase((work / "empty.mdb").string());
  const Timing emptyIntake = Intake(*empty, buffer, folder);
  std::vector<Row> rows;
  {
    vornal::Statement all =
        empty->Prepare("SELECT Login, Event, BeginTime, EndTime FROM LOGS ORDER BY ID");
    while (all.Step()) rows.push_back({all.Text(0), all.Text(1), all.Text(2), all.Text(3)});
  }
  // One row per buffer line: what plainly logging every event would insert.
  std::vector<Row> eventRows;
  {
    std::ifstream in(buffer, std::ios::binary);
    for (std::string line; std::getline(in, line);) {
      const vornal::BufferLine parsed = vornal::ParseBufferLine(line);
      const std::string time = parsed.Time()->ToIso();
      eventRows.push_back({parsed.login, parsed.event, time, time});
    }
  }
  auto raw = NewDatabase((work / "raw.mdb").string());
  raw->ExecuteScript("PRAGMA cache_size = -131072");
  const Timing emptyRaw = RawInsert(*raw, rows, true);
  const Timing emptyRawEvents = RawInsert(*raw, eventRows, false);
  const double n = static_cast<double>(lines);
  const double r = static_cast<double>(rows.size());
  std::printf("empty database (%zu rows written):\n", rows.size());
  Print("intake", n, "events", emptyIntake);
  Print("raw insert of the rows", r, "rows", emptyRaw);
  Print("raw insert, a row per event", n, "rows", emptyRawEvents);

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
  Database big;
  big.Open(bigPath);
  big.ExecuteScript("PRAGMA cache_size = -131072");
  // The intake first: the rolled-back raw inserts leave the file rewritten
  // and the caches disturbed.
  const Timing bigIntake = Intake(big, buffer, folder);
  const Timing bigRaw = RawInsert(big, rows, false);
  ::sync();
  const Timing bigRawEvents = RawInsert(big, eventRows, false);
  std::printf("database holding %lld LOGS rows:\n", prefill);
  Print("intake", n, "events", bigIntake);
  Print("raw insert of the rows", r, "rows", bigRaw);
  Print("raw insert, a row per event", n, "rows", bigRawEvents);
  std::printf("loss of the intake rate: %.1f%% wall, %.1f%% CPU\n",
              100.0 * (1.0 - emptyIntake.wall / bigIntake.wall),
              100.0 * (1.0 - emptyIntake.cpu / bigIntake.cpu));
  return 0;
}
