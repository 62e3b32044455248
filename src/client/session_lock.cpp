#include "client/session_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

#include "client/local_files.h"

namespace vornal {
namespace {

std::string LockPath(const std::string& folder) {
  return folder + "/vornal-client.lock";
}

}  // namespace

std::optional<SessionLock> SessionLock::Take(const std::string& folder) {
  const std::string path = LockPath(folder);
  Fd fd(::open(path.c_str(), O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) throw ClientFileError(path, errno);
  if (::flock(fd.Get(), LOCK_EX | LOCK_NB) != 0) {
    if (errno == EWOULDBLOCK) return std::nullopt;
    throw ClientFileError(path, errno);
  }
  const std::string pid = std::to_string(::getpid()) + "\n";
  if (::ftruncate(fd.Get(), 0) != 0 || ::pwrite(fd.Get(), pid.data(), pid.size(), 0) < 0)
    throw ClientFileError(path, errno);
  return SessionLock(std::move(fd));
}

int SessionLock::Holder(const std::string& folder) {
  try {
    return std::atoi(ReadLocal(LockPath(folder)).c_str());
  } catch (const ClientFileError&) {
    return 0;
  }
}

}  // namespace vornal
