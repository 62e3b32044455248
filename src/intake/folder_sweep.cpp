#include "intake/folder_sweep.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <filesystem>
#include <system_error>
#include <thread>

#include "intake/buffer_line.h"
#include "intake/buffer_reader.h"
#include "intake/crash_point.h"
#include "intake/event_applier.h"
#include "intake/work_events.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using Clock = std::chrono::steady_clock;

constexpr const char* kClaimPrefix = "main.buf.claim-";
constexpr std::size_t kMaxLogin = 100;
constexpr int kProgressLines = 1024;
constexpr auto kProgressInterval = std::chrono::milliseconds(50);
// Passes over a file that keeps growing before it is left for the next run.
constexpr int kMaxPasses = 20;
// Pause before looking again at a file a client still holds open.
constexpr auto kOpenWait = std::chrono::milliseconds(5);

// Shared state of one sweep: totals and the progress throttle.
struct SweepContext {
  const ProgressCallback* progress = nullptr;
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

std::size_t Utf8Length(const std::string& text) {
  return static_cast<std::size_t>(std::count_if(text.begin(), text.end(), [](char c) {
    return (static_cast<unsigned char>(c) & 0xC0) != 0x80;
  }));
}

// A file's transaction touches many pages; with the engine's small default
// cache they would be spilled to disk, with syncs, long before the commit.
void UseLargeCache(Database& db) {
  db.ExecuteScript("PRAGMA cache_size = -131072");
}

// Applies one line; the reason it was skipped, if it was.
std::optional<SkipReason> ApplyLine(EventApplier& applier, const std::string& text,
                                    bool truncated) {
  if (truncated) return SkipReason::LineTooLong;
  if (text.empty()) return SkipReason::BlankLine;
  const BufferLine line = ParseBufferLine(text);
  if (!IsWorkEvent(line.event)) return SkipReason::UnknownEvent;
  const std::optional<DateTime> time = line.Time();
  if (!time) return SkipReason::InvalidTime;
  if (Utf8Length(line.login) > kMaxLogin) return SkipReason::LoginTooLong;
  applier.Apply(*time, line.login, line.event);
  return std::nullopt;
}

// True when the file is open elsewhere (a client that may still write to
// it), found by asking for a write lease, which is granted only to a sole
// opener. Where leases are not to be had (a file of another owner, a network
// file system) nothing is known and the answer is false.
bool OpenElsewhere(const std::string& path) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return false;
  // Should another run open the file while the lease is held, its break is
  // signalled with SIGURG, ignored by default, not SIGIO, which would end
  // this process.
  ::fcntl(fd, F_SETSIG, SIGURG);
  const bool busy = ::fcntl(fd, F_SETLEASE, F_WRLCK) != 0 && errno == EAGAIN;
  ::close(fd);  // releases the lease
  return busy;
}

std::int64_t LedgerBytes(Database& db, const std::string& key) {
  return db.QueryInt("SELECT Bytes FROM intake_ledger WHERE File = ?", key).value_or(0);
}

// Applies the claimed file from where the ledger says, in passes of one
// transaction each, until every byte is applied; then deletes it.
FileSummary ApplyClaimedFile(Database& db, const std::string& claimed, SweepContext& context,
                             std::vector<FileNote>& notes) {
  FileSummary summary;
  summary.file = claimed;
  const std::string key = fs::path(claimed).filename().string();
  context.current.file = claimed;
  for (int pass = 1;; ++pass) {
    std::int64_t consumed = 0;
    bool endMark = false;
    {
      Transaction transaction(db);
      // Another run (the window and a scheduled job) may have finished it
      // while this one waited for the database.
      if (!fs::exists(claimed)) return summary;
      const std::int64_t offset = LedgerBytes(db, key);
      BufferReader reader(claimed, offset);
      std::error_code ec;
      context.current.fileSize = static_cast<std::int64_t>(fs::file_size(claimed, ec));
      context.current.bytesRead = offset;
      context.Report(true);
      FileSummary passSummary;
      EventApplier applier(db);
      std::string text;
      bool truncated = false;
      int lines = 0;
      const std::int64_t middle = offset + (context.current.fileSize - offset) / 2;
      while (reader.Next(text, truncated)) {
        if (reader.Offset() > middle) CrashAt(CrashPoint::MidFile);
        if (const auto reason = ApplyLine(applier, text, truncated))
          ++passSummary.skipped[static_cast<std::size_t>(*reason)];
        else
          ++passSummary.eventsApplied;
        if (++lines % kProgressLines == 0) {
          context.current.bytesRead = reader.Offset();
          context.current.eventsApplied += passSummary.eventsApplied;
          context.Report(false);
          context.current.eventsApplied -= passSummary.eventsApplied;
        }
      }
      applier.Flush();
      consumed = reader.Offset();
      endMark = reader.EndMarkSeen();
      if (consumed != offset)
        db.Execute(
            "INSERT INTO intake_ledger (File, Bytes) VALUES (?, ?) "
            "ON CONFLICT (File) DO UPDATE SET Bytes = excluded.Bytes",
            key, consumed);
      CrashAt(CrashPoint::BeforeCommit);
      transaction.Commit();
      CrashAt(CrashPoint::AfterCommit);
      summary.eventsApplied += passSummary.eventsApplied;
      for (std::size_t i = 0; i < kSkipReasonCount; ++i)
        summary.skipped[i] += passSummary.skipped[i];
      context.current.eventsApplied += passSummary.eventsApplied;
      context.current.bytesRead = consumed;
    }
    context.Report(true);
    // A client that opened the file before the claim may have written more,
    // or may still write: its lines must be applied before the delete. The
    // open check comes first, so that the size read after it is final.
    const bool open = OpenElsewhere(claimed);
    struct stat info {};
    if (::stat(claimed.c_str(), &info) != 0) {
      if (errno == ENOENT) break;
      throw std::system_error(errno, std::generic_category(), "cannot read " + claimed);
    }
    if (endMark || (info.st_size <= consumed && !open)) break;
    if (pass == kMaxPasses) {
      notes.push_back(
          {open ? FileNote::Kind::StillOpen : FileNote::Kind::StillGrowing, claimed, {}});
      return summary;
    }
    if (info.st_size <= consumed) std::this_thread::sleep_for(kOpenWait);
  }
  if (::unlink(claimed.c_str()) != 0 && errno != ENOENT)
    throw std::system_error(errno, std::generic_category(), "cannot delete " + claimed);
  CrashAt(CrashPoint::AfterDelete);
  db.Execute("DELETE FROM intake_ledger WHERE File = ?", key);
  return summary;
}

