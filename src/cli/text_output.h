#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace vornal::cli {

// Display width in characters: every UTF-8 lead byte counts one.
std::size_t DisplayWidth(const std::string& text);

// The text as it may be printed (VisibleText): control characters, bytes
// that are no valid UTF-8 and characters that would reorder or hide text
// written as escapes (\x1B, \u009B, \u202E), so that data can never steer
// the terminal it is printed on.
std::string Escaped(std::string_view text);

// Writes the text to stdout as it is.
void WriteOut(const std::string& text);
// The error of the first write to stdout that failed; 0 for none.
int StdoutError();
// True when stdout is a terminal.
bool StdoutIsTerminal();

// The whole file into `text`; what went wrong, naming the file, when
// something did.
std::optional<std::string> ReadWholeFile(const std::string& path, std::string& text);

}  // namespace vornal::cli
