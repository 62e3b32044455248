#include "intake/buffer_line.h"

#include <climits>
#include <cstdint>

#include "text/utf8.h"
#include "text/windows1251.h"

namespace vornal {
namespace {

bool IsSpace(char c) {
  return c == ' ' || (c >= '\t' && c <= '\r');
}

// The text before the next "|", which is removed with its "|"; empty and
// nothing removed when no "|" is left.
std::string_view TakeField(std::string_view& rest) {
  const std::size_t bar = rest.find('|');
  if (bar == std::string_view::npos) return {};
  const std::string_view field = rest.substr(0, bar);
  rest.remove_prefix(bar + 1);
  return field;
}

}  // namespace

std::optional<DateTime> BufferLine::Time() const {
  return DateTime::FromParts(year, month, day, hour, minute, second);
}

int ReadNumber(std::string_view text) {
  std::size_t i = 0;
  while (i < text.size() && IsSpace(text[i])) ++i;
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
  std::int64_t value = 0;
  for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
    value = value * 10 + (text[i] - '0');
    if (value > std::int64_t{INT_MAX} + 1) value = std::int64_t{INT_MAX} + 1;
  }
  if (negative) value = -value;
  if (value > INT_MAX) value = INT_MAX;
  return static_cast<int>(value);
}

BufferLine ParseBufferLine(std::string_view line) {
  BufferLine result;
  std::string_view rest = line;
  int* numbers[] = {&result.year, &result.month,  &result.day,
                    &result.hour, &result.minute, &result.second};
  for (int* number : numbers) *number = ReadNumber(TakeField(rest));
  result.login = std::string(TakeField(rest));
  result.event = std::string(TakeField(rest));
  result.rest = std::string(rest);
  return result;
}

std::string DecodeLine(std::string_view bytes) {
  return IsUtf8(bytes) ? std::string(bytes) : DecodeWindows1251(bytes);
}

}  // namespace vornal
