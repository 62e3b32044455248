#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <map>
#include <thread>
#include <vector>

#include "cli/cli_test_util.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

constexpr int kFolders = 2;
constexpr int kWriters = 4;
constexpr int kKeysPerWriter = 1200;
// Writers go on past kKeysPerWriter until Process has run this often while
// they write, however slow the machine; at most kMaxKeysPerWriter. A machine
// so slow that the writers reach that limit first (a server under the
// sanitizers at a high load) still has to see kMinRacingRuns.
constexpr int kMinRuns = 4;
constexpr int kMinRacingRuns = 2;
constexpr int kMaxKeysPerWriter = 20 * kKeysPerWriter;

// One client line, appended as the clients do: open, append, close. Every
// 16th line the client dawdles between its open and its write, so that a
// claim often lands while it holds the file.
void AppendLine(const std::string& path, const std::string& line, bool dawdle) {
  const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC, 0644);
  ASSERT_GE(fd, 0) << path;
  if (dawdle) std::this_thread::sleep_for(std::chrono::milliseconds(3));
  ASSERT_EQ(::write(fd, line.data(), line.size()), static_cast<ssize_t>(line.size()));
  ::close(fd);
}

std::string Line(int key, int second, const std::string& login, const char* event) {
  char text[128];
  std::snprintf(text, sizeof text, "2024|3|%d|10|%d|%d|%s|%s|\r\n", 1 + key / 3600, key / 60 % 60,
                second, login.c_str(), event);
  return text;
}

// Writers append day start and stop pairs, one login per pair, to the
// folders' main.buf while vornal-cli process runs again and again; in the
// end every pair has made exactly one finished working-day row.
TEST(ConcurrentWriters, EveryLineWrittenDuringProcessIsAppliedOnce) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  for (int i = 0; i < kFolders; ++i) {
    const std::string folder = cwd + "/w" + std::to_string(i);
    fs::create_directory(folder);
    ASSERT_EQ(RunCli(cwd, {"folders", "set", std::to_string(i + 1), folder}).exitCode, 0);
  }

  std::atomic<int> running{kWriters};
  std::atomic<int> runs{0};
  std::vector<int> written(kWriters);
  std::vector<std::thread> writers;
  for (int w = 0; w < kWriters; ++w)
    writers.emplace_back([&, w] {
      const std::string path = cwd + "/w" + std::to_string(w % kFolders) + "/main.buf";
      int k = 0;
      for (; k < kMaxKeysPerWriter && (k < kKeysPerWriter || runs < kMinRuns); ++k) {
        char login[32];
        std::snprintf(login, sizeof login, "w%d-%06d", w, k);
        AppendLine(path, Line(k, 0, login, "StartWDay"), k % 16 == 0);
        AppendLine(path, Line(k, 30, login, "StopWDay"), k % 16 == 8);
        std::this_thread::sleep_for(std::chrono::microseconds(1500));
      }
      written[static_cast<std::size_t>(w)] = k;
      --running;
    });

  while (running > 0) {
    const auto run = RunCli(cwd, {"process"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    ++runs;
  }
  for (auto& writer : writers) writer.join();
  const auto last = RunCli(cwd, {"process"});
  ASSERT_EQ(last.exitCode, 0) << last.err;

  Database db;
  db.Open(test::DatabaseIn(cwd));
  std::map<std::string, std::pair<int, std::string>> rows;  // login -> count, last event
  Statement query = db.Prepare("SELECT Login, Event FROM LOGS ORDER BY ID");
  while (query.Step()) {
    auto& row = rows[query.Text(0)];
    ++row.first;
    row.second = query.Text(1);
  }
  int lost = 0, doubled = 0, unfinished = 0;
  std::size_t keys = 0;
  for (int w = 0; w < kWriters; ++w)
    for (int k = 0; k < written[static_cast<std::size_t>(w)]; ++k) {
      ++keys;
      char login[32];
      std::snprintf(login, sizeof login, "w%d-%06d", w, k);
      const auto it = rows.find(login);
      if (it == rows.end())
        ++lost;
      else if (it->second.first > 1)
        ++doubled;
      else if (it->second.second != "StopWDay")
        ++unfinished;
    }
  std::printf("%d process runs while writing %zu pairs\n", runs.load(), keys);
  EXPECT_GE(runs, kMinRacingRuns);
  EXPECT_EQ(rows.size(), keys);
  EXPECT_EQ(lost, 0);
  EXPECT_EQ(doubled, 0);
  EXPECT_EQ(unfinished, 0);
  for (int i = 0; i < kFolders; ++i)
    EXPECT_TRUE(fs::is_empty(cwd + "/w" + std::to_string(i))) << "w" << i;
}

}  // namespace
}  // namespace vornal
