#include "cli/text_output.h"

#include <cstdio>

namespace vornal::cli {

std::size_t DisplayWidth(const std::string& text) {
  std::size_t width = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
  return width;
}

std::string Escaped(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  for (std::size_t i = 0; i < text.size();) {
    const unsigned char lead = byte(i);
    std::size_t length = lead < 0x80                    ? 1
                         : lead >= 0xC2 && lead <= 0xDF ? 2
                         : lead >= 0xE0 && lead <= 0xEF ? 3
                         : lead >= 0xF0 && lead <= 0xF4 ? 4
                                                        : 0;
    for (std::size_t k = 1; length && k < length; ++k)
      if (i + k >= text.size() || (byte(i + k) & 0xC0) != 0x80) length = 0;
    if (length == 3 &&
        ((lead == 0xE0 && byte(i + 1) < 0xA0) || (lead == 0xED && byte(i + 1) > 0x9F)))
      length = 0;
    if (length == 4 &&
        ((lead == 0xF0 && byte(i + 1) < 0x90) || (lead == 0xF4 && byte(i + 1) > 0x8F)))
      length = 0;
    char escape[8];
    if (length == 0 || (length == 1 && (lead < 0x20 || lead == 0x7F))) {
      std::snprintf(escape, sizeof escape, "\\x%02X", lead);
      out += escape;
      ++i;
    } else if (length == 2 && lead == 0xC2 && byte(i + 1) < 0xA0) {
      std::snprintf(escape, sizeof escape, "\\u%04X", byte(i + 1));
      out += escape;
      i += 2;
    } else {
      out.append(text, i, length);
      i += length;
    }
  }
  return out;
}

void WriteOut(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stdout);
}

}  // namespace vornal::cli
