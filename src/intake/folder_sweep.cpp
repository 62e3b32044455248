#include "intake/folder_sweep.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <stdio.h>
#include <sys/stat.h>
#include <unistd.h>

#include <time.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <deque>
#include <fstream>
#include <memory>
#include <set>
#include <system_error>
#include <thread>
#include <utility>

#include "intake/buffer_line.h"
#include "intake/buffer_reader.h"
#include "intake/crash_point.h"
#include "intake/event_applier.h"
#include "intake/folder_status.h"
#include "store/role_grants.h"
#include "text/fd.h"
#include "text/windows1251.h"

namespace vornal {
namespace {

using Clock = std::chrono::steady_clock;

constexpr const char* kBufferName = "main.buf";
constexpr const char* kClaimPrefix = "main.buf.claim-";
constexpr std::size_t kStampDigits = 20;
constexpr int kProgressLines = 1024;
constexpr auto kProgressInterval = std::chrono::milliseconds(50);
// The one pause of a batch before its files that a client held open are
// looked at again (a client that opens, appends and closes is done by then).
constexpr auto kHeldWait = std::chrono::milliseconds(10);
// A batch is committed after this many files, bytes read or time: a
// thousand small files in a few transactions, while another program that
// wants the database never waits long.
constexpr std::size_t kBatchFiles = 100;
constexpr std::int64_t kBatchBytes = 8 << 20;
constexpr auto kBatchTime = std::chrono::milliseconds(200);
// The bytes before a ledger's offset that are compared to tell a rewritten
// file.
constexpr std::size_t kTailBytes = 64;

// Shared state of one sweep: totals, the progress throttle, the clocks and
// the times a line may carry.
struct SweepContext {
  const ProgressCallback* progress = nullptr;
  std::function<ClockReading()> clock;
  int quietPeriod = kDefaultQuietPeriod;
  TimeLimits limits;
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

// Each batch of files is one long write transaction.
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

// Reads up to `size` bytes at `offset`; fewer only at the end of the file.
std::string ReadAt(int fd, std::int64_t offset, std::size_t size) {
  std::string bytes(size, '\0');
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n =
        ::pread(fd, bytes.data() + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0 && errno == EINTR) continue;
    if (n < 0)
      throw std::system_error(errno, std::generic_category(), "cannot read the buffer file");
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  bytes.resize(done);
  return bytes;
}

// The bytes just before `offset`, as a short text (FNV-1a): a rewrite of
// what was applied shows there.
std::string TailOf(int fd, std::int64_t offset) {
  const std::int64_t from = std::max<std::int64_t>(0, offset - kTailBytes);
  const std::string bytes = ReadAt(fd, from, static_cast<std::size_t>(offset - from));
  std::uint64_t hash = 14695981039346656037ull;
  for (const char c : bytes) hash = (hash ^ static_cast<unsigned char>(c)) * 1099511628211ull;
  char text[24];
  std::snprintf(text, sizeof text, "%zu:%016llx", bytes.size(),
                static_cast<unsigned long long>(hash));
  return text;
}

// True when the file is empty or its last byte ends a line (or the
// readable content).
bool EndsWholeLine(int fd, const struct stat& info) {
  if (info.st_size == 0) return true;
  const std::string last = ReadAt(fd, info.st_size - 1, 1);
  return last.empty() || last[0] == '\n' || last[0] == '\r' || last[0] == '\x1A';
}

struct Ledger {
  std::int64_t bytes = 0;
  std::int64_t lines = 0;
  std::string seen;
  std::int64_t seenAt = 0;  // boot-clock milliseconds of the boot `bootId`
  std::string bootId;
  std::int64_t markAt = -1;
  std::string tail;  // TailOf(bytes); empty: not known (a row of an older version)
  bool skipping = false;
  bool stored = false;  // a row under this key exists
};

// The ledger row of a main.buf not claimed yet, keyed by its device and
// inode: how long it has been quiet. Its claimed file takes it over.
std::string WaitingKey(const struct stat& info) {
  return std::string(kBufferName) + "#" + std::to_string(info.st_dev) + ":" +
         std::to_string(info.st_ino);
}

// The ledger row under `key`; else one under another key that is the same
// file (a row of an older version, keyed by the claimed name alone; the row
// of the main.buf before its claim), taken over. One look-up for all.
Ledger ReadLedger(Database& db, const std::string& key, const std::string& name = {},
                  const std::string& waiting = {}) {
  Statement query = db.Prepare(
      "SELECT File, Bytes, Lines, Seen, SeenAt, MarkAt, BootId, Tail, Skipping FROM "
      "intake_ledger WHERE File IN (?, ?, ?)");
  query.Bind(key, name, waiting);
  Ledger ledger;
  std::string found;
  int best = 3;
  while (query.Step()) {
    const std::string file = query.Text(0);
    const int rank = file == key ? 0 : file == name ? 1 : 2;
    if (rank >= best) continue;
    best = rank;
    found = file;
    ledger.bytes = query.Int(1);
    ledger.lines = query.Int(2);
    ledger.seen = query.Text(3);
    ledger.seenAt = query.Int(4);
    ledger.markAt = query.IsNull(5) ? -1 : query.Int(5);
    ledger.bootId = query.Text(6);
    ledger.tail = query.Text(7);
    ledger.skipping = query.Int(8) != 0;
  }
  ledger.stored = !found.empty() && found == key;
  if (!found.empty() && found != key) db.Execute("DELETE FROM intake_ledger WHERE File = ?", found);
  return ledger;
}

void WriteLedger(Database& db, const std::string& key, const std::string& folder,
                 const Ledger& ledger) {
  db.Send(
      "INSERT INTO intake_ledger (File, Bytes, Lines, Seen, SeenAt, MarkAt, BootId, Tail, "
      "Skipping, Folder) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (File) DO UPDATE SET "
      "Bytes = excluded.Bytes, Lines = excluded.Lines, Seen = excluded.Seen, "
      "SeenAt = excluded.SeenAt, MarkAt = excluded.MarkAt, BootId = excluded.BootId, "
      "Tail = excluded.Tail, Skipping = excluded.Skipping, Folder = excluded.Folder",
      key, ledger.bytes, ledger.lines, ledger.seen, ledger.seenAt, ledger.markAt, ledger.bootId,
      ledger.tail, ledger.skipping ? 1 : 0, folder);
}

// True when the file, as `seen` now, has not changed for the quiet period:
// on the boot clock, which no step of the wall clock moves; after a reboot,
// which starts that clock again, by its modification time against the wall
// clock. Then the mark is taken anew on this boot's clock.
bool Quiet(Ledger& ledger, const std::string& seen, const struct stat& info,
           const ClockReading& clock, int quietPeriod) {
  const bool sameBoot = !clock.bootId.empty() && ledger.bootId == clock.bootId &&
                        clock.bootMilliseconds >= ledger.seenAt;
  bool quiet = quietPeriod <= 0;
  if (!quiet && ledger.seen == seen)
    quiet = sameBoot ? clock.bootMilliseconds - ledger.seenAt >= std::int64_t{quietPeriod} * 1000
                     : clock.unixTime - info.st_mtim.tv_sec >= quietPeriod;
  if (ledger.seen != seen || !sameBoot) {
    ledger.seen = seen;
    ledger.seenAt = clock.bootMilliseconds;
    ledger.bootId = clock.bootId;
  }
  return quiet;
}

// True when `name` in the folder is still the file `info` describes.
bool StillNamed(int dir, const std::string& name, const struct stat& info) {
  struct stat now {};
  return ::fstatat(dir, name.c_str(), &now, AT_SYMLINK_NOFOLLOW) == 0 &&
         now.st_dev == info.st_dev && now.st_ino == info.st_ino;
}

// A claimed file in the sweep: open as `fd`, named `name` in the folder open
// as `dir`.
struct ClaimedFile {
  ClaimedFile(std::shared_ptr<const Fd> folderFd, Fd file, std::string claimedName,
              std::string folderPath, std::size_t index)
      : dir(std::move(folderFd)),
        fd(std::move(file)),
        name(std::move(claimedName)),
        path(folderPath + "/" + name),
        folder(std::move(folderPath)),
        folderIndex(index) {}

