#include "cli/command.h"

#include <charconv>
#include <cstdio>

#include "store/messages.h"

namespace vornal::cli {

extern const Command kFoldersCommand;
extern const Command kProcessCommand;
extern const Command kRejectedCommand;
extern const Command kSitesCommand;
extern const Command kPeopleCommand;
extern const Command kTreeCommand;
extern const Command kStatsCommand;
extern const Command kStatusCommand;
extern const Command kTimesheetCommand;
extern const Command kSheetsCommand;
extern const Command kCopyCommand;
extern const Command kGrantsCommand;
extern const Command kBackupCommand;
extern const Command kCheckCommand;

const std::vector<const Command*>& Commands() {
  static const std::vector<const Command*> commands{
      &kFoldersCommand, &kSitesCommand,  &kProcessCommand, &kStatusCommand,    &kRejectedCommand,
      &kPeopleCommand,  &kTreeCommand,   &kStatsCommand,   &kTimesheetCommand, &kSheetsCommand,
      &kCopyCommand,    &kGrantsCommand, &kBackupCommand,  &kCheckCommand};
  return commands;
}

namespace {

// Runs `create`; the first message it reported becomes a StoreError when it
// failed.
template <class Create>
void Creating(const std::string& path, Create create) {
  std::string failure;
  bool ok = false;
  {
    ScopedMessageSink sink([&failure](const std::string& text) {
      if (failure.empty()) failure = text;
    });
    ok = create();
  }
  if (!ok)
    throw StoreError(kErrFileNotFound,
                     failure.empty() ? "cannot create the tables in " + path : failure);
}

}  // namespace

DatabasePtr OpenExisting(const std::string& path) {
  auto db = std::make_unique<Database>();
  db->Open(path);
  if (db->IsServer()) {
    int made = 0;
    Creating(path, [&] { return (made = CreateServerTables(*db)) >= 0; });
    if (made)
      std::fprintf(stderr, "vornal-cli: %s had none of the program's tables; created them.\n",
                   db->Description().c_str());
  }
  UpgradeSchema(*db);
  // An empty or foreign file opens as a database without our tables; say
  // so, not "no such table" at whatever statement comes first.
  for (const char* table : {"human", "logs", "setting"})
    if (!db->HasTable(table))
      throw StoreError(kErrItemNotFound, "the " +
                                             std::string(db->IsServer() ? "database" : "file") +
                                             " has no table '" + table +
                                             "': it is not a Vornal database (empty or foreign)");
  return db;
}

DatabasePtr OpenOrCreate(const std::string& path) {
  try {
    return OpenExisting(path);
  } catch (const StoreError& e) {
    if (e.Code() != kErrFileNotFound || IsServerLocation(path)) throw;
  }
  DatabasePtr created;
  Creating(path, [&] {
    return CreateDatabaseFile(created, path, kCreateOptions) && CreateTables(created.get());
  });
  std::fprintf(stderr, "vornal-cli: %s did not exist; created a new database.\n", path.c_str());
  return created;
}

int UsageError(const Command& command, const std::string& problem) {
  std::fprintf(stderr, "vornal-cli %s: %s\nTry 'vornal-cli %s --help'.\n", command.name,
               problem.c_str(), command.name);
  return kExitUsage;
}

bool TakeValue(const Args& args, std::size_t& i, std::string_view name, std::string& value,
               bool& missing) {
  const std::string& arg = args[i];
  if (arg == name) {
    if (i + 1 >= args.size()) {
      missing = true;
      return true;
    }
    value = args[++i];
    return true;
  }
  if (arg.size() > name.size() && arg.compare(0, name.size(), name) == 0 &&
      arg[name.size()] == '=') {
    value = arg.substr(name.size() + 1);
    return true;
  }
  return false;
}

std::optional<int> ParseNumber(const std::string& text) {
  int value = 0;
  const char* last = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc() || ptr != last) return std::nullopt;
  return value;
}

}  // namespace vornal::cli
