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
// file is error 3024.
DatabasePtr OpenExisting(const std::string& path);

// A wrong command line: the problem and a pointer to the help on stderr;
// returns kExitUsage.
int UsageError(const Command& command, const std::string& problem);

// Takes "--name VALUE" or "--name=VALUE" at args[i]; true when it matched.
// A missing value leaves `missing` set.
bool TakeValue(const Args& args, std::size_t& i, std::string_view name, std::string& value,
               bool& missing);

// A whole decimal number, or nothing.
std::optional<int> ParseNumber(const std::string& text);

}  // namespace vornal::cli
