#include "intake/work_events.h"

#include <gtest/gtest.h>

#include <random>

#include "intake/event_applier.h"
#include "intake/folder_sweep.h"
#include "intake/intake_test_util.h"

namespace vornal {
namespace {

using test::At;
using test::DumpRows;

class WorkEvents : public ::testing::Test {
 protected:
  void Apply(const DateTime& time, const std::string& event, const std::string& login = "petrov") {
    ApplyEvent(*m_db, time, login, event);
  }
  std::string Rows() { return DumpRows(*m_db); }

  std::unique_ptr<Database> m_db = test::MakeMemoryDatabase();
};

// Each buffer of tests/data/intake, processed into an empty database, gives
// exactly the rows of the file beside it.
class GoldenBuffer : public ::testing::TestWithParam<const char*> {};

TEST_P(GoldenBuffer, GivesTheExpectedRows) {
  test::TempDir dir;
  const std::string name = GetParam();
  std::filesystem::copy_file(test::DataFile(name + ".buf"), dir.File("main.buf"));
  auto db = test::MakeMemoryDatabase();
  ASSERT_TRUE(ProcessBufferFile(*db, dir.File("main.buf")));
  EXPECT_EQ(DumpRows(*db), test::ReadFile(test::DataFile(name + ".rows")));
  EXPECT_FALSE(std::filesystem::exists(dir.File("main.buf")));
}

INSTANTIATE_TEST_SUITE_P(Intake, GoldenBuffer,
                         ::testing::Values("worked_sequence", "task_stop_fresh", "task_stop_stale",
                                           "day_stop", "day_midnight", "task_midnight",
                                           "mixed_cp1251"));

TEST_F(WorkEvents, GoOnEventsExtendOrCloseTheRowByTheGap) {
  Apply(At(9, 0), "Working");
  Apply(At(9, 3), "Working");
  EXPECT_EQ(Rows(), "petrov|Working|2002-10-07 09:00:00|2002-10-07 09:03:00\n");
  // Exactly five minutes is not yet a gap.
  Apply(At(9, 8), "Working");
  EXPECT_EQ(Rows(), "petrov|Working|2002-10-07 09:00:00|2002-10-07 09:08:00\n");
  Apply(At(9, 13, 1), "Working");
  EXPECT_EQ(Rows(),
            "petrov|StopWork|2002-10-07 09:00:00|2002-10-07 09:08:00\n"
            "petrov|Working|2002-10-07 09:13:01|2002-10-07 09:13:01\n");
}

TEST_F(WorkEvents, StartEventsFinishWhatIsUnfinishedKeepingItsEnd) {
  Apply(At(9, 0), "WorkingDay");
  Apply(At(9, 2), "WorkingDay");
  Apply(At(9, 4), "StartWDay");
  Apply(At(9, 5), "StartWDay");
  EXPECT_EQ(Rows(),
            "petrov|StopWDay|2002-10-07 09:00:00|2002-10-07 09:02:00\n"
            "petrov|StopWDay|2002-10-07 09:04:00|2002-10-07 09:04:00\n"
            "petrov|StartWDay|2002-10-07 09:05:00|2002-10-07 09:05:00\n");
}

TEST_F(WorkEvents, MidnightWithAndWithoutAGap) {
  Apply(At(23, 58), "WorkingDay");
  Apply(At(0, 4, 0, 1), "WorkingDay");  // six minutes later, next date
  EXPECT_EQ(Rows(),
            "petrov|StopWDay|2002-10-07 23:58:00|2002-10-07 23:58:00\n"
            "petrov|WorkingDay|2002-10-08 00:04:00|2002-10-08 00:04:00\n");
  // A day row left unfinished whose end is near a later date is cut once
  // per midnight crossed.
  m_db->Execute("UPDATE LOGS SET BeginTime = '2002-10-06 22:00:00' WHERE Event = 'WorkingDay'");
  Apply(At(0, 5, 0, 1), "StopWDay");
  EXPECT_EQ(Rows(),
            "petrov|StopWDay|2002-10-07 23:58:00|2002-10-07 23:58:00\n"
            "petrov|StopWDay|2002-10-06 22:00:00|2002-10-07 00:00:00\n"
            "petrov|StopWDay|2002-10-07 00:00:00|2002-10-08 00:00:00\n"
            "petrov|StopWDay|2002-10-08 00:00:00|2002-10-08 00:05:00\n");
}

TEST_F(WorkEvents, StopOfADayStartAlwaysEndsAtTheStopTime) {
  Apply(At(10, 0), "StartWDay");
  Apply(At(0, 2, 0, 1), "StopWDay");
  Apply(At(11, 0), "StopWork");  // nothing unfinished: no change
  EXPECT_EQ(Rows(), "petrov|StopWDay|2002-10-07 10:00:00|2002-10-08 00:02:00\n");
}

TEST_F(WorkEvents, LoginsAndFamiliesAreKeptApart) {
  Apply(At(9, 0), "StartWDay");
  Apply(At(9, 1), "StartWork", "ivanov");
  Apply(At(9, 2), "Working", "PETROV");  // the same login in other case
  Apply(At(9, 3), "stopwday");           // event names are exact
  Apply(At(9, 4), "StopWork", "ivanov");
  EXPECT_EQ(Rows(),
            "petrov|StartWDay|2002-10-07 09:00:00|2002-10-07 09:00:00\n"
            "ivanov|StopWork|2002-10-07 09:01:00|2002-10-07 09:04:00\n"
            "PETROV|Working|2002-10-07 09:02:00|2002-10-07 09:02:00\n");
  EXPECT_TRUE(LogRowExists(*m_db, "Working", "petrov"));
  EXPECT_FALSE(LogRowExists(*m_db, "working", "petrov"));
  EXPECT_FALSE(IsWorkEvent("stopwday"));
  EXPECT_FALSE(IsWorkEvent(""));
}

TEST_F(WorkEvents, LoginsAreStoredAsTyped) {
  const std::string login = "o'brien'); DELETE FROM LOGS;--";
  Apply(At(9, 0), "StartWork", login);
  Apply(At(9, 1), "StopWork", login);
  EXPECT_EQ(Rows(), login + "|StopWork|2002-10-07 09:00:00|2002-10-07 09:01:00\n");
}

// One worker on two machines (two folders): events earlier than what is
// recorded never count time twice. An event inside an interval changes
// nothing, one shortly before an interval moves its begin back, one shortly
// after a finished interval moves its end on, and one elsewhere is an
// interval of its own; a stop there records nothing.
TEST_F(WorkEvents, OutOfOrderEventsNeverCountTimeTwice) {
  Apply(At(10, 0), "StartWDay");
  for (int minute = 2; minute <= 120; minute += 2)
    Apply(At(10, 0).AddSeconds(60 * minute), "WorkingDay");
  for (int minute = 0; minute <= 122; minute += 2)
    Apply(At(9, 58).AddSeconds(60 * minute), "WorkingDay");
  EXPECT_EQ(Rows(), "petrov|WorkingDay|2002-10-07 09:58:00|2002-10-07 12:00:00\n");
  Apply(At(11, 0), "StopWDay");
  Apply(At(11, 0), "StartWDay");
  EXPECT_EQ(Rows(), "petrov|WorkingDay|2002-10-07 09:58:00|2002-10-07 12:00:00\n");

  Apply(At(8, 0), "StopWDay");  // a stop alone: nothing
  Apply(At(8, 0), "WorkingDay");
  Apply(At(8, 4), "WorkingDay");
  Apply(At(9, 0, 0, -1), "StartWDay");  // a day earlier
  Apply(At(12, 1), "StopWDay");
  EXPECT_EQ(Rows(),
            "petrov|StopWDay|2002-10-07 09:58:00|2002-10-07 12:01:00\n"
            "petrov|StopWDay|2002-10-07 08:00:00|2002-10-07 08:04:00\n"
            "petrov|StopWDay|2002-10-06 09:00:00|2002-10-06 09:00:00\n");
  // The task family is kept apart: its first event is in order.
  Apply(At(9, 0), "Working");
  EXPECT_EQ(m_db->QueryInt("SELECT COUNT(*) FROM LOGS WHERE Event = 'Working'"), 1);
  EXPECT_EQ(m_db->QueryInt("SELECT COUNT(*) FROM LOGS WHERE EndTime < BeginTime"), 0);
}

// Several unfinished rows of one state (left by older data, or logins that
// differ in case) are all changed by each statement.
TEST_F(WorkEvents, EveryUnfinishedRowOfAStateIsChanged) {
  m_db->Execute(
      "INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES "
      "('petrov', 'Working', '2002-10-07 09:00:00', '2002-10-07 09:02:00'), "
      "('PETROV', 'Working', '2002-10-07 09:01:00', '2002-10-07 09:03:00')");
  FillLoginKeys(*m_db);
  EventApplier applier(*m_db);
  applier.Apply(At(9, 4), "petrov", "Working");
  EXPECT_EQ(Rows(),
            "petrov|Working|2002-10-07 09:00:00|2002-10-07 09:04:00\n"
            "PETROV|Working|2002-10-07 09:01:00|2002-10-07 09:04:00\n");
  applier.Apply(At(9, 5), "Petrov", "StopWork");
  applier.Flush();
  EXPECT_EQ(Rows(),
            "petrov|StopWork|2002-10-07 09:00:00|2002-10-07 09:05:00\n"
            "PETROV|StopWork|2002-10-07 09:01:00|2002-10-07 09:05:00\n");
}

// The applier that remembers unfinished rows between events writes exactly
// the rows that reading them afresh for every event writes, whatever the
// order of events.
TEST(EventApplier, RememberedRowsMatchFreshLookUps) {
  auto fresh = test::MakeMemoryDatabase();
  auto remembered = test::MakeMemoryDatabase();
  // Leftovers with several unfinished rows per state.
  for (Database* db : {fresh.get(), remembered.get()})
    db->Execute(
        "INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES "
        "('petrov', 'StartWork', '2002-10-07 07:58:00', '2002-10-07 07:58:00'), "
        "('petrov', 'Working', '2002-10-07 07:40:00', '2002-10-07 07:57:00'), "
        "('PETROV', 'Working', '2002-10-07 07:45:00', '2002-10-07 07:59:00'), "
        "('ivanov', 'StartWDay', '2002-10-07 07:56:00', '2002-10-07 07:56:00'), "
        "('Ivanov', 'StartWDay', '2002-10-07 07:57:00', '2002-10-07 07:57:00'), "
        "('ivanov', 'WorkingDay', '2002-10-06 23:50:00', '2002-10-07 07:59:00')");
  for (Database* db : {fresh.get(), remembered.get()}) FillLoginKeys(*db);
  const char* logins[] = {"petrov", "PETROV", "ivanov", "Ivanov", "sidorov"};
  const char* events[] = {"StartWDay", "WorkingDay", "StopWDay",
                          "StartWork", "Working",    "StopWork"};
  std::mt19937 random(12345);
  DateTime time = At(8, 0);
  EventApplier applier(*remembered);
  for (const auto& [login, event] : {std::pair{"petrov", "Working"},
                                     {"ivanov", "WorkingDay"},
                                     {"Petrov", "Working"},
                                     {"Ivanov", "StopWDay"},
                                     {"sidorov", "StartWork"}}) {
    ApplyEvent(*fresh, time, login, event);
    applier.Apply(time, login, event);
  }
  // The rest in one transaction, as the sweep runs it, with statements first
  // prepared outside one.
  Transaction transaction(*remembered);
  for (int i = 0; i < 4000; ++i) {
    const int roll = std::uniform_int_distribution<int>(0, 99)(random);
    if (roll < 2)
      time = time.AddDays(-1);
    else if (roll < 5)
      time = time.AddSeconds(std::uniform_int_distribution<int>(3600, 3 * 86400)(random));
    else
      time = time.AddSeconds(std::uniform_int_distribution<int>(-60, 400)(random));
    const std::string login = logins[std::uniform_int_distribution<int>(0, 4)(random)];
    const std::string event = events[std::uniform_int_distribution<int>(0, 5)(random)];
    ApplyEvent(*fresh, time, login, event);
    applier.Apply(time, login, event);
  }
  applier.Flush();
  transaction.Commit();
  EXPECT_EQ(DumpRows(*remembered), DumpRows(*fresh));
  EXPECT_GT(fresh->QueryInt("SELECT COUNT(*) FROM LOGS"), 1000);
}

}  // namespace
}  // namespace vornal
