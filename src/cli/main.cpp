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
    std::fprintf(out, "  %-10s %s\n", command->name, command->summary);
  std::fputs(
      "\n"
      "'vornal-cli COMMAND --help' describes a command; 'man vornal-cli' tells more.\n"
      "An option's value may also follow '=': --login=ivanov.\n"
      "Exit codes: 0 success, 1 failure, 2 wrong command line, 3 partial (process).\n",
      out);
}

// A command's arguments read as options: whether help is asked for (-h or
// --help where no option takes it as its value), and the first option given
// twice.
struct Scan {
  bool help = false;
  std::string repeated;
};

Scan ScanArgs(std::string_view command, const Args& args) {
  Scan scan;
  std::vector<std::string> seen;
  for (std::size_t i = 0; i < args.size(); ++i) {
    const std::string& arg = args[i];
    if (arg == "--help" || arg == "-h") {
      scan.help = true;
      continue;
    }
    if (!arg.starts_with("--")) continue;
    const std::string option = arg.substr(0, arg.find('='));
    if (scan.repeated.empty() && !MayRepeat(command, option) &&
        std::find(seen.begin(), seen.end(), option) != seen.end())
      scan.repeated = option;
    seen.push_back(option);
    if (option == arg && TakesValue(command, option)) ++i;
  }
  return scan;
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
  Context context{vornal::DatabaseLocation()};
  bool dbGiven = false;
  bool siteGiven = false;
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--db" || arg.starts_with("--db=")) {
      if (dbGiven) {
        std::fputs("vornal-cli: --db is given twice\n", stderr);
        return kExitUsage;
      }
      dbGiven = true;
      if (arg != "--db") {
        context.dbPath = arg.substr(5);
      } else if (i + 1 < argc) {
        context.dbPath = argv[++i];
      } else {
        std::fputs("vornal-cli: --db needs a database file or URI, then a command\n", stderr);
        return kExitUsage;
      }
    } else if (arg == "--site" || arg.starts_with("--site=")) {
      if (siteGiven) {
        std::fputs("vornal-cli: --site is given twice\n", stderr);
        return kExitUsage;
      }
      siteGiven = true;
      if (arg == "--site" && i + 1 >= argc) {
        std::fputs("vornal-cli: --site needs a name\n", stderr);
        return kExitUsage;
      }
      const std::string site = arg == "--site" ? argv[++i] : arg.substr(7);
      if (!vornal::IsSiteName(site)) {
        std::fprintf(stderr, "vornal-cli: %s\n", SiteNameProblem(site).c_str());
        return kExitUsage;
      }
      vornal::SetCurrentSite(site);
    } else if (arg == "--help" || arg == "-h") {
      PrintOverview(stdout);
      return Finish(kExitOk);
    } else if (arg == "--version") {
      std::printf("vornal-cli %s\n", VORNAL_VERSION);
      return Finish(kExitOk);
    } else {
      break;
    }
  }
  if (i >= argc) {
    PrintOverview(stderr);
    return kExitUsage;
  }
  if (const char* site = std::getenv("VORNAL_SITE");
      site && *site && !vornal::SiteWasGiven() && !vornal::IsSiteName(site)) {
    std::fprintf(stderr, "vornal-cli: VORNAL_SITE: %s\n", SiteNameProblem(site).c_str());
    return kExitUsage;
  }
  if (KeepsNothing(context.dbPath)) return NoFileName("--db", context.dbPath);
  const std::string word = argv[i++];
  const Args args(argv + i, argv + argc);
  for (const Command* command : Commands()) {
    if (word != command->name) continue;
    const Scan scan = ScanArgs(word, args);
    if (scan.help) {
      std::fputs(command->usage, stdout);
      return Finish(kExitOk);
    }
    if (!scan.repeated.empty()) return UsageError(*command, scan.repeated + " is given twice");
    try {
      return Finish(command->run(context, args));
    } catch (const vornal::MissingRight& e) {
      std::fprintf(stderr, "vornal-cli: %s: %s\n",
                   Escaped(vornal::DisplayLocation(context.dbPath)).c_str(),
                   Escaped(e.what()).c_str());
      return Finish(kExitFailure);
    } catch (const vornal::StoreError& e) {
      std::fprintf(stderr, "vornal-cli: %s: %s\n",
                   Escaped(vornal::DisplayLocation(context.dbPath)).c_str(),
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
