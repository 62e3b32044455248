#include "store/output_file.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <mutex>
#include <optional>
#include <random>
#include <system_error>
#include <vector>

namespace vornal {
namespace {

namespace fs = std::filesystem;

// The files an engine keeps beside a database file while it works.
constexpr std::string_view kCompanions[] = {"-journal", "-wal", "-shm"};

std::string SystemText(int error) {
  return std::generic_category().message(error);
}

std::string Describe(OutputError::Reason reason, const std::string& path,
                     const std::string& detail) {
  switch (reason) {
    case OutputError::Reason::Database:
      return path + " is the database" + (detail.empty() ? " itself" : "'s " + detail + " file") +
             "; name another file";
    case OutputError::Reason::Link:
      return path + " is a symbolic link; name the file itself";
    case OutputError::Reason::NotRegular:
      return path + " is " + detail + ", not a regular file";
    case OutputError::Reason::Exists:
      return path + " exists";
    case OutputError::Reason::System:
      break;
  }
  return "cannot write " + path + ": " + detail;
}

[[noreturn]] void Fail(const std::string& path, int error) {
  throw OutputError(OutputError::Reason::System, path, SystemText(error));
}

struct Protected {
  std::mutex mutex;
  std::vector<std::string> files;  // absolute paths
};

Protected& ProtectedFiles() {
  static Protected files;
  return files;
}

bool SameFile(const struct stat& a, const struct stat& b) {
  return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

// When `path` is a protected database file (the same inode as `target`,
// when it exists, or the same name) or one of its engine's files: empty for
// the database itself, else which file it is ("journal"). Nothing when it
// is neither.
std::optional<std::string> Protection(const std::string& path, const struct stat* target) {
  std::error_code ec;
  const fs::path name = fs::weakly_canonical(fs::absolute(path, ec), ec);
  const auto matches = [&](const std::string& file) {
    struct stat own {};
    std::error_code fileError;
    return (target && ::stat(file.c_str(), &own) == 0 && SameFile(own, *target)) ||
           (!ec && fs::weakly_canonical(file, fileError) == name && !fileError);
  };
  Protected& registry = ProtectedFiles();
  const std::lock_guard<std::mutex> lock(registry.mutex);
  for (const std::string& database : registry.files) {
    if (matches(database)) return std::string();
    for (const std::string_view companion : kCompanions)
      if (matches(database + std::string(companion))) return std::string(companion.substr(1));
  }
  return std::nullopt;
}

const char* KindOf(mode_t mode) {
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "a special file";
}

// The target as it is now: nothing (a new name), or the regular file that
// may be replaced. Anything else throws.
std::optional<struct stat> CheckTarget(const std::string& path, bool replace) {
  struct stat followed {};
  const bool exists = ::stat(path.c_str(), &followed) == 0;
  if (const std::optional<std::string> database = Protection(path, exists ? &followed : nullptr))
    throw OutputError(OutputError::Reason::Database, path, *database);
  struct stat own {};
  if (::lstat(path.c_str(), &own) != 0) {
    if (errno == ENOENT) return std::nullopt;
    Fail(path, errno);
  }
  if (S_ISLNK(own.st_mode)) throw OutputError(OutputError::Reason::Link, path, "a symbolic link");
  if (!S_ISREG(own.st_mode))
    throw OutputError(OutputError::Reason::NotRegular, path, KindOf(own.st_mode));
  if (!replace) throw OutputError(OutputError::Reason::Exists, path, {});
  return own;
}

std::string RandomName() {
  static constexpr char kLetters[] =
      "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
  std::random_device random;
  std::string name(6, ' ');
  for (char& c : name) c = kLetters[random() % (sizeof kLetters - 1)];
  return name;
}

void RemoveWithCompanions(const std::string& file) {
  ::unlink(file.c_str());
  for (const std::string_view companion : kCompanions)
    ::unlink((file + std::string(companion)).c_str());
}

// Removes the temporary files of earlier writers of the same target that
// nobody holds any more (a writer holds its file locked until it ends).
void RemoveAbandoned(const std::string& folder, const std::string& prefix) {
  DIR* dir = ::opendir(folder.c_str());
  if (!dir) return;
  std::vector<std::string> found;
  while (const dirent* entry = ::readdir(dir)) {
    const std::string_view name = entry->d_name;
    if (!name.starts_with(prefix) || name.size() < prefix.size() + 6) continue;
    const std::string_view rest = name.substr(prefix.size() + 6);
    bool ours = rest.empty();
    for (const std::string_view companion : kCompanions) ours = ours || rest == companion;
    if (ours) found.emplace_back(name.substr(0, prefix.size() + 6));
  }
  ::closedir(dir);
  for (const std::string& name : found) {
    const std::string file = folder + "/" + name;
    const int fd = ::open(file.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) {
      // An engine's file whose database is gone.
      if (errno == ENOENT) RemoveWithCompanions(file);
      continue;
    }
    struct stat st {};
    if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0)
      RemoveWithCompanions(file);
    ::close(fd);
  }
}

// Moves `from` to `to`; an existing `to` is replaced only when asked.
void MoveInto(const std::string& from, const std::string& to, bool replace) {
  if (replace) {
    if (std::rename(from.c_str(), to.c_str()) != 0) Fail(to, errno);
    return;
  }
  if (::renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) == 0) return;
  if (errno != EINVAL && errno != ENOSYS) {
    if (errno == EEXIST) throw OutputError(OutputError::Reason::Exists, to, {});
    Fail(to, errno);
  }
  // A file system without the no-replace rename: a new link fails as well
  // when `to` exists.
  if (::link(from.c_str(), to.c_str()) != 0) {
    if (errno == EEXIST) throw OutputError(OutputError::Reason::Exists, to, {});
    Fail(to, errno);
  }
  ::unlink(from.c_str());
}

// Makes a rename in the folder durable.
void SyncFolder(const std::string& folder) {
  const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return;
  ::fsync(fd);
  ::close(fd);
}

}  // namespace

