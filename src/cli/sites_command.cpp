// vornal-cli sites: the sites whose working folders the database keeps.
#include <algorithm>
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "store/sites.h"

namespace vornal::cli {

extern const Command kSitesCommand;

namespace {

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  const std::vector<SiteInfo> sites = ListSites(in.Db());
  // Names come from the database, which other tools may have written.
  std::vector<std::string> names;
  std::size_t width = 0;
  for (const SiteInfo& site : sites) {
    names.push_back(Escaped(site.name));
    width = std::max(width, names.back().size());
  }
  for (std::size_t i = 0; i < sites.size(); ++i) {
    const SiteInfo& site = sites[i];
    std::string line = names[i] + std::string(width - names[i].size(), ' ') + "  " +
                       std::to_string(site.folders) + (site.folders == 1 ? " folder" : " folders");
    line += site.latestCollection ? ", collected " + site.latestCollection->Format("%Y-%m-%d %H:%M")
                                  : ", never collected";
    std::string marks;
    if (site.isDefault) marks = "default";
    if (site.name == CurrentSite()) marks += marks.empty() ? "this site" : ", this site";
    if (!marks.empty()) line += "  (" + marks + ")";
    std::printf("%s\n", line.c_str());
  }
  return kExitOk;
}

}  // namespace

const Command kSitesCommand{
    "sites",
    "the sites whose working folders the database keeps",
    {"[--db PATH] [--site NAME] sites"},
    "A database shared by several offices keeps the working folders of each\n"
    "site: an office, or a collector machine. Lists the sites it knows, by name:\n"
    "how many folders (slots) each has, when its collector last collected, which\n"
    "is the default site (the one that made the database, or first opened one\n"
    "from before sites: its folders are those stored before) and which is this\n"
    "run's (--site, else VORNAL_SITE, else this machine's host name). A site is\n"
    "made by setting its first folder: vornal-cli --site NAME folders set 1 DIR.\n",
    {},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
