#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/schema.h"

namespace vornal::cli {

// The arguments of one command, after the command word and the common
// options have been taken off.
using Args = std::vector<std::string>;

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command failed (engine error, bad data)
inline constexpr int kExitUsage = 2;    // the command line was wrong

// What every command is given besides its arguments.
struct Context {
  std::string dbPath;  // the database: --db, else VORNAL_DB, else base.mdb
};

// One command of vornal-cli: its word, a line for the overview, its help
// text, and what it does. `--help` anywhere in its arguments prints the help
// and never reaches `run`.
struct Command {
  const char* name;
  const char* summary;
  const char* usage;
  int (*run)(const Context& context, const Args& args);
};

// The commands in the order the overview lists them.
const std::vector<const Command*>& Commands();

// Opens the database, creating it with its tables when it is a missing file
// or a server's database without them (said on stderr). Throws StoreError
// when it cannot be opened or created.
DatabasePtr OpenOrCreate(const std::string& path);
// Opens a database that must be there with the program's tables: a missing
// file is StoreErrorKind::NotFound.
DatabasePtr OpenExisting(const std::string& path);

// Throws StoreError when the database lacks the program's tables (an empty
// or foreign file).
void RequireTables(Database& db);

// Opens an empty file (a new, temporary one) as a database and makes the
// program's tables in it. Throws StoreError.
DatabasePtr OpenEmptyFile(const std::string& path);

// True for the names the engine takes for an in-memory or a URI database
// (an empty name, ":memory:", "file:..."): a run would keep nothing.
bool KeepsNothing(const std::string& location);
// Says so on stderr for the option that named it; returns kExitUsage.
int NoFileName(const std::string& option, const std::string& location);

// A wrong command line: the problem and a pointer to the help on stderr;
// returns kExitUsage.
int UsageError(const Command& command, const std::string& problem);

// Takes "--name VALUE" or "--name=VALUE" at args[i]; true when it matched.
// A missing value leaves `missing` set.
bool TakeValue(const Args& args, std::size_t& i, std::string_view name, std::string& value,
               bool& missing);

// A whole decimal number, or nothing.
std::optional<int> ParseNumber(const std::string& text);
// A row's ID: a whole number from 1 up, as large as the engines keep; or
// nothing.
std::optional<std::int64_t> ParseId(const std::string& text);

// The options of a command that take a value ("--login"): a word after one
// is its value, even "-h" or "--help".
bool TakesValue(std::string_view command, std::string_view option);
// The options a command takes more than once; any other given twice is a
// usage error.
bool MayRepeat(std::string_view command, std::string_view option);

}  // namespace vornal::cli
