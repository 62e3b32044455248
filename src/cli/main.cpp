// vornal-cli: the headless face of Vornal, for operators and scheduled jobs.
// This file only reads the common options and hands over to a command.
#include <cstdio>
#include <cstdlib>
#include <new>
#include <string>

#include "cli/command.h"
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
      "Exit codes: 0 success, 1 failure, 2 wrong command line, 3 partial (process).\n",
      out);
}

std::string SiteNameProblem(const std::string& site) {
  return "'" + Escaped(site) + "' is no site name: 1 to " + std::to_string(vornal::kMaxSiteName) +
         " letters, digits, '.', '-' or '_'";
}

bool IsHelp(const Args& args) {
  for (const std::string& arg : args)
    if (arg == "--help" || arg == "-h") return true;
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  Context context{vornal::DatabaseLocation()};
  int i = 1;
  for (; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--db" && i + 1 < argc) {
      context.dbPath = argv[++i];
    } else if (arg.rfind("--db=", 0) == 0) {
      context.dbPath = arg.substr(5);
    } else if (arg == "--site" || arg.rfind("--site=", 0) == 0) {
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
      return kExitOk;
    } else if (arg == "--version") {
      std::printf("vornal-cli %s\n", VORNAL_VERSION);
      return kExitOk;
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
  // The engine takes these for an in-memory or a URI database: a run would
  // report success and keep nothing.
  if (context.dbPath.empty() || context.dbPath == ":memory:" ||
      context.dbPath.rfind("file:", 0) == 0) {
    std::fprintf(stderr,
                 "vornal-cli: --db '%s' is no database file name (an empty name, ':memory:' and "
                 "'file:' URIs keep nothing); name a file, for example ./%s\n",
                 context.dbPath.c_str(),
                 context.dbPath.empty() ? "base.mdb" : context.dbPath.c_str());
    return kExitUsage;
  }
  const std::string word = argv[i++];
  const Args args(argv + i, argv + argc);
  for (const Command* command : Commands()) {
    if (word != command->name) continue;
    if (IsHelp(args)) {
      std::fputs(command->usage, stdout);
      return kExitOk;
    }
    try {
      return command->run(context, args);
    } catch (const vornal::MissingRight& e) {
      std::fprintf(stderr, "vornal-cli: %s: %s\n", vornal::DisplayLocation(context.dbPath).c_str(),
                   e.what());
      return kExitFailure;
    } catch (const vornal::StoreError& e) {
      std::fprintf(stderr, "vornal-cli: %s: database error %d: %s\n",
                   vornal::DisplayLocation(context.dbPath).c_str(), e.Code(), e.what());
      return kExitFailure;
    } catch (const std::bad_alloc&) {
      std::fputs("vornal-cli: out of memory\n", stderr);
      return kExitFailure;
    }
  }
  std::fprintf(stderr, "vornal-cli: unknown command '%s'\n\n", word.c_str());
  PrintOverview(stderr);
  return kExitUsage;
}
