// folders_bench [FOLDERS] [EVENTS] [WORKDIR] [RUNS] [SERVER] [--held]: the
// sweep over an office of FOLDERS working folders, one person each, matched
// by one pattern:
//   - every folder with a main.buf of EVENTS events (one login per folder);
//   - the same folders with nothing to collect;
// beside, in the same run, the same buffers applied one file per
// transaction (ProcessBufferFile per folder), as the sweep did before it
// applied small files together. Wall-clock and CPU seconds, RUNS times each.
// With SERVER (libpq's connection string of a PostgreSQL server, whose user
// may create databases; "" for none), the same again into new databases on
// it. With --held, every main.buf is held open by a client (this program)
// instead: the sweep that claims and applies them, and the next one, which
// finds every claimed file still held and nothing new in it.
#include <fcntl.h>
#include <time.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <vector>

#include "buffer_generator.h"
#include "intake/folder_sweep.h"
#include "store/schema.h"

namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

struct Timing {
  double wall = 0;
  double cpu = 0;
};

double CpuSeconds() {
  timespec t{};
  clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &t);
  return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_nsec) / 1e9;
}

template <class F>
Timing Time(F&& work) {
  ::sync();
  const auto start = Clock::now();
  const double cpu = CpuSeconds();
  work();
  return {std::chrono::duration<double>(Clock::now() - start).count(), CpuSeconds() - cpu};
}

// A new database with the program's tables: a file in WORKDIR, or a
// database on the server.
vornal::DatabasePtr NewDatabase(const fs::path& work, const std::string& server,
                                const std::string& name) {
  vornal::DatabasePtr db;
  if (server.empty()) {
    const std::string path = (work / (name + ".mdb")).string();
    fs::remove(path);
    db = std::make_unique<vornal::Database>();
    db->Create(path);
    vornal::CreateTables(*db);
    return db;
  }
  const std::string database = "vornal_folders_" + name;
  {
    vornal::Database maintenance;
    maintenance.Open(server);
    maintenance.ExecuteScript("DROP DATABASE IF EXISTS " + database + " WITH (FORCE)");
    maintenance.ExecuteScript("CREATE DATABASE " + database + " TEMPLATE template0");
  }
  db = std::make_unique<vornal::Database>();
  db->Open(server + " dbname=" + database);
  vornal::CreateServerTables(*db);
  return db;
}

std::string FolderName(int i) {
  char name[16];
  std::snprintf(name, sizeof name, "w%04d", i);
  return name;
}

// One login per folder: the generator's single login renamed after it.
std::vector<std::string> Buffers(int folders, int events) {
  std::vector<std::string> buffers;
  for (int i = 0; i < folders; ++i) {
    std::ostringstream out;
    vornal::bench::BufferGenerator generator(1, static_cast<unsigned>(i + 1),
                                             *vornal::DateTime::FromParts(2024, 3, 4));
    generator.Write(out, events);
    std::string text = out.str();
    const std::string from = "|" + vornal::bench::BufferGenerator::LoginName(0) + "|";
    const std::string to = "|" + FolderName(i) + "|";
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size())
      text.replace(at, from.size(), to);
    buffers.push_back(std::move(text));
  }
  return buffers;
}

void WriteBuffers(const fs::path& office, const std::vector<std::string>& buffers) {
  for (std::size_t i = 0; i < buffers.size(); ++i) {
    const fs::path folder = office / FolderName(static_cast<int>(i));
    fs::create_directories(folder);
    std::ofstream(folder / "main.buf", std::ios::binary) << buffers[i];
  }
}

void Print(const char* what, const std::vector<Timing>& runs) {
  std::vector<double> wall, cpu;
  for (const Timing& t : runs) {
    wall.push_back(t.wall);
    cpu.push_back(t.cpu);
  }
  std::sort(wall.begin(), wall.end());
  std::sort(cpu.begin(), cpu.end());
  std::printf("  %-44s wall %6.3f s (min %6.3f, max %6.3f)   CPU %6.3f s\n", what,
              wall[wall.size() / 2], wall.front(), wall.back(), cpu[cpu.size() / 2]);
}

}  // namespace

