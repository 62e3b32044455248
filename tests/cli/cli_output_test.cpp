// What vornal-cli writes: a file is written whole or not at all and never
// over the database, a device or a FIFO; a failed write, also to the
// standard output, is a failure.
#include <signal.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <sys/sysmacros.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <map>
#include <thread>

#include "cli/cli_test_util.h"
#include "stats/stats_test_util.h"
#include "store/people.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

bool Has(const std::string& text, const std::string& part) {
  return text.find(part) != std::string::npos;
}

// A small file system of its own at `path`, so that its disk can be filled.
class SmallDisk {
 public:
  explicit SmallDisk(const std::string& path) : m_path(path) {
    fs::create_directory(path);
    m_mounted = ::mount("tmpfs", path.c_str(), "tmpfs", 0, "size=256k") == 0;
    m_error = m_mounted ? "" : std::strerror(errno);
  }
  ~SmallDisk() {
    if (m_mounted) ::umount2(m_path.c_str(), MNT_DETACH);
  }
  SmallDisk(const SmallDisk&) = delete;
  SmallDisk& operator=(const SmallDisk&) = delete;
  bool Mounted() const { return m_mounted; }
  const std::string& Error() const { return m_error; }

  // Fills the disk up to one free page.
  void Fill() {
    std::ofstream filler(m_path + "/filler", std::ios::binary);
    const std::string block(4096, 'x');
    while (filler.write(block.data(), block.size()) && filler.flush()) {
    }
    filler.close();
    fs::resize_file(m_path + "/filler", fs::file_size(m_path + "/filler") - 4096);
  }

 private:
  std::string m_path;
  bool m_mounted = false;
  std::string m_error;
};

// Every entry under a folder as it is: kind, inode, permissions, size,
// modification time and, for a file, its contents (a folder's times change
// with the temporary files made and removed in it).
std::map<std::string, std::string> Snapshot(const std::string& folder) {
  std::map<std::string, std::string> entries;
  const auto take = [&](const std::string& path) {
    struct stat st {};
    if (::lstat(path.c_str(), &st) != 0) return;
    std::string state = std::to_string(st.st_mode) + " " + std::to_string(st.st_ino) + " " +
                        std::to_string(st.st_rdev);
    if (!S_ISDIR(st.st_mode))
      state += " " + std::to_string(st.st_size) + " " + std::to_string(st.st_mtim.tv_sec) + "." +
               std::to_string(st.st_mtim.tv_nsec);
    if (S_ISREG(st.st_mode)) state += " " + test::ReadFile(path);
    entries[path] = state;
  };
  for (const auto& entry : fs::recursive_directory_iterator(folder)) {
    const std::string name = entry.path().filename().string();
    if (name != ".cli.out" && name != ".cli.err") take(entry.path().string());
  }
  return entries;
}

// The names that differ between two snapshots.
std::string Changed(const std::map<std::string, std::string>& before,
                    const std::map<std::string, std::string>& after) {
  std::string changed;
  for (const auto& [path, state] : after)
    if (!before.contains(path) || before.at(path) != state) changed += path + " ";
  for (const auto& [path, state] : before)
    if (!after.contains(path)) changed += path + " (gone) ";
  return changed;
}

std::vector<std::string> With(std::vector<std::string> args, const std::string& target) {
  for (std::string& arg : args)
    if (arg == "%") arg = target;
  return args;
}

// Each command that writes a file, aimed at the database (by its name, a
// symbolic link, a hard link, its journal's name), a device like /dev/null,
// a FIFO, and a full disk (an existing file and a new name), fails and changes nothing;
// aimed at a new name it writes that file and nothing else.
TEST(CliOutput, WritersChangeNothingButTheirFile) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  {
    const DatabasePtr db = test::MakeDatabase(test::DatabaseIn(cwd));
    for (int i = 1; i <= 100; ++i)
      InsertPerson(*db, {"Работник номер " + std::to_string(i) + " с длинным именем", "", "", "",
                         "p" + std::to_string(i), "", ""});
    test::AddLog(*db, "p1", "StopWDay", "2024-03-04 09:00:00", "2024-03-04 18:00:00");
  }
  SmallDisk disk(cwd + "/full");
  ASSERT_TRUE(disk.Mounted()) << "cannot mount a small tmpfs (run as root): " << disk.Error();
  test::WriteFile(cwd + "/full/old.out", "the old file\n");
  disk.Fill();
  ASSERT_EQ(::mkfifo((cwd + "/fifo.out").c_str(), 0644), 0);
  // A device of its own, the same as /dev/null: a test run against a
  // writer that replaces devices must not take the system's.
  ASSERT_EQ(::mknod((cwd + "/null.out").c_str(), S_IFCHR | 0666, ::makedev(1, 3)), 0)
      << std::strerror(errno);

  std::vector<std::string> targets{"null.out", "fifo.out", "full/old.out", "full/new.out"};
  if (!test::OnServer()) {
    fs::create_symlink("base.mdb", cwd + "/link.out");
    fs::create_hard_link(cwd + "/base.mdb", cwd + "/hard.out");
    targets.insert(targets.end(), {"base.mdb", "link.out", "hard.out", "base.mdb-journal"});
  }
  std::vector<std::vector<std::string>> writers{
      {"people", "export", "%"}, {"backup", "%", "--force"}, {"copy", "--to", "%"}};
