#include "store/login_key.h"

#include <algorithm>
#include <cstdint>

namespace vornal {
namespace {

struct Folding {
  char32_t from;
  char32_t to[3];
};

constexpr Folding kFoldings[] = {
#include "store/case_fold_table.inc"
};

void AppendUtf8(std::string& out, char32_t c) {
  if (c < 0x80) {
    out += static_cast<char>(c);
  } else if (c < 0x800) {
    out += static_cast<char>(0xC0 | (c >> 6));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else if (c < 0x10000) {
    out += static_cast<char>(0xE0 | (c >> 12));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (c >> 18));
    out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (c & 0x3F));
  }
}

// The code point at `i` and its length in bytes; length 0 for a byte that
// starts no well-formed sequence.
std::pair<char32_t, std::size_t> Decode(std::string_view text, std::size_t i) {
  const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[i + k]); };
  const unsigned char lead = byte(0);
  if (lead < 0x80) return {lead, 1};
  std::size_t length = 0;
  char32_t c = 0;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
    c = lead & 0x1F;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    c = lead & 0x0F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    c = lead & 0x07;
  }
  if (length == 0 || i + length > text.size()) return {0, 0};
  for (std::size_t k = 1; k < length; ++k) {
    if ((byte(k) & 0xC0) != 0x80) return {0, 0};
    c = (c << 6) | (byte(k) & 0x3F);
  }
  const char32_t least[] = {0, 0, 0x80, 0x800, 0x10000};
  if (c < least[length] || c > 0x10FFFF || (c >= 0xD800 && c <= 0xDFFF)) return {0, 0};
  return {c, length};
}

}  // namespace

std::string LoginKey(std::string_view login) {
  std::string key;
  key.reserve(login.size());
  for (std::size_t i = 0; i < login.size();) {
    const auto [c, length] = Decode(login, i);
    if (length == 0) {
      key += login[i++];
      continue;
    }
    i += length;
    if (c >= 'A' && c <= 'Z') {
      key += static_cast<char>(c - 'A' + 'a');
      continue;
    }
    if (c < 0x80) {
      key += static_cast<char>(c);
      continue;
    }
    const Folding* end = std::end(kFoldings);
    const Folding* found = std::lower_bound(
        std::begin(kFoldings), end, c, [](const Folding& f, char32_t cp) { return f.from < cp; });
    if (found == end || found->from != c) {
      AppendUtf8(key, c);
      continue;
    }
    for (const char32_t to : found->to)
      if (to) AppendUtf8(key, to);
  }
  return key;
}

}  // namespace vornal
