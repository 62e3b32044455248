#pragma once

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "store/database.h"

namespace vornal {

// Why a line of a buffer file was not applied.
enum class SkipReason {
  BlankLine,
  UnknownEvent,  // not one of the six event names, the empty name included
  InvalidTime,   // the six numbers are no valid date and time
  LoginTooLong,  // longer than the 100 characters of LOGS.Login
  LineTooLong,   // longer than BufferReader::kMaxLine bytes
};
inline constexpr std::size_t kSkipReasonCount = 5;
const char* SkipReasonText(SkipReason reason);

using SkipCounts = std::array<std::int64_t, kSkipReasonCount>;

// What one buffer file gave.
struct FileSummary {
  std::string file;
  std::int64_t eventsApplied = 0;
  SkipCounts skipped{};
  std::int64_t Skipped() const;
};

// A file the sweep left for a later run, and why.
struct FileNote {
  enum class Kind {
    StillOpen,     // a client still holds the claimed file open
    StillGrowing,  // the claimed file kept growing
    CannotClaim,   // main.buf could not be renamed; `detail` says why
  };
  Kind kind = Kind::StillOpen;
  std::string file;
  std::string detail;
};
// The note in English, for the command line.
std::string FileNoteText(const FileNote& note);

// What one working folder gave.
struct FolderSummary {
  int slot = 0;
  std::string folder;
  int filesProcessed = 0;
  std::int64_t eventsApplied = 0;
  SkipCounts skipped{};
  // Files left for a later run, with the reason.
  std::vector<FileNote> notes;
  std::int64_t Skipped() const;
};

struct SweepSummary {
  std::vector<FolderSummary> folders;  // the folders that exist, in slot order
  int filesProcessed = 0;
  std::int64_t eventsApplied = 0;
  std::int64_t linesSkipped = 0;
  // The callback asked to stop; the files not yet started are left for the
  // next run.
  bool cancelled = false;
};

// Where the sweep is, for a progress display.
struct SweepProgress {
  std::string folder;
  std::string file;
  std::int64_t eventsApplied = 0;  // in this sweep so far
  std::int64_t bytesRead = 0;      // of the current file
  std::int64_t fileSize = 0;
};

// Called at most every 50 ms or so; returning false stops the sweep before
// the next file. A file once started is always finished.
using ProgressCallback = std::function<bool(const SweepProgress&)>;

// True when the path names a folder that can be made the current directory.
bool FolderExists(const std::string& path);

// The buffer file of a folder: trailing blanks, then trailing "/" removed,
// then "/main.buf" appended.
std::string BufferPath(const std::string& folder);

// Claims the buffer file at `path` by renaming it, applies its lines in one
// transaction per pass, and deletes it once every byte is applied. A file
// that cannot be opened for reading and writing is left alone: nothing.
// Engine errors throw StoreError with the file's work rolled back and the
// claimed file left for the next run; file errors throw std::system_error.
std::optional<FileSummary> ProcessBufferFile(Database& db, const std::string& path,
                                             const ProgressCallback& progress = {});

// The Process command: for "Path1" ... "Path10" in order, the claimed files
// an interrupted run left in the folder, then its main.buf.
SweepSummary ProcessFolders(Database& db, const ProgressCallback& progress = {});

}  // namespace vornal
