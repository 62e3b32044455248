#include "intake/crash_point.h"

#include <signal.h>
#include <unistd.h>

#include <cstdlib>
#include <cstring>

namespace vornal {
namespace {

CrashPoint ReadCrashPoint() {
  const char* name = std::getenv("VORNAL_CRASH_AT");
  if (!name) return CrashPoint::None;
  struct Named {
    const char* name;
    CrashPoint point;
  };
  constexpr Named kPoints[] = {{"after-claim", CrashPoint::AfterClaim},
                               {"mid-file", CrashPoint::MidFile},
                               {"before-commit", CrashPoint::BeforeCommit},
                               {"after-commit", CrashPoint::AfterCommit},
                               {"after-delete", CrashPoint::AfterDelete}};
  for (const auto& named : kPoints)
    if (std::strcmp(name, named.name) == 0) return named.point;
  return CrashPoint::None;
}

}  // namespace

CrashPoint ArmedCrashPoint() {
  static const CrashPoint armed = ReadCrashPoint();
  return armed;
}

void KillForCrashPoint() {
  ::raise(SIGKILL);
  ::_exit(137);
}

}  // namespace vornal
