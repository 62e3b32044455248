// vornal-cli: the headless face of Vornal, for operators and scheduled jobs.
// This file only reads the common options and hands over to a command.
#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>
#include <string>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "store/role_grants.h"
#include "store/sites.h"

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
extern const Command kLogsCommand;
extern const Command kCorrectionsCommand;
extern const Command kAbsencesCommand;
extern const Command kCalendarCommand;
extern const Command kWebUsersCommand;

const std::vector<const Command*>& Commands() {
  static const std::vector<const Command*> commands{
      &kFoldersCommand,   &kSitesCommand,    &kProcessCommand, &kStatusCommand,
      &kRejectedCommand,  &kPeopleCommand,   &kTreeCommand,    &kStatsCommand,
      &kTimesheetCommand, &kSheetsCommand,   &kLogsCommand,    &kCorrectionsCommand,
      &kAbsencesCommand,  &kCalendarCommand, &kCopyCommand,    &kGrantsCommand,
      &kBackupCommand,    &kCheckCommand,    &kWebUsersCommand};
  return commands;
}

}  // namespace vornal::cli

namespace {

using namespace vornal::cli;

void PrintOverview(std::FILE* out) {
  std::fputs(
      "Usage: vornal-cli [--db PATH|URI] [--site NAME] COMMAND [ARGS...]\n"
      "\n"
      "Works on the database given with --db, else in the environment variable\n"
      "VORNAL_DB, else base.mdb in the current directory: a file, or a PostgreSQL\n"
      "database (postgresql://host/dbname, or libpq's key=value words such as\n"
      "service=office). A missing database file is created with its tables, and\n"
      "so is an empty PostgreSQL database. Passwords belong in ~/.pgpass or the\n"
      "service file, never in --db.\n"
      "\n"
      "A database shared by several offices keeps the working folders of each\n"
      "site: 'folders' and 'process' work on the site given with --site, else in\n"
      "the environment variable VORNAL_SITE, else this machine's host name.\n"
      "\n"
      "Commands:\n",
      out);
  for (const Command* command : Commands())
    std::fprintf(out, "  %-11s %s\n", command->name, command->summary);
  std::fputs(
      "\n"
      "'vornal-cli COMMAND --help' describes a command; 'man vornal-cli' tells more.\n"
      "An option's value may also follow '=': --login=ivanov.\n"
      "Exit codes: 0 success, 1 failure, 2 wrong command line, 3 partial (process).\n",
      out);
}

// The options before the command.
const std::vector<Option> kGlobalOptions = {
    {"--db", "PATH|URI", "the database", "a database file or URI, then a command"},
    {"--site", "NAME", "this machine's site", "a name"},
    {"--version", nullptr, "print the version"},
};

// Where the command word is: after the options before it and their values.
std::size_t CommandAt(const std::vector<std::string>& args) {
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") continue;
    const std::string name = arg.substr(0, arg.find('='));
    const auto option = std::find_if(kGlobalOptions.begin(), kGlobalOptions.end(),
                                     [&name](const Option& o) { return name == o.name; });
    if (option == kGlobalOptions.end() || (!option->value && name != arg)) return i;
    if (option->value && name == arg) ++i;
  }
  return args.size();
}

// The exit code once the standard output is written out: a failed write is
// a failure, said on stderr.
int Finish(int code) {
  errno = 0;
  if (std::fflush(stdout) == 0 && !std::ferror(stdout)) return code;
  const int error = StdoutError() ? StdoutError() : errno;
  std::fprintf(stderr, "vornal-cli: cannot write the standard output: %s\n",
               error ? std::strerror(error) : "write error");
  return code == kExitOk ? kExitFailure : code;
}

std::string SiteNameProblem(const std::string& site) {
  return "'" + Escaped(site) + "' is no site name: 1 to " + std::to_string(vornal::kMaxSiteName) +
         " letters, digits, '.', '-' or '_'";
}

}  // namespace

int main(int argc, char** argv) {
  const std::vector<std::string> all(argv + 1, argv + argc);
  const std::size_t at = CommandAt(all);
  const ParsedArgs global =
      ParseArgs(kGlobalOptions, std::vector<std::string>(all.begin(), all.begin() + at));
  if (!global.problem.empty()) {
    std::fprintf(stderr, "vornal-cli: %s\n", global.problem.c_str());
    return kExitUsage;
  }
  if (global.help) {
    PrintOverview(stdout);
    return Finish(kExitOk);
  }
  std::string location = vornal::DatabaseLocation();
  for (const auto& [name, value] : global.given) {
    if (name == "--version") {
      std::printf("vornal-cli %s\n", VORNAL_VERSION);
      return Finish(kExitOk);
    }
    if (name == "--db") location = value;
    if (name == "--site") {
      if (!vornal::IsSiteName(value)) {
        std::fprintf(stderr, "vornal-cli: %s\n", SiteNameProblem(value).c_str());
        return kExitUsage;
      }
      vornal::SetCurrentSite(value);
    }
  }
  if (at >= all.size()) {
    PrintOverview(stderr);
    return kExitUsage;
  }
  if (const char* site = std::getenv("VORNAL_SITE");
      site && *site && !vornal::SiteWasGiven() && !vornal::IsSiteName(site)) {
    std::fprintf(stderr, "vornal-cli: VORNAL_SITE: %s\n", SiteNameProblem(site).c_str());
    return kExitUsage;
  }
  if (KeepsNothing(location)) return NoFileName("--db", location);
  const std::string& word = all[at];
  for (const Command* command : Commands()) {
    if (word != command->name) continue;
    ParsedArgs args =
        ParseArgs(command->options, std::vector<std::string>(all.begin() + at + 1, all.end()));
    if (args.help) {
      WriteOut(HelpText(*command));
      return Finish(kExitOk);
    }
    if (!args.problem.empty()) return UsageError(*command, args.problem);
    Invocation invocation(*command, location, std::move(args));
    try {
      return Finish(command->run(invocation));
    } catch (const vornal::MissingRight& e) {
      std::fprintf(stderr, "vornal-cli: %s: %s\n",
                   Escaped(vornal::DisplayLocation(location)).c_str(), Escaped(e.what()).c_str());
      return Finish(kExitFailure);
    } catch (const vornal::StoreError& e) {
      std::fprintf(stderr, "vornal-cli: %s: %s\n",
                   Escaped(vornal::DisplayLocation(location)).c_str(),
                   Escaped(DatabaseErrorText(e)).c_str());
      return Finish(kExitFailure);
    } catch (const std::bad_alloc&) {
      std::fputs("vornal-cli: out of memory\n", stderr);
      return Finish(kExitFailure);
    }
  }
  std::fprintf(stderr, "vornal-cli: unknown command '%s'\n\n", Escaped(word).c_str());
  PrintOverview(stderr);
  return kExitUsage;
}
