#pragma once

#include <string>
#include <string_view>

namespace vornal::cli {

// Display width in characters: every UTF-8 lead byte counts one.
std::size_t DisplayWidth(const std::string& text);

// The text with every control character (C0, DEL, C1) and every byte that
// is no valid UTF-8 written as an escape (\x1B, \u009B), so that data can
// never steer the terminal it is printed on.
std::string Escaped(std::string_view text);

// Writes the text to stdout as it is.
void WriteOut(const std::string& text);

}  // namespace vornal::cli