  std::shared_ptr<const Fd> dir;
  Fd fd;
  std::string name;
  std::string path;  // for messages
  std::string folder;
  std::size_t folderIndex = 0;  // its folder in the sweep's summary
  Lease lease = Lease::Unknown;
  bool gone = false;       // another run has finished it
  bool final = false;      // every byte applied and nobody writes it: to be deleted
  bool unended = false;    // not final, and it ends in the middle of a line
  bool rewritten = false;  // its last pass read it again from its start
  std::string key;         // its ledger row
  FileSummary summary;
};

void Add(SkipCounts& to, const SkipCounts& from) {
  for (std::size_t i = 0; i < kSkipReasonCount; ++i) to[i] += from[i];
}

// The first line of a file that is no event on its own, joined with the
// folder's unended last line when together they make one: applied then,
// and the kept line taken out.
std::optional<LineOutcome> JoinWithUnended(Database& db, EventApplier& applier,
                                           const std::string& folder, std::string_view raw,
                                           const TimeLimits& limits) {
  const std::optional<RejectedLine> kept = UnendedLineOf(db, folder);
  if (!kept) return std::nullopt;
  const std::string joined = DecodeLine(
      (kept->windows1251 ? EncodeWindows1251(kept->text) : kept->text) + std::string(raw));
  if (ReadLineEvent(joined, limits).skipped) return std::nullopt;
  ForgetRejected(db, kept->id);
  return ApplyLineText(applier, joined, limits);
}

// One pass over a claimed file inside the open transaction: applies the
// complete lines after what its ledger row holds and records how far. The
// bytes read.
std::int64_t ApplyPass(Database& db, ClaimedFile& file, SweepContext& context) {
  struct stat info {};
  if (::fstat(file.fd.Get(), &info) != 0)
    throw std::system_error(errno, std::generic_category(), "cannot read " + file.path);
  // Another run (the window and a scheduled job) may have finished it
  // while this one waited for the database.
  if (info.st_nlink == 0 || !StillNamed(file.dir->Get(), file.name, info)) {
    file.gone = true;
    return 0;
  }
  file.key = file.name + "#" + std::to_string(info.st_ino);
  Ledger ledger = ReadLedger(db, file.key, file.name, WaitingKey(info));
  const Ledger before = ledger;
  const ClockReading clock = context.clock();
  const bool quiet = Quiet(ledger, Fingerprint(info), info, clock, context.quietPeriod);
  const bool final = file.lease == Lease::Granted || (file.lease == Lease::Unknown && quiet);
  const std::int64_t size = info.st_size;

  // A client that truncated the file and wrote it anew, or replaced what
  // was applied: every line is read again, and the store of applied events
  // tells the new ones.
  file.rewritten = ledger.bytes > 0 &&
                   (size < ledger.bytes ||
                    (!ledger.tail.empty() && TailOf(file.fd.Get(), ledger.bytes) != ledger.tail));
  if (file.rewritten) {
    ledger.bytes = ledger.lines = 0;
    ledger.markAt = -1;
    ledger.skipping = false;
  }
  const std::int64_t offset = ledger.bytes;
  BufferReader reader(file.fd.Get(), offset, size, final, ledger.markAt, ledger.skipping);
  context.current.file = file.path;
  context.current.fileSize = size;
  context.current.bytesRead = offset;
  context.Report(true);
  FileSummary pass;
  AppliedEvents applied(db);
  EventApplier applier(db, &applied);
  const DateTime collectedAt = clock.local;
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
      LineOutcome outcome = ApplyLineText(applier, line.text, context.limits);
      if (number == 1 && outcome.skipped && KeepsAside(*outcome.skipped))
        if (auto joined = JoinWithUnended(db, applier, file.folder, reader.Raw(), context.limits))
          outcome = std::move(*joined);
      reason = outcome.skipped;
      if (line.unended && reason == SkipReason::UnknownEvent) reason = SkipReason::UnendedLine;
      if (outcome.applied) ++pass.eventsApplied;
      if (outcome.extra) {
        ++pass.skipped[static_cast<std::size_t>(SkipReason::ExtraEvent)];
        KeepAside(db, file.folder, file.name, number, SkipReason::ExtraEvent,
                  static_cast<std::int64_t>(outcome.extra->size()), *outcome.extra, collectedAt);
      }
    }
    if (reason) {
      ++pass.skipped[static_cast<std::size_t>(*reason)];
      if (KeepsAside(*reason))
        KeepAside(db, file.folder, file.name, number, *reason, line.length, line.text, collectedAt,
                  line.windows1251);
    }
    if (number % kProgressLines == 0) {
      context.current.bytesRead = reader.Offset();
      context.current.eventsApplied += pass.eventsApplied;
      context.Report(false);
      context.current.eventsApplied -= pass.eventsApplied;
    }
  }
  applier.Flush();
  ledger.bytes = reader.Offset();
  ledger.markAt = reader.MarkAt();
  ledger.skipping = reader.Skipping();
  if (ledger.bytes != offset || file.rewritten || ledger.tail.empty())
    ledger.tail = TailOf(file.fd.Get(), ledger.bytes);
  // A pass that found nothing new writes nothing, and syncs nothing.
  if (!before.stored || ledger.bytes != before.bytes || ledger.lines != before.lines ||
      ledger.seen != before.seen || ledger.seenAt != before.seenAt ||
      ledger.bootId != before.bootId || ledger.markAt != before.markAt ||
      ledger.tail != before.tail || ledger.skipping != before.skipping)
    WriteLedger(db, file.key, file.folder, ledger);
  file.summary.eventsApplied += pass.eventsApplied;
  Add(file.summary.skipped, pass.skipped);
  file.final = final && ledger.bytes >= size;
  file.unended = !final && ledger.bytes < size;
  context.current.eventsApplied += pass.eventsApplied;
  context.current.bytesRead = ledger.bytes;
  context.Report(true);
  return ledger.bytes - offset;
}

// The stamp of a claimed name: microseconds of the claim.
long long StampOf(const std::string& claimed) {
  if (claimed.size() < std::strlen(kClaimPrefix) + kStampDigits) return 0;
  return std::atoll(claimed.substr(std::strlen(kClaimPrefix), kStampDigits).c_str());
}

// A name for the claimed file, unique by time, host and process, that sorts
// in the order of claiming: after `latest`, the folder's latest claimed
// name, whatever the wall clock says.
std::string ClaimName(const std::string& latest) {
  static int counter = 0;
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) host[0] = '\0';
  for (char& c : host)
    if (c == '/') c = '_';
  const auto now = std::chrono::system_clock::now().time_since_epoch();
  const long long micros = std::max<long long>(
      std::chrono::duration_cast<std::chrono::microseconds>(now).count(), StampOf(latest) + 1);
  char stamp[32];
  std::snprintf(stamp, sizeof stamp, "%020lld", micros);
  return std::string(kClaimPrefix) + stamp + "-" + host + "-" + std::to_string(::getpid()) + "-" +
         std::to_string(++counter);
}

