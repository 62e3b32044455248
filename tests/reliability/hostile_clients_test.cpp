#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <sstream>
#include <thread>

#include "cli/cli_test_util.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

// Keys each client writes: a task of a login of its own, started and, an
// hour later, stopped, which leaves one row when both lines are applied
// once and two when applied twice. VORNAL_SOAK_KEYS asks for more.
const int kKeys =
    std::getenv("VORNAL_SOAK_KEYS") ? std::atoi(std::getenv("VORNAL_SOAK_KEYS")) : 400;

// Key k starts at a minute of its own, from 08:00 of 1 May 2024, ten hours
// a day.
std::string Line(int key, int hourShift, const std::string& login, const char* event) {
  return "2024|5|" + std::to_string(1 + key / 600) + "|" +
         std::to_string(8 + key % 600 / 60 + hourShift) + "|" + std::to_string(key % 60) + "|0|" +
         login + "|" + event + "|\r\n";
}

std::string Row(int key, const std::string& login) {
  char time[32];
  std::snprintf(time, sizeof time, "2024-05-%02d %02d:%02d:00", 1 + key / 600, 8 + key % 600 / 60,
                key % 60);
  return login + "|StopWork|" + time + "|" + time;
}

void Write(const std::string& path, const std::string& text, int flags) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | flags, 0666);
  ASSERT_GE(fd, 0);
  ASSERT_EQ(::write(fd, text.data(), text.size()), static_cast<ssize_t>(text.size()));
  ::close(fd);
}

void Pause() {
  std::this_thread::sleep_for(std::chrono::microseconds(2000));
}

// Writes each line on its own, in Windows-1251 or UTF-8 by turns (the start
// of a key in one, its stop in the other), some lines in two appends with
// the file closed between, and a UTF-8 mark at the head of some new files.
void Reencoding(const std::string& path) {
  for (int key = 0; key < kKeys; ++key) {
    const std::string number = std::to_string(key);
    if (key % 5 == 0 && !fs::exists(path)) Write(path, "\xEF\xBB\xBF", O_APPEND);
    Write(path, Line(key, 0, "\xC6" + number, "StartWork"), O_APPEND);
    const std::string stop = Line(key, 1, "Ж" + number, "StopWork");
    const std::size_t cut = key % 7 == 0 ? 17 : stop.size();
    Write(path, stop.substr(0, cut), O_APPEND);
    if (cut < stop.size()) Write(path, stop.substr(cut), O_APPEND);
    Pause();
  }
}

// Writes all its lines anew for every key, by turns in place (truncated)
// and as a new file renamed over main.buf.
void Rewriting(const std::string& path) {
  std::string text;
  for (int key = 0; key < kKeys; ++key) {
    const std::string login = "b" + std::to_string(key);
    text += Line(key, 0, login, "StartWork") + Line(key, 1, login, "StopWork");
    if (key % 2) {
      Write(path, text, O_TRUNC);
    } else {
      Write(path + ".new", text, O_TRUNC);
      fs::rename(path + ".new", path);
    }
    Pause();
  }
}

// A client whose clock is now and then years off: those lines are kept
// aside and never make a row.
void Misdating(const std::string& path, int& misdated) {
  for (int key = 0; key < kKeys; ++key) {
    const std::string login = "c" + std::to_string(key);
    std::string text = Line(key, 0, login, "StartWork") + Line(key, 1, login, "StopWork");
    if (key % 10 == 0) {
      text += (key % 20 ? "2099" : "24") +
              Line(key, 0, "far" + std::to_string(key), "StartWork").substr(4);
      ++misdated;
    }
    Write(path, text, O_APPEND);
    Pause();
  }
}

// Clients that re-encode, rewrite and mis-date while two collectors run at
// once into one database: every event is applied once, every mis-dated
// line is kept aside, and every file is collected in the end.
TEST(HostileClients, RewriteReencodeAndMisdateWhileTwoCollectorsRun) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  const std::string elsewhere = cwd + "/elsewhere";
  fs::create_directory(elsewhere);
  test::MakeOffice(cwd, {"", "", ""});
  for (int i = 0; i < 3; ++i) fs::remove(cwd + "/w" + std::to_string(i) + "/main.buf");

  std::atomic<bool> writing = true;
  int misdated = 0;
  std::thread clients([&] {
    std::thread a(Reencoding, cwd + "/w0/main.buf");
    std::thread b(Rewriting, cwd + "/w1/main.buf");
    std::thread c(Misdating, cwd + "/w2/main.buf", std::ref(misdated));
    a.join();
    b.join();
    c.join();
    writing = false;
  });
  const auto collect = [&](const std::string& dir, std::vector<std::string> args, int& runs) {
    args.push_back("process");
    while (writing) {
      const auto run = RunCli(dir, args);
      EXPECT_EQ(run.exitCode, 0) << run.out << run.err;
      ++runs;
      // As a scheduled collection would, not back to back: the tests beside
      // this one get their share of the machine.
      std::this_thread::sleep_for(std::chrono::milliseconds(20));
    }
  };
  int firstRuns = 0, secondRuns = 0;
  std::thread first(collect, cwd, std::vector<std::string>{}, std::ref(firstRuns));
  std::thread second(collect, elsewhere, std::vector<std::string>{"--db", test::DatabaseIn(cwd)},
                     std::ref(secondRuns));
  clients.join();
  first.join();
  second.join();
  for (int i = 0; i < 3; ++i) ASSERT_EQ(RunCli(cwd, {"process"}).exitCode, 0);
  std::printf("%d and %d runs while the clients wrote\n", firstRuns, secondRuns);
  EXPECT_GT(firstRuns + secondRuns, 2);

  std::vector<std::string> expected;
  for (int key = 0; key < kKeys; ++key)
    for (const char* login : {"Ж", "b", "c"})
      expected.push_back(Row(key, login + std::to_string(key)));
  std::sort(expected.begin(), expected.end());
  std::vector<std::string> rows;
  std::istringstream dump(test::RowsIn(cwd));
  for (std::string row; std::getline(dump, row);) rows.push_back(row);
  std::sort(rows.begin(), rows.end());
  EXPECT_EQ(rows, expected);

  Database db;
  db.Open(test::DatabaseIn(cwd));
  EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM rejected_lines WHERE Reason = 'time-out-of-range'"),
            misdated);
  EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM rejected_lines WHERE Reason <> 'time-out-of-range'"),
            0);
  for (int i = 0; i < 3; ++i) EXPECT_TRUE(fs::is_empty(cwd + "/w" + std::to_string(i))) << i;
}

}  // namespace
}  // namespace vornal
