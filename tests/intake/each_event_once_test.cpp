// Each event applied once, whatever clients and administrators do with the
// files: rewrite, link, copy, re-encode or mis-date them, write a line in
// pieces, replace the database, or run two collectors or two retries.
#include <fcntl.h>
#include <grp.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <fstream>
#include <thread>

#include "intake/folder_sweep.h"
#include "intake/intake_test_util.h"
#include "store/folder_slots.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::DumpRows;

// A task of `login` started at h:m and stopped an hour later: its start
// goes stale, so applied once it leaves one row of no length, applied
// twice two.
std::string Task(const std::string& login, int hour, int minute = 0) {
  const std::string day = "2024|5|6|";
  return day + std::to_string(hour) + "|" + std::to_string(minute) + "|0|" + login +
         "|StartWork|\r\n" + day + std::to_string(hour + 1) + "|" + std::to_string(minute) + "|0|" +
         login + "|StopWork|\r\n";
}

std::string TaskRow(const std::string& login, int hour, int minute = 0) {
  char time[32];
  std::snprintf(time, sizeof time, "2024-05-06 %02d:%02d:00", hour, minute);
  return login + "|StopWork|" + time + "|" + time + "\n";
}

void Append(int fd, const std::string& text) {
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
}

class EachEventOnce : public ::testing::Test {
 protected:
  std::string Folder(int slot, const std::string& name) {
    const std::string folder = (m_dir.Path() / name).string();
    fs::create_directories(folder);
    m_db->Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", FolderSlotKey(slot), folder);
    return folder;
  }
  SweepSummary Run() { return ProcessFolders(*m_db, m_options); }
  std::int64_t Kept(const char* reason) {
    return m_db->QueryInt("SELECT COUNT(*) FROM rejected_lines WHERE Reason = ?", reason)
        .value_or(0);
  }

  test::TempDir m_dir;
  std::unique_ptr<Database> m_db = test::MakeMemoryDatabase();
  SweepOptions m_options;
};

