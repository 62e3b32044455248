#include "client/buffer_file.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "text/fd.h"

namespace vornal {

int AppendToBuffer(const std::string& folder, std::string_view lines) {
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC));
  if (!dir) return errno;
  // The collector renames and deletes the file as another user: it needs
  // write permission on it, which the folder's own permissions then guard.
  const Fd file(::openat(
      dir.Get(), kBufferName,
      O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC | O_NOCTTY, 0666));
  if (!file) return errno;
  struct stat info {};
  if (::fstat(file.Get(), &info) != 0) return errno;
  if (!S_ISREG(info.st_mode)) return EINVAL;
  const ssize_t written = ::write(file.Get(), lines.data(), lines.size());
  if (written < 0) return errno;
  if (static_cast<std::size_t>(written) != lines.size()) {
    const int error = errno ? errno : ENOSPC;
    if (written > 0 && lines[written - 1] != '\n') {
      [[maybe_unused]] const ssize_t end = ::write(file.Get(), "\n", 1);
    }
    return error;
  }
  if (::fdatasync(file.Get()) != 0) return errno;
  return 0;
}

}  // namespace vornal
