#include "cli/command.h"

#include <charconv>
#include <cstdio>
#include <filesystem>

#include "cli/text_output.h"

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

DatabasePtr OpenExisting(const std::string& path) {
  auto db = std::make_unique<Database>();
  db->Open(path);
  if (CreateServerTables(*db))
    std::fprintf(stderr, "vornal-cli: %s had none of the program's tables; created them.\n",
                 db->Description().c_str());
  UpgradeSchema(*db);
  RequireTables(*db);
  return db;
}

void RequireTables(Database& db) {
  // An empty or foreign file opens as a database without our tables; say
  // so, not "no such table" at whatever statement comes first.
  for (const char* table : {"human", "logs", "setting"})
    if (!db.HasTable(table))
      throw StoreError(StoreErrorKind::NotFound,
                       "the " + std::string(db.IsServer() ? "database" : "file") +
                           " has no table '" + table +
                           "': it is not a Vornal database (empty or foreign)");
}

DatabasePtr OpenEmptyFile(const std::string& path) {
  auto db = std::make_unique<Database>();
  db->Open(path);
  CreateTables(*db);
  return db;
}

DatabasePtr OpenOrCreate(const std::string& path) {
  std::error_code ec;
  if (IsServerLocation(path) || std::filesystem::exists(path, ec)) return OpenExisting(path);
  auto db = std::make_unique<Database>();
  db->Create(path);
  CreateTables(*db);
  std::fprintf(stderr, "vornal-cli: %s did not exist; created a new database.\n", path.c_str());
  return db;
}

bool KeepsNothing(const std::string& location) {
  return location.empty() || location == ":memory:" || location.starts_with("file:");
}

int NoFileName(const std::string& option, const std::string& location) {
  std::fprintf(stderr,
               "vornal-cli: %s '%s' is no database file name (an empty name, ':memory:' and "
               "'file:' URIs keep nothing); name a file, for example ./%s\n",
               option.c_str(), location.c_str(), location.empty() ? "base.mdb" : location.c_str());
  return kExitUsage;
}

int UsageError(const Command& command, const std::string& problem) {
  std::fprintf(stderr, "vornal-cli %s: %s\nTry 'vornal-cli %s --help'.\n", command.name,
               Escaped(problem).c_str(), command.name);
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

std::optional<std::int64_t> ParseId(const std::string& text) {
  std::int64_t value = 0;
  const char* last = text.data() + text.size();
  const auto [ptr, ec] = std::from_chars(text.data(), last, value);
  if (text.empty() || ec != std::errc() || ptr != last || value < 1) return std::nullopt;
  return value;
}

bool TakesValue(std::string_view command, std::string_view option) {
  static const std::vector<std::pair<std::string_view, std::vector<std::string_view>>> kOptions{
      {"process", {"--quiet-period"}},
      {"rejected", {"--before", "--accept"}},
      {"people",
       {"--name", "--login", "--age", "--profession", "--photo", "--phone", "--email",
        "--if-version"}},
      {"tree", {"--login"}},
      {"stats", {"--login", "--year", "--month", "--day"}},
      {"timesheet", {"--year", "--month", "--login", "--pdf", "--title"}},
      {"sheets", {"--year", "--month", "--login", "--pdf", "--title"}},
      {"copy", {"--to"}},
      {"grants", {"--collector", "--viewer", "--operator", "--site"}},
  };
  for (const auto& [name, options] : kOptions)
    if (name == command)
      for (const std::string_view taken : options)
        if (taken == option) return true;
  return false;
}

bool MayRepeat(std::string_view command, std::string_view option) {
  // grants names any number of roles, each collector followed by its site.
  return command == "grants" && TakesValue(command, option);
}

}  // namespace vornal::cli
