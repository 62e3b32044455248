#pragma once

#include <string>
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

// Opens the database file, creating it with its tables when it is missing
// (said on stderr). Throws StoreError when it cannot be opened or created.
DatabasePtr OpenOrCreate(const std::string& path);

// Each command: the arguments after its word; returns the exit code.
int FoldersCommand(const std::string& dbPath, const Args& args);
int ProcessCommand(const std::string& dbPath, const Args& args);
int TreeCommand(const std::string& dbPath, const Args& args);
int StatsCommand(const std::string& dbPath, const Args& args);
int PeopleCommand(const std::string& dbPath, const Args& args);

}  // namespace vornal::cli
