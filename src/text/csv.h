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
// tab or a CR), also after blanks (spaces, line feeds, no-break spaces)
// that a spreadsheet may trim, gets an apostrophe in front, and so does one
// that begins so with an apostrophe, so that CsvText gives every text back.
std::string CsvField(std::string_view text);
// The text CsvField wrote: a field without the apostrophe put in front.
std::string CsvText(std::string_view field);
// The fields joined by commas, ended by CR LF.
std::string CsvLine(const std::vector<std::string>& fields);

// One record of a CSV text.
struct CsvRecord {
  int line = 0;  // the line it begins on, from 1
  std::vector<std::string> fields;
  // Why the record is malformed (a quote inside an unquoted field, text
  // after a closing quote, a quote never closed); empty when it is not.
  std::string error;
};
// The records of an RFC 4180 text: fields separated by commas, records by
// CR LF or LF; a field in double quotes may hold commas, line ends and
// doubled quotes. A UTF-8 byte-order mark at the start is skipped, and so
// are empty lines. A malformed record ends at the next line end outside
// quotes.
std::vector<CsvRecord> ReadCsv(std::string_view text);

}  // namespace vornal
