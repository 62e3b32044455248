#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>
#include <string_view>

namespace vornal {

// Why an output file was not written. what() says it in English, naming
// the file; a window words it from the reason.
class OutputError : public std::runtime_error {
 public:
  enum class Reason {
    Database,    // the target is a database file the program has open
    Link,        // a symbolic link
    NotRegular,  // a folder, device, FIFO or socket
    Exists,      // a file is there and may not be replaced
    System,      // the system refused (no folder, no room, no permission)
  };
  OutputError(Reason reason, std::string path, std::string detail);

  Reason GetReason() const { return m_reason; }
  const std::string& Path() const { return m_path; }
  // What the system said, or what kind of file is in the way.
  const std::string& Detail() const { return m_detail; }

 private:
  Reason m_reason;
  std::string m_path;
  std::string m_detail;
};

// A file the program writes for the operator (a CSV, a PDF, a backup, a
// copy), written whole or not at all. The target must be a new name or a
// regular file; a database file this process has opened (by device and
// inode, so also through a link or under another name), its journal, a
// symbolic link, a folder, device, FIFO or socket are refused before
// anything is written. The bytes go into a temporary file in the target's
// folder, which is synced and renamed over the target on Commit; until then
// the target is untouched, and a file never committed is removed. A
// temporary file left by a killed writer of the same target is removed when
// the next one starts. Every failure throws OutputError.
class OutputFile {
 public:
  struct Options {
    bool replace = true;  // an existing regular file may be replaced
    // The permissions of a new file, less the umask; a replaced file keeps
    // its own permissions and owner.
    unsigned mode = 0666;
  };
  OutputFile(std::string path, Options options);
  ~OutputFile();
  OutputFile(const OutputFile&) = delete;
  OutputFile& operator=(const OutputFile&) = delete;

  const std::string& Path() const { return m_path; }
  // The temporary file, for an engine that writes it by its name.
  const std::string& TemporaryPath() const { return m_temporary; }
  void Write(std::string_view bytes);
  // Syncs the temporary file, checks the target again and renames the
  // temporary file over it; the size written.
  std::int64_t Commit();

 private:
  std::string m_path;
  Options m_options;
  std::string m_temporary;
  int m_fd = -1;
  bool m_committed = false;
};

// Writes the bytes as the whole file at `path` (see OutputFile).
void WriteOutputFile(const std::string& path, std::string_view bytes,
                     OutputFile::Options options = {});

// Marks a database file that no output file may replace; the engine marks
// each file it opens.
void ProtectFromOutput(const std::string& databaseFile);

}  // namespace vornal
