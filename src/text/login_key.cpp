#include "text/login_key.h"

#include <algorithm>
#include <cstdint>

#include "text/utf8.h"

namespace vornal {
namespace {

struct Folding {
  char32_t from;
  char32_t to[3];
};

constexpr Folding kFoldings[] = {
#include "text/case_fold_table.inc"
};

}  // namespace

std::string LoginKey(std::string_view login) {
  std::string key;
  key.reserve(login.size());
  for (std::size_t i = 0; i < login.size();) {
    char32_t c = 0;
    const std::size_t length = Utf8SequenceAt(login, i, c);
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

std::string SearchKey(std::string_view text) {
  std::string key = LoginKey(text);
  // ё and е are both two bytes in UTF-8: replaced in place.
  for (std::size_t at = key.find("ё"); at != std::string::npos; at = key.find("ё", at + 2))
    key.replace(at, 2, "е");
  return key;
}

}  // namespace vornal
