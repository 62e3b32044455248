#include "text/csv.h"

namespace vornal {
namespace {

constexpr std::string_view kGuarded = "=+-@\t\r'";

// True when a spreadsheet could take the text for a formula: its first
// character, after any blanks a spreadsheet may trim on import, is one
// that begins a formula (or the apostrophe, so that CsvText gives every
// text back).
bool Guarded(std::string_view text) {
  for (;;) {
    if (text.starts_with(' ') || text.starts_with('\n'))
      text.remove_prefix(1);
    else if (text.starts_with("\xC2\xA0"))
      text.remove_prefix(2);
    else
      break;
  }
  return !text.empty() && kGuarded.find(text.front()) != std::string_view::npos;
}

}  // namespace

std::string CsvField(std::string_view text) {
  std::string field;
  if (Guarded(text)) field += '\'';
  field += text;
  const bool quote = field.find_first_of(",\"\r\n") != std::string::npos ||
                     (!field.empty() && (field.front() == ' ' || field.back() == ' '));
  if (!quote) return field;
  std::string out = "\"";
  for (const char c : field) {
    if (c == '"') out += '"';
    out += c;
  }
  out += '"';
  return out;
}

std::string CsvText(std::string_view field) {
  if (field.starts_with('\'') && Guarded(field.substr(1))) field.remove_prefix(1);
  return std::string(field);
}

std::string CsvLine(const std::vector<std::string>& fields) {
  std::string line;
  for (std::size_t i = 0; i < fields.size(); ++i) {
    if (i) line += ',';
    line += CsvField(fields[i]);
  }
  line += "\r\n";
  return line;
}

std::vector<CsvRecord> ReadCsv(std::string_view text) {
  if (text.starts_with(kUtf8Bom)) text.remove_prefix(kUtf8Bom.size());
  std::vector<CsvRecord> records;
  std::size_t i = 0;
  int line = 1;
  const auto atLineEnd = [&] {
    return i == text.size() || text[i] == '\n' || text.substr(i, 2) == "\r\n";
  };
  const auto skipLineEnd = [&] {
    if (i < text.size()) {
      i += text[i] == '\r' ? 2 : 1;
      ++line;
    }
  };
  while (i < text.size()) {
    if (atLineEnd()) {
      skipLineEnd();
      continue;
    }
    CsvRecord record;
    record.line = line;
    for (;;) {
      std::string field;
      if (i < text.size() && text[i] == '"') {
        const int opened = line;
        for (++i;; ++i) {
          if (i == text.size()) {
            record.error = "the quote opened on line " + std::to_string(opened) + " is not closed";
            break;
          }
          if (text[i] == '"') {
            if (i + 1 < text.size() && text[i + 1] == '"') {
              field += '"';
              ++i;
              continue;
            }
            ++i;
            break;
          }
          if (text[i] == '\n') ++line;
          field += text[i];
        }
        if (record.error.empty() && !atLineEnd() && text[i] != ',')
          record.error =
              "text after the closing quote of field " + std::to_string(record.fields.size() + 1);
      } else {
        while (!atLineEnd() && text[i] != ',') {
          if (text[i] == '"' && record.error.empty())
            record.error = "a quote inside field " + std::to_string(record.fields.size() + 1) +
                           ", which is not in quotes";
          field += text[i++];
        }
      }
      record.fields.push_back(std::move(field));
      if (!record.error.empty()) {
        while (!atLineEnd()) ++i;
        break;
      }
      if (atLineEnd()) break;
      ++i;  // the comma
    }
    skipLineEnd();
    records.push_back(std::move(record));
  }
  return records;
}

}  // namespace vornal
