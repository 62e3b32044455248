#include "intake/buffer_reader.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <system_error>

#include "intake/buffer_line.h"
#include "text/utf8.h"
#include "text/windows1251.h"

namespace vornal {
namespace {

constexpr char kEndMark = '\x1A';
constexpr std::size_t kChunk = 1 << 16;

// Reads up to `size` bytes at `offset`; fewer only at the end of the file.
std::size_t Pread(int fd, char* data, std::size_t size, std::int64_t offset) {
  std::size_t done = 0;
  while (done < size) {
    const ssize_t n = ::pread(fd, data + done, size - done, offset + static_cast<off_t>(done));
    if (n < 0) {
      if (errno == EINTR) continue;
      throw std::system_error(errno, std::generic_category(), "cannot read the buffer file");
    }
    if (n == 0) break;
    done += static_cast<std::size_t>(n);
  }
  return done;
}

}  // namespace

BufferReader::BufferReader(int fd, std::int64_t offset, std::int64_t size, bool final,
                           std::int64_t markAt, bool skipping)
    : m_fd(fd),
      m_size(size),
      m_final(final),
      m_buffer(kChunk),
      m_offset(offset),
      m_markAt(markAt),
      m_skipping(skipping) {
  char head[3] = {};
  const bool mark = Pread(m_fd, head, 3, 0) == 3 && std::memcmp(head, "\xEF\xBB\xBF", 3) == 0;
  const std::int64_t contentStart = mark ? 3 : 0;
  if (m_offset < contentStart) m_offset = contentStart;
  char previous = 0;
  if (!m_skipping && m_offset > contentStart && Pread(m_fd, &previous, 1, m_offset - 1) == 1)
    m_skipLf = previous == '\r';
  m_bufferStart = m_offset;
}

bool BufferReader::Fill() {
  const std::int64_t next = m_bufferStart + static_cast<std::int64_t>(m_end);
  if (next >= m_size) return false;
  const auto want =
      static_cast<std::size_t>(std::min<std::int64_t>(m_size - next, std::ssize(m_buffer)));
  const std::size_t got = Pread(m_fd, m_buffer.data(), want, next);
  if (got == 0) return false;  // the file is shorter than measured
  m_bufferStart = next;
  m_pos = 0;
  m_end = got;
  return true;
}

bool BufferReader::SkipRest() {
  for (;;) {
    if (m_pos == m_end && !Fill()) {
      m_offset = Position();
      // A final file that ends inside the line ends the line.
      if (m_final) m_skipping = false;
      return false;
    }
    const char* begin = m_buffer.data() + m_pos;
    const char* end = m_buffer.data() + m_end;
    const bool markOpen = m_markAt < 0;
    const char* stop = std::find_if(begin, end, [markOpen](char c) {
      return c == '\n' || c == '\r' || (c == kEndMark && markOpen);
    });
    m_pos += static_cast<std::size_t>(stop - begin);
    if (stop == end) continue;
    ++m_pos;
    if (*stop == kEndMark) {
      m_markAt = Position() - 1;
    } else if (*stop == '\r') {
      if (m_pos < m_end)
        m_pos += m_buffer[m_pos] == '\n' ? 1 : 0;
      else
        m_skipLf = true;
    }
    m_skipping = false;
    m_offset = Position();
    return true;
  }
}

bool BufferReader::Next(ReadLine& line) {
  if (m_skipping && !SkipRest()) return false;
  m_raw.clear();
  std::int64_t length = 0;
  bool any = false;
  bool afterMark = m_markAt >= 0;
  bool unended = false;
  for (;;) {
    if (m_pos == m_end && !Fill()) {
      if (!any) return false;
      if (m_final) {
        unended = true;  // a final file's last line needs no line end
        break;
      }
      // An overlong line still being written: its start now, the rest is
      // skipped as it comes.
      if (static_cast<std::size_t>(length) > kMaxLine) {
        m_skipping = true;
        break;
      }
      return false;
    }
    if (m_skipLf) {
      m_skipLf = false;
      if (m_buffer[m_pos] == '\n') {
        ++m_pos;
        m_offset = Position();
        continue;
      }
    }
    const char* begin = m_buffer.data() + m_pos;
    const char* end = m_buffer.data() + m_end;
    const bool markOpen = m_markAt < 0;
    const char* stop = std::find_if(begin, end, [markOpen](char c) {
      return c == '\n' || c == '\r' || (c == kEndMark && markOpen);
    });
    const auto take = static_cast<std::size_t>(stop - begin);
    const std::size_t room = kMaxLine > m_raw.size() ? kMaxLine - m_raw.size() : 0;
    m_raw.append(begin, std::min(take, room));
    length += static_cast<std::int64_t>(take);
    m_pos += take;
    if (take) any = true;
    if (stop == end) continue;
    ++m_pos;
    if (*stop == kEndMark) {
      m_markAt = Position() - 1;
      if (!any) {
        // Nothing before the mark on its line: go on with the lines after it.
        m_offset = Position();
        afterMark = true;
        continue;
      }
    } else if (*stop == '\r') {
      if (m_pos < m_end)
        m_pos += m_buffer[m_pos] == '\n' ? 1 : 0;
      else
        m_skipLf = true;  // the LF, if any, is not read yet
    }
    break;
  }
  m_offset = Position();
  line.windows1251 = !IsUtf8(m_raw);
  line.text = line.windows1251 ? DecodeWindows1251(m_raw) : m_raw;
  line.length = length;
  line.truncated = static_cast<std::size_t>(length) > kMaxLine;
  line.afterMark = afterMark;
  line.unended = unended;
  return true;
}

}  // namespace vornal
