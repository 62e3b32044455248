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
#include "store/settings.h"

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

// A file the sweep left for a later run, and why, or what it found.
struct FileNote {
  enum class Kind {
    StillOpen,    // a client still holds the claimed file open: it waits
    QuietPeriod,  // nobody can tell whether a client holds it: it waits to be quiet
    NotRegular,   // main.buf is a link, FIFO, folder or device; `fileType` says which
    CannotOpen,   // main.buf cannot be opened for reading and writing; `detail` says why
    NoWriteBits,  // main.buf has no write permission
    CannotClaim,  // main.buf could not be renamed; `detail` says why
    Changed,      // main.buf was replaced while it was being claimed: it waits
    ReadError,    // a claimed file could not be read; `detail` says why
    InUse,        // another run holds the file's lease: it is collecting it now
    UnendedLine,  // main.buf ends in the middle of a line: it waits for the rest
    HeldBack,     // main.buf waits for an older claimed file of its folder
    Rewritten,    // a claimed file was rewritten: read again from its start
  };
  // What a main.buf that is not a regular file is.
  enum class FileType { Link, Folder, Fifo, Socket, Device, Other };
  Kind kind = Kind::StillOpen;
  std::string file;
  std::string detail;  // the system's reason, where one failed
  FileType fileType = FileType::Other;
  // A file that waits is normal; so is a rewritten one, read again.
  bool Waits() const {
    return kind == Kind::StillOpen || kind == Kind::QuietPeriod || kind == Kind::InUse ||
           kind == Kind::Changed || kind == Kind::UnendedLine || kind == Kind::HeldBack;
  }
  // A file that could not be collected.
  bool Failure() const { return !Waits() && kind != Kind::Rewritten; }
};

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
  // Lines kept aside in rejected_lines (every skipped line but blank ones
  // and events applied before).
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
  // Of the folders the slots named, those a stop left unopened.
  int foldersLeft = 0;
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

// What the clocks say, as the sweep reads them.
struct ClockReading {
  DateTime local;             // the machine's local time
  std::int64_t unixTime = 0;  // seconds since 1970 (UTC), as file times are
  // CLOCK_BOOTTIME in milliseconds, which no clock step moves, and the ID of
  // the boot it counts from (a reboot starts it again).
  std::int64_t bootMilliseconds = 0;
  std::string bootId;
};
ClockReading ReadMachineClock();

struct SweepOptions {
  // Overrides the setting; 0 takes every file as final at once.
  std::optional<int> quietPeriod;
  ProgressCallback progress;
  FolderCallback folderDone;
  SlotNoteCallback slotNote;
  // The clocks; the machine's when not set (tests set their own).
  std::function<ClockReading()> clock;
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
// (of an interrupted run, or waiting), oldest first, then its main.buf.
//
// A main.buf is opened once without following links and without blocking;
// only a regular file with write permission is taken. One that ends in the
// middle of a line is left until its line is finished, or it has not
// changed for the quiet period. It is renamed to a unique claimed name that
// sorts after the folder's other claimed files, which must still be the
// file opened; from then on it is read, measured and deleted through what
// was verified. Its complete lines are applied in one transaction, with the
// ledger of bytes and lines applied and the lines kept aside; small files
// share a transaction, each with its own ledger row, so that many folders
// cost few syncs. Each event goes through the store of applied events
// (applied_events.h): one applied before, from whatever file, changes
// nothing. A claimed file shorter than what its ledger says was applied, or
// whose bytes before that point changed, was rewritten: it is read again
// from its start. A file is deleted (after the commit, and only while the
// database file is still the one opened) once every byte is applied and
// either a write lease proves that nobody holds it open, or it has not
// changed (size, modification time, inode) for the quiet period, measured
// on the boot clock; until then it stays claimed, and every run applies the
// complete lines added since. Files a client holds open are looked at once
// more after one short wait for the whole batch. A last line without line
// end is applied only once the file is final; if it is no event, it is kept
// aside, and joined with the first line of the folder's next file when
// together they make one. Within a folder, lines are applied in the order
// they were written: a claimed file that another run is collecting, that
// cannot be read, or that ends in the middle of a line while it may still
// be written, holds back the folder's newer files.
//
// Engine errors throw StoreError with the file's work rolled back, ending the
// sweep; the files before it are committed. DatabaseReplaced ends it before
// any file is deleted. A file that cannot be read is noted and the sweep
// goes on. Each folder's result is kept (FolderStatuses).
SweepSummary ProcessFolders(Database& db, const SweepOptions& options = {});

}  // namespace vornal
