#include "intake/folder_sweep.h"

#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "intake/intake_test_util.h"
#include "store/folder_slots.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::DumpRows;

constexpr const char* kDayLines =
    "2002|10|7|9|0|0|petrov|StartWDay|\n"
    "2002|10|7|9|3|0|petrov|WorkingDay|\n";

class Sweep : public ::testing::Test {
 protected:
  // A working folder under the temporary folder, stored in slot n as typed.
  std::string Folder(int n, const std::string& name, const std::string& stored = {}) {
    const fs::path folder = m_dir.Path() / name;
    fs::create_directories(folder);
    m_db->Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", FolderSlotKey(n),
                  stored.empty() ? folder.string() : stored);
    return folder.string();
  }

  test::TempDir m_dir;
  std::unique_ptr<Database> m_db = test::MakeMemoryDatabase();
};

TEST(FolderSweep, BufferPathAndFolderExists) {
  EXPECT_EQ(BufferPath("/work/ivanov/  "), "/work/ivanov/main.buf");
  EXPECT_EQ(BufferPath("/work/ivanov//"), "/work/ivanov/main.buf");
  EXPECT_EQ(BufferPath("/work/ivanov"), "/work/ivanov/main.buf");
  EXPECT_EQ(BufferPath("/"), "/main.buf");
  test::TempDir dir;
  test::WriteFile(dir.File("file"), "x");
  EXPECT_TRUE(FolderExists(dir.Path().string()));
  EXPECT_FALSE(FolderExists(dir.File("file")));
  EXPECT_FALSE(FolderExists(dir.File("missing")));
  EXPECT_FALSE(FolderExists(""));
}

TEST_F(Sweep, VisitsEveryExistingSlotAndSkipsWhatItCannotRead) {
  const std::string first = Folder(1, "a");
  const std::string tenth = Folder(10, "j", (m_dir.Path() / "j").string() + "//  ");
  const std::string empty = Folder(4, "d");
  m_db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path5', '/no/such/folder')");
  const std::string locked = Folder(6, "f");
  fs::create_directory(locked + "/main.buf");  // cannot be opened for writing
  test::WriteFile(first + "/main.buf", std::string(kDayLines) +
                                           "2002|10|7|9|4|0|petrov|WorkingDay\n" +
                                           "2002|10|32|9|5|0|petrov|WorkingDay|\n\n");
  test::WriteFile(tenth + "/main.buf", "2002|10|7|10|0|0|ivanov|StartWork|\r\n");

  const SweepSummary summary = ProcessFolders(*m_db);
  EXPECT_EQ(DumpRows(*m_db),
            "petrov|WorkingDay|2002-10-07 09:00:00|2002-10-07 09:03:00\n"
            "ivanov|StartWork|2002-10-07 10:00:00|2002-10-07 10:00:00\n");
  ASSERT_EQ(summary.folders.size(), 4u);
  EXPECT_EQ(summary.folders[0].slot, 1);
  EXPECT_EQ(summary.folders[0].eventsApplied, 2);
  EXPECT_EQ(summary.folders[0].skipped[static_cast<int>(SkipReason::UnknownEvent)], 1);
  EXPECT_EQ(summary.folders[0].skipped[static_cast<int>(SkipReason::InvalidTime)], 1);
  EXPECT_EQ(summary.folders[0].skipped[static_cast<int>(SkipReason::BlankLine)], 1);
  EXPECT_EQ(summary.folders[1].filesProcessed, 0);
  EXPECT_EQ(summary.folders[3].slot, 10);
  EXPECT_EQ(summary.filesProcessed, 2);
  EXPECT_EQ(summary.eventsApplied, 3);
  EXPECT_EQ(summary.linesSkipped, 3);
  EXPECT_FALSE(summary.cancelled);
  EXPECT_TRUE(test::FilesIn(first).empty());
  EXPECT_TRUE(test::FilesIn(tenth).empty());
  EXPECT_EQ(test::FilesIn(locked), std::vector<std::string>{"main.buf"});
  EXPECT_EQ(m_db->QueryInt("SELECT COUNT(*) FROM intake_ledger"), 0);
}

