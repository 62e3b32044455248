#include "store/visible_text.h"

#include <cstdint>
#include <cstdio>

namespace vornal {
namespace {

// The format characters (Unicode category Cf) and the line and paragraph
// separators: ranges of code points, in order.
constexpr std::uint32_t kHidden[][2] = {{0x00AD, 0x00AD},   {0x0600, 0x0605},   {0x061C, 0x061C},
                                        {0x06DD, 0x06DD},   {0x070F, 0x070F},   {0x0890, 0x0891},
                                        {0x08E2, 0x08E2},   {0x180E, 0x180E},   {0x200B, 0x200F},
                                        {0x2028, 0x202E},   {0x2060, 0x2064},   {0x2066, 0x206F},
                                        {0xFEFF, 0xFEFF},   {0xFFF9, 0xFFFB},   {0x110BD, 0x110BD},
                                        {0x110CD, 0x110CD}, {0x13430, 0x1343F}, {0x1BCA0, 0x1BCA3},
                                        {0x1D173, 0x1D17A}, {0xE0001, 0xE0001}, {0xE0020, 0xE007F}};

bool IsHidden(std::uint32_t code) {
  for (const auto& [first, last] : kHidden) {
    if (code < first) return false;
    if (code <= last) return true;
  }
  return false;
}

bool IsControl(std::uint32_t code) {
  return code < 0x20 || (code >= 0x7F && code <= 0x9F);
}

// The length of the well-formed UTF-8 sequence at text[i] and its code
// point; 0 for a byte that begins none.
std::size_t Sequence(std::string_view text, std::size_t i, std::uint32_t& code) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
  const unsigned char lead = byte(i);
  const std::size_t length = lead < 0x80                    ? 1
                             : lead >= 0xC2 && lead <= 0xDF ? 2
                             : lead >= 0xE0 && lead <= 0xEF ? 3
                             : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                            : 0;
  if (length == 0 || i + length > text.size()) return 0;
  code = length == 1 ? lead : lead & (0x7F >> length);
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(i + k) & 0xC0) != 0x80) return 0;
    code = (code << 6) | (byte(i + k) & 0x3F);
  }
  // Overlong forms, surrogates, beyond U+10FFFF.
  if ((length == 3 && code < 0x800) || (length == 4 && (code < 0x10000 || code > 0x10FFFF)) ||
      (code >= 0xD800 && code <= 0xDFFF))
    return 0;
  return length;
}

std::string Escape(std::string_view text, bool keepLineEnds) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    std::uint32_t code = 0;
    const std::size_t length = Sequence(text, i, code);
    const bool lineEnd =
        keepLineEnds && (text[i] == '\n' || (text[i] == '\r' && text.substr(i + 1, 1) == "\n"));
    char escape[16];
    if (length == 0 || (length == 1 && IsControl(code) && !lineEnd)) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[i]));
      out += escape;
      ++i;
    } else if (length > 1 && (IsControl(code) || IsHidden(code))) {
      std::snprintf(escape, sizeof escape, code > 0xFFFF ? "\\U%08X" : "\\u%04X", code);
      out += escape;
      i += length;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

}  // namespace

std::string VisibleText(std::string_view text) {
  return Escape(text, false);
}

std::string VisibleLines(std::string_view text) {
  return Escape(text, true);
}

bool IsUtf8(std::string_view text) {
  std::uint32_t code = 0;
  for (std::size_t i = 0, length = 0; i < text.size(); i += length)
    if ((length = Sequence(text, i, code)) == 0) return false;
  return true;
}

bool HasControlCharacter(std::string_view text) {
  std::uint32_t code = 0;
  for (std::size_t i = 0; i < text.size();) {
    const std::size_t length = Sequence(text, i, code);
    if (length && IsControl(code)) return true;
    i += length ? length : 1;
  }
  return false;
}

}  // namespace vornal