FileNote::FileType FileTypeOf(mode_t mode) {
  using Type = FileNote::FileType;
  if (S_ISLNK(mode)) return Type::Link;
  if (S_ISDIR(mode)) return Type::Folder;
  if (S_ISFIFO(mode)) return Type::Fifo;
  if (S_ISSOCK(mode)) return Type::Socket;
  if (S_ISCHR(mode) || S_ISBLK(mode)) return Type::Device;
  return Type::Other;
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
    if (error == ENOENT) return -1;
    // Leased by another run that is collecting it right now (only runs of
    // the sweep take leases): left to that run, noted as waiting.
    if (error == EWOULDBLOCK) {
      notes.push_back({FileNote::Kind::InUse, path, {}});
      return -1;
    }
    struct stat info {};
    if (::fstatat(dir, name.c_str(), &info, AT_SYMLINK_NOFOLLOW) == 0 && !S_ISREG(info.st_mode))
      notes.push_back({FileNote::Kind::NotRegular, path, {}, FileTypeOf(info.st_mode)});
    else
      notes.push_back({FileNote::Kind::CannotOpen, path, ErrorText(error)});
    return -1;
  }
  struct stat info {};
  if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
    notes.push_back({FileNote::Kind::NotRegular, path, {}, FileTypeOf(info.st_mode)});
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

