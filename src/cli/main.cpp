// vornal-cli: the headless face of Vornal, for operators and scheduled jobs.
#include <cstdio>
#include <cstring>
#include <new>
#include <string>

#include "cli/cli.h"
#include "store/messages.h"
#include "store/schema.h"

namespace vornal::cli {
namespace {

constexpr const char* kUsage =
    "Usage: vornal-cli [--db PATH] COMMAND [ARGS...]\n"
    "\n"
    "Works on base.mdb in the current directory, or on the file given with --db.\n"
    "A missing database file is created with its tables.\n"
    "\n"
    "Commands:\n"
    "  folders    list or change the ten working folders\n"
    "  process    collect and apply every working folder's main.buf\n"
    "  people     list the people as the statistics window does\n"
    "  tree       years, months and days that hold logged intervals\n"
    "  stats      the listing and totals of a year, month or day\n"
    "\n"
    "'vornal-cli COMMAND --help' describes a command.\n"
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n";

}  // namespace

DatabasePtr OpenOrCreate(const std::string& path) {
  auto db = std::make_unique<Database>();
  try {
    db->Open(path);
    UpgradeSchema(*db);
    // An empty or foreign file opens as a database without our tables; say
    // so, not "no such table" at whatever statement comes first.
    for (const char* table : {"human", "logs", "setting"})
      if (!db->HasTable(table))
        throw StoreError(kErrItemNotFound, "the file has no table '" + std::string(table) +
                                               "': it is not a Vornal database (empty or foreign)");
    return db;
  } catch (const StoreError& e) {
    if (e.Code() != kErrFileNotFound) throw;
  }
  std::string failure;
  {
    ScopedMessageSink sink([&failure](const std::string& text) {
      if (failure.empty()) failure = text;
    });
    DatabasePtr created;
    if (CreateDatabaseFile(created, path, kCreateOptions) && CreateTables(created.get())) {
      std::fprintf(stderr, "vornal-cli: %s did not exist; created a new database.\n", path.c_str());
      return created;
    }
  }
  throw StoreError(kErrFileNotFound, failure.empty() ? "cannot create " + path : failure);
}

}  // namespace vornal::cli

int main(int argc, char** argv) {
  using namespace vornal::cli;
  std::string dbPath = vornal::kDatabaseFile;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--db" && i + 1 < argc) {
      dbPath = argv[++i];
    } else if (arg.rfind("--db=", 0) == 0) {
      dbPath = arg.substr(5);
    } else if (arg == "--help" || arg == "-h") {
      std::fputs(kUsage, stdout);
      return kExitOk;
    } else {
      break;
    }
  }
  if (i >= argc) {
    std::fputs(kUsage, stderr);
    return kExitUsage;
  }
  const std::string command = argv[i++];
  const Args args(argv + i, argv + argc);
  try {
    if (command == "folders") return FoldersCommand(dbPath, args);
    if (command == "process") return ProcessCommand(dbPath, args);
    if (command == "tree") return TreeCommand(dbPath, args);
    if (command == "stats") return StatsCommand(dbPath, args);
    if (command == "people") return PeopleCommand(dbPath, args);
  } catch (const vornal::StoreError& e) {
    std::fprintf(stderr, "vornal-cli: %s: database error %d: %s\n", dbPath.c_str(), e.Code(),
                 e.what());
    return kExitFailure;
  } catch (const std::bad_alloc&) {
    std::fputs("vornal-cli: out of memory\n", stderr);
    return kExitFailure;
  }
  std::fprintf(stderr, "vornal-cli: unknown command '%s'\n\n%s", command.c_str(), kUsage);
  return kExitUsage;
}