// An engine error rolls the whole file back and leaves it claimed; the next
// run applies it exactly once, before a newer main.buf.
TEST_F(Sweep, EngineErrorAppliesNothingOfTheFileAndTheNextRunResumes) {
  const std::string folder = Folder(1, "a");
  const std::string content = std::string(kDayLines) +
                              "2002|10|7|9|4|0|boom|StartWork|\n2002|10|7|9|5|0|petrov|StopWDay|\n";
  test::WriteFile(folder + "/main.buf", content);
  test::RefuseRows(*m_db, "logs", "NEW.Login = 'boom'", "refused");
  try {
    ProcessFolders(*m_db);
    FAIL() << "no engine error";
  } catch (const StoreError& e) {
    EXPECT_STREQ(e.what(), "refused");
  }
  EXPECT_EQ(DumpRows(*m_db), "");
  const std::vector<std::string> left = test::FilesIn(folder);
  ASSERT_EQ(left.size(), 1u);
  EXPECT_EQ(left[0].rfind("main.buf.claim-", 0), 0u);
  EXPECT_EQ(test::ReadFile(folder + "/" + left[0]), content);

  test::StopRefusing(*m_db, "logs");
  test::WriteFile(folder + "/main.buf", "2002|10|7|9|6|0|petrov|StartWDay|\n");
  const SweepSummary summary = ProcessFolders(*m_db);
  EXPECT_EQ(summary.filesProcessed, 2);
  EXPECT_EQ(DumpRows(*m_db),
            "petrov|StopWDay|2002-10-07 09:00:00|2002-10-07 09:05:00\n"
            "boom|StartWork|2002-10-07 09:04:00|2002-10-07 09:04:00\n"
            "petrov|StartWDay|2002-10-07 09:06:00|2002-10-07 09:06:00\n");
  EXPECT_TRUE(test::FilesIn(folder).empty());
}

TEST_F(Sweep, ClaimedFileResumesAfterTheBytesTheLedgerHolds) {
  const std::string folder = Folder(1, "a");
  const std::string claimed = "main.buf.claim-00000000000000000001-host-1-1";
  test::WriteFile(folder + "/" + claimed, kDayLines);
  // The first line was committed by the interrupted run.
  m_db->Execute(
      "INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES "
      "('petrov', 'StartWDay', '2002-10-07 09:00:00', '2002-10-07 09:00:00')");
  FillLoginKeys(*m_db);
  m_db->Execute("INSERT INTO intake_ledger (File, Bytes) VALUES (?, ?)", claimed,
                static_cast<std::int64_t>(std::string(kDayLines).find('\n') + 1));
  ProcessFolders(*m_db);
  EXPECT_EQ(DumpRows(*m_db), "petrov|WorkingDay|2002-10-07 09:00:00|2002-10-07 09:03:00\n");
  EXPECT_TRUE(test::FilesIn(folder).empty());
  EXPECT_EQ(m_db->QueryInt("SELECT COUNT(*) FROM intake_ledger"), 0);
}