std::int64_t Sum(const SkipCounts& counts) {
  std::int64_t total = 0;
  for (auto n : counts) total += n;
  return total;
}

// One run of the sweep. Claimed files are applied in batches: a batch is
// one transaction holding the first pass of each of its files, each with
// its own ledger row, so that a thousand small files cost a few commits and
// syncs, not a thousand. After the commit each file is deleted if it is
// final, or left waiting; those a client held open are passed over once
// more, all in one transaction after one short wait. A folder's result goes
// out once every file of it is settled.
class Sweep {
 public:
  Sweep(Database& db, const SweepOptions& options) : m_db(db), m_options(options) {
    UseLargeCache(db);
    m_context.progress = &options.progress;
    m_context.clock = options.clock ? options.clock : ReadMachineClock;
    m_context.quietPeriod = options.quietPeriod.value_or(QuietPeriodSetting(db));
  }

  bool Stopped() const { return m_context.stop; }
  void SetFolderCount(std::size_t count) {
    m_context.current.folderCount = static_cast<int>(count);
  }

  // The claimed files the folder holds, then its main.buf. `match` is the
  // folder as a pattern found it (then the folder opened must be that one).
  void CollectFolder(int slot, const std::string& folder, const FolderMatch* match) {
    ++m_context.current.folderNumber;
    m_context.current.folder = folder;
    m_context.current.file.clear();
    m_context.current.bytesRead = m_context.current.fileSize = 0;
    m_context.Report(false);
    if (m_context.stop) return;
    const std::size_t index = OpenFolder(slot, folder);
    const std::string bufferPath = BufferPath(folder);
    const std::string dirPath = bufferPath.substr(0, bufferPath.rfind('/'));
    const auto dir = std::make_shared<const Fd>(
        ::open(dirPath.empty() ? "/" : dirPath.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    std::vector<FileNote>& notes = m_summary.folders[index].notes;
    struct stat info {};
    if (dir->Get() < 0) {
      notes.push_back({FileNote::Kind::CannotOpen, folder, ErrorText(errno)});
    } else if (match && (::fstat(dir->Get(), &info) != 0 || info.st_dev != match->device ||
                         info.st_ino != match->inode)) {
      notes.push_back({FileNote::Kind::CannotOpen, folder, "it was replaced since it was matched"});
    } else {
      // Oldest first; one that cannot be taken now holds back the newer
      // ones, so that lines are applied in the order they were written.
      const std::vector<std::string> claimed = ClaimedNames(dir->Get());
      bool heldBack = false;
      for (const std::string& name : claimed) {
        if (m_context.stop) break;
        const std::size_t noted = notes.size();
        Fd fd(OpenEntry(dir->Get(), name, dirPath + "/" + name, notes));
        if (fd.Get() >= 0) {
          heldBack = !Take(ClaimedFile(dir, std::move(fd), name, dirPath, index));
        } else if (notes.size() > noted) {
          const FileNote::Kind kind = notes.back().kind;
          heldBack = kind == FileNote::Kind::InUse || kind == FileNote::Kind::CannotOpen;
        }
        if (heldBack) break;
      }
      if (!m_context.stop && !heldBack)
        Buffer(index, dir, dirPath, claimed.empty() ? std::string() : claimed.back());
      else if (heldBack && ::fstatat(dir->Get(), kBufferName, &info, AT_SYMLINK_NOFOLLOW) == 0)
        notes.push_back({FileNote::Kind::HeldBack, dirPath + "/" + kBufferName, {}});
    }
    CloseFolder(index);
  }

  // Claims main.buf by renaming it to a name after `latest` (the folder's
  // latest claimed file), and applies it. One that ends in the middle of a
  // line is left until it does not, or has been quiet for the quiet period.
  void Buffer(std::size_t index, const std::shared_ptr<const Fd>& dir, const std::string& folder,
              const std::string& latest = {}) {
    std::vector<FileNote>& notes = m_summary.folders[index].notes;
    const std::string path = folder + "/" + kBufferName;
    Fd fd(OpenEntry(dir->Get(), kBufferName, path, notes));
    if (fd.Get() < 0) return;
    struct stat info {};
    if (::fstat(fd.Get(), &info) != 0) return;
    try {
      if (!EndsWholeLine(fd.Get(), info) && !QuietUnclaimed(info, folder)) {
        notes.push_back({FileNote::Kind::UnendedLine, path, {}});
        return;
      }
    } catch (const std::system_error& e) {
      notes.push_back({FileNote::Kind::ReadError, path, e.code().message()});
      return;
    }
    const std::string claimed = ClaimName(latest);
    if (::renameat(dir->Get(), kBufferName, dir->Get(), claimed.c_str()) != 0) {
      if (errno != ENOENT) notes.push_back({FileNote::Kind::CannotClaim, path, ErrorText(errno)});
      return;
    }
    if (!StillNamed(dir->Get(), claimed, info)) {
      // main.buf was swapped between the open and the rename: the worker's
      // new file goes back under its name, untouched.
      ::renameat2(dir->Get(), claimed.c_str(), dir->Get(), kBufferName, RENAME_NOREPLACE);
      notes.push_back({FileNote::Kind::Changed, path, {}});
      return;
    }
    CrashAt(CrashPoint::AfterClaim);
    Take(ClaimedFile(dir, std::move(fd), claimed, folder, index));
  }

  std::size_t OpenFolder(int slot, const std::string& folder) {
    FolderSummary summary;
    summary.slot = slot;
    summary.folder = folder;
    summary.collectedAt = m_context.clock().local;
    m_summary.folders.push_back(std::move(summary));
    m_context.current.folder = folder;
    m_queue.push_back({std::nullopt, m_summary.folders.size() - 1, false});
    return m_summary.folders.size() - 1;
  }

  void CloseFolder(std::size_t index) {
    for (Pending& pending : m_queue)
      if (!pending.note && pending.folder == index) pending.closed = true;
    if (!m_transaction) Emit();
  }

  void Note(const SlotNote& note) {
    m_summary.slotNotes.push_back(note);
    m_queue.push_back({note, 0, true});
    if (!m_transaction) Emit();
  }

  SweepSummary Finish() {
    Commit();
    if (!m_ledgerDone.empty() || !m_statusDone.empty()) {
      // Under the intake lock like every batch: another run's batch writes
      // the same ledger and result rows, and two writers taking those rows
      // in different orders without it deadlock on the server.
      Transaction transaction(m_db);
      m_db.Connection().Lock(DatabaseLock::Intake);
      WritePending();
      transaction.Commit();
    }
    m_summary.cancelled = m_context.stop;
    if (m_summary.cancelled)
      m_summary.foldersLeft =
          std::max(0, m_context.current.folderCount - static_cast<int>(m_summary.folders.size()));
    m_context.Report(true);
    return std::move(m_summary);
  }

 private:
  // A folder's result or a slot note, sent out in order.
  struct Pending {
    std::optional<SlotNote> note;
    std::size_t folder;
    bool closed;
  };

  // Opens the batch's transaction, if none is open.
  void Begin(const std::string& file) {
    if (m_transaction) return;
    // The file is shown while the transaction may still wait for another
    // program that holds the database.
    m_context.current.file = file;
    m_context.current.bytesRead = m_context.current.fileSize = 0;
    m_context.Report(true);
    m_transaction.emplace(m_db);
    LockIntake();
    m_batchStart = Clock::now();
    WritePending();
  }

  // True when the main.buf, which ends in the middle of a line, has not
  // changed for the quiet period (its own ledger row tells since when).
  bool QuietUnclaimed(const struct stat& info, const std::string& folder) {
    if (m_context.quietPeriod <= 0) return true;
    Begin(folder + "/" + kBufferName);
    const std::string key = WaitingKey(info);
    Ledger ledger = ReadLedger(m_db, key);
    const Ledger before = ledger;
    const bool quiet =
        Quiet(ledger, Fingerprint(info), info, m_context.clock(), m_context.quietPeriod);
    if (!before.stored || ledger.seen != before.seen || ledger.seenAt != before.seenAt)
      WriteLedger(m_db, key, folder, ledger);
    return quiet;
  }

  // Applies the first pass of a claimed file in the open batch. False when
  // the folder's newer files must wait for it: it could not be read, or it
  // ends in the middle of a line while it may still be written.
  bool Take(ClaimedFile file) {
    file.lease = TakeLease(file.fd.Get());
    Begin(file.path);
    std::int64_t bytes = 0;
    if (!Pass(file, bytes)) return false;
    const bool unended = file.unended;
    m_batchBytes += bytes;
    m_files.push_back(std::move(file));
    if (m_files.size() >= kBatchFiles || m_batchBytes >= kBatchBytes ||
        Clock::now() - m_batchStart >= kBatchTime)
      Commit();
    return !unended;
  }

  // One pass over the file in the open transaction, as work of its own that
  // is undone alone when the file cannot be read (noted; false). A server
  // may report an error of its statements only when the work ends: its
  // events are taken back from the count then. Engine errors end the sweep,
  // the batch's files before this one kept.
  bool Pass(ClaimedFile& file, std::int64_t& bytes) {
    std::optional<Transaction> fileWork(std::in_place, m_db);
    const std::int64_t eventsBefore = m_context.current.eventsApplied;
    try {
      bytes = ApplyPass(m_db, file, m_context);
      fileWork->Commit();
      if (file.rewritten)
        m_summary.folders[file.folderIndex].notes.push_back(
            {FileNote::Kind::Rewritten, file.path, {}});
      return true;
    } catch (const std::system_error& e) {
      fileWork.reset();
      m_context.current.eventsApplied = eventsBefore;
      if (file.lease == Lease::Granted) ReleaseLease(file.fd.Get());
      m_summary.folders[file.folderIndex].notes.push_back(
          {FileNote::Kind::ReadError, file.path, e.code().message()});
      return false;
    } catch (const StoreError&) {
      fileWork.reset();
      m_context.current.eventsApplied = eventsBefore;
      if (file.lease == Lease::Granted) ReleaseLease(file.fd.Get());
      try {
        Commit();
      } catch (...) {
      }
      throw;
    }
  }

  void Commit() {
    if (!m_transaction) return;
    CrashAt(CrashPoint::BeforeCommit);
    m_transaction->Commit();
    m_transaction.reset();
    CrashAt(CrashPoint::AfterCommit);
    m_context.current.eventsCommitted = m_context.current.eventsApplied;
    m_batchBytes = 0;
    std::vector<ClaimedFile> files = std::move(m_files);
    m_files.clear();
    std::vector<ClaimedFile*> held;
    for (ClaimedFile& file : files)
      if (Settle(file, false) == Outcome::Again) held.push_back(&file);
    if (!held.empty()) PassAgain(held);
    m_context.Report(true);
    Emit();
  }

  // The files a client held open at their first pass, once more, after one
  // wait for them all, in one transaction; then settled for this run.
  void PassAgain(const std::vector<ClaimedFile*>& held) {
    std::this_thread::sleep_for(kHeldWait);
    std::vector<ClaimedFile*> passed;
    {
      Transaction transaction(m_db);
      LockIntake();
      for (ClaimedFile* file : held) {
        file->lease = TakeLease(file->fd.Get());
        std::int64_t bytes = 0;
        if (Pass(*file, bytes)) passed.push_back(file);
      }
      CrashAt(CrashPoint::BeforeCommit);
      transaction.Commit();
      CrashAt(CrashPoint::AfterCommit);
    }
    m_context.current.eventsCommitted = m_context.current.eventsApplied;
    for (ClaimedFile* file : passed) Settle(*file, true);
  }

  // Collections do not interleave: the applier relies on nobody else
  // writing LOGS, and two runs may meet over the same claimed file. The
  // times a line may carry are read under the lock. The first transaction
  // of the run forgets the applied events that fell out of their window,
  // and the marks of unclaimed files taken before a reboot (a file that
  // went away unclaimed leaves one).
  void LockIntake() {
    m_db.Connection().Lock(DatabaseLock::Intake);
    const ClockReading clock = m_context.clock();
    m_context.limits = IntakeTimeLimits(m_db, clock.local);
    if (m_pruned) return;
    m_pruned = true;
    PruneAppliedEvents(m_db, m_context.limits);
    m_db.Execute("DELETE FROM intake_ledger WHERE File LIKE ? AND (BootId IS NULL OR BootId <> ?)",
                 std::string(kBufferName) + "#%", clock.bootId);
  }

  enum class Outcome { Done, Failed, Again };

  // After its pass is committed: a final file is deleted; one a client
  // still holds is passed over again (Again, unless this was the last
  // pass); one nobody can tell about waits. Adds what the file gave to its
  // folder.
  Outcome Settle(ClaimedFile& file, bool lastPass) {
    FolderSummary& folder = m_summary.folders[file.folderIndex];
    const Outcome outcome = Finished(file, folder.notes, lastPass);
    if (outcome != Outcome::Done) return outcome;
    ++folder.filesProcessed;
    folder.eventsApplied += file.summary.eventsApplied;
    Add(folder.skipped, file.summary.skipped);
    return outcome;
  }

  Outcome Finished(ClaimedFile& file, std::vector<FileNote>& notes, bool lastPass) {
    const int fd = file.fd.Get();
    const bool leased = file.lease == Lease::Granted;
    bool final = file.final && !file.gone;
    // An opener that came while the lease was held may write once it is
    // released: the file is not final after all.
    if (leased && final && !LeaseIntact(fd)) final = false;
    if (final) {
      struct stat info {};
      if (::fstat(fd, &info) == 0 && StillNamed(file.dir->Get(), file.name, info)) {
        // What was committed must be in the database the office uses now.
        try {
          m_db.Connection().CheckLocation();
        } catch (...) {
          if (leased) ReleaseLease(fd);
          throw;
        }
        if (::unlinkat(file.dir->Get(), file.name.c_str(), 0) != 0 && errno != ENOENT) {
          const int error = errno;
          if (leased) ReleaseLease(fd);
          notes.push_back({FileNote::Kind::ReadError, file.path, ErrorText(error)});
          return Outcome::Failed;
        }
      }
      if (leased) ReleaseLease(fd);
      CrashAt(CrashPoint::AfterDelete);
      m_ledgerDone.push_back(file.key);
      return Outcome::Done;
    }
    if (leased) ReleaseLease(fd);
    if (file.gone) return Outcome::Done;
    const bool unknown = file.lease == Lease::Unknown;
    if (!unknown && !lastPass) return Outcome::Again;
    file.summary.waiting = true;
    notes.push_back(
        {unknown ? FileNote::Kind::QuietPeriod : FileNote::Kind::StillOpen, file.path, {}});
    return Outcome::Done;
  }

  // Sends out, in order, the slot notes and the folders whose files are all
  // settled.
  void Emit() {
    while (!m_queue.empty() && m_queue.front().closed) {
      const Pending pending = m_queue.front();
      m_queue.pop_front();
      if (pending.note) {
        if (pending.note->Failure()) ++m_summary.failures;
        if (m_options.slotNote) m_options.slotNote(*pending.note);
        continue;
      }
      const FolderSummary& folder = m_summary.folders[pending.folder];
      m_summary.filesProcessed += folder.filesProcessed;
      m_summary.eventsApplied += folder.eventsApplied;
      m_summary.linesSkipped += folder.Skipped();
      m_summary.keptAside += folder.KeptAside();
      m_summary.waiting += folder.Waiting();
      m_summary.failures += folder.Failures();
      if (folder.slot > 0) m_statusDone.push_back(pending.folder);
      if (m_options.folderDone) m_options.folderDone(folder);
    }
  }

  // What settled files and folders leave to write: ledger rows of deleted
  // files, results of folders. Written in the next transaction.
  void WritePending() {
    for (const std::string& key : m_ledgerDone)
      m_db.Execute("DELETE FROM intake_ledger WHERE File = ?", key);
    m_ledgerDone.clear();
    for (std::size_t index : m_statusDone) RecordFolderStatus(m_db, m_summary.folders[index]);
    m_statusDone.clear();
  }

  Database& m_db;
  const SweepOptions& m_options;
  SweepContext m_context;
  SweepSummary m_summary;
  std::optional<Transaction> m_transaction;
  std::vector<ClaimedFile> m_files;  // in the open batch
  std::int64_t m_batchBytes = 0;
  Clock::time_point m_batchStart;
  bool m_pruned = false;
  std::deque<Pending> m_queue;
  std::vector<std::string> m_ledgerDone;
  std::vector<std::size_t> m_statusDone;
};

}  // namespace

std::int64_t FileSummary::Skipped() const {
  return Sum(skipped);
}

std::int64_t FolderSummary::Skipped() const {
  return Sum(skipped);
}

std::int64_t FolderSummary::KeptAside() const {
  std::int64_t kept = 0;
  for (std::size_t i = 0; i < kSkipReasonCount; ++i)
    if (KeepsAside(static_cast<SkipReason>(i))) kept += skipped[i];
  return kept;
}

int FolderSummary::Waiting() const {
  return static_cast<int>(
      std::count_if(notes.begin(), notes.end(), [](const FileNote& n) { return n.Waits(); }));
}

int FolderSummary::Failures() const {
  return static_cast<int>(
      std::count_if(notes.begin(), notes.end(), [](const FileNote& n) { return n.Failure(); }));
}

ClockReading ReadMachineClock() {
  ClockReading clock;
  clock.local = DateTime::Now();
  clock.unixTime = std::chrono::duration_cast<std::chrono::seconds>(
                       std::chrono::system_clock::now().time_since_epoch())
                       .count();
  timespec boot{};
  ::clock_gettime(CLOCK_BOOTTIME, &boot);
  clock.bootMilliseconds = std::int64_t{boot.tv_sec} * 1000 + boot.tv_nsec / 1000000;
  static const std::string bootId = [] {
    std::ifstream in("/proc/sys/kernel/random/boot_id");
    std::string id;
    std::getline(in, id);
    return id;
  }();
  clock.bootId = bootId;
  return clock;
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
  const auto dir =
      std::make_shared<const Fd>(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
  if (dir->Get() < 0) return std::nullopt;
  Sweep sweep(db, options);
  const std::size_t index = sweep.OpenFolder(0, folder);
  sweep.Buffer(index, dir, folder);
  sweep.CloseFolder(index);
  const SweepSummary summary = sweep.Finish();
  const FolderSummary& done = summary.folders.front();
  if (done.filesProcessed == 0) return std::nullopt;
  FileSummary file;
  file.file = path;
  file.eventsApplied = done.eventsApplied;
  file.skipped = done.skipped;
  file.waiting = done.Waiting() > 0;
  return file;
}

namespace {

SweepSummary Collect(Database& db, const SweepOptions& options) {
  Sweep sweep(db, options);
  const OfficeFolders office = ResolveFolderSlots(LoadFolderSlots(db));
  sweep.SetFolderCount(office.folders.size());
  auto note = office.notes.begin();
  for (const OfficeFolder& folder : office.folders) {
    if (sweep.Stopped()) break;
    for (; note != office.notes.end() && note->slot <= folder.slot; ++note) sweep.Note(*note);
    sweep.CollectFolder(folder.slot, folder.match.path, folder.pattern ? &folder.match : nullptr);
  }
  for (; note != office.notes.end(); ++note) sweep.Note(*note);
  return sweep.Finish();
}

// A run stopped between deleting a claimed file and its ledger row leaves
// the row: the rows of the folders just collected whose files are gone are
// deleted, under the intake's lock, so that no run is between its claim and
// its first commit.
void ForgetGoneFiles(Database& db, const SweepSummary& summary) {
  std::set<std::string> folders;
  for (const FolderSummary& folder : summary.folders) {
    const std::string buffer = BufferPath(folder.folder);
    folders.insert(buffer.substr(0, buffer.rfind('/')));
  }
  const auto gone = [](const std::string& folder, const std::string& key) {
    const Fd dir(::open(folder.empty() ? "/" : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    struct stat info {};
    return dir.Get() >= 0 &&
           ::fstatat(dir.Get(), key.substr(0, key.rfind('#')).c_str(), &info,
                     AT_SYMLINK_NOFOLLOW) != 0 &&
           errno == ENOENT;
  };
  std::vector<std::pair<std::string, std::string>> candidates;
  {
    Statement rows = db.Prepare("SELECT File, Folder FROM intake_ledger WHERE Folder IS NOT NULL");
    while (rows.Step())
      if (folders.count(rows.Text(1)) && gone(rows.Text(1), rows.Text(0)))
        candidates.emplace_back(rows.Text(0), rows.Text(1));
  }
  if (candidates.empty()) return;
  Transaction transaction(db);
  db.Connection().Lock(DatabaseLock::Intake);
  for (const auto& [key, folder] : candidates)
    if (gone(folder, key)) db.Execute("DELETE FROM intake_ledger WHERE File = ?", key);
  transaction.Commit();
}

}  // namespace

SweepSummary ProcessFolders(Database& db, const SweepOptions& options) {
  // A role that may not collect is refused before any file is claimed.
  RequireRight(db, Action::Collect);
  SweepSummary summary = Collect(db, options);
  ForgetGoneFiles(db, summary);
  return summary;
}

}  // namespace vornal
