#include <gtest/gtest.h>

#include <filesystem>

#include "intake/folder_sweep.h"
#include "intake/intake_test_util.h"

namespace vornal {
namespace {

// Each line is read on its own: as UTF-8 when it is, else as Windows-1251,
// whatever the file begins with. A login of 101 stray continuation bytes in
// a file marked UTF-8 once passed the intake's length check (0 characters)
// but not the engine's (101), so the file failed at every run and blocked
// its folder; now it reads as 101 Windows-1251 characters, too long. A byte
// that is no character in either encoding (0x98) leaves U+FFFD in the
// login: kept aside, never merged with another login.
TEST(InvalidUtf8, EachLineReadInItsOwnEncodingAndNeverBlockTheFile) {
  test::TempDir dir;
  auto db = test::MakeMemoryDatabase();
  const std::string path = dir.File("main.buf");
  test::WriteFile(path,
                  "\xEF\xBB\xBF"
                  "2002|10|7|9|0|0|" +
                      std::string(101, '\xB5') +
                      "|StartWork|\n"
                      "2002|10|7|9|0|0|a\xC3(\xED\xA0\x80z\xF0\x9F\x98|StartWork|\n"
                      "2002|10|7|9|1|0|\xD0\x96\xF0\x9F\x98\x80|StartWDay|\n"
                      "2002|10|7|9|2|0|\xC6\xE0|StartWDay|\n");
  const auto summary = ProcessBufferFile(*db, path);
  ASSERT_TRUE(summary);
  EXPECT_EQ(summary->eventsApplied, 2);
  EXPECT_EQ(summary->skipped[static_cast<std::size_t>(SkipReason::LoginTooLong)], 1);
  EXPECT_EQ(summary->skipped[static_cast<std::size_t>(SkipReason::InvalidCharacter)], 1);
  EXPECT_EQ(test::DumpRows(*db),
            "\xD0\x96\xF0\x9F\x98\x80|StartWDay|2002-10-07 09:01:00|2002-10-07 09:01:00\n"
            "Жа|StartWDay|2002-10-07 09:02:00|2002-10-07 09:02:00\n");
  EXPECT_FALSE(std::filesystem::exists(path));
}

}  // namespace
}  // namespace vornal