// A client that opened main.buf before the claim and writes afterwards, then
// closes it: the late lines are applied before the file is deleted.
TEST_F(Sweep, LateTailIsAppliedBeforeTheDelete) {
  const std::string folder = Folder(1, "a");
  test::WriteFile(folder + "/main.buf", "2002|10|7|9|0|0|petrov|StartWDay|\n");
  const int client = ::open((folder + "/main.buf").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(client, 0);
  bool wrote = false;
  std::vector<SweepProgress> reports;
  ProcessFolders(*m_db, test::Progress([&](const SweepProgress& p) {
    reports.push_back(p);
    if (!wrote && p.bytesRead > 0 &&
        p.bytesRead == static_cast<std::int64_t>(fs::file_size(p.file))) {
      const std::string late = "2002|10|7|9|2|0|petrov|StopWDay|\n";
      wrote = ::write(client, late.data(), late.size()) == static_cast<ssize_t>(late.size());
      ::close(client);
    }
    return true;
  }));
  EXPECT_TRUE(wrote);
  EXPECT_EQ(DumpRows(*m_db), "petrov|StopWDay|2002-10-07 09:00:00|2002-10-07 09:02:00\n");
  EXPECT_TRUE(test::FilesIn(folder).empty());
  ASSERT_FALSE(reports.empty());
  EXPECT_EQ(reports.back().eventsApplied, 2);
  EXPECT_EQ(reports.front().folder, folder);
}

// A login longer than the column holds would make the engine refuse the
// whole file at every run; it is skipped instead. Length is in characters.
TEST_F(Sweep, OverlongLoginIsSkippedNotAWall) {
  const std::string folder = Folder(1, "a");
  std::string cyrillic100;
  for (int i = 0; i < 100; ++i) cyrillic100 += "\xC6";  // Ж in Windows-1251
  test::WriteFile(folder + "/main.buf", "2002|10|7|9|0|0|" + std::string(101, 'x') +
                                            "|StartWork|\n2002|10|7|9|0|0|" + cyrillic100 +
                                            "|StartWork|\n");
  const SweepSummary summary = ProcessFolders(*m_db);
  EXPECT_EQ(summary.eventsApplied, 1);
  EXPECT_EQ(summary.folders[0].skipped[static_cast<int>(SkipReason::LoginTooLong)], 1);
  EXPECT_EQ(m_db->QueryInt("SELECT length(Login) FROM LOGS"), 100);
  EXPECT_TRUE(test::FilesIn(folder).empty());
}

// Two runs at once (the window and a scheduled job) may both pick up a
// claimed file; the one that finds it gone takes that as done.
TEST_F(Sweep, ClaimedFileFinishedByAnotherRunIsNoError) {
  const std::string folder = Folder(1, "a");
  test::WriteFile(folder + "/main.buf", kDayLines);
  const SweepSummary summary = ProcessFolders(*m_db, test::Progress([](const SweepProgress& p) {
    if (p.bytesRead > 0) fs::remove(p.file);
    return true;
  }));
  EXPECT_EQ(summary.eventsApplied, 2);
  EXPECT_TRUE(test::FilesIn(folder).empty());
  EXPECT_EQ(m_db->QueryInt("SELECT COUNT(*) FROM intake_ledger"), 0);
}

// A pattern collects each folder it matches, in byte order, each on its
// own; a folder also named plainly, or twice, is collected once. Links past
// the wildcard are noted, not followed; hidden folders and files are not
// matched; a pattern matching nothing is a note, not a failure.
TEST_F(Sweep, PatternCollectsEachMatchOnceInByteOrder) {
  const fs::path office = m_dir.Path() / "office";
  for (const char* name : {"b/vornal", "a/vornal", "Zed/vornal", ".hidden/vornal", "c", "d"})
    fs::create_directories(office / name);
  test::WriteFile((office / "file.txt").string(), "x");
  fs::create_directory_symlink(office / "a", office / "e");
  fs::create_directory_symlink(m_dir.Path(), office / "d/vornal");
  for (const char* name : {"a", "b", "Zed", ".hidden"})
    test::WriteFile((office / name / "vornal/main.buf").string(),
                    std::string("2002|10|7|9|0|0|p") + name + "|StartWDay|\n");
  m_db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', ?), ('Path2', ?), ('Path3', ?)",
                (office / "b/vornal").string(), (office / "*/vornal").string(),
                (office / "nothing*").string());
  m_db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path12', ?)",
                (office / "a/../b/vornal//").string());

  std::vector<std::string> order;
  SweepOptions options;
  options.folderDone = [&](const FolderSummary& f) { order.push_back(f.folder); };
  options.slotNote = [&](const SlotNote& n) {
    order.push_back("Path" + std::to_string(n.slot) + " " + n.path +
                    (n.kind == SlotNote::Kind::Link ? " link" : " no match"));
  };
  const SweepSummary summary = ProcessFolders(*m_db, options);
  const std::string root = office.string();
  EXPECT_EQ(order,
            (std::vector<std::string>{root + "/b/vornal", "Path2 " + root + "/d/vornal link",
                                      "Path2 " + root + "/e link", root + "/Zed/vornal",
                                      root + "/a/vornal", "Path3 " + root + "/nothing* no match"}));
  EXPECT_EQ(DumpRows(*m_db),
            "pb|StartWDay|2002-10-07 09:00:00|2002-10-07 09:00:00\n"
            "pZed|StartWDay|2002-10-07 09:00:00|2002-10-07 09:00:00\n"
            "pa|StartWDay|2002-10-07 09:00:00|2002-10-07 09:00:00\n");
  EXPECT_EQ(summary.folders.size(), 3u);
  EXPECT_EQ(summary.failures, 0);
  EXPECT_TRUE(fs::exists(office / ".hidden/vornal/main.buf"));
  EXPECT_EQ(m_db->QueryInt("SELECT COUNT(*) FROM folder_status"), 3);
}

