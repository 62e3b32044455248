#include "intake/folder_sweep.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <system_error>
#include <thread>

#include "intake/buffer_reader.h"
#include "intake/crash_point.h"
#include "intake/event_applier.h"

namespace vornal {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kBufferName = "main.buf";
constexpr const char* kClaimPrefix = "main.buf.claim-";
constexpr int kProgressLines = 1024;
constexpr auto kProgressInterval = std::chrono::milliseconds(50);
// Passes over a file that a client still holds before it is left for the
// next run.
constexpr int kMaxPasses = 20;
// Pause before looking again at a file a client still holds open.
constexpr auto kOpenWait = std::chrono::milliseconds(5);

// A file descriptor closed with its owner.
class Fd {
 public:
  explicit Fd(int fd = -1) : m_fd(fd) {}
  ~Fd() {
    if (m_fd >= 0) ::close(m_fd);
  }
  Fd(const Fd&) = delete;
  Fd& operator=(const Fd&) = delete;
  int Get() const { return m_fd; }

 private:
  int m_fd;
};

// Shared state of one sweep: totals and the progress throttle.
struct SweepContext {
  const ProgressCallback* progress = nullptr;
  int quietPeriod = kDefaultQuietPeriod;
  SweepProgress current;
  Clock::time_point last{};
  bool stop = false;

