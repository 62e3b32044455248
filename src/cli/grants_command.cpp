// vornal-cli grants: least privilege for the roles of a PostgreSQL database.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "cli/command.h"
#include "store/role_grants.h"

namespace vornal::cli {

extern const Command kGrantsCommand;

namespace {

int Run(const Context& context, const Args& args) {
  std::string collector;
  std::string viewer;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool missing = false;
    if (!TakeValue(args, i, "--collector", collector, missing) &&
        !TakeValue(args, i, "--viewer", viewer, missing))
      return UsageError(kGrantsCommand, "unexpected argument '" + args[i] + "'");
    if (missing) return UsageError(kGrantsCommand, args[i] + " needs a role");
  }
  if (collector.empty() && viewer.empty())
    return UsageError(kGrantsCommand, "name a --collector role, a --viewer role or both");
  DatabasePtr db = OpenExisting(context.dbPath);
  try {
    std::fputs(RoleGrantsSql(*db, collector, viewer).c_str(), stdout);
    GrantRoles(*db, collector, viewer);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "vornal-cli: grants: %s\n", e.what());
    return kExitFailure;
  }
  std::printf("Granted on %s.\n", db->Description().c_str());
  return kExitOk;
}

}  // namespace

const Command kGrantsCommand{
    "grants", "give a collector and a viewer role only what they need",
    "Usage: vornal-cli --db URI grants [--collector ROLE] [--viewer ROLE]\n"
    "\n"
    "On a PostgreSQL database whose tables are made, run by their owner: lets\n"
    "the collector role read every table and write only what 'process' writes\n"
    "(intervals, the intake ledger, the lines kept aside), and the viewer role\n"
    "only read (the statistics window, 'tree', 'stats', 'people'). The roles\n"
    "are made by the server's administrator beforehand (CREATE ROLE ... LOGIN).\n"
    "Prints the statements it runs, in one transaction. Run it again after an\n"
    "update that adds tables.\n",
    Run};

}  // namespace vornal::cli
