#include "intake/buffer_line.h"

#include <gtest/gtest.h>

#include <vector>

#include "intake/buffer_reader.h"
#include "test_util.h"

namespace vornal {
namespace {

std::vector<std::string> ReadLines(const std::string& content, std::int64_t offset = 0) {
  test::TempDir dir;
  test::WriteFile(dir.File("main.buf"), content);
  BufferReader reader(dir.File("main.buf"), offset);
  std::vector<std::string> lines;
  std::string line;
  bool truncated = false;
  while (reader.Next(line, truncated)) lines.push_back(line);
  return lines;
}

TEST(BufferLine, FieldsAreTakenUpToEachBar) {
  const BufferLine full = ParseBufferLine("2002|10|07|09|05|00|petrov|StopWork|extra|text");
  EXPECT_EQ(full.Time(), DateTime::FromParts(2002, 10, 7, 9, 5, 0));
  EXPECT_EQ(full.login, "petrov");
  EXPECT_EQ(full.event, "StopWork");

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
  EXPECT_EQ(ReadLines("a\rb\r\n"), (std::vector<std::string>{"a\rb"}));
  EXPECT_EQ(ReadLines("a\nb\x1A"
                      "c\nd\n"),
            (std::vector<std::string>{"a", "b"}));
  EXPECT_EQ(ReadLines("\x1A"
                      "a\n"),
            std::vector<std::string>{});
  EXPECT_EQ(ReadLines(""), std::vector<std::string>{});
  EXPECT_EQ(ReadLines("\xC8\xE2\n"), std::vector<std::string>{"Ив"});
  EXPECT_EQ(ReadLines("\xEF\xBB\xBFИв\n"), std::vector<std::string>{"Ив"});
  // Resuming inside a file keeps its encoding.
  EXPECT_EQ(ReadLines("\xEF\xBB\xBF"
                      "a\nИв\n",
                      5),
            std::vector<std::string>{"Ив"});
  EXPECT_EQ(ReadLines("a\n\xC8\n", 2), std::vector<std::string>{"И"});

  const std::string longLine(200000, 'x');
  EXPECT_EQ(ReadLines(longLine + "\r\nend"), (std::vector<std::string>{longLine, "end"}));
}

TEST(BufferReader, OffsetCountsConsumedBytesAndOverlongLinesAreFlagged) {
  test::TempDir dir;
  test::WriteFile(dir.File("main.buf"),
                  "ab\r\n" + std::string(BufferReader::kMaxLine + 10, 'y') + "\nlast");
  BufferReader reader(dir.File("main.buf"), 0);
  std::string line;
  bool truncated = true;
  ASSERT_TRUE(reader.Next(line, truncated));
  EXPECT_FALSE(truncated);
  EXPECT_EQ(reader.Offset(), 4);
  ASSERT_TRUE(reader.Next(line, truncated));
  EXPECT_TRUE(truncated);
  EXPECT_EQ(line.size(), BufferReader::kMaxLine);
  ASSERT_TRUE(reader.Next(line, truncated));
  EXPECT_EQ(line, "last");
  EXPECT_FALSE(truncated);
  EXPECT_EQ(reader.Offset(), static_cast<std::int64_t>(4 + BufferReader::kMaxLine + 11 + 4));
  EXPECT_FALSE(reader.Next(line, truncated));
  EXPECT_THROW(BufferReader(dir.File("missing.buf"), 0), std::system_error);
}

}  // namespace
}  // namespace vornal
