// young_database_bench [EVENTS] [RUNS] [WORKDIR] [SERVER]: collects EVENTS
// events into a young database that has been analysed, as autovacuum does
// soon after an office starts (3,000 events collected, then ANALYZE), and,
// as the baseline, into a new database; on the file and, with SERVER
// (libpq's connection string of a PostgreSQL server's maintenance
// database), on the server, in the same run. Prints each run's wall and
// CPU seconds (the server process's CPU added) and, on the server, how
// many rows of LOGS sequential scans read.
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "buffer_generator.h"
#include "intake/folder_sweep.h"
#include "stopwatch.h"
#include "store/schema.h"

namespace {

namespace fs = std::filesystem;
using vornal::Database;

constexpr std::int64_t kYoungEvents = 3000;

struct Result {
  vornal::bench::Timing timing;
  std::int64_t scanned = 0;  // LOGS rows read by sequential scans (server)
};

std::int64_t ScannedRows(Database& db) {
  if (!db.IsServer()) return 0;
  db.ExecuteScript("SELECT pg_stat_clear_snapshot()");
  return db.QueryInt("SELECT seq_tup_read FROM pg_stat_user_tables WHERE relname = 'logs'")
      .value_or(0);
}

vornal::DatabasePtr NewDatabase(const std::string& work, const std::string& server) {
  if (server.empty()) {
    const std::string path = work + "/young.mdb";
    fs::remove(path);
    auto db = std::make_unique<vornal::Database>();
    db->Create(path);
    vornal::CreateTables(*db);
    return db;
  }
  {
    Database maintenance;
    maintenance.Open(server);
    maintenance.ExecuteScript("DROP DATABASE IF EXISTS vornal_bench_young WITH (FORCE)");
    maintenance.ExecuteScript("CREATE DATABASE vornal_bench_young TEMPLATE template0");
  }
  auto db = std::make_unique<Database>();
  db->Open(server + " dbname=vornal_bench_young");
  vornal::CreateServerTables(*db);
  return db;
}

void Collect(Database& db, const std::string& buffer, const std::string& folder) {
  fs::copy_file(buffer, folder + "/main.buf", fs::copy_options::overwrite_existing);
  const auto summary = vornal::ProcessBufferFile(db, folder + "/main.buf");
  if (!summary || summary->Skipped() != 0) std::exit(1);
}

// One measurement: a new database, analysed after its first events when
// `young`, then the big buffer collected on a new connection, as the next
// run of the collector would.
Result Run(const std::string& work, const std::string& server, bool young) {
  const std::string folder = work + "/folder";
  std::string location;
  {
    vornal::DatabasePtr db = NewDatabase(work, server);
    location = db->Path();
    if (young) {
      Collect(*db, work + "/first.buf", folder);
      db->ExecuteScript(db->IsServer() ? "ANALYZE logs" : "ANALYZE");
    }
  }
  Database db;
  db.Open(location);
  const std::int64_t scannedBefore = ScannedRows(db);
  fs::copy_file(work + "/source.buf", folder + "/main.buf", fs::copy_options::overwrite_existing);
  ::sync();
  const vornal::bench::Stopwatch watch(db);
  const auto summary = vornal::ProcessBufferFile(db, folder + "/main.buf");
  Result result{watch.Stop(), 0};
  if (!summary || summary->Skipped() != 0) std::exit(1);
  result.scanned = ScannedRows(db) - scannedBefore;
  return result;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  return values[values.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
  const std::int64_t events = argc > 1 ? std::atoll(argv[1]) : 1000000;
  const int runs = argc > 2 ? std::atoi(argv[2]) : 3;
  const fs::path work =
      argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "vornal-young-bench";
  const std::string server = argc > 4 ? argv[4] : "";
  fs::create_directories(work / "folder");
  {
    // The first events and the big buffer continue one another, as a new
    // office's days do.
    vornal::bench::BufferGenerator generator(200, 7, *vornal::DateTime::FromParts(2024, 3, 4));
    std::ofstream first(work / "first.buf", std::ios::binary);
    generator.Write(first, kYoungEvents);
    std::ofstream source(work / "source.buf", std::ios::binary);
    generator.Write(source, events);
  }
  std::printf("%lld events after %lld, %d runs\n", static_cast<long long>(events),
              static_cast<long long>(kYoungEvents), runs);
  std::vector<std::string> engines{""};
  if (!server.empty()) engines.push_back(server);
  for (const bool young : {false, true}) {
    for (const std::string& engine : engines) {
      std::vector<double> walls;
      std::printf("%-10s %-24s", engine.empty() ? "SQLite" : "PostgreSQL",
                  young ? "young, analysed:" : "new database:");
      for (int i = 0; i < runs; ++i) {
        const Result r = Run(work.string(), engine, young);
        walls.push_back(r.timing.wall);
        std::printf("  %.2f s (CPU %.2f s", r.timing.wall, r.timing.cpu);
        if (!engine.empty()) std::printf(", %lld rows scanned", static_cast<long long>(r.scanned));
        std::printf(")");
        std::fflush(stdout);
      }
      std::printf("  median %.2f s\n", Median(walls));
    }
  }
  return 0;
}
