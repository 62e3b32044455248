#pragma once

#include <string>
#include <string_view>

namespace vornal {

// Text between two `quote` characters, a quote inside doubled: a literal
// with '\'', a name with '"'. Only for data definition, whose names and
// defaults cannot be bound as parameters.
inline std::string Enclosed(std::string_view text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    out += c;
    if (c == quote) out += quote;
  }
  return out + quote;
}

inline std::string QuotedText(std::string_view text) {
  return Enclosed(text, '\'');
}

inline std::string QuotedName(std::string_view name) {
  return Enclosed(name, '"');
}

// A name in lower case, as a server keeps unquoted names. Only ASCII letters
// change: the program's names are ASCII.
inline std::string LowerName(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

}  // namespace vornal
