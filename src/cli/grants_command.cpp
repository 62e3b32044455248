// vornal-cli grants: least privilege for the roles of a PostgreSQL database.
#include <cstdio>
#include <stdexcept>
#include <string>
#include <vector>

#include "cli/command.h"
#include "store/role_grants.h"
#include "store/sites.h"

namespace vornal::cli {

extern const Command kGrantsCommand;

namespace {

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  std::vector<RoleGrant> grants;
  // A collector's site follows it: --collector ROLE --site NAME.
  std::size_t sitesUpTo = 0;
  for (const auto& [option, value] : in.Given()) {
    if (option == "--site") {
      if (!IsSiteName(value)) return in.Usage("--site needs a site name");
      if (sitesUpTo == grants.size())
        return in.Usage("--site names the site of the --collector before it");
      for (; sitesUpTo < grants.size(); ++sitesUpTo)
        if (grants[sitesUpTo].kind == RoleGrant::Kind::Collector)
          grants[sitesUpTo].site = SiteName(value);
      continue;
    }
    if (value.empty()) return in.Usage(option + " needs a role");
    const RoleGrant::Kind kind = option == "--collector"  ? RoleGrant::Kind::Collector
                                 : option == "--operator" ? RoleGrant::Kind::Operator
                                                          : RoleGrant::Kind::Viewer;
    grants.push_back({kind, value, {}});
  }
  if (grants.empty()) return in.Usage("name a --viewer, --collector or --operator role");
  for (RoleGrant& grant : grants) {
    if (grant.kind != RoleGrant::Kind::Collector || !grant.site.empty()) continue;
    // The site of the run counts only when named (--site, VORNAL_SITE): the
    // host name of the owner's machine is rarely a collector's site.
    if (!SiteWasGiven())
      return in.Usage("name the site of collector '" + grant.role + "' with --site NAME");
    grant.site = CurrentSite();
  }
  Database& db = in.ExistingDb();
  std::string sql;
  try {
    sql = RoleGrantsSql(db, grants);
    GrantRoles(db, grants);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "vornal-cli: grants: %s\n", e.what());
    return kExitFailure;
  } catch (const StoreError& e) {
    std::fprintf(stderr, "vornal-cli: grants: nothing granted: %s\n", e.what());
    return kExitFailure;
  } catch (const std::runtime_error& e) {
    std::fprintf(stderr, "vornal-cli: grants: %s\n", e.what());
    return kExitFailure;
  }
  std::fputs(sql.c_str(), stdout);
  std::printf("Granted on %s.\n", db.Description().c_str());
  return kExitOk;
}

}  // namespace

const Command kGrantsCommand{
    "grants",
    "give viewer, collector and operator roles only what they need",
    {"--db URI grants [--viewer ROLE] [--collector ROLE --site NAME] [--operator ROLE]"},
    "On a PostgreSQL database whose tables are made, run by their owner: gives\n"
    "each role what its work needs and no more. A viewer reads (the statistics\n"
    "window, 'tree', 'stats', 'people', 'status'). A collector of a site (named\n"
    "by the --site after it) also collects: it writes intervals, the intake's\n"
    "ledger, the lines kept aside and each folder's result, and takes out only\n"
    "its own site's kept-aside lines when it retries them. An operator also\n"
    "changes people and settings (the folders of every site), forgets\n"
    "kept-aside lines, corrects work rows (adding to the trail of corrections,\n"
    "which nobody may change) and sets absences and the working calendar.\n"
    "Each option may be given more than once; a desk that\n"
    "also collects is given both roles' rights. The roles are made by the\n"
    "server's administrator beforehand (CREATE ROLE ... LOGIN).\n"
    "\n"
    "The grants are made in one transaction and checked with the server\n"
    "(has_table_privilege) before it commits: run by anyone but the owner of\n"
    "the tables, or when a grant did not take, nothing is granted and the\n"
    "reason is said. On success prints the statements it ran. Run it again\n"
    "after an update that adds tables.\n",
    {{"--viewer", "ROLE", "a role that reads", "a role", nullptr, true},
     {"--collector", "ROLE", "a role that also collects, for the --site after it", "a role",
      nullptr, true},
     {"--site", "NAME", "the site of the collectors before it", "a site name", nullptr, true},
     {"--operator", "ROLE", "a role that also changes people and settings", "a role", nullptr,
      true}},
    "Exit codes: 0 granted, 1 nothing granted, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