OutputError::OutputError(Reason reason, std::string path, std::string detail)
    : std::runtime_error(Describe(reason, path, detail)),
      m_reason(reason),
      m_path(std::move(path)),
      m_detail(std::move(detail)) {}

void ProtectFromOutput(const std::string& databaseFile) {
  std::error_code ec;
  fs::path absolute = fs::absolute(databaseFile, ec);
  if (ec) absolute = databaseFile;
  Protected& registry = ProtectedFiles();
  const std::lock_guard<std::mutex> lock(registry.mutex);
  for (const std::string& file : registry.files)
    if (file == absolute.string()) return;
  registry.files.push_back(absolute.string());
}

OutputFile::OutputFile(std::string path, Options options)
    : m_path(std::move(path)), m_options(options) {
  CheckTarget(m_path, m_options.replace);
  const fs::path target(m_path);
  const std::string folder = target.has_parent_path() ? target.parent_path().string() : ".";
  // Short enough to leave room for the suffixes within a name's 255 bytes.
  const std::string prefix = "." + target.filename().string().substr(0, 200) + ".partial-";
  RemoveAbandoned(folder, prefix);
  for (int attempt = 0; attempt < 100 && m_fd < 0; ++attempt) {
    const std::string name = folder + "/" + prefix + RandomName();
    const int fd = ::open(name.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC,
                          m_options.mode & 0777);
    if (fd < 0) {
      if (errno == EEXIST) continue;
      Fail(m_path, errno);
    }
    // Held until the end; a remover of abandoned files may have taken the
    // name away between the open and the lock.
    struct stat opened {};
    struct stat named {};
    if (::flock(fd, LOCK_EX) == 0 && ::fstat(fd, &opened) == 0 &&
        ::stat(name.c_str(), &named) == 0 && SameFile(opened, named)) {
      m_fd = fd;
      m_temporary = name;
    } else {
      ::close(fd);
    }
  }
  if (m_fd < 0) Fail(m_path, EEXIST);
}

OutputFile::~OutputFile() {
  if (!m_committed && !m_temporary.empty()) RemoveWithCompanions(m_temporary);
  if (m_fd >= 0) ::close(m_fd);
}

void OutputFile::Write(std::string_view bytes) {
  while (!bytes.empty()) {
    const ssize_t written = ::write(m_fd, bytes.data(), bytes.size());
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail(m_path, errno);
    }
    bytes.remove_prefix(static_cast<std::size_t>(written));
  }
}

std::int64_t OutputFile::Commit() {
  if (::fsync(m_fd) != 0) Fail(m_path, errno);
  if (const std::optional<struct stat> old = CheckTarget(m_path, m_options.replace)) {
    // The file keeps its permissions and, where allowed, its owner.
    if (::fchmod(m_fd, old->st_mode & 07777) != 0) Fail(m_path, errno);
    if ((old->st_uid != ::geteuid() || old->st_gid != ::getegid()) &&
        ::fchown(m_fd, old->st_uid, old->st_gid) != 0) {
      // Only root may give a file away: it stays the writer's.
    }
  }
  struct stat made {};
  if (::fstat(m_fd, &made) != 0) Fail(m_path, errno);
  MoveInto(m_temporary, m_path, m_options.replace);
  m_committed = true;
  const fs::path target(m_path);
  SyncFolder(target.has_parent_path() ? target.parent_path().string() : ".");
  return made.st_size;
}

void WriteOutputFile(const std::string& path, std::string_view bytes, OutputFile::Options options) {
  OutputFile file(path, options);
  file.Write(bytes);
  file.Commit();
}

}  // namespace vornal
