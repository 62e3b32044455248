// Fuzzes the buffer line parser: the fields, the numbers, the event time and
// the Windows-1251 decoding, on any bytes.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "intake/buffer_line.h"
#include "text/windows1251.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace vornal;
  const std::string_view text(reinterpret_cast<const char*>(data), size);
  const BufferLine line = ParseBufferLine(text);
  // A time is given only for numbers that make one, and it keeps them.
  if (const auto time = line.Time()) {
    if (time->Year() != line.year || time->Month() != line.month || time->Day() != line.day ||
        time->Hour() != line.hour || time->Minute() != line.minute || time->Second() != line.second)
      std::abort();
    if (DateTime::FromIso(time->ToIso()) != time) std::abort();
  }
  // Fields never reach beyond the line.
  if (line.login.size() + line.event.size() > size) std::abort();
  ReadNumber(text);
  const std::string utf8 = DecodeWindows1251(text);
  if (utf8.size() < size || utf8.size() > 3 * size) std::abort();
  ParseBufferLine(utf8);
  return 0;
}
