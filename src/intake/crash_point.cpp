#include "intake/crash_point.h"

#include <signal.h>
#include <unistd.h>

#include <atomic>
#include <charconv>
#include <cstdlib>
#include <string_view>

namespace vornal {
namespace {

struct Armed {
  CrashPoint point = CrashPoint::None;
  int times = 1;  // the time the point is reached that kills
};

Armed ReadCrashPoint() {
  const char* value = std::getenv("VORNAL_CRASH_AT");
  if (!value) return {};
  const std::string_view text = value;
  const std::string_view name = text.substr(0, text.find(':'));
  Armed armed;
  if (name.size() < text.size()) {
    const std::string_view count = text.substr(name.size() + 1);
    const auto [end, error] =
        std::from_chars(count.data(), count.data() + count.size(), armed.times);
    if (error != std::errc() || end != count.data() + count.size() || armed.times < 1) return {};
  }
  struct Named {
    std::string_view name;
    CrashPoint point;
  };
  constexpr Named kPoints[] = {{"after-claim", CrashPoint::AfterClaim},
                               {"mid-file", CrashPoint::MidFile},
                               {"before-commit", CrashPoint::BeforeCommit},
                               {"after-commit", CrashPoint::AfterCommit},
                               {"after-delete", CrashPoint::AfterDelete}};
  for (const auto& named : kPoints)
    if (name == named.name) {
      armed.point = named.point;
      return armed;
    }
  return {};
}

const Armed& ArmedPoint() {
  static const Armed armed = ReadCrashPoint();
  return armed;
}

}  // namespace

CrashPoint ArmedCrashPoint() {
  return ArmedPoint().point;
}

void ReachedCrashPoint() {
  static std::atomic<int> reached{0};
  if (++reached < ArmedPoint().times) return;
  ::raise(SIGKILL);
  ::_exit(137);
}

}  // namespace vornal