// Every folder's main.buf held open for appending, as a client that keeps
// its file open does.
std::vector<int> Hold(const fs::path& office, int folders) {
  std::vector<int> held;
  for (int i = 0; i < folders; ++i) {
    const int fd = ::open((office / FolderName(i) / "main.buf").c_str(), O_WRONLY | O_APPEND);
    if (fd < 0) std::exit(1);
    held.push_back(fd);
  }
  return held;
}

int main(int argc, char** argv) {
  const auto last = argv + argc;
  const bool heldMode = std::find(argv, last, std::string("--held")) != last;
  if (heldMode) argc = static_cast<int>(std::remove(argv, last, std::string("--held")) - argv);
  const int folders = argc > 1 ? std::atoi(argv[1]) : 1000;
  const int events = argc > 2 ? std::atoi(argv[2]) : 100;
  const fs::path work = argc > 3 ? fs::path(argv[3]) : fs::temp_directory_path() / "vornal-folders";
  const int runs = argc > 4 ? std::atoi(argv[4]) : 3;
  const std::string server = argc > 5 ? argv[5] : "";
  const std::vector<std::string> buffers = Buffers(folders, events);
  std::int64_t lines = 0;
  for (const std::string& buffer : buffers) lines += std::count(buffer.begin(), buffer.end(), '\n');
  std::printf("%d folders, %lld events in all, into %s\n", folders, static_cast<long long>(lines),
              server.empty() ? "files" : "a PostgreSQL server");

  std::vector<Timing> swept, empty, perFile;
  if (heldMode) {
    for (int run = 0; run < runs; ++run) {
      fs::remove_all(work);
      const fs::path office = work / "office";
      WriteBuffers(office, buffers);
      const std::vector<int> held = Hold(office, folders);
      auto db = NewDatabase(work, server, "base");
      db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', ?)", (office / "w*").string());
      vornal::SweepSummary summary;
      swept.push_back(Time([&] { summary = vornal::ProcessFolders(*db); }));
      if (summary.eventsApplied != lines || summary.waiting != folders) return 1;
      empty.push_back(Time([&] { summary = vornal::ProcessFolders(*db); }));
      if (summary.eventsApplied != 0 || summary.waiting != folders) return 1;
      for (const int fd : held) ::close(fd);
    }
    std::printf("median of %d runs, every main.buf held open by a client:\n", runs);
    Print("sweep that claims and applies them", swept);
    Print("next sweep, all still held, nothing new", empty);
    return 0;
  }
  for (int run = 0; run < runs; ++run) {
    fs::remove_all(work);
    const fs::path office = work / "office";
    WriteBuffers(office, buffers);
    auto db = NewDatabase(work, server, "base");
    db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', ?)", (office / "w*").string());
    vornal::SweepSummary summary;
    swept.push_back(Time([&] { summary = vornal::ProcessFolders(*db); }));
    if (summary.eventsApplied != lines || summary.folders.size() != buffers.size()) {
      std::fprintf(stderr, "sweep applied %lld events in %zu folders\n",
                   static_cast<long long>(summary.eventsApplied), summary.folders.size());
      return 1;
    }
    empty.push_back(Time([&] { summary = vornal::ProcessFolders(*db); }));
    if (summary.filesProcessed != 0 || summary.folders.size() != buffers.size()) return 1;

    // The same files, a transaction (and its syncs) for each.
    WriteBuffers(office, buffers);
    auto baseline = NewDatabase(work, server, "baseline");
    std::int64_t applied = 0;
    perFile.push_back(Time([&] {
      for (int i = 0; i < folders; ++i)
        applied +=
            vornal::ProcessBufferFile(*baseline, (office / FolderName(i) / "main.buf").string())
                ->eventsApplied;
    }));
    if (applied != lines) return 1;
  }
  std::printf("median of %d runs:\n", runs);
  Print("sweep, every folder with a main.buf", swept);
  Print("sweep, nothing to collect", empty);
  Print("baseline: a transaction per file", perFile);
  return 0;
}
