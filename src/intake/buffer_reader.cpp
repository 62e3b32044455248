#include "intake/buffer_reader.h"

#include <cerrno>
#include <cstring>
#include <system_error>

#include "intake/buffer_line.h"

namespace vornal {
namespace {

constexpr char kEndMark = '\x1A';
constexpr std::size_t kChunk = 1 << 16;

[[noreturn]] void ThrowFileError(const std::string& what, const std::string& path) {
  throw std::system_error(errno, std::generic_category(), what + " " + path);
}

// The text with every byte that is no part of a well-formed UTF-8 sequence
// replaced by U+FFFD, so that the database holds only valid text and counts
// its characters as the intake does.
std::string ValidUtf8(const std::string& text) {
  std::string out;
  out.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const unsigned char lead = bytes[i];
    std::size_t length = 0;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (lead < 0x80) {
      length = 1;
    } else if (lead >= 0xC2 && lead <= 0xDF) {
      length = 2;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
      length = 3;
      if (lead == 0xE0) low = 0xA0;
      if (lead == 0xED) high = 0x9F;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
      length = 4;
      if (lead == 0xF0) low = 0x90;
      if (lead == 0xF4) high = 0x8F;
    }
    bool valid = length > 0 && i + length <= size;
    for (std::size_t k = 1; valid && k < length; ++k) {
      const unsigned char byte = bytes[i + k];
      valid = k == 1 ? byte >= low && byte <= high : (byte & 0xC0) == 0x80;
    }
    if (valid) {
      out.append(text, i, length);
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

}  // namespace

BufferReader::BufferReader(const std::string& path, std::int64_t offset)
    : m_buffer(kChunk), m_offset(offset) {
  m_file = std::fopen(path.c_str(), "rb");
  if (!m_file) ThrowFileError("cannot read", path);
  char bom[3] = {};
  m_utf8 = std::fread(bom, 1, 3, m_file) == 3 && std::memcmp(bom, "\xEF\xBB\xBF", 3) == 0;
  std::int64_t start = offset;
  if (m_utf8 && start < 3) start = m_offset = 3;
  if (fseeko(m_file, start, SEEK_SET) != 0) {
    std::fclose(m_file);
    ThrowFileError("cannot read", path);
  }
}

BufferReader::~BufferReader() {
  if (m_file) std::fclose(m_file);
}

bool BufferReader::Fill() {
  if (m_eof) return false;
  m_pos = 0;
  m_end = std::fread(m_buffer.data(), 1, m_buffer.size(), m_file);
  if (m_end == 0) {
    if (std::ferror(m_file)) throw std::system_error(EIO, std::generic_category(), "read error");
    m_eof = true;
    return false;
  }
  return true;
}

bool BufferReader::Next(std::string& line, bool& truncated) {
  if (m_endMark) return false;
  m_raw.clear();
  truncated = false;
  bool any = false;
  for (;;) {
    if (m_pos == m_end && !Fill()) {
      if (!any) return false;
      break;
    }
    any = true;
    const char* begin = m_buffer.data() + m_pos;
    const std::size_t available = m_end - m_pos;
    const auto* newline = static_cast<const char*>(std::memchr(begin, '\n', available));
    const std::size_t span = newline ? static_cast<std::size_t>(newline - begin) : available;
    const auto* mark = static_cast<const char*>(std::memchr(begin, kEndMark, span));
    const char* stop = mark ? mark : newline;
    const std::size_t take = stop ? static_cast<std::size_t>(stop - begin) : available;
    const std::size_t room = kMaxLine > m_raw.size() ? kMaxLine - m_raw.size() : 0;
    if (take > room) truncated = true;
    m_raw.append(begin, take < room ? take : room);
    m_pos += take;
    m_offset += static_cast<std::int64_t>(take);
    if (!stop) continue;
    if (*stop == kEndMark) {
      m_endMark = true;
      if (m_raw.empty()) return false;
      break;
    }
    ++m_pos;
    ++m_offset;
    if (!m_raw.empty() && m_raw.back() == '\r') m_raw.pop_back();
    break;
  }
  line = m_utf8 ? ValidUtf8(m_raw) : DecodeWindows1251(m_raw);
  return true;
}

}  // namespace vornal
