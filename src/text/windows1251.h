#pragma once

#include <string>
#include <string_view>

namespace vornal {

// Windows-1251 text as UTF-8.
std::string DecodeWindows1251(std::string_view text);
// UTF-8 text, every character of which Windows-1251 has, back as
// Windows-1251 ("?" for any other).
std::string EncodeWindows1251(std::string_view utf8);

}  // namespace vornal
