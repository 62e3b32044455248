// vornal-cli copy: moves an office's data into another database, of either
// engine.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "store/database_copy.h"
#include "store/output_file.h"

namespace vornal::cli {

extern const Command kCopyCommand;

namespace {

int Fail(const std::string& message) {
  std::fprintf(stderr, "vornal-cli: copy: %s\n", Escaped(message).c_str());
  return kExitFailure;
}

int TargetFailed(const std::string& target, const StoreError& e) {
  return Fail("cannot write " + DisplayLocation(target) + ": " + e.what());
}

int Report(const std::vector<CopiedTable>& tables, const std::string& target) {
  for (const CopiedTable& table : tables)
    std::printf("%-14s %lld rows\n", table.table.c_str(), static_cast<long long>(table.rows));
  std::printf("Copied into %s; the row counts match.\n", target.c_str());
  return kExitOk;
}

// Into an empty database on a server, in one transaction.
int CopyToServer(Database& from, const std::string& target) {
  DatabasePtr to;
  try {
    to = OpenOrCreate(target);
  } catch (const StoreError& e) {
    return TargetFailed(target, e);
  }
  return Report(CopyDatabase(from, *to), to->Description());
}

// Into a new file, which appears only once the copy is complete.
int CopyToFile(Database& from, const std::string& target) {
  try {
    OutputFile file(target, {.replace = false});
    std::vector<CopiedTable> tables;
    {
      DatabasePtr to;
      try {
        to = OpenEmptyFile(file.TemporaryPath());
      } catch (const StoreError& e) {
        return TargetFailed(target, e);
      }
      tables = CopyDatabase(from, *to);
    }
    file.Commit();
    return Report(tables, target);
  } catch (const OutputError& e) {
    if (e.GetReason() == OutputError::Reason::Exists)
      return Fail(target + " exists; copy writes only into a new file");
    return Fail(e.what());
  } catch (const CopyTargetError& e) {
    return TargetFailed(target, e);
  }
}

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  const std::string target = in.Value("--to");
  if (target.empty()) return in.Usage("say where to with --to");
  if (KeepsNothing(target)) return NoFileName("copy: --to", target);

  Database& from = in.ExistingDb();
  try {
    return IsServerLocation(target) ? CopyToServer(from, target) : CopyToFile(from, target);
  } catch (const CopyTargetError& e) {
    return TargetFailed(target, e);
  } catch (const std::runtime_error& e) {
    if (dynamic_cast<const StoreError*>(&e)) throw;
    return Fail(e.what());
  }
}

}  // namespace

const Command kCopyCommand{
    "copy",
    "copy every table into a new file or an empty PostgreSQL database",
    {"[--db FROM] copy --to PATH|URI"},
    "Copies the people, the intervals, the settings, the intake ledger and the\n"
    "lines kept aside from the open database into a new database file (which\n"
    "must not exist) or a PostgreSQL database without rows (its tables are made\n"
    "when it has none), keeping every ID. The copy is one transaction: all or\n"
    "nothing; the row counts of both sides are compared before and after the\n"
    "commit. A new file is written under a temporary name beside PATH and\n"
    "appears only when the copy is complete, also if the run is killed (a\n"
    "later run removes what a killed one left). So an office moves from its\n"
    "base.mdb to a server, and back:\n"
    "\n"
    "  vornal-cli --db base.mdb copy --to postgresql://db.example.org/vornal\n",
    {{"--to", "PATH|URI", "the new file, or the server's database", "a database"}},
    "Exit codes: 0 copied, 1 failure (nothing is left in the target), 2 wrong\n"
    "command line.\n",
    Run};

}  // namespace vornal::cli
