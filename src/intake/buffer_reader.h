#pragma once

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace vornal {

// Streams the lines of a buffer file from a byte offset, in bounded memory:
// LF or CR LF line ends, a last line without line end, a byte 0x1A ends the
// content. Lines come out in UTF-8: Windows-1251 unless the file starts with
// a UTF-8 byte-order mark, with bytes that are no valid UTF-8 as U+FFFD.
class BufferReader {
 public:
  // Lines longer than this are not kept whole (see Next).
  static constexpr std::size_t kMaxLine = 1 << 20;

  // Throws std::system_error when the file cannot be opened for reading.
  BufferReader(const std::string& path, std::int64_t offset);
  ~BufferReader();
  BufferReader(const BufferReader&) = delete;
  BufferReader& operator=(const BufferReader&) = delete;

  // The next line; false at the end of the content. `truncated` is set for
  // a line longer than kMaxLine, of which only the start is returned.
  bool Next(std::string& line, bool& truncated);
  // Bytes of the file consumed so far, line ends included.
  std::int64_t Offset() const { return m_offset; }
  // True once a byte 0x1A has ended the content: nothing after it counts.
  bool EndMarkSeen() const { return m_endMark; }

 private:
  bool Fill();

  std::FILE* m_file = nullptr;
  std::vector<char> m_buffer;
  std::size_t m_pos = 0;
  std::size_t m_end = 0;
  std::int64_t m_offset = 0;
  bool m_utf8 = false;
  bool m_endMark = false;
  bool m_eof = false;
  std::string m_raw;
};

}  // namespace vornal
