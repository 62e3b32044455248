#pragma once

#include <string>

namespace vornal::cli {

// Display width in characters: every UTF-8 lead byte counts one.
std::size_t DisplayWidth(const std::string& text);

// One field of an RFC 4180 line, quoted when it must be.
std::string CsvField(const std::string& text);

// Writes the text to stdout as it is.
void WriteOut(const std::string& text);

}  // namespace vornal::cli
