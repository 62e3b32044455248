#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "store/schema.h"

namespace vornal::cli {

// Exit codes.
inline constexpr int kExitOk = 0;
inline constexpr int kExitFailure = 1;  // the command failed (engine error, bad data)
inline constexpr int kExitUsage = 2;    // the command line was wrong

// One option, declared once: the parser reads the command line by it and the
// help is made from it. A value follows as the next word or after '=':
// "--login ivanov", "--login=ivanov"; the next word is the value whatever it
// looks like ("--name -h" is the name "-h").
struct Option {
  const char* name;               // "--login"
  const char* value = nullptr;    // the value's name in the help ("LOGIN"); none for a flag
  const char* help = "";          // what it does, for the help
  const char* needs = "a value";  // without its value: "--login needs a value"
  const char* verbs = nullptr;    // the words after the command it goes with ("add set"); any
  bool repeats = false;           // may be given more than once
};

class Invocation;

// One command of vornal-cli: its word, a line for the overview, how it is
// called, what it does and its options, and what it does with them.
// "--help" or "-h" anywhere but as an option's value prints the help made
// from these and never reaches `run`.
struct Command {
  const char* name;
  const char* summary;
  std::vector<const char*> synopsis;  // each a way to call it, after "vornal-cli "
  const char* description;            // what it does, before the options
  std::vector<Option> options;
  const char* exits;  // its exit codes, after the options
  int (*run)(Invocation& in);
};

// The commands in the order the overview lists them.
const std::vector<const Command*>& Commands();
// The help of a command, made from its declaration.
std::string HelpText(const Command& command);

// What a command line said, read by the options declared: the words, with
// what is no option of the command (or not of its verb, the first word)
// left among them in its place for the command to refuse; the options with
// their values in the order given (a flag's value empty); whether help was
// asked for; and the first problem (an option given twice, a value missing).
struct ParsedArgs {
  bool help = false;
  std::string problem;
  std::vector<std::string> words;
  std::vector<std::pair<std::string, std::string>> given;
};
ParsedArgs ParseArgs(const std::vector<Option>& options, const std::vector<std::string>& args);

// One run of a command: what it was given, and the database it works on,
// opened once, on first use, after the command has checked its arguments.
class Invocation {
 public:
  Invocation(const Command& command, std::string location, ParsedArgs args);

  const std::vector<std::string>& Words() const { return m_args.words; }
  const std::vector<std::pair<std::string, std::string>>& Given() const { return m_args.given; }
  bool Has(std::string_view option) const;
  // The option's value; empty when it is not given.
  std::string Value(std::string_view option) const;
  // The database's location: --db, else VORNAL_DB, else base.mdb.
  const std::string& Location() const { return m_location; }

  // The database, created with its tables when it is a missing file
  // (OpenOrCreate); one that must be there (OpenExisting); or one only read.
  Database& Db();
  Database& ExistingDb();
  Database& ReadOnlyDb();

  // A wrong command line: the problem and a pointer to the help on stderr;
  // returns kExitUsage.
  int Usage(const std::string& problem) const;

 private:
  const Command& m_command;
  std::string m_location;
  ParsedArgs m_args;
  DatabasePtr m_db;
};

// A wrong command line of the command, as Invocation::Usage.
int UsageError(const Command& command, const std::string& problem);

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

// A whole decimal number, or nothing.
std::optional<int> ParseNumber(const std::string& text);
// A row's ID: a whole number from 1 up, as large as the engines keep; or
// nothing.
std::optional<std::int64_t> ParseId(const std::string& text);

}  // namespace vornal::cli
