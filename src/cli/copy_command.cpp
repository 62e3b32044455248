// vornal-cli copy: moves an office's data into another database, of either
// engine.
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>

#include "cli/command.h"
#include "store/database_copy.h"

namespace vornal::cli {

extern const Command kCopyCommand;

namespace {

int Run(const Context& context, const Args& args) {
  std::string target;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool missing = false;
    if (!TakeValue(args, i, "--to", target, missing))
      return UsageError(kCopyCommand, "unexpected argument '" + args[i] + "'");
    if (missing) return UsageError(kCopyCommand, "--to needs a database");
  }
  if (target.empty()) return UsageError(kCopyCommand, "say where to with --to");

  DatabasePtr from = OpenExisting(context.dbPath);
  // A file is made for the copy and goes again when the copy fails.
  const bool newFile = !IsServerLocation(target);
  std::error_code ec;
  if (newFile && std::filesystem::exists(target, ec)) {
    std::fprintf(stderr, "vornal-cli: %s exists; copy writes only into a new file\n",
                 target.c_str());
    return kExitFailure;
  }
  try {
    DatabasePtr to = OpenOrCreate(target);
    for (const CopiedTable& table : CopyDatabase(*from, *to))
      std::printf("%-14s %lld rows\n", table.table.c_str(), static_cast<long long>(table.rows));
    std::printf("Copied into %s; the row counts match.\n", to->Description().c_str());
    return kExitOk;
  } catch (const std::runtime_error& e) {
    if (newFile) std::filesystem::remove(target, ec);
    if (dynamic_cast<const StoreError*>(&e)) throw;
    std::fprintf(stderr, "vornal-cli: copy: %s\n", e.what());
    return kExitFailure;
  }
}

}  // namespace

const Command kCopyCommand{
    "copy", "copy every table into a new file or an empty PostgreSQL database",
    "Usage: vornal-cli [--db FROM] copy --to PATH|URI\n"
    "\n"
    "Copies the people, the intervals, the settings, the intake ledger and the\n"
    "lines kept aside from the open database into a new database file (which\n"
    "must not exist) or a PostgreSQL database without rows (its tables are made\n"
    "when it has none), keeping every ID. The copy is one transaction: all or\n"
    "nothing; the row counts of both sides are compared before and after the\n"
    "commit. So an office moves from its base.mdb to a server, and back:\n"
    "\n"
    "  vornal-cli --db base.mdb copy --to postgresql://db.example.org/vornal\n"
    "\n"
    "Exit codes: 0 copied, 1 failure (nothing is left in the target), 2 wrong\n"
    "command line.\n",
    Run};

}  // namespace vornal::cli
