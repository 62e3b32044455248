#include "text/windows1251.h"

#include "text/utf8.h"

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

}  // namespace

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
  for (std::size_t i = 0; i < utf8.size();) {
    char32_t c = 0;
    std::size_t length = Utf8SequenceAt(utf8, i, c);
    if (length == 0) {
      // A stray byte stands for itself, as it did in the line it came from.
      c = static_cast<unsigned char>(utf8[i]);
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
