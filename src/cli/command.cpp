#include "cli/command.h"

#include <charconv>
#include <cstdio>

#include "store/messages.h"

namespace vornal::cli {

extern const Command kFoldersCommand;
extern const Command kProcessCommand;
extern const Command kRejectedCommand;
extern const Command kPeopleCommand;
extern const Command kTreeCommand;
extern const Command kStatsCommand;
extern const Command kTimesheetCommand;
extern const Command kSheetsCommand;

const std::vector<const Command*>& Commands() {
  static const std::vector<const Command*> commands{
      &kFoldersCommand, &kProcessCommand, &kRejectedCommand,  &kPeopleCommand,
      &kTreeCommand,    &kStatsCommand,   &kTimesheetCommand, &kSheetsCommand};
  return commands;
}

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
