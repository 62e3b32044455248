#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace vornal {

// One line of a buffer file as read.
struct ReadLine {
  std::string text;  // UTF-8, without its line end, at most kMaxLine bytes of the file
  std::int64_t length =
      0;                   // bytes of the whole line in the file (so far), its line end not counted
  bool truncated = false;  // longer than BufferReader::kMaxLine
  bool afterMark = false;  // after the byte 0x1A that ends the readable content
  bool windows1251 = false;  // its bytes were no UTF-8 and were read as Windows-1251
  bool unended = false;      // the last line of a final file, without a line end
};

// Streams the lines of an open buffer file from a byte offset, in bounded
// memory. LF, CR LF and CR alone end a line. A line still being written has
// no line end yet: it is given only when the file is final. A byte 0x1A ends
// the readable content; the lines after it are still given, marked, so that
// they can be kept aside. Text comes out in UTF-8, each line on its own: as
// it is when it is well-formed UTF-8, else read as Windows-1251; a UTF-8
// byte-order mark at the start of the file is dropped. A line longer than
// kMaxLine is given once, its start only, as soon as that much of it is
// there; the rest of it, up to its line end, is skipped, in this pass or
// later ones (Skipping()), and never read again. Reads go through the
// descriptor only, never a name.
class BufferReader {
 public:
  // Lines longer than this are not kept whole.
  static constexpr std::size_t kMaxLine = 64 << 10;

  // Reads the file open as `fd` (not taken over) from `offset` up to `size`
  // bytes. `markAt` is where an earlier pass found the byte 0x1A, or -1;
  // `skipping`, that `offset` is inside an overlong line already given.
  // Throws std::system_error on a read error.
  BufferReader(int fd, std::int64_t offset, std::int64_t size, bool final, std::int64_t markAt = -1,
               bool skipping = false);

  // The next line; false when no more complete line is there.
  bool Next(ReadLine& line);
  // The bytes of the line Next() gave, as in the file (at most kMaxLine).
  std::string_view Raw() const { return m_raw; }
  // Bytes of the file consumed so far: the end of the last line given, with
  // its line end, or how far the skipping of an overlong line got.
  std::int64_t Offset() const { return m_offset; }
  // Where the byte 0x1A is, or -1.
  std::int64_t MarkAt() const { return m_markAt; }
  // Offset() is inside an overlong line whose start was given.
  bool Skipping() const { return m_skipping; }

 private:
  bool Fill();
  std::int64_t Position() const { return m_bufferStart + static_cast<std::int64_t>(m_pos); }
  // Passes over the rest of an overlong line; false when its end is not
  // there yet.
  bool SkipRest();

  int m_fd;
  std::int64_t m_size;
  bool m_final;
  std::vector<char> m_buffer;
  std::int64_t m_bufferStart = 0;  // file offset of m_buffer[0]
  std::size_t m_pos = 0;
  std::size_t m_end = 0;
  std::int64_t m_offset;
  std::int64_t m_markAt;
  bool m_skipping;
  bool m_skipLf = false;  // the last line ended with CR: an LF right after belongs to it
  std::string m_raw;
};

}  // namespace vornal
