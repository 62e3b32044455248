#include "client/local_files.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "text/fd.h"

namespace vornal {
namespace {

std::string Parent(const std::string& path) {
  const std::size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  return slash == 0 ? "/" : path.substr(0, slash);
}

void SyncFolder(const std::string& path) {
  const Fd dir(::open(Parent(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (!dir || ::fsync(dir.Get()) != 0) throw ClientFileError(Parent(path), errno);
}

void WriteAll(const std::string& path, int fd, std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(fd, bytes.data(), bytes.size());
    if (written < 0 && errno == EINTR) continue;
    if (written <= 0) throw ClientFileError(path, written < 0 ? errno : ENOSPC);
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
  if (::fdatasync(fd) != 0) throw ClientFileError(path, errno);
}

}  // namespace

ClientFileError::ClientFileError(std::string path, int error)
    : std::runtime_error(path + ": " + std::strerror(error)),
      m_path(std::move(path)),
      m_error(error) {}

void MakePrivateFolder(const std::string& path) {
  if (path.empty() || path == "/") return;
  struct stat info {};
  if (::lstat(path.c_str(), &info) == 0) {
    if (!S_ISDIR(info.st_mode)) throw ClientFileError(path, ENOTDIR);
    return;
  }
  MakePrivateFolder(Parent(path));
  if (::mkdir(path.c_str(), 0700) != 0 && errno != EEXIST) throw ClientFileError(path, errno);
}

void AppendLocal(const std::string& path, std::string_view bytes) {
  const Fd fd(::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0600));
  if (!fd) throw ClientFileError(path, errno);
  WriteAll(path, fd.Get(), bytes);
}

std::string ReadLocal(const std::string& path) {
  const Fd fd(::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC));
  if (!fd) {
    if (errno == ENOENT) return {};
    throw ClientFileError(path, errno);
  }
  std::string text;
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd.Get(), buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got < 0) throw ClientFileError(path, errno);
    if (got == 0) return text;
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

void ReplaceLocal(const std::string& path, std::string_view bytes) {
  const std::string temporary = path + ".new";
  {
    const Fd fd(
        ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_NOFOLLOW | O_CLOEXEC, 0600));
    if (!fd) throw ClientFileError(temporary, errno);
    WriteAll(temporary, fd.Get(), bytes);
  }
  if (::rename(temporary.c_str(), path.c_str()) != 0) throw ClientFileError(path, errno);
  SyncFolder(path);
}

void RemoveLocal(const std::string& path) {
  if (::unlink(path.c_str()) != 0) {
    if (errno == ENOENT) return;
    throw ClientFileError(path, errno);
  }
  SyncFolder(path);
}

}  // namespace vornal
