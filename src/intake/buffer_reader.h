#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace vornal {

// One line of a buffer file as read.
struct ReadLine {
  std::string text;         // UTF-8, without its line end, at most kMaxLine bytes of the file
  std::int64_t length = 0;  // bytes of the whole line in the file, its line end not counted
  bool truncated = false;   // longer than BufferReader::kMaxLine
  bool afterMark = false;   // after the byte 0x1A that ends the readable content
};

// Streams the lines of an open buffer file from a byte offset, in bounded
// memory. LF, CR LF and CR alone end a line. A line still being written has
// no line end yet: it is given only when the file is final. A byte 0x1A ends
// the readable content; the lines after it are still given, marked, so that
// they can be kept aside. Text comes out in UTF-8: Windows-1251 unless the
// file starts with a UTF-8 byte-order mark, with bytes that are no valid
// UTF-8 as U+FFFD. Reads go through the descriptor only, never a name.
class BufferReader {
 public:
  // Lines longer than this are not kept whole.
  static constexpr std::size_t kMaxLine = 1 << 20;

  // Reads the file open as `fd` (not taken over) from `offset` up to `size`
  // bytes. `markAt` is where an earlier pass found the byte 0x1A, or -1.
  // Throws std::system_error on a read error.
  BufferReader(int fd, std::int64_t offset, std::int64_t size, bool final,
               std::int64_t markAt = -1);

  // The next line; false when no more complete line is there.
  bool Next(ReadLine& line);
  // Bytes of the file consumed so far: the end of the last line given, with
  // its line end.
  std::int64_t Offset() const { return m_offset; }
  // Where the byte 0x1A is, or -1.
  std::int64_t MarkAt() const { return m_markAt; }

 private:
  bool Fill();
  std::int64_t Position() const { return m_bufferStart + static_cast<std::int64_t>(m_pos); }

  int m_fd;
  std::int64_t m_size;
  bool m_final;
  std::vector<char> m_buffer;
  std::int64_t m_bufferStart = 0;  // file offset of m_buffer[0]
  std::size_t m_pos = 0;
  std::size_t m_end = 0;
  std::int64_t m_offset;
  std::int64_t m_markAt;
  bool m_utf8 = false;
  bool m_skipLf = false;  // the last line ended with CR: an LF right after belongs to it
  std::string m_raw;
};

}  // namespace vornal
