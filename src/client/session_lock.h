#pragma once

#include <optional>
#include <string>

#include "text/fd.h"

namespace vornal {

// One running client per session: a lock on a file in the session's
// runtime folder, held while the program runs and let go by the kernel
// when it ends, however it ends.
class SessionLock {
 public:
  // Takes the lock in `folder`; nothing when another process holds it.
  static std::optional<SessionLock> Take(const std::string& folder);
  // The process that holds the lock, as it wrote itself there; 0 unknown.
  static int Holder(const std::string& folder);

 private:
  explicit SessionLock(Fd fd) : m_fd(std::move(fd)) {}
  Fd m_fd;
};

}  // namespace vornal
