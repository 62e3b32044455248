#include <cstdio>

#include "cli/cli.h"

namespace vornal::cli {

int FoldersCommand(const std::string&, const Args&) {
  std::fputs("vornal-cli: 'folders' is not available yet\n", stderr);
  return kExitFailure;
}

int ProcessCommand(const std::string&, const Args&) {
  std::fputs("vornal-cli: 'process' is not available yet\n", stderr);
  return kExitFailure;
}

}  // namespace vornal::cli