void AddTo(FolderSummary& folder, const FileSummary& file) {
  ++folder.filesProcessed;
  folder.eventsApplied += file.eventsApplied;
  for (std::size_t i = 0; i < kSkipReasonCount; ++i) folder.skipped[i] += file.skipped[i];
}

// A name for the claimed file, unique by time, host and process, that sorts
// in the order of claiming.
std::string ClaimName(const std::string& bufferPath) {
  static int counter = 0;
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const auto micros = std::chrono::duration_cast<std::chrono::microseconds>(now).count();
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%020lld", static_cast<long long>(micros));
  const fs::path folder = fs::path(bufferPath).parent_path();
  return (folder / (std::string(kClaimPrefix) + stamp + "-" + host + "-" +
                    std::to_string(::getpid()) + "-" + std::to_string(++counter)))
      .string();
}

// Claims the buffer file; the claimed path, or nothing when it cannot be
// opened for reading and writing or renamed.
std::optional<std::string> Claim(const std::string& path, std::vector<FileNote>* notes) {
  const int fd = ::open(path.c_str(), O_RDWR | O_CLOEXEC);
  if (fd < 0) return std::nullopt;
  ::close(fd);
  const std::string claimed = ClaimName(path);
  if (::rename(path.c_str(), claimed.c_str()) != 0) {
    if (notes && errno != ENOENT)
      notes->push_back({FileNote::Kind::CannotClaim, path, std::generic_category().message(errno)});
    return std::nullopt;
  }
  CrashAt(CrashPoint::AfterClaim);
  return claimed;
}

std::vector<std::string> LeftoverClaims(const std::string& bufferPath) {
  std::vector<std::string> files;
  std::error_code ec;
  const fs::path folder = fs::path(bufferPath).parent_path();
  for (fs::directory_iterator it(folder, ec), end; !ec && it != end; it.increment(ec)) {
    const std::string name = it->path().filename().string();
    if (name.rfind(kClaimPrefix, 0) == 0 && it->is_regular_file(ec))
      files.push_back(it->path().string());
  }
  std::sort(files.begin(), files.end());
  return files;
}

}  // namespace

std::string FileNoteText(const FileNote& note) {
  switch (note.kind) {
    case FileNote::Kind::StillOpen:
      return note.file + ": still open by a client, left for the next run";
    case FileNote::Kind::StillGrowing:
      return note.file + ": still growing, left for the next run";
    case FileNote::Kind::CannotClaim:
      return note.file + ": cannot be claimed (" + note.detail + "), left in place";
  }
  return note.file;
}

const char* SkipReasonText(SkipReason reason) {
  switch (reason) {
    case SkipReason::BlankLine:
      return "blank line";
    case SkipReason::UnknownEvent:
      return "unknown or missing event name";
    case SkipReason::InvalidTime:
      return "no valid date and time";
    case SkipReason::LoginTooLong:
      return "login longer than 100 characters";
    case SkipReason::LineTooLong:
      return "line longer than 1 MiB";
  }
  return "";
}

std::int64_t FileSummary::Skipped() const {
  std::int64_t total = 0;
  for (auto n : skipped) total += n;
  return total;
}

std::int64_t FolderSummary::Skipped() const {
  std::int64_t total = 0;
  for (auto n : skipped) total += n;
  return total;
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
  return path + "/main.buf";
}

std::optional<FileSummary> ProcessBufferFile(Database& db, const std::string& path,
                                             const ProgressCallback& progress) {
  const std::optional<std::string> claimed = Claim(path, nullptr);
  if (!claimed) return std::nullopt;
  UseLargeCache(db);
  SweepContext context;
  context.progress = &progress;
  context.current.folder = fs::path(path).parent_path().string();
  std::vector<FileNote> notes;
  return ApplyClaimedFile(db, *claimed, context, notes);
}

SweepSummary ProcessFolders(Database& db, const ProgressCallback& progress) {
  UseLargeCache(db);
  SweepSummary summary;
  SweepContext context;
  context.progress = &progress;
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
    for (const std::string& claimed : LeftoverClaims(bufferPath)) {
      if (context.stop) break;
      AddTo(folderSummary, ApplyClaimedFile(db, claimed, context, folderSummary.notes));
    }
    if (!context.stop) {
      if (const auto claimed = Claim(bufferPath, &folderSummary.notes))
        AddTo(folderSummary, ApplyClaimedFile(db, *claimed, context, folderSummary.notes));
    }
    summary.filesProcessed += folderSummary.filesProcessed;
    summary.eventsApplied += folderSummary.eventsApplied;
    summary.linesSkipped += folderSummary.Skipped();
    summary.folders.push_back(std::move(folderSummary));
  }
  summary.cancelled = context.stop;
  context.Report(true);
  return summary;
}

}  // namespace vornal
