#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace vornal {

// The UTF-8 byte-order mark, by which spreadsheets know the encoding.
inline constexpr std::string_view kUtf8Bom = "\xEF\xBB\xBF";

// One field of an RFC 4180 line: quoted when it holds a comma, a quote or a
// line end, or begins or ends with a blank (so no reader trims it). A text
// that a spreadsheet would run as a formula (beginning with =, +, -, @, a
// tab or a CR) gets an apostrophe in front.
std::string CsvField(std::string_view text);
// The fields joined by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

}  // namespace vornal
