// vornal-cli check: the engine's check of the database and the program's own.
#include <cstdio>

#include "cli/command.h"
#include "cli/text_output.h"
#include "store/database_check.h"

namespace vornal::cli {

extern const Command kCheckCommand;

namespace {

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  // A check changes nothing: no tables made, no schema step taken.
  Database& db = in.ReadOnlyDb();
  int problems = 0;
  for (const CheckFinding& finding : CheckDatabase(db, DateTime::Now(), in.Has("--storage"))) {
    problems += finding.problem;
    std::printf("%s: %s\n", finding.problem ? "problem" : "note", Escaped(finding.text).c_str());
    for (const std::string& example : finding.examples)
      std::printf("  %s\n", Escaped(example).c_str());
  }
  if (problems)
    std::printf("%s: %d %s found.\n", db.Description().c_str(), problems,
                problems == 1 ? "problem" : "problems");
  else
    std::printf("%s: no problems found.\n", db.Description().c_str());
  return problems ? kExitFailure : kExitOk;
}

}  // namespace

const Command kCheckCommand{
    "check",
    "check the database and its work rows",
    {"[--db PATH] check [--storage]"},
    "Runs the engine's check of how the database is stored (SQLite's\n"
    "integrity_check; a PostgreSQL server checks its own storage) and the\n"
    "program's own on the work rows:\n"
    "  - rows that end before they begin (problem);\n"
    "  - rows still going on with no activity for more than a day: the client\n"
    "    sent no stop, or the folder has not been collected since (problem);\n"
    "  - logins with work rows but no person: people removed, or logins never\n"
    "    entered (note).\n"
    "Prints what it found, with the first rows of each kind. The database is\n"
    "opened read-only: what the next command that writes would change (a newer\n"
    "schema, login keys to fill in) is a note, not done.\n",
    {{"--storage", nullptr, "only the engine's check: for a copy, such as a backup"}},
    "Exit codes: 0 no problems (notes allowed), 1 problems found or the check\n"
    "failed, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