  void Report(bool force) {
    if (!progress || !*progress) return;
    const auto now = Clock::now();
    if (!force && now - last < kProgressInterval) return;
    last = now;
    if (!(*progress)(current)) stop = true;
  }
};

// Each file is one long write transaction.
void UseLargeCache(Database& db) {
  db.Connection().PrepareForBulkWrite();
}

enum class Lease { Granted, Busy, Unknown };

// A write lease is granted only to a sole opener: held, it proves that no
// client holds the file, and any later opener waits until it is released.
// Only the file's owner (or CAP_LEASE) gets one, and network file systems
// give none: then nothing is known.
Lease TakeLease(int fd) {
  // A lease break is signalled with SIGURG, ignored by default, not SIGIO,
  // which would end this process.
  ::fcntl(fd, F_SETSIG, SIGURG);
  if (::fcntl(fd, F_SETLEASE, F_WRLCK) == 0) return Lease::Granted;
  return errno == EAGAIN || errno == EBUSY ? Lease::Busy : Lease::Unknown;
}

// True while the lease is held and no opener has asked for it.
bool LeaseIntact(int fd) {
  return ::fcntl(fd, F_GETLEASE) == F_WRLCK;
}

void ReleaseLease(int fd) {
  ::fcntl(fd, F_SETLEASE, F_UNLCK);
}

// Size, modification time and inode: what "unchanged" compares.
std::string Fingerprint(const struct stat& info) {
  return std::to_string(info.st_size) + ":" + std::to_string(info.st_mtim.tv_sec) + "." +
         std::to_string(info.st_mtim.tv_nsec) + ":" + std::to_string(info.st_ino);
}

std::int64_t UnixNow() {
  return std::chrono::duration_cast<std::chrono::seconds>(
             std::chrono::system_clock::now().time_since_epoch())
      .count();
}

struct Ledger {
  std::int64_t bytes = 0;
  std::int64_t lines = 0;
  std::string seen;
  std::int64_t seenAt = 0;
  std::int64_t markAt = -1;
  bool stored = false;  // a row under this key exists
};

// The ledger row of a claimed file, keyed by its name and inode so that
// neither another folder's file of the same name nor a new spelling of the
// folder can take it. A row of an older version, keyed by the name alone,
// is taken over.
Ledger ReadLedger(Database& db, const std::string& key, const std::string& name) {
  for (const std::string* k : {&key, &name}) {
    Statement query =
        db.Prepare("SELECT Bytes, Lines, Seen, SeenAt, MarkAt FROM intake_ledger WHERE File = ?");
    query.Bind(*k);
    if (!query.Step()) continue;
    Ledger ledger{query.Int(0),
                  query.Int(1),
                  query.Text(2),
                  query.Int(3),
                  query.IsNull(4) ? -1 : query.Int(4),
                  k == &key};
    if (k == &name) db.Execute("DELETE FROM intake_ledger WHERE File = ?", name);
    return ledger;
  }
  return {};
}

void WriteLedger(Database& db, const std::string& key, const Ledger& ledger) {
  db.Send(
      "INSERT INTO intake_ledger (File, Bytes, Lines, Seen, SeenAt, MarkAt) "
      "VALUES (?, ?, ?, ?, ?, ?) ON CONFLICT (File) DO UPDATE SET Bytes = excluded.Bytes, "
      "Lines = excluded.Lines, Seen = excluded.Seen, SeenAt = excluded.SeenAt, "
      "MarkAt = excluded.MarkAt",
      key, ledger.bytes, ledger.lines, ledger.seen, ledger.seenAt, ledger.markAt);
}

// True when `name` in the folder is still the file `info` describes.
bool StillNamed(int dir, const std::string& name, const struct stat& info) {
  struct stat now {};
  return ::fstatat(dir, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
         now.st_dev == info.st_dev && now.st_ino == info.st_ino;
}

// One claimed file, open as `fd` and named `name` in the folder open as `dir`.
struct Claimed {
  int dir;
  int fd;
  std::string name;
  std::string path;  // for messages
  std::string folder;
};

void Add(SkipCounts& to, const SkipCounts& from) {
  for (std::size_t i = 0; i < kSkipReasonCount; ++i) to[i] += from[i];
}

// Applies the claimed file from where the ledger says, in passes of one
// transaction each, then deletes it if it is final; else it waits, noted.
FileSummary ApplyClaimedFile(Database& db, const Claimed& file, SweepContext& context,
                             std::vector<FileNote>& notes) {
  FileSummary summary;
  summary.file = file.path;
  context.current.file = file.path;
  for (int pass = 1;; ++pass) {
    const Lease lease = TakeLease(file.fd);
    bool final = false;
    std::int64_t size = 0;
    {
      // The file is shown while the transaction may still wait for another
      // program that holds the database.
      if (pass == 1) {
        context.current.bytesRead = 0;
        context.current.fileSize = 0;
        context.Report(true);
      }
      Transaction transaction(db);
      // Collections do not interleave: the applier relies on nobody else
      // writing LOGS, and two runs may meet over the same claimed file.
      db.Connection().Lock(DatabaseLock::Intake);
      struct stat info {};
      if (::fstat(file.fd, &info) != 0)
        throw std::system_error(errno, std::generic_category(), "cannot read " + file.path);
      // Another run (the window and a scheduled job) may have finished it
      // while this one waited for the database.
      if (info.st_nlink == 0 || !StillNamed(file.dir, file.name, info)) {
        if (lease == Lease::Granted) ReleaseLease(file.fd);
        return summary;
      }
      const std::string key = file.name + "#" + std::to_string(info.st_ino);
      Ledger ledger = ReadLedger(db, key, file.name);
      const std::string seen = Fingerprint(info);
      const std::int64_t now = UnixNow();
      const bool quiet = context.quietPeriod <= 0 ||
                         (ledger.seen == seen && now - ledger.seenAt >= context.quietPeriod);
      final = lease == Lease::Granted || (lease == Lease::Unknown && quiet);
      size = info.st_size;

      const std::int64_t offset = ledger.bytes;
      BufferReader reader(file.fd, offset, size, final, ledger.markAt);
      context.current.fileSize = size;
      context.current.bytesRead = offset;
      context.Report(true);
      FileSummary passSummary;
      EventApplier applier(db);
      const DateTime collectedAt = DateTime::Now();
      const std::int64_t middle = offset + (size - offset) / 2;
      ReadLine line;
      while (reader.Next(line)) {
        if (reader.Offset() > middle) CrashAt(CrashPoint::MidFile);
        const std::int64_t number = ++ledger.lines;
        std::optional<SkipReason> reason;
        if (line.text.empty() && !line.truncated) {
          reason = SkipReason::BlankLine;
        } else if (line.afterMark) {
          reason = SkipReason::AfterEndMark;
        } else if (line.truncated) {
          reason = SkipReason::LineTooLong;
        } else {
          const LineOutcome outcome = ApplyLineText(applier, line.text);
          reason = outcome.skipped;
          if (outcome.applied) ++passSummary.eventsApplied;
          if (outcome.extra) {
            ++passSummary.skipped[static_cast<std::size_t>(SkipReason::ExtraEvent)];
            KeepAside(db, file.folder, file.name, number, SkipReason::ExtraEvent,
                      static_cast<std::int64_t>(outcome.extra->size()), *outcome.extra,
                      collectedAt);
          }
        }
        if (reason) {
          ++passSummary.skipped[static_cast<std::size_t>(*reason)];
          if (*reason != SkipReason::BlankLine)
            KeepAside(db, file.folder, file.name, number, *reason, line.length, line.text,
                      collectedAt);
        }
        if (number % kProgressLines == 0) {
          context.current.bytesRead = reader.Offset();
          context.current.eventsApplied += passSummary.eventsApplied;
          context.Report(false);
          context.current.eventsApplied -= passSummary.eventsApplied;
        }
      }
      applier.Flush();
      const Ledger before = ledger;
      ledger.bytes = reader.Offset();
      ledger.markAt = reader.MarkAt();
      if (ledger.seen != seen) {
        ledger.seen = seen;
        ledger.seenAt = now;
      }
      // A pass that found nothing new writes nothing, and syncs nothing.
      if (!before.stored || ledger.bytes != offset || ledger.seen != before.seen ||
          ledger.markAt != before.markAt)
        WriteLedger(db, key, ledger);
      CrashAt(CrashPoint::BeforeCommit);
      transaction.Commit();
      CrashAt(CrashPoint::AfterCommit);
      summary.eventsApplied += passSummary.eventsApplied;
      Add(summary.skipped, passSummary.skipped);
      context.current.eventsApplied += passSummary.eventsApplied;
      context.current.bytesRead = ledger.bytes;
      final = final && ledger.bytes >= size;
    }
    context.Report(true);
    // An opener that came while the lease was held may write once it is
    // released: the file is not final after all.
    if (lease == Lease::Granted && final && !LeaseIntact(file.fd)) final = false;
    if (final) {
      struct stat info {};
      if (::fstat(file.fd, &info) == 0 && StillNamed(file.dir, file.name, info) &&
          ::unlinkat(file.dir, file.name.c_str(), 0) != 0 && errno != ENOENT) {
        const int error = errno;
        if (lease == Lease::Granted) ReleaseLease(file.fd);
        throw std::system_error(error, std::generic_category(), "cannot delete " + file.path);
      }
      if (lease == Lease::Granted) ReleaseLease(file.fd);
      CrashAt(CrashPoint::AfterDelete);
      db.Execute("DELETE FROM intake_ledger WHERE File = ?",
                 file.name + "#" + std::to_string(info.st_ino));
      return summary;
    }
    if (lease == Lease::Granted) ReleaseLease(file.fd);
    if (lease == Lease::Unknown || pass == kMaxPasses) {
      summary.waiting = true;
      notes.push_back(
          {lease == Lease::Unknown ? FileNote::Kind::QuietPeriod : FileNote::Kind::StillOpen,
           file.path,
           {}});
      return summary;
    }
    std::this_thread::sleep_for(kOpenWait);
  }
}

// A name for the claimed file, unique by time, host and process, that sorts
// in the order of claiming.
std::string ClaimName() {
  static int counter = 0;
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  for (char& c : host)
    if (c == '/') c = '_';
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%020lld", static_cast<long long>(micros));
  return std::string(kClaimPrefix) + stamp + "-" + host + "-" + std::to_string(::getpid()) + "-" +
         std::to_string(++counter);
}

const char* FileKind(mode_t mode) {
  if (S_ISLNK(mode)) return "a symbolic link";
  if (S_ISDIR(mode)) return "a folder";
  if (S_ISFIFO(mode)) return "a FIFO";
  if (S_ISSOCK(mode)) return "a socket";
  if (S_ISCHR(mode) || S_ISBLK(mode)) return "a device";
  return "not a regular file";
}

std::string ErrorText(int error) {
  return std::generic_category().message(error);
}

// Opens `name` in the folder for the sweep: once, without following a link
// and without blocking; only a regular file with write permission. -1 (with
// a note, unless there is no such file) otherwise.
int OpenEntry(int dir, const std::string& name, const std::string& path,
              std::vector<FileNote>& notes) {
  const int fd =
      ::openat(dir, name.c_str(), O_RDWR | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
  if (fd < 0) {
    const int error = errno;
    // Gone, or leased by another run that is collecting it right now (only
    // runs of the sweep take leases): nothing for this run to do.
    if (error == ENOENT || error == EWOULDBLOCK) return -1;
    struct stat info {};
    if (::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(info.st_mode))
      notes.push_back({FileNote::Kind::NotRegular, path, FileKind(info.st_mode)});
    else
      notes.push_back({FileNote::Kind::CannotOpen, path, ErrorText(error)});
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    notes.push_back({FileNote::Kind::NotRegular, path, FileKind(info.st_mode)});
    ::close(fd);
    return -1;
  }
  // Root opens any file for writing; a file nobody may write is still left.
  if ((info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
    notes.push_back({FileNote::Kind::NoWriteBits, path, {}});
    ::close(fd);
    return -1;
  }
  return fd;
}

// The claimed files the folder holds, in the order they were claimed.
std::vector<std::string> ClaimedNames(int dir) {
  std::vector<std::string> names;
  const int copy = ::dup(dir);
  if (copy < 0) return names;
  DIR* listing = ::fdopendir(copy);
  if (!listing) {
    ::close(copy);
    return names;
  }
  while (const dirent* entry = ::readdir(listing)) {
    const std::string name = entry->d_name;
    if (name.rfind(kClaimPrefix, 0) == 0) names.push_back(name);
  }
  ::closedir(listing);
  std::sort(names.begin(), names.end());
  return names;
}

struct FolderRun {
  Database& db;
  SweepContext& context;
  FolderSummary& summary;
  int dir;
  std::string folder;

  void Apply(int fd, const std::string& name) {
    const Claimed file{dir, fd, name, folder + "/" + name, folder};
    try {
      const FileSummary result = ApplyClaimedFile(db, file, context, summary.notes);
      ++summary.filesProcessed;
      summary.eventsApplied += result.eventsApplied;
      Add(summary.skipped, result.skipped);
    } catch (const std::system_error& e) {
      summary.notes.push_back({FileNote::Kind::ReadError, file.path, e.code().message()});
    }
  }

  void Leftover(const std::string& name) {
    const Fd fd(OpenEntry(dir, name, folder + "/" + name, summary.notes));
    if (fd.Get() >= 0) Apply(fd.Get(), name);
  }

  // Claims main.buf by renaming it, and applies it.
  void Buffer() {
    const std::string path = folder + "/" + kBufferName;
    const Fd fd(OpenEntry(dir, kBufferName, path, summary.notes));
    if (fd.Get() < 0) return;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return;
    const std::string claimed = ClaimName();
    if (::renameat(dir, kBufferName, dir, claimed.c_str()) != 0) {
      if (errno != ENOENT)
        summary.notes.push_back({FileNote::Kind::CannotClaim, path, ErrorText(errno)});
      return;
    }
    if (!StillNamed(dir, claimed, info)) {
      // main.buf was swapped between the open and the rename: the worker's
      // new file goes back under its name, untouched.
      ::renameat2(dir, claimed.c_str(), dir, kBufferName, RENAME_NOREPLACE);
      summary.notes.push_back({FileNote::Kind::Changed, path, {}});
      return;
    }
    CrashAt(CrashPoint::AfterClaim);
    Apply(fd.Get(), claimed);
  }
};

std::int64_t Sum(const SkipCounts& counts) {
  std::int64_t total = 0;
  for (auto n : counts) total += n;
  return total;
}

}  // namespace

std::string FileNoteText(const FileNote& note) {
  switch (note.kind) {
    case FileNote::Kind::StillOpen:
      return note.file +
             ": still open by a client; its complete lines are applied, the rest "
             "waits for the next run";
    case FileNote::Kind::QuietPeriod:
      return note.file +
             ": may still be written; its complete lines are applied, and it is "
             "deleted once it has not changed for the quiet period";
    case FileNote::Kind::NotRegular:
      return note.file + ": " + note.detail + ", not a regular file; left in place";
    case FileNote::Kind::CannotOpen:
      return note.file + ": cannot be opened for reading and writing (" + note.detail +
             "); left in place";
    case FileNote::Kind::NoWriteBits:
      return note.file + ": has no write permission; left in place";
    case FileNote::Kind::CannotClaim:
      return note.file + ": cannot be claimed (" + note.detail + "); left in place";
    case FileNote::Kind::Changed:
      return note.file + ": was replaced while being claimed; left in place";
    case FileNote::Kind::ReadError:
      return note.file + ": cannot be read (" + note.detail + "); left for the next run";
  }
  return note.file;
}

std::int64_t FileSummary::Skipped() const {
  return Sum(skipped);
}

std::int64_t FolderSummary::Skipped() const {
  return Sum(skipped);
}

std::int64_t FolderSummary::KeptAside() const {
  return Skipped() - skipped[static_cast<std::size_t>(SkipReason::BlankLine)];
}

int FolderSummary::Waiting() const {
  return static_cast<int>(
      std::count_if(notes.begin(), notes.end(), [](const FileNote& n) { return n.Waits(); }));
}

int FolderSummary::Failures() const {
  return static_cast<int>(notes.size()) - Waiting();
}

int QuietPeriodSetting(Database& db) {
  Statement query = db.Prepare("SELECT Val FROM SETTING WHERE Key = ? ORDER BY ID LIMIT 1");
  query.Bind("QuietPeriod");
  if (!query.Step()) return kDefaultQuietPeriod;
  const std::string text = query.Text(0);
  if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos)
    return kDefaultQuietPeriod;
  return std::stoi(text);
}

void SaveQuietPeriodSetting(Database& db, int seconds) {
  Transaction transaction(db);
  db.Execute("DELETE FROM SETTING WHERE Key = ?", "QuietPeriod");
  db.Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", "QuietPeriod",
             std::to_string(seconds));
  transaction.Commit();
}

bool FolderExists(const std::string& path) {
  if (path.empty()) return false;
  struct stat info {};
  return ::stat(path.c_str(), &info) == 0 && S_ISDIR(info.st_mode) &&
         ::access(path.c_str(), X_OK) == 0;
}

std::string BufferPath(const std::string& folder) {
  std::string path = folder;
  while (!path.empty() && path.back() == ' ') path.pop_back();
  while (!path.empty() && path.back() == '/') path.pop_back();
  return path + "/" + kBufferName;
}

std::optional<FileSummary> ProcessBufferFile(Database& db, const std::string& path,
                                             const SweepOptions& options) {
  const std::size_t slash = path.rfind('/');
  const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash);
  const Fd dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir.Get() < 0) return std::nullopt;
  UseLargeCache(db);
  SweepContext context;
  context.progress = &options.progress;
  context.quietPeriod = options.quietPeriod.value_or(QuietPeriodSetting(db));
  context.current.folder = folder;
  FolderSummary summary;
  FolderRun run{db, context, summary, dir.Get(), folder};
  run.Buffer();
  if (summary.filesProcessed == 0) return std::nullopt;
  FileSummary file;
  file.file = path;
  file.eventsApplied = summary.eventsApplied;
  file.skipped = summary.skipped;
  file.waiting = summary.Waiting() > 0;
  return file;
}

