#include <cstdio>

#include "cli/cli.h"

namespace vornal::cli {

int TreeCommand(const std::string&, const Args&) {
  std::fputs("vornal-cli: 'tree' is not available yet\n", stderr);
  return kExitFailure;
}

int StatsCommand(const std::string&, const Args&) {
  std::fputs("vornal-cli: 'stats' is not available yet\n", stderr);
  return kExitFailure;
}

int PeopleCommand(const std::string&, const Args&) {
  std::fputs("vornal-cli: 'people' is not available yet\n", stderr);
  return kExitFailure;
}

}  // namespace vornal::cli
