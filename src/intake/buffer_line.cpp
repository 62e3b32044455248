#include "intake/buffer_line.h"

#include <climits>
#include <cstdint>

namespace vornal {
namespace {

// Code points of the bytes 0x80..0xBF; 0xC0..0xFF are U+0410..U+044F.
constexpr char16_t kHighHalf[64] = {
    0x0402, 0x0403, 0x201A, 0x0453, 0x201E, 0x2026, 0x2020, 0x2021,  // 80
    0x20AC, 0x2030, 0x0409, 0x2039, 0x040A, 0x040C, 0x040B, 0x040F,  // 88
    0x0452, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022, 0x2013, 0x2014,  // 90
    0xFFFD, 0x2122, 0x0459, 0x203A, 0x045A, 0x045C, 0x045B, 0x045F,  // 98
    0x00A0, 0x040E, 0x045E, 0x0408, 0x00A4, 0x0490, 0x00A6, 0x00A7,  // A0
    0x0401, 0x00A9, 0x0404, 0x00AB, 0x00AC, 0x00AD, 0x00AE, 0x0407,  // A8
    0x00B0, 0x00B1, 0x0406, 0x0456, 0x0491, 0x00B5, 0x00B6, 0x00B7,  // B0
    0x0451, 0x2116, 0x0454, 0x00BB, 0x0458, 0x0405, 0x0455, 0x0457,  // B8
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The text before the next "|", which is removed with its "|"; empty and
// nothing removed when no "|" is left.
std::string_view TakeField(std::string_view& rest) {
  const std::size_t bar = rest.find('|');
  if (bar == std::string_view::npos) return {};
  const std::string_view field = rest.substr(0, bar);
  rest.remove_prefix(bar + 1);
  return field;
}

}  // namespace

std::optional<DateTime> BufferLine::Time() const {
  return DateTime::FromParts(year, month, day, hour, minute, second);
}

int ReadNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::int64_t{INT_MAX} + 1) value = std::int64_t{INT_MAX} + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

BufferLine ParseBufferLine(std::string_view line) {
  BufferLine result;
  std::string_view rest = line;
  int* numbers[] = {&result.year, &result.month,  &result.day,
                    &result.hour, &result.minute, &result.second};
  for (int* number : numbers) *number = ReadNumber(TakeField(rest));
  result.login = std::string(TakeField(rest));
  result.event = std::string(TakeField(rest));
  result.rest = std::string(rest);
  return result;
}

namespace {

// The length of the well-formed UTF-8 sequence at `i`, or 0.
std::size_t SequenceAt(const unsigned char* bytes, std::size_t size, std::size_t i) {
  const unsigned char lead = bytes[i];
  std::size_t length = 0;
  unsigned char low = 0x80, high = 0xBF;  // range of the second byte
  if (lead < 0x80) {
    return 1;
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
  if (length == 0 || i + length > size) return 0;
  for (std::size_t k = 1; k < length; ++k) {
    const unsigned char byte = bytes[i + k];
    if (k == 1 ? byte < low || byte > high : (byte & 0xC0) != 0x80) return 0;
  }
  return length;
}

}  // namespace

bool IsValidUtf8(std::string_view text) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    if (bytes[i] < 0x80) {
      ++i;
      continue;
    }
    const std::size_t length = SequenceAt(bytes, size, i);
    if (length == 0) return false;
    i += length;
  }
  return true;
}

std::string ValidUtf8(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(text.data());
  const std::size_t size = text.size();
  for (std::size_t i = 0; i < size;) {
    const std::size_t length = SequenceAt(bytes, size, i);
    if (length) {
      out.append(text, i, length);
      i += length;
    } else {
      out += "\xEF\xBF\xBD";
      ++i;
    }
  }
  return out;
}

std::string DecodeLine(std::string_view bytes) {
  return IsValidUtf8(bytes) ? std::string(bytes) : DecodeWindows1251(bytes);
}

std::string DecodeWindows1251(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (const char ch : text) {
    const auto byte = static_cast<unsigned char>(ch);
    if (byte < 0x80)
      out += ch;
    else if (byte >= 0xC0)
      AppendUtf8(out, 0x0410 + (byte - 0xC0));
    else
      AppendUtf8(out, kHighHalf[byte - 0x80]);
  }
  return out;
}

std::string EncodeWindows1251(std::string_view utf8) {
  std::string out;
  out.reserve(utf8.size());
  const auto* bytes = reinterpret_cast<const unsigned char*>(utf8.data());
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = bytes[i];
    std::size_t length = 1;
    if (c >= 0xC0 && (length = SequenceAt(bytes, utf8.size(), i)) > 1) {
      c = length == 2 ? c & 0x1F : length == 3 ? c & 0x0F : c & 0x07;
      for (std::size_t k = 1; k < length; ++k) c = (c << 6) | (bytes[i + k] & 0x3F);
    } else {
      length = 1;
    }
    i += length;
    if (c < 0x80) {
      out += static_cast<char>(c);
    } else if (c >= 0x0410 && c <= 0x044F) {
      out += static_cast<char>(0xC0 + (c - 0x0410));
    } else {
      char byte = '?';
      for (int k = 0; k < 64; ++k)
        if (kHighHalf[k] == c) byte = static_cast<char>(0x80 + k);
      out += byte;
    }
  }
  return out;
}

}  // namespace vornal