// A client that holds main.buf open truncates it and writes it anew,
// shorter, then longer with the old lines in it: every new line is applied,
// none twice.
TEST_F(EachEventOnce, FileTruncatedAndRewrittenIsReadAgain) {
  const std::string folder = Folder(1, "a");
  test::WriteFile(folder + "/main.buf", Task("u1", 8) + Task("u2", 9));
  const int client = ::open((folder + "/main.buf").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(client, 0);
  EXPECT_EQ(Run().eventsApplied, 4);

  ASSERT_EQ(::ftruncate(client, 0), 0);
  Append(client, Task("u3", 10));
  SweepSummary summary = Run();
  EXPECT_EQ(summary.eventsApplied, 2);
  ASSERT_EQ(summary.folders.size(), 1u);
  EXPECT_EQ(summary.failures, 0);

  ASSERT_EQ(::ftruncate(client, 0), 0);
  Append(client, Task("u1", 8) + Task("u2", 9) + Task("u3", 10) + Task("u4", 11));
  EXPECT_EQ(Run().eventsApplied, 2);
  ::close(client);
  Run();
  EXPECT_EQ(DumpRows(*m_db),
            TaskRow("u1", 8) + TaskRow("u2", 9) + TaskRow("u3", 10) + TaskRow("u4", 11));
  EXPECT_TRUE(test::FilesIn(folder).empty());
}

// A clock years ahead, or a year torn by NUL bytes, cannot move anybody's
// rows: such lines are kept aside, the login's other events apply as usual.
TEST_F(EachEventOnce, ImplausibleTimesAreKeptAside) {
  const std::string folder = Folder(1, "a");
  test::WriteFile(folder + "/main.buf", std::string("2099|1|1|9|0|0|iv|StartWDay|\r\n"
                                                    "2024|5|6|9|0|0|iv|StartWDay|\r\n"
                                                    "2024|5|6|9|3|0|iv|WorkingDay|\r\n"
                                                    "2024|5|6|9|5|0|iv|StopWDay|\r\n"
                                                    "24|5|6|9|0|0|yy|StartWDay|\r\n") +
                                            std::string("2\0\0", 3) +
                                            "024|5|6|9|0|0|zz|StartWDay|\r\n");
  Run();
  EXPECT_EQ(DumpRows(*m_db), "iv|StopWDay|2024-05-06 09:00:00|2024-05-06 09:05:00\n");
  EXPECT_EQ(Kept("time-out-of-range"), 3);
}

// A line written in two appends, the file closed between them, is applied
// whole: main.buf is not claimed while it ends in the middle of a line. Once
// claimed that way (quiet period 0), the piece is kept aside and joined with
// the first line of the folder's next file, as the bytes were written (a
// UTF-8 character cut in two included).
TEST_F(EachEventOnce, LineWrittenInTwoAppendsIsAppliedWhole) {
  const std::string folder = Folder(1, "a");
  test::WriteFile(folder + "/main.buf", "2024|5|6|9|3|0|");
  Run();
  std::ofstream(folder + "/main.buf", std::ios::app) << "ivanov|WorkingDay|\r\n";
  Run();
  EXPECT_EQ(DumpRows(*m_db), "ivanov|WorkingDay|2024-05-06 09:03:00|2024-05-06 09:03:00\n");

  m_options.quietPeriod = 0;
  test::WriteFile(folder + "/main.buf", "2024|5|6|9|4|0|\xD0");
  Run();
  EXPECT_TRUE(test::FilesIn(folder).empty());
  EXPECT_EQ(Kept("unended-line"), 1);
  test::WriteFile(folder + "/main.buf", "\x96ук|WorkingDay|\r\n");
  EXPECT_EQ(Run().eventsApplied, 1);
  EXPECT_EQ(DumpRows(*m_db),
            "ivanov|WorkingDay|2024-05-06 09:03:00|2024-05-06 09:03:00\n"
            "Жук|WorkingDay|2024-05-06 09:04:00|2024-05-06 09:04:00\n");
  EXPECT_EQ(m_db->QueryInt("SELECT COUNT(*) FROM rejected_lines"), 0);
}

// Each line in its own encoding: a file that begins with a UTF-8 mark and
// goes on in Windows-1251 keeps Иванов and Петров apart, and a UTF-8 line in
// a file without the mark finds Иванов's day.
TEST_F(EachEventOnce, EachLineIsReadInItsOwnEncoding) {
  Folder(1, "a");
  Folder(2, "b");
  test::WriteFile((m_dir.Path() / "a/main.buf").string(),
                  "\xEF\xBB\xBF"
                  "2024|5|6|9|0|0|\xC8\xE2\xE0\xED\xEE\xE2|StartWDay|\r\n"
                  "2024|5|6|9|1|0|\xCF\xE5\xF2\xF0\xEE\xE2|StartWDay|\r\n"
                  "2024|5|6|9|2|0|\xCF\xE5\xF2\xF0\xEE\xE2|StopWDay|\r\n");
  test::WriteFile((m_dir.Path() / "b/main.buf").string(), "2024|5|6|9|3|0|ИВАНОВ|WorkingDay|\r\n");
  Run();
  EXPECT_EQ(DumpRows(*m_db),
            "Иванов|WorkingDay|2024-05-06 09:00:00|2024-05-06 09:03:00\n"
            "Петров|StopWDay|2024-05-06 09:01:00|2024-05-06 09:02:00\n");
}

// base.mdb replaced by a backup while a run works: what the run committed
// went into the file it opened, so no buffer is deleted, and the next run
// applies them all to the database there now.
TEST_F(EachEventOnce, DatabaseReplacedDuringARunDeletesNothing) {
  if (test::OnServer()) GTEST_SKIP() << "a server's database cannot be swapped under a run";
  const std::string path = m_dir.File("base.mdb");
  DatabasePtr db = test::MakeDatabase(path);
  for (int slot = 1; slot <= 2; ++slot) {
    const std::string folder = m_dir.File("w" + std::to_string(slot));
    fs::create_directory(folder);
    db->Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", FolderSlotKey(slot), folder);
  }
  db->Connection().BackUp(m_dir.File("backup.mdb"), false);
  test::WriteFile(m_dir.File("w1/main.buf"), Task("a", 8));
  test::WriteFile(m_dir.File("w2/main.buf"), Task("b", 9));
  bool replaced = false;
  SweepOptions options;
  options.progress = [&](const SweepProgress& p) {
    if (!replaced && p.bytesRead > 0)
      replaced = std::rename(m_dir.File("backup.mdb").c_str(), path.c_str()) == 0;
    return true;
  };
  EXPECT_THROW(ProcessFolders(*db, options), StoreError);
  EXPECT_TRUE(replaced);
  EXPECT_EQ(test::FilesIn(m_dir.File("w1")).size(), 1u);
  EXPECT_EQ(test::FilesIn(m_dir.File("w2")).size(), 1u);

  db = std::make_unique<Database>();
  db->Open(path);
  ProcessFolders(*db);
  EXPECT_EQ(DumpRows(*db), TaskRow("a", 8) + TaskRow("b", 9));
  EXPECT_TRUE(test::FilesIn(m_dir.File("w1")).empty());
}

// One file reached twice, through a hard link in a second folder, or as a
// copy of a waiting claimed file (a share restored from a backup: a new
// inode under the same name), and a client that rewrites main.buf by
// renaming a new file over it with its old lines: each event once.
TEST_F(EachEventOnce, SameLinesReachedAgainChangeNothing) {
  const std::string a = Folder(1, "a");
  const std::string b = Folder(2, "b");
  test::WriteFile(a + "/main.buf", Task("l", 8));
  fs::create_hard_link(a + "/main.buf", b + "/main.buf");
  Run();

  const std::string c = Folder(3, "c");
  test::WriteFile(c + "/main.buf", Task("c", 9));
  const int client = ::open((c + "/main.buf").c_str(), O_WRONLY | O_APPEND);
  Run();
  ASSERT_EQ(test::FilesIn(c).size(), 1u);
  const std::string claimed = c + "/" + test::FilesIn(c).front();
  fs::copy_file(claimed, c + "/copy");
  fs::rename(c + "/copy", claimed);
  ::close(client);
  Run();

  test::WriteFile(a + "/main.buf", Task("r", 10));
  Run();
  test::WriteFile(a + "/new", Task("r", 10) + Task("r", 12));
  fs::rename(a + "/new", a + "/main.buf");
  const SweepSummary summary = Run();
  EXPECT_EQ(summary.eventsApplied, 2);
  EXPECT_EQ(summary.linesSkipped, 2);
  EXPECT_EQ(DumpRows(*m_db),
            TaskRow("l", 8) + TaskRow("c", 9) + TaskRow("r", 10) + TaskRow("r", 12));
  for (const std::string& folder : {a, b, c}) EXPECT_TRUE(test::FilesIn(folder).empty()) << folder;
}

// A client that holds its file open costs a run at most two passes over
// it; a line too long to keep, still being written, is kept aside once
// (its start) and the rest of it is skipped, never read again.
TEST_F(EachEventOnce, HeldFilesAndOverlongLinesCostBoundedWork) {
  const std::string folder = Folder(1, "a");
  const std::string start(100 << 10, 'x');
  test::WriteFile(folder + "/main.buf", Task("h", 8) + start);
  const int client = ::open((folder + "/main.buf").c_str(), O_WRONLY | O_APPEND);
  m_options.quietPeriod = 0;
  int reports = 0;
  m_options.progress = [&](const SweepProgress& p) {
    reports += p.file.find("claim") != std::string::npos;
    return true;
  };
  Run();
  // Two passes, a few reports each (twenty passes were forty reports and more).
  EXPECT_LT(reports, 10);
  EXPECT_EQ(Kept("line-too-long"), 1);
  const auto size = static_cast<std::int64_t>(Task("h", 8).size() + start.size());
  EXPECT_EQ(m_db->QueryInt("SELECT Bytes FROM intake_ledger"), size);

  Append(client, std::string(50 << 10, 'y') + "\r\n" + Task("h", 10));
  ::close(client);
  std::int64_t firstRead = -1;
  m_options.progress = [&](const SweepProgress& p) {
    if (firstRead < 0 && p.fileSize > 0) firstRead = p.bytesRead;
    return true;
  };
  Run();
  EXPECT_EQ(firstRead, size);
  EXPECT_EQ(Kept("line-too-long"), 1);
  EXPECT_EQ(DumpRows(*m_db), TaskRow("h", 8) + TaskRow("h", 10));
  EXPECT_TRUE(test::FilesIn(folder).empty());
}

// Two retries at once, on two connections (two operators, or a retry beside
// a collection): each kept line is applied by one of them.
TEST(EachEventOnceRetry, TwoRetriesAtOnceApplyEachLineOnce) {
  test::TempDir dir;
  const std::string location = test::DatabaseIn(dir.Path().string());
  DatabasePtr db = test::MakeDatabase(location);
  constexpr int kLogins = 300;
  {
    Transaction transaction(*db);
    for (int i = 0; i < kLogins; ++i) {
      const std::string task = Task("r" + std::to_string(i), 9);
      const std::size_t end = task.find('\r');
      KeepAside(*db, "f", "main.buf.claim-1", 2 * i + 1, SkipReason::UnknownEvent,
                static_cast<std::int64_t>(end), task.substr(0, end), DateTime::Now());
      const std::string stop = task.substr(end + 2, task.size() - end - 4);
      KeepAside(*db, "f", "main.buf.claim-1", 2 * i + 2, SkipReason::UnknownEvent,
                static_cast<std::int64_t>(stop.size()), stop, DateTime::Now());
    }
    transaction.Commit();
  }
  std::atomic<int> ready = 0;
  std::vector<std::thread> retries;
  for (int i = 0; i < 2; ++i)
    retries.emplace_back([&] {
      Database own;
      own.Open(location);
      ++ready;
      while (ready < 2) std::this_thread::yield();
      RetryRejected(own);
    });
  for (std::thread& retry : retries) retry.join();
  EXPECT_EQ(db->QueryInt("SELECT COUNT(*) FROM LOGS"), kLogins);
  EXPECT_EQ(db->QueryInt("SELECT COUNT(*) FROM rejected_lines"), 0);
}

// The collector as another user (no lease: the quiet period decides), with
// a client holding the file open. A step of the wall clock between two runs
// a second apart does not make the file look quiet, and a run with the
// clock a year ahead does not hold it back once the clock is put right: the
// quiet period is measured on the boot clock.
TEST(EachEventOnceClock, WallClockStepsDoNotFoolTheQuietPeriod) {
  if (::geteuid() != 0) GTEST_SKIP() << "needs root to collect as another user";
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  ::chmod(cwd.c_str(), 0777);
  const std::string location = test::DatabaseIn(cwd);
  DatabasePtr db = test::MakeDatabase(location);
  if (!db->IsServer()) ::chmod(location.c_str(), 0666);
  const std::string folder = cwd + "/w";
  fs::create_directory(folder);
  ::chmod(folder.c_str(), 0777);
  db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', ?)", folder);
  test::WriteFile(folder + "/main.buf", Task("k", 8));
  ::chmod((folder + "/main.buf").c_str(), 0666);
  const int client = ::open((folder + "/main.buf").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(client, 0);

  ClockReading clock{*DateTime::FromParts(2024, 5, 6, 12), std::time(nullptr), 5000000, "boot-1"};
  const auto run = [&] {
    const pid_t pid = ::fork();
    if (pid == 0) {
      if (::setgroups(0, nullptr) != 0 || ::setresgid(65533, 65533, 65533) != 0 ||
          ::setresuid(65533, 65533, 65533) != 0)
        ::_exit(2);
      try {
        Database own;
        own.Open(location);
        SweepOptions options;
        options.quietPeriod = 600;
        options.clock = [clock] { return clock; };
        ProcessFolders(own, options);
        ::_exit(0);
      } catch (...) {
        ::_exit(1);
      }
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
  };
  const auto step = [&clock](std::int64_t wallSeconds, std::int64_t bootSeconds) {
    clock.local = clock.local.AddSeconds(wallSeconds);
    clock.unixTime += wallSeconds;
    clock.bootMilliseconds += bootSeconds * 1000;
  };
  run();
  step(600, 1);
  run();
  EXPECT_FALSE(fs::is_empty(folder)) << "deleted while the client holds it";
  Append(client, Task("k", 10));
  ::close(client);
  step(365 * 86400, 1);
  run();
  step(-365 * 86400 + 2, 600);
  run();
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_EQ(DumpRows(*db), TaskRow("k", 8) + TaskRow("k", 10));

  // After a reboot the boot clock starts again: the file's time tells.
  test::WriteFile(folder + "/main.buf", Task("k", 12));
  ::chmod((folder + "/main.buf").c_str(), 0666);
  run();
  EXPECT_FALSE(fs::is_empty(folder));
  clock.bootId = "boot-2";
  clock.bootMilliseconds = 60000;
  clock.unixTime = std::time(nullptr) + 600;
  run();
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_EQ(DumpRows(*db), TaskRow("k", 8) + TaskRow("k", 10) + TaskRow("k", 12));
}

}  // namespace
}  // namespace vornal