// A claimed file whose lease another run holds is being collected by that
// run: it is left to it with a waiting note, not counted as a failure, and
// the folder's newer main.buf waits for it too: the day's stop, which that
// one holds, is not applied before its start.
TEST_F(Sweep, ClaimedFileLeasedByAnotherRunIsLeftToItAndGoesFirst) {
  const std::string folder = Folder(1, "a");
  const std::string claimed = folder + "/main.buf.claim-00000000000000000001-host-1-1";
  test::WriteFile(claimed, kDayLines);
  test::WriteFile(folder + "/main.buf", "2002|10|7|9|5|0|petrov|StopWDay|\n");
  const int other = ::open(claimed.c_str(), O_RDWR);
  ASSERT_GE(other, 0);
  ASSERT_EQ(::fcntl(other, F_SETSIG, SIGURG), 0);
  if (::fcntl(other, F_SETLEASE, F_WRLCK) != 0) {
    ::close(other);
    GTEST_SKIP() << "no lease on this file system";
  }
  SweepSummary summary = ProcessFolders(*m_db);
  ASSERT_EQ(summary.folders.size(), 1u);
  ASSERT_EQ(summary.folders[0].notes.size(), 2u);
  EXPECT_EQ(summary.folders[0].notes[0].kind, FileNote::Kind::InUse);
  EXPECT_EQ(summary.folders[0].notes[1].kind, FileNote::Kind::HeldBack);
  EXPECT_EQ(summary.failures, 0);
  EXPECT_EQ(summary.waiting, 2);
  EXPECT_EQ(DumpRows(*m_db), "");
  EXPECT_TRUE(fs::exists(folder + "/main.buf"));
  ::close(other);
  summary = ProcessFolders(*m_db);
  EXPECT_EQ(summary.eventsApplied, 3);
  EXPECT_EQ(DumpRows(*m_db), "petrov|StopWDay|2002-10-07 09:00:00|2002-10-07 09:05:00\n");
  EXPECT_TRUE(test::FilesIn(folder).empty());
}

TEST_F(Sweep, CancelStopsBetweenFilesLeavingTheRestForLater) {
  const std::string a = Folder(1, "a");
  const std::string b = Folder(2, "b");
  test::WriteFile(a + "/main.buf", kDayLines);
  test::WriteFile(b + "/main.buf", "2002|10|7|10|0|0|ivanov|StartWork|\n");
  // Stop is pressed while the first file is read.
  const SweepSummary summary = ProcessFolders(
      *m_db, test::Progress([](const SweepProgress& p) { return p.bytesRead == 0; }));
  EXPECT_TRUE(summary.cancelled);
  EXPECT_EQ(summary.filesProcessed, 1);
  EXPECT_EQ(DumpRows(*m_db), "petrov|WorkingDay|2002-10-07 09:00:00|2002-10-07 09:03:00\n");
  EXPECT_TRUE(test::FilesIn(a).empty());
  EXPECT_EQ(test::FilesIn(b), std::vector<std::string>{"main.buf"});
}

}  // namespace
}  // namespace vornal
