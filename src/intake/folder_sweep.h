#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "intake/folder_patterns.h"
#include "intake/rejected_lines.h"
#include "store/database.h"

namespace vornal {

using SkipCounts = std::array<std::int64_t, kSkipReasonCount>;

// What one buffer file gave in this run.
struct FileSummary {
  std::string file;
  std::int64_t eventsApplied = 0;
  SkipCounts skipped{};
  // Still claimed, waiting for its client to close it or for its quiet period.
  bool waiting = false;
  std::int64_t Skipped() const;
};

// A file the sweep left for a later run, and why.
struct FileNote {
  enum class Kind {
    StillOpen,    // a client still holds the claimed file open: it waits
    QuietPeriod,  // nobody can tell whether a client holds it: it waits to be quiet
    NotRegular,   // main.buf is a link, FIFO, folder or device; `detail` says which
    CannotOpen,   // main.buf cannot be opened for reading and writing; `detail` says why
    NoWriteBits,  // main.buf has no write permission
    CannotClaim,  // main.buf could not be renamed; `detail` says why
    Changed,      // main.buf was replaced while it was being claimed
    ReadError,    // a claimed file could not be read; `detail` says why
    InUse,        // another run holds the file's lease: it is collecting it now
  };
  Kind kind = Kind::StillOpen;
  std::string file;
  std::string detail;
  // A file that waits is normal; any other note means a file was not collected.
  bool Waits() const {
    return kind == Kind::StillOpen || kind == Kind::QuietPeriod || kind == Kind::InUse;
  }
};
// The note in English, for the command line.
std::string FileNoteText(const FileNote& note);

// What one working folder gave.
struct FolderSummary {
  int slot = 0;
  std::string folder;
  // When it was collected (the start of its work).
  DateTime collectedAt;
  int filesProcessed = 0;
  std::int64_t eventsApplied = 0;
  SkipCounts skipped{};
  // Files left for a later run, with the reason.
  std::vector<FileNote> notes;
  std::int64_t Skipped() const;
  // Lines kept aside in rejected_lines (every skipped line but blank ones).
  std::int64_t KeptAside() const;
  int Waiting() const;
  int Failures() const;
};

struct SweepSummary {
  // The folders collected, in slot order and, within a pattern, in byte
  // order of their paths; a folder named twice is collected once, first.
  std::vector<FolderSummary> folders;
  std::vector<SlotNote> slotNotes;
  int filesProcessed = 0;
  std::int64_t eventsApplied = 0;
  std::int64_t linesSkipped = 0;
  std::int64_t keptAside = 0;
  int waiting = 0;  // claimed files waiting for their client or their quiet period
  // Files that could not be collected (notes other than waiting), and
  // folders that could not be listed.
  int failures = 0;
  // The callback asked to stop; the files not yet started are left for the
  // next run.
  bool cancelled = false;
};

// Where the sweep is, for a progress display.
struct SweepProgress {
  std::string folder;
  int folderNumber = 0;  // 1 for the first folder collected
  int folderCount = 0;   // the folders the slots name now
  std::string file;
  std::int64_t eventsApplied = 0;    // in this sweep so far
  std::int64_t eventsCommitted = 0;  // of those, committed
  std::int64_t bytesRead = 0;        // of the current file
  std::int64_t fileSize = 0;
};

// Called at most every 50 ms or so; returning false stops the sweep before
// the next file. A file once started is always finished.
using ProgressCallback = std::function<bool(const SweepProgress&)>;
// Called as each folder is done, with what it gave, once its work is
// committed; and for each slot note, in the same order.
using FolderCallback = std::function<void(const FolderSummary&)>;
using SlotNoteCallback = std::function<void(const SlotNote&)>;

// The quiet period, in seconds, after which a claimed file that has not
// changed is taken as final where leases cannot tell: the SETTING row
// "QuietPeriod", or 600.
inline constexpr int kDefaultQuietPeriod = 600;
int QuietPeriodSetting(Database& db);
void SaveQuietPeriodSetting(Database& db, int seconds);

struct SweepOptions {
  // Overrides the setting; 0 takes every file as final at once.
  std::optional<int> quietPeriod;
  ProgressCallback progress;
  FolderCallback folderDone;
  SlotNoteCallback slotNote;
};

// True when the path names a folder that can be made the current directory.
bool FolderExists(const std::string& path);

// The buffer file of a folder: trailing blanks, then trailing "/" removed,
// then "/main.buf" appended.
std::string BufferPath(const std::string& folder);

// Claims the buffer file at `path` and applies it as the sweep does: nothing
// when there is none or it is left in place (see FileNote).
std::optional<FileSummary> ProcessBufferFile(Database& db, const std::string& path,
                                             const SweepOptions& options = {});

// The Process command: for every slot in order, each folder its value names
// (one, or those a pattern matches now), the claimed files the folder holds
// (of an interrupted run, or waiting), then its main.buf.
//
// A main.buf is opened once without following links and without blocking;
// only a regular file with write permission is taken. It is renamed to a
// unique claimed name, which must still be the file opened; from then on it
// is read, measured and deleted through what was verified. Its complete lines
// are applied in one transaction, with the ledger of bytes and lines applied
// and the lines kept aside; small files share a transaction, each with its
// own ledger row, so that many folders cost few syncs. It is deleted (after
// the commit) once every byte is applied
// and either a write lease proves that nobody holds it open, or it has not
// changed (size, modification time, inode) for the quiet period; until then
// it stays claimed, and every run applies the complete lines added since. A
// last line without line end is applied only then.
//
// Engine errors throw StoreError with the file's work rolled back, ending the
// sweep; the files before it are committed. A file that cannot be read is
// noted and the sweep goes on. Each folder's result is kept (FolderStatuses).
SweepSummary ProcessFolders(Database& db, const SweepOptions& options = {});

}  // namespace vornal
