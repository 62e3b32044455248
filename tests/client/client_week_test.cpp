#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>

#include "cli/cli_test_util.h"
#include "stats/daily_totals.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;

constexpr uid_t kWorker = 65534;
constexpr uid_t kCollector = 65533;

// Runs `argv` in `cwd` as `uid` (its group too, umask 0) with its output in
// .out and .err there.
pid_t StartAs(const std::string& cwd, uid_t uid, std::vector<std::string> argv) {
  argv.insert(argv.begin(), {"/usr/bin/setpriv", "--reuid=" + std::to_string(uid),
                             "--regid=" + std::to_string(uid), "--clear-groups", "--"});
  const pid_t pid = ::fork();
  if (pid != 0) return pid;
  ::umask(0);
  if (::chdir(cwd.c_str()) != 0) ::_exit(127);
  ::dup2(::open(".cli.out", O_WRONLY | O_CREAT | O_TRUNC, 0666), 1);
  ::dup2(::open(".cli.err", O_WRONLY | O_CREAT | O_TRUNC, 0666), 2);
  std::vector<char*> args;
  for (auto& arg : argv) args.push_back(arg.data());
  args.push_back(nullptr);
  ::execv(args[0], args.data());
  ::_exit(127);
}

// A worker's week written by the client as one user while vornal-cli
// process runs again and again as another, who owns none of the files:
// the office's timesheet holds, day by day and to the second, what the
// client's own log counts, and nothing is left in the folder or the spool.
TEST(ClientWeek, OfficeTotalsEqualTheClientsAsAnotherUser) {
  ASSERT_EQ(::geteuid(), 0u) << "runs the client and the collector as two other users";
  test::TempDir office;
  const std::string cwd = office.Path().string();
  const std::string folder = cwd + "/w";
  const std::string client = cwd + "/client";
  ::chmod(cwd.c_str(), 0777);
  for (const std::string& dir : {folder, client}) {
    fs::create_directory(dir);
    ASSERT_EQ(::chown(dir.c_str(), kWorker, kWorker), 0);
    ::chmod(dir.c_str(), 0777);
  }
  const auto collect = [&](std::vector<std::string> args) {
    args.insert(args.begin(), VORNAL_CLI);
    return test::WaitCliWithin(cwd, StartAs(cwd, kCollector, args), 120);
  };
  ASSERT_EQ(collect({"folders", "set", "1", folder}).exitCode, 0);

  const pid_t worker =
      StartAs(client, kWorker, {VORNAL_CLIENT_WEEK, folder, client + "/state", "Сидоров", "240"});
  int runs = 0;
  for (int status = 0; ::waitpid(worker, &status, WNOHANG) == 0; ++runs) {
    const auto run = collect({"process", "--quiet-period", "1"});
    // 3: a file the run could not delete while the folder was read-only.
    ASSERT_TRUE(run.exitCode == 0 || run.exitCode == 3) << run.out << run.err;
  }
  // The client is done; its files become final a quiet period later on
  // the collector's clock.
  for (int i = 1; i <= 5 && !fs::is_empty(folder); ++i) {
    ::setenv("VORNAL_CLOCK_AHEAD", std::to_string(i * 2).c_str(), 1);
    const auto run = collect({"process", "--quiet-period", "1"});
    ::unsetenv("VORNAL_CLOCK_AHEAD");
    ASSERT_EQ(run.exitCode, 0) << run.out << run.err;
  }
  std::printf("%d runs while the client wrote\n", runs);
  EXPECT_GT(runs, 0);
  EXPECT_TRUE(fs::is_empty(folder));
  EXPECT_FALSE(fs::exists(client + "/state/spool"));
  const std::string days = test::ReadFile(client + "/.cli.out");
  std::printf("%s", days.c_str());
  ASSERT_EQ(std::count(days.begin(), days.end(), '\n'), 5)
      << days << test::ReadFile(client + "/.cli.err");

  Database db;
  db.Open(cwd + "/base.mdb");
  EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM rejected_lines"), 0);
  std::istringstream lines(days);
  std::string day;
  std::int64_t work = 0, tasks = 0;
  while (lines >> day >> work >> tasks) {
    const DateTime date = *DateTime::FromIso(day);
    const DailyTotals totals = ComputeDailyTotals(db, date, date, "");
    ASSERT_EQ(totals.logins.size(), 1u) << day;
    EXPECT_EQ(totals.logins[0].login, "Сидоров");
    EXPECT_EQ(totals.total.work, work) << day;
    EXPECT_EQ(totals.total.tasks, tasks) << day;
    EXPECT_GT(work, 3 * 3600) << day;
  }
}

}  // namespace
}  // namespace vornal
