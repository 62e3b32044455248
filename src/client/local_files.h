#pragma once

#include <stdexcept>
#include <string>
#include <string_view>

namespace vornal {

// A file of the client's own (state, spool, log, locks) that could not be
// read or written: its path and the errno.
class ClientFileError : public std::runtime_error {
 public:
  ClientFileError(std::string path, int error);
  const std::string& Path() const { return m_path; }
  int Error() const { return m_error; }

 private:
  std::string m_path;
  int m_error;
};

// Creates the folder and its parents (0700), refusing a link in its place.
void MakePrivateFolder(const std::string& path);
// Appends bytes in one write and syncs them.
void AppendLocal(const std::string& path, std::string_view bytes);
// The whole file; empty when there is none.
std::string ReadLocal(const std::string& path);
// Replaces the file's contents as a whole: a temporary file beside it,
// synced, renamed over it, the folder synced.
void ReplaceLocal(const std::string& path, std::string_view bytes);
// Removes the file and syncs its folder; no file is no error.
void RemoveLocal(const std::string& path);

}  // namespace vornal