#ifdef VORNAL_PDF
  writers.push_back({"timesheet", "--year", "2024", "--month", "3", "--pdf", "%"});
  writers.push_back({"sheets", "--year", "2024", "--month", "3", "--login", "p1", "--pdf", "%"});
#endif
  const std::string rows = test::RowsIn(cwd);
  const auto before = Snapshot(cwd);
  for (const auto& writer : writers)
    for (const std::string& target : targets) {
      SCOPED_TRACE(writer[0] + " " + target);
      const auto run = test::WaitCliWithin(cwd, test::StartCli(cwd, With(writer, target)), 30);
      EXPECT_NE(run.exitCode, 0) << run.out;
      EXPECT_NE(run.exitCode, -1000) << "hung";
      // The message names the file refused, not the database.
      if (writer[0] != "backup" || !test::OnServer()) {
        EXPECT_TRUE(Has(run.err, target)) << run.err;
      }
      EXPECT_EQ(Changed(before, Snapshot(cwd)), "");
    }
  EXPECT_EQ(test::RowsIn(cwd), rows);

  // The intended file, and only it.
  for (const auto& writer : writers) {
    if (writer[0] == "backup" && test::OnServer()) continue;
    SCOPED_TRACE(writer[0]);
    const auto start = Snapshot(cwd);
    const std::string target = cwd + "/" + writer[0] + ".out";
    const auto run = RunCli(cwd, With(writer, target));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(Changed(start, Snapshot(cwd)), target + " ");
  }
}

std::int64_t LogRows(const std::string& location) {
  Database db;
  db.Open(location);
  return db.QueryInt("SELECT count(*) FROM logs").value_or(-1);
}

bool HasPartialFile(const std::string& folder) {
  for (const auto& entry : fs::directory_iterator(folder))
    if (Has(entry.path().filename().string(), ".partial-")) return true;
  return false;
}

// copy into a new file, killed at any instant, leaves either no file or the
// whole copy; a run after it copies (the target does not exist) and leaves
// no temporary file behind.
TEST(CliOutput, CopyKilledLeavesNoHalfFileAndARetryWorks) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  {
    const DatabasePtr db = test::MakeDatabase(test::DatabaseIn(cwd));
    db->ExecuteScript(
        std::string("INSERT INTO logs (Login, LoginKey, Event, BeginTime, EndTime) ") +
        (db->IsServer()
             ? "SELECT 'p' || (i % 50), 'p' || (i % 50), 'StopWork', '2024-03-04 09:00:00', "
               "'2024-03-04 10:00:00' FROM generate_series(1, 20000) AS i"
             : "WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 20000) "
               "SELECT 'p' || (i % 50), 'p' || (i % 50), 'StopWork', '2024-03-04 09:00:00', "
               "'2024-03-04 10:00:00' FROM n"));
  }
  const auto start = std::chrono::steady_clock::now();
  ASSERT_EQ(RunCli(cwd, {"copy", "--to", "whole.mdb"}).exitCode, 0);
  const auto fullMs = std::chrono::duration_cast<std::chrono::milliseconds>(
                          std::chrono::steady_clock::now() - start)
                          .count();
  const std::int64_t rows = LogRows(cwd + "/whole.mdb");
  ASSERT_EQ(rows, 20000);

  int killedMidCopy = 0;
  for (int round = 0; round < 3; ++round) {
    SCOPED_TRACE(round);
    const std::string target = cwd + "/k" + std::to_string(round) + ".mdb";
    const pid_t pid = test::StartCli(cwd, {"copy", "--to", target});
    std::this_thread::sleep_for(std::chrono::milliseconds(fullMs * (2 * round + 1) / 6));
    ::kill(pid, SIGKILL);
    test::WaitCli(cwd, pid);
    killedMidCopy += HasPartialFile(cwd);
    if (!fs::exists(target)) {
      const auto retry = RunCli(cwd, {"copy", "--to", target});
      ASSERT_EQ(retry.exitCode, 0) << retry.err;
    }
    EXPECT_EQ(LogRows(target), rows);
    EXPECT_FALSE(HasPartialFile(cwd));
  }
  std::printf("%d of 3 kills came while the copy was being written (a full copy: %lld ms)\n",
              killedMidCopy, static_cast<long long>(fullMs));
  EXPECT_GT(killedMidCopy, 0);
}

