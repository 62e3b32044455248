#include "intake/buffer_line.h"

#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <vector>

#include "intake/buffer_reader.h"
#include "test_util.h"
#include "text/windows1251.h"

namespace vornal {
namespace {

// The lines of `content` from `offset`; lines after an end mark start with
// "^". The offset reached goes to `reached`.
std::vector<std::string> ReadLines(const std::string& content, std::int64_t offset = 0,
                                   bool final = true, std::int64_t* reached = nullptr) {
  test::TempDir dir;
  test::WriteFile(dir.File("main.buf"), content);
  const int fd = ::open(dir.File("main.buf").c_str(), O_RDONLY);
  BufferReader reader(fd, offset, static_cast<std::int64_t>(content.size()), final);
  std::vector<std::string> lines;
  ReadLine line;
  while (reader.Next(line)) lines.push_back((line.afterMark ? "^" : "") + line.text);
  if (reached) *reached = reader.Offset();
  ::close(fd);
  return lines;
}

TEST(BufferLine, FieldsAreTakenUpToEachBar) {
  const BufferLine full = ParseBufferLine("2002|10|07|09|05|00|petrov|StopWork|extra|text");
  EXPECT_EQ(full.Time(), DateTime::FromParts(2002, 10, 7, 9, 5, 0));
  EXPECT_EQ(full.login, "petrov");
  EXPECT_EQ(full.event, "StopWork");
  EXPECT_EQ(full.rest, "extra|text");

  const BufferLine noFinalBar = ParseBufferLine("2002|10|7|9|5|0|petrov|WorkingDay");
  EXPECT_EQ(noFinalBar.login, "petrov");
  EXPECT_EQ(noFinalBar.event, "");

  // A missing bar empties every later field, numbers included.
  const BufferLine shortLine = ParseBufferLine("2002|10|7");
  EXPECT_EQ(shortLine.month, 10);
  EXPECT_EQ(shortLine.day, 0);
  EXPECT_EQ(shortLine.login, "");
  EXPECT_FALSE(shortLine.Time());

  const BufferLine untrimmed = ParseBufferLine(" 2002| +10|7x|9|5|0| Petrov |StopWork|");
  EXPECT_EQ(untrimmed.Time(), DateTime::FromParts(2002, 10, 7, 9, 5, 0));
  EXPECT_EQ(untrimmed.login, " Petrov ");
}

TEST(BufferLine, NumbersReadLikeAtoi) {
  EXPECT_EQ(ReadNumber("  \t-12abc"), -12);
  EXPECT_EQ(ReadNumber("+08"), 8);
  EXPECT_EQ(ReadNumber("x12"), 0);
  EXPECT_EQ(ReadNumber(""), 0);
  EXPECT_EQ(ReadNumber("- 5"), 0);
  EXPECT_EQ(ReadNumber("99999999999999999999"), 2147483647);
  EXPECT_EQ(ReadNumber("-99999999999999999999"), -2147483647 - 1);
  EXPECT_FALSE(ParseBufferLine("2002|2|29|0|0|0|a|Working|").Time());
  EXPECT_FALSE(ParseBufferLine("2002|10|7|24|0|0|a|Working|").Time());
}

TEST(BufferLine, Windows1251IsDecoded) {
  EXPECT_EQ(DecodeWindows1251("\xC8\xE2\xE0\xED\xEE\xE2 \xA8\xB8\xB9\x88 abc"), "Иванов Ёё№€ abc");
  EXPECT_EQ(DecodeWindows1251("\xC0\xDF\xE0\xFF\xA1\xA2\xAA\xBA\xAF\xBF\xB2\xB3\xA5\xB4"),
            "АЯаяЎўЄєЇїІіҐґ");
}

TEST(BufferReader, LineEndsEndMarkAndEncoding) {
  EXPECT_EQ(ReadLines("a\r\nb\n\nc"), (std::vector<std::string>{"a", "b", "", "c"}));
  // CR alone ends a line too.
  EXPECT_EQ(ReadLines("a\rb\r\n\rc"), (std::vector<std::string>{"a", "b", "", "c"}));
  // The lines after a 0x1A are given, marked.
  EXPECT_EQ(ReadLines("a\nb\x1A"
                      "c\nd\x1A\n"),
            (std::vector<std::string>{"a", "b", "^c", "^d\x1A"}));
  EXPECT_EQ(ReadLines("a\n\x1A"), std::vector<std::string>{"a"});
  EXPECT_EQ(ReadLines(""), std::vector<std::string>{});
  EXPECT_EQ(ReadLines("\xC8\xE2\n"), std::vector<std::string>{"Ив"});
  EXPECT_EQ(ReadLines("\xEF\xBB\xBFИв\n"), std::vector<std::string>{"Ив"});
  // Resuming inside a file keeps its encoding.
  EXPECT_EQ(ReadLines("\xEF\xBB\xBF"
                      "a\nИв\n",
                      5),
            std::vector<std::string>{"Ив"});
  EXPECT_EQ(ReadLines("a\n\xC8\n", 2), std::vector<std::string>{"И"});

  const std::string longLine(60000, 'x');
  EXPECT_EQ(ReadLines(longLine + "\r\nend"), (std::vector<std::string>{longLine, "end"}));
}

// A file that may still be written gives only lines with their line end; the
// next pass starts where the last one ended, even between CR and LF.
TEST(BufferReader, UnfinishedLastLineWaitsUntilTheFileIsFinal) {
  std::int64_t reached = 0;
  EXPECT_EQ(ReadLines("a\nb\r\n2024|1|1|9|0|0|ivanov|Work", 0, false, &reached),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(reached, 5);
  EXPECT_EQ(ReadLines("a\r", 0, false, &reached), std::vector<std::string>{"a"});
  EXPECT_EQ(ReadLines("a\r\nb\n", reached), std::vector<std::string>{"b"});
  EXPECT_EQ(ReadLines("a\nb", 0, true, &reached), (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(reached, 3);
}

TEST(BufferReader, OffsetCountsConsumedBytesAndOverlongLinesAreFlagged) {
  test::TempDir dir;
  const std::string content = "ab\r\n" + std::string(BufferReader::kMaxLine + 10, 'y') + "\nlast";
  test::WriteFile(dir.File("main.buf"), content);
  const int fd = ::open(dir.File("main.buf").c_str(), O_RDONLY);
  BufferReader reader(fd, 0, static_cast<std::int64_t>(content.size()), true);
  ReadLine line;
  ASSERT_TRUE(reader.Next(line));
  EXPECT_FALSE(line.truncated);
  EXPECT_EQ(reader.Offset(), 4);
  ASSERT_TRUE(reader.Next(line));
  EXPECT_TRUE(line.truncated);
  EXPECT_EQ(line.text.size(), BufferReader::kMaxLine);
  EXPECT_EQ(line.length, static_cast<std::int64_t>(BufferReader::kMaxLine + 10));
  ASSERT_TRUE(reader.Next(line));
  EXPECT_EQ(line.text, "last");
  EXPECT_FALSE(line.truncated);
  EXPECT_EQ(reader.Offset(), static_cast<std::int64_t>(content.size()));
  EXPECT_FALSE(reader.Next(line));
  ::close(fd);
}

}  // namespace
}  // namespace vornal
