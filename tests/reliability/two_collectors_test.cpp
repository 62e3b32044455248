#include <signal.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <sstream>
#include <thread>

#include "buffer_generator.h"
#include "cli/cli_test_util.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

constexpr int kFolders = 4;

// Each folder's workers have logins of their own, so the rows do not depend
// on which collector takes which folder first.
std::vector<std::string> Buffers() {
  std::vector<std::string> buffers;
  for (int i = 0; i < kFolders; ++i) {
    std::ostringstream out;
    bench::BufferGenerator generator(15, static_cast<unsigned>(i + 3),
                                     *DateTime::FromParts(2024, 2, 5));
    generator.Write(out, 6000);
    std::string text = out.str();
    const std::string own = "|f" + std::to_string(i) + "user";
    for (std::size_t at = text.find("|user"); at != std::string::npos;
         at = text.find("|user", at + own.size()))
      text.replace(at, 5, own);
    buffers.push_back(std::move(text));
  }
  return buffers;
}

std::string SortedRows(const std::string& cwd) {
  std::istringstream rows(test::RowsIn(cwd));
  std::vector<std::string> lines;
  for (std::string line; std::getline(rows, line);) lines.push_back(line);
  std::sort(lines.begin(), lines.end());
  std::string out;
  for (const std::string& line : lines) out += line + "\n";
  return out;
}

// Two collectors run at once over the same folders into one database (the
// window's Process beside a scheduled one, or collectors on two machines),
// and now and then one of them is killed: every line is applied once, and
// the rows are those of one collector alone.
TEST(TwoCollectors, AtOnceAndKilledGiveTheRowsOfOneRun) {
  const std::vector<std::string> buffers = Buffers();
  test::TempDir reference;
  test::MakeOffice(reference.Path().string(), buffers);
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RunCli(reference.Path().string(), {"process"}).exitCode, 0);
  const auto fullMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  const std::string expected = SortedRows(reference.Path().string());
  ASSERT_FALSE(expected.empty());

  std::mt19937 random(std::random_device{}());
  for (int round = 0; round < 4; ++round) {
    SCOPED_TRACE("round " + std::to_string(round));
    test::TempDir office;
    const std::string cwd = office.Path().string();
    test::MakeOffice(cwd, buffers);
    // The second runs elsewhere, on the same database.
    const std::string elsewhere = cwd + "/elsewhere";
    fs::create_directory(elsewhere);
    const pid_t first = test::StartCli(cwd, {"process"});
    const pid_t second = test::StartCli(elsewhere, {"--db", test::DatabaseIn(cwd), "process"});
    // Rounds 1 and 3 kill the first collector somewhere in the run.
    if (round % 2) {
      std::this_thread::sleep_for(std::chrono::milliseconds(
          std::uniform_int_distribution<long>(0, std::max<long>(fullMs, 1))(random)));
      ::kill(first, SIGKILL);
    }
    const auto one = test::WaitCli(cwd, first);
    const auto two = test::WaitCli(elsewhere, second);
    if (!(round % 2)) {
      EXPECT_EQ(one.exitCode, 0) << one.out << one.err;
    }
    EXPECT_EQ(two.exitCode, 0) << two.out << two.err;
    // What a killed run left, the next one finishes.
    ASSERT_EQ(RunCli(cwd, {"process"}).exitCode, 0);
    EXPECT_EQ(SortedRows(cwd), expected);
    for (int i = 0; i < kFolders; ++i) EXPECT_TRUE(fs::is_empty(cwd + "/w" + std::to_string(i)));
  }
}

}  // namespace
}  // namespace vornal