SweepSummary ProcessFolders(Database& db, const SweepOptions& options) {
  UseLargeCache(db);
  SweepSummary summary;
  SweepContext context;
  context.progress = &options.progress;
  context.quietPeriod = options.quietPeriod.value_or(QuietPeriodSetting(db));
  for (int slot = 1; slot <= 10 && !context.stop; ++slot) {
    const std::string key = "Path" + std::to_string(slot);
    std::string folder;
    {
      Statement query = db.Prepare("SELECT Val FROM SETTING WHERE Key = ? ORDER BY ID LIMIT 1");
      query.Bind(key);
      if (!query.Step()) continue;
      folder = query.Text(0);
    }
    // Trailing blanks of a stored value are no part of the folder's name.
    while (!folder.empty() && folder.back() == ' ') folder.pop_back();
    if (!FolderExists(folder)) continue;

    FolderSummary folderSummary;
    folderSummary.slot = slot;
    folderSummary.folder = folder;
    context.current.folder = folder;
    const std::string bufferPath = BufferPath(folder);
    const std::string dirPath = bufferPath.substr(0, bufferPath.rfind('/'));
    const Fd dir(
        ::open(dirPath.empty() ? "/" : dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (dir.Get() >= 0) {
      FolderRun run{db, context, folderSummary, dir.Get(), dirPath};
      for (const std::string& name : ClaimedNames(dir.Get())) {
        if (context.stop) break;
        run.Leftover(name);
      }
      if (!context.stop) run.Buffer();
    } else {
      folderSummary.notes.push_back({FileNote::Kind::CannotOpen, folder, ErrorText(errno)});
    }
    summary.filesProcessed += folderSummary.filesProcessed;
    summary.eventsApplied += folderSummary.eventsApplied;
    summary.linesSkipped += folderSummary.Skipped();
    summary.keptAside += folderSummary.KeptAside();
    summary.waiting += folderSummary.Waiting();
    summary.failures += folderSummary.Failures();
    if (options.folderDone) options.folderDone(folderSummary);
    summary.folders.push_back(std::move(folderSummary));
  }
  summary.cancelled = context.stop;
  context.Report(true);
  return summary;
}

}  // namespace vornal
