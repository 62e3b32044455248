#include <signal.h>

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <thread>

#include "buffer_generator.h"
#include "cli/cli_test_util.h"
#include "intake/intake_test_util.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

constexpr int kFolders = 3;

// vornal-cli process killed with SIGKILL at several instants, then run again,
// leaves exactly the rows of one uninterrupted run and no buffer behind.
TEST(CliProcessKill, RunAfterAKillGivesTheRowsOfOneUninterruptedRun) {
  std::vector<std::string> buffers;
  for (int i = 0; i < kFolders; ++i) {
    std::ostringstream out;
    bench::BufferGenerator generator(40, static_cast<unsigned>(i + 1),
                                     *DateTime::FromParts(2024, 3, 4));
    generator.Write(out, 15000);
    buffers.push_back(out.str());
  }

  test::TempDir reference;
  test::MakeOffice(reference.Path().string(), buffers);
  const auto start = std::chrono::steady_clock::now();
  const auto full = RunCli(reference.Path().string(), {"process"});
  const auto fullTime = std::chrono::steady_clock::now() - start;
  ASSERT_EQ(full.exitCode, 0) << full.err;
  const std::string expected = test::RowsIn(reference.Path().string());
  ASSERT_GT(expected.size(), 0u);

  std::mt19937 random(std::random_device{}());
  const auto fullMs = std::chrono::duration_cast<std::chrono::milliseconds>(fullTime).count();
  int interruptedMidFile = 0;
  for (int round = 0; round < 5; ++round) {
    test::TempDir office;
    const std::string cwd = office.Path().string();
    test::MakeOffice(cwd, buffers);
    // Spread the kills over the run: before, inside and between the files.
    const auto delay =
        std::uniform_int_distribution<long>(round * fullMs / 5, (round + 1) * fullMs / 5)(random);
    const pid_t pid = test::StartCli(cwd, {"process"});
    std::this_thread::sleep_for(std::chrono::milliseconds(delay));
    ::kill(pid, SIGKILL);
    const auto killed = test::WaitCli(cwd, pid);
    for (int i = 0; i < kFolders; ++i)
      for (const auto& entry : fs::directory_iterator(cwd + "/w" + std::to_string(i)))
        if (entry.path().filename().string().rfind("main.buf.claim-", 0) == 0) ++interruptedMidFile;
    const auto again = RunCli(cwd, {"process"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(test::RowsIn(cwd), expected)
        << "killed after " << delay << " ms, exit " << killed.exitCode;
    std::printf("round %d: killed after %ld ms of %ld, exit %d, claimed files left %d\n", round,
                delay, static_cast<long>(fullMs), killed.exitCode, interruptedMidFile);
    for (int i = 0; i < kFolders; ++i)
      EXPECT_TRUE(fs::is_empty(cwd + "/w" + std::to_string(i))) << "round " << round;
  }
  // The kills did land inside the work, not only before or after it.
  EXPECT_GT(interruptedMidFile, 0);
}

// An office of 50 folders under one pattern: a run killed anywhere leaves
// claimed files (a whole batch of them, uncommitted) that the next run finds
// again through the pattern and applies exactly once.
TEST(CliProcessKill, PatternOfFiftyFoldersRecoversFromKills) {
  constexpr int kOffice = 50;
  const auto makeOffice = [](const std::string& cwd) {
    for (int i = 0; i < kOffice; ++i) {
      const std::string folder = cwd + "/office/p" + std::to_string(100 + i);
      fs::create_directories(folder);
      std::ostringstream out;
      bench::BufferGenerator generator(1, static_cast<unsigned>(i + 1),
                                       *DateTime::FromParts(2024, 3, 4));
      generator.Write(out, 400);
      std::string text = out.str();
      const std::string login = "|" + bench::BufferGenerator::LoginName(0) + "|";
      for (std::size_t at = 0; (at = text.find(login, at)) != std::string::npos; ++at)
        text.replace(at, login.size(), "|p" + std::to_string(100 + i) + "|");
      test::WriteFile(folder + "/main.buf", text);
    }
    ASSERT_EQ(RunCli(cwd, {"folders", "set", "1", cwd + "/office/p*"}).exitCode, 0);
  };
  const auto leftIn = [](const std::string& cwd) {
    int files = 0;
    for (const auto& entry : fs::recursive_directory_iterator(cwd + "/office"))
      files += entry.is_regular_file();
    return files;
  };

  test::TempDir reference;
  makeOffice(reference.Path().string());
  const auto full = RunCli(reference.Path().string(), {"process"});
  ASSERT_EQ(full.exitCode, 0) << full.err;
  const std::string expected = test::RowsIn(reference.Path().string());
  EXPECT_EQ(std::count(full.out.begin(), full.out.end(), '\n'), kOffice + 1);

  // Killed with the first, a middle and the last file claimed, and where a
  // batch commits: each time some claimed file is left for the next run.
  for (const char* point :
       {"after-claim:1", "after-claim:25", "after-claim:50", "before-commit:1", "after-commit:1"}) {
    SCOPED_TRACE(point);
    test::TempDir office;
    const std::string cwd = office.Path().string();
    makeOffice(cwd);
    ::setenv("VORNAL_CRASH_AT", point, 1);
    const auto killed = RunCli(cwd, {"process"});
    ::unsetenv("VORNAL_CRASH_AT");
    EXPECT_EQ(killed.exitCode, -SIGKILL) << killed.err;
    int claimedLeft = 0;
    for (const auto& entry : fs::recursive_directory_iterator(cwd + "/office"))
      claimedLeft += entry.path().filename().string().rfind("main.buf.claim-", 0) == 0;
    EXPECT_GT(claimedLeft, 0);
    const auto again = RunCli(cwd, {"process"});
    ASSERT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(test::RowsIn(cwd), expected);
    EXPECT_EQ(leftIn(cwd), 0);
  }
}

}  // namespace
}  // namespace vornal
