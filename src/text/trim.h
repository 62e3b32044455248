#pragma once

#include <string_view>

namespace vornal {

// The text without trailing white space (fixed-size columns may pad their
// values with blanks).
inline std::string_view TrimRight(std::string_view text) {
  const auto end = text.find_last_not_of(" \t\r\n\v\f");
  return end == std::string_view::npos ? std::string_view() : text.substr(0, end + 1);
}

// The text without leading or trailing white space.
inline std::string_view Trim(std::string_view text) {
  text = TrimRight(text);
  const auto begin = text.find_first_not_of(" \t\r\n\v\f");
  return begin == std::string_view::npos ? std::string_view() : text.substr(begin);
}

}  // namespace vornal
