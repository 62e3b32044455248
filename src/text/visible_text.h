#pragma once

#include <string>
#include <string_view>

namespace vornal {

// Text from the data (names, logins, paths, lines of workers' files) made
// safe to show on a terminal, in a CSV report or on a printed page: every
// control character (C0, DEL, C1) and every byte that is no valid UTF-8 is
// written as an escape ("\x1B", "\u009B"), and so is every character that
// would steer the text unseen: the bidirectional controls, the invisible
// format characters (U+200B, U+FEFF, ...) and the line and paragraph
// separators ("\u202E"). Everything else stays as it is, so the result of
// the result is the same.
std::string VisibleText(std::string_view text);

// The same, keeping the line ends of a text of several lines (LF, CR LF).
std::string VisibleLines(std::string_view text);

}  // namespace vornal
