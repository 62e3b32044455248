#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "text/date_time.h"

namespace vornal {

// One line of a main.buf: six numbers, the login and the event name, each
// field ended by "|". Missing fields are empty (numbers 0).
struct BufferLine {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  std::string login;
  std::string event;
  // Whatever follows the eighth "|".
  std::string rest;

  // The event time, or nothing when the numbers are no valid date and time.
  std::optional<DateTime> Time() const;
};

// Splits a line (already decoded, without its line end) into its eight
// fields. A field is the text before the next "|"; once no "|" is left every
// further field is empty. Text after the eighth "|" is kept in `rest`.
BufferLine ParseBufferLine(std::string_view line);

// Reads a decimal integer as atoi does: leading white space, an optional
// sign, digits up to the first non-digit; no digits gives 0. Values beyond
// the range of int are clamped.
int ReadNumber(std::string_view text);

// The bytes of one buffer line as UTF-8 text: as they are when they are
// well-formed UTF-8, else read as Windows-1251. Each line on its own, so two
// clients writing one file in different encodings are both read right.
std::string DecodeLine(std::string_view bytes);

}  // namespace vornal
