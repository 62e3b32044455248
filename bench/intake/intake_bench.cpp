// intake_bench [EVENTS] [PREFILL_ROWS] [WORKDIR] [LOGINS]: events per second of the
// intake into an empty database and into one already holding PREFILL_ROWS
// LOGS rows, beside the raw insert rate of the same rows in the same run.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "buffer_generator.h"
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
      "DROP INDEX logs_login_event; DROP INDEX logs_login_begin; DROP INDEX logs_login_end;"
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

double Intake(Database& db, const std::string& buffer, const std::string& folder) {
  fs::copy_file(buffer, folder + "/main.buf", fs::copy_options::overwrite_existing);
  const auto start = Clock::now();
  const auto summary = vornal::ProcessBufferFile(db, folder + "/main.buf");
  const double seconds = Seconds(start);
  if (!summary || summary->Skipped() != 0) std::exit(1);
  return seconds;
}

double RawInsert(Database& db, const std::vector<Row>& rows, bool keep) {
  const auto start = Clock::now();
  {
    vornal::Transaction transaction(db);
    for (const Row& row : rows)
      db.Execute("INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?)",
                 row.login, row.event, row.begin, row.end);
    if (keep) transaction.Commit();
  }
  return Seconds(start);
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
  const double emptySeconds = Intake(*empty, buffer, folder);
  std::vector<Row> rows;
  {
    vornal::Statement all =
        empty->Prepare("SELECT Login, Event, BeginTime, EndTime FROM LOGS ORDER BY ID");
    while (all.Step()) rows.push_back({all.Text(0), all.Text(1), all.Text(2), all.Text(3)});
  }
  auto raw = NewDatabase((work / "raw.mdb").string());
  const double rawEmptySeconds = RawInsert(*raw, rows, true);
  std::printf(
      "empty database:  intake %.2f s = %.0f events/s (%zu rows); raw insert %.2f s = "
      "%.0f rows/s\n",
      emptySeconds, static_cast<double>(lines) / emptySeconds, rows.size(), rawEmptySeconds,
      static_cast<double>(rows.size()) / rawEmptySeconds);

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
  Database big;
  big.Open(bigPath);
  // Warm the page cache the same way for both measurements.
  big.QueryInt("SELECT COUNT(*) FROM LOGS");
  const double rawBigSeconds = RawInsert(big, rows, false);
  const double bigSeconds = Intake(big, buffer, folder);
  std::printf("%lld rows:  intake %.2f s = %.0f events/s; raw insert %.2f s = %.0f rows/s\n",
              prefill, bigSeconds, static_cast<double>(lines) / bigSeconds, rawBigSeconds,
              static_cast<double>(rows.size()) / rawBigSeconds);
  std::printf("loss with %lld rows: %.1f%%\n", prefill, 100.0 * (1.0 - emptySeconds / bigSeconds));
  return 0;
}