// Messages name the file or option at fault; command lines that would do
// something else than asked are refused.
TEST(CliOutput, MessagesSayWhatIsWrong) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  {
    // A file's IDs are 64-bit, a server's 32-bit.
    const DatabasePtr db = test::MakeDatabase(test::DatabaseIn(cwd));
    if (!db->IsServer())
      db->Execute(
          "INSERT INTO human (ID, Name, Login, LoginKey) VALUES (3000000000, 'Big', "
          "'big', 'big')");
  }
  auto run = RunCli(cwd, {"copy", "--to", "nodir/x.mdb"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Has(run.err, "cannot write nodir/x.mdb: No such file or directory")) << run.err;
  for (const char* target : {":memory:", "file:y.mdb?mode=memory"}) {
    run = RunCli(cwd, {"copy", "--to", target});
    EXPECT_EQ(run.exitCode, 2) << target;
    EXPECT_TRUE(Has(run.err, "no database file name")) << run.err;
  }
  run = RunCli(cwd, {"copy", "--to", "a.mdb", "--to=b.mdb"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(Has(run.err, "--to is given twice")) << run.err;
  // grants names each collector with its site, as many as there are.
  run =
      RunCli(cwd, {"grants", "--collector", "a", "--site", "n", "--collector", "b", "--site", "s"});
  EXPECT_FALSE(Has(run.err, "given twice")) << run.err;
  run = RunCli(cwd, {"--db"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(Has(run.err, "--db needs a database")) << run.err;
  run = RunCli(cwd, {"timesheet", "--year", "2024", "--month", "3", "--title", "T"});
  EXPECT_EQ(run.exitCode, 2);
  EXPECT_TRUE(Has(run.err, "--title goes with --pdf")) << run.err;
  run =
      RunCli(cwd, {"sheets", "--year", "2024", "--month", "3", "--pdf", "s.pdf", "--login", "bgi"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Has(run.err, "no person and no work row has the login 'bgi'")) << run.err;
  run = RunCli(cwd, {"people", "import", "/proc/self/mem"});
  EXPECT_EQ(run.exitCode, 1);
  EXPECT_TRUE(Has(run.err, "cannot read /proc/self/mem: Input/output error")) << run.err;
  // A value that looks like an option is the option's value.
  run = RunCli(cwd, {"people", "add", "--name", "-h", "--login", "h"});
  EXPECT_EQ(run.exitCode, 0) << run.err;
  EXPECT_TRUE(Has(run.out, ". -h (h)")) << run.out;
  run = RunCli(cwd, {"people", "remove", "3000000000"});
  if (test::OnServer()) {
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run.err, "there is no person with ID 3000000000")) << run.err;
  } else {
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_TRUE(Has(run.out, "Removed 3000000000. Big (big)")) << run.out;
  }
  for (const auto& entry : fs::directory_iterator(cwd)) {
    const std::string name = entry.path().filename().string();
    EXPECT_TRUE(name == "base.mdb" || name.starts_with(".cli.")) << name;
  }
}

// A failed write to the standard output fails the command.
TEST(CliOutput, StandardOutputErrorsAreFailures) {
  test::TempDir dir;
  const std::string cwd = dir.Path().string();
  InsertPerson(*test::MakeDatabase(test::DatabaseIn(cwd)),
               {"Иванов", "", "", "", "ivanov", "", ""});
  for (const std::vector<std::string>& args : std::vector<std::vector<std::string>>{
           {"people"},
           {"people", "export"},
           {"tree"},
           {"stats", "--year", "2024"},
           {"status"},
           {"timesheet", "--year", "2024", "--month", "3", "--csv"}}) {
    SCOPED_TRACE(args.size() > 1 ? args[0] + " " + args[1] : args[0]);
    const auto run = test::WaitCli(cwd, test::StartProgram(cwd, VORNAL_CLI, args, "/dev/full"));
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_TRUE(Has(run.err, "cannot write the standard output: No space left on device"))
        << run.err;
  }
}

}  // namespace
}  // namespace vornal
