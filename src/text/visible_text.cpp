#include "text/visible_text.h"

#include <cstdint>
#include <cstdio>

#include "text/utf8.h"

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

bool IsHidden(char32_t code) {
  for (const auto& [first, last] : kHidden) {
    if (code < first) return false;
    if (code <= last) return true;
  }
  return false;
}

std::string Escape(std::string_view text, bool keepLineEnds) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size();) {
    char32_t code = 0;
    const std::size_t length = Utf8SequenceAt(text, i, code);
    const bool lineEnd =
        keepLineEnds && (text[i] == '\n' || (text[i] == '\r' && text.substr(i + 1, 1) == "\n"));
    char escape[16];
    if (length == 0 || (length == 1 && IsControlCharacter(code) && !lineEnd)) {
      std::snprintf(escape, sizeof escape, "\\x%02X", static_cast<unsigned char>(text[i]));
      out += escape;
      ++i;
    } else if (length > 1 && (IsControlCharacter(code) || IsHidden(code))) {
      std::snprintf(escape, sizeof escape, code > 0xFFFF ? "\\U%08X" : "\\u%04X",
                    static_cast<unsigned>(code));
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

}  // namespace vornal
