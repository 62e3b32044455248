#include "cli/format.h"

#include "cli/command.h"
#include "text/date_time.h"

#include <gtest/gtest.h>

namespace vornal::cli {
namespace {

constexpr std::int64_t kHour = 3600;

// Totals keep whole days truncated toward zero and the clock of the rest;
// a total under a day below zero must not read as time worked.
TEST(CliFormat, TotalsClocksAndHours) {
  EXPECT_EQ(TotalText(WorkDuration()), "0 дней 00:00");
  EXPECT_EQ(TotalText(WorkDuration::FromSeconds(26 * kHour + 30 * 60)), "1 дней 02:30");
  EXPECT_EQ(TotalText(WorkDuration::FromSeconds(24 * kHour - 1)), "0 дней 23:59");
  EXPECT_EQ(TotalText(WorkDuration::FromSeconds(-(26 * kHour + 30 * 60))), "-1 дней 02:30");
  EXPECT_EQ(TotalText(WorkDuration::FromSeconds(-(2 * kHour + 30 * 60))), "-0 дней 02:30");
  EXPECT_EQ(TotalText(WorkDuration::Empty()), "");

  ListedRow row;
  row.label = RowLabel::TaskDone;
  row.taskNumber = 2;
  row.begin = DateTime::FromParts(2002, 10, 7, 9, 5)->ToSeconds();
  row.end = row.begin - (25 * kHour + 10 * 60 + 59);
  EXPECT_EQ(ListingCells(row, "petrov"), (ListingLine{"Закончено 2 задание", " 09:05 07 Oct 02",
                                                      " 07:54 06 Oct 02", " 01:10", " petrov"}));
  row.end = ListedRow::kNoTime;
  row.label = RowLabel::Unknown;
  EXPECT_EQ(ListingCells(row, ""), (ListingLine{"Unknown", " 09:05 07 Oct 02", " ", " ", " "}));

  EXPECT_EQ(HoursText(-90 * 60 - 59), "-1:30");
  EXPECT_EQ(HoursText(176 * kHour + 5 * 60 + 59), "176:05");
  DayWork open;
  open.rows = 1;
  open.openTasks = 1;
  EXPECT_EQ(WorkText(open), "0:00");
  EXPECT_EQ(TaskText(open), "0:00?");
  EXPECT_EQ(WorkCellText(DayWork()), "");
}

TEST(CliFormat, PeopleNotesAndErrors) {
  EXPECT_EQ(PersonText(3, "Петров Пётр  ", "petrov "), "3. Петров Пётр (petrov)");
  EXPECT_EQ(PersonText(7, "", ""), "7. ()");
  FileNote note{FileNote::Kind::NotRegular, "/w/main.buf", {}, FileNote::FileType::Fifo};
  EXPECT_EQ(FileNoteText(note), "/w/main.buf: a FIFO, not a regular file; left in place");
  EXPECT_EQ(DatabaseErrorText(StoreError(StoreErrorKind::Damaged, "file is not a database", "26")),
            "database error 26: file is not a database");
  EXPECT_EQ(DatabaseErrorText(StoreError(StoreErrorKind::NotFound, "no table")),
            "database error: no table");
}

// A value is taken whatever it looks like, in either form; an option that
// does not go with the verb, or a flag given a value, stays a word for the
// command to refuse in its place; help wins over every problem.
TEST(CliArgs, ReadByTheDeclarations) {
  const std::vector<Option> options{{"--name", "NAME", "", "a value", "add set"},
                                    {"--bom", nullptr, "", "", "export"},
                                    {"--role", "ROLE", "", "a role", nullptr, true}};
  using Given = std::vector<std::pair<std::string, std::string>>;
  ParsedArgs parsed = ParseArgs(options, {"add", "--name", "-h", "--role=", "--role", "--x"});
  EXPECT_EQ(parsed.problem, "");
  EXPECT_FALSE(parsed.help);
  EXPECT_EQ(parsed.words, std::vector<std::string>{"add"});
  EXPECT_EQ(parsed.given, (Given{{"--name", "-h"}, {"--role", ""}, {"--role", "--x"}}));

  parsed = ParseArgs(options, {"export", "--name", "x", "--bom", "f", "--x=1"});
  EXPECT_EQ(parsed.words, (std::vector<std::string>{"export", "--name", "x", "f", "--x=1"}));
  EXPECT_EQ(parsed.given, (Given{{"--bom", ""}}));

  EXPECT_EQ(ParseArgs(options, {"set", "--name=a", "--name", "b"}).problem,
            "--name is given twice");
  EXPECT_EQ(ParseArgs(options, {"set", "--name"}).problem, "--name needs a value");
  EXPECT_EQ(ParseArgs(options, {"set", "--bom=1"}).words,
            (std::vector<std::string>{"set", "--bom=1"}));
  EXPECT_TRUE(ParseArgs(options, {"set", "--name", "a", "--name", "-h", "--help"}).help);
}

}  // namespace
}  // namespace vornal::cli
