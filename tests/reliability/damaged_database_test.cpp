#include <signal.h>
#include <sqlite3.h>
#include <sys/mount.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "buffer_generator.h"
#include "cli/cli_test_util.h"
#include "intake/intake_test_util.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

// An office: base.mdb in the current directory, one working folder "w" with
// a main.buf. The sound database is kept aside to put back later.
class DamagedDatabase : public ::testing::Test {
 protected:
  void SetUp() override {
    std::ostringstream out;
    bench::BufferGenerator generator(30, 5, *DateTime::FromParts(2024, 9, 2));
    generator.Write(out, 4000);
    m_buffer = out.str();
    m_expected = Process(m_reference.Path().string());
    m_cwd = m_office.Path().string();
    m_folder = m_cwd + "/w";
    fs::create_directory(m_folder);
    ASSERT_EQ(RunCli(m_cwd, {"folders", "set", "1", m_folder}).exitCode, 0);
    fs::copy_file(m_cwd + "/base.mdb", m_cwd + "/sound.mdb");
    test::WriteFile(m_folder + "/main.buf", m_buffer);
  }

  // The LOGS rows one run on a fresh office gives.
  std::string Process(const std::string& cwd) {
    fs::create_directory(cwd + "/w");
    RunCli(cwd, {"folders", "set", "1", cwd + "/w"});
    test::WriteFile(cwd + "/w/main.buf", m_buffer);
    RunCli(cwd, {"process"});
    Database db;
    db.Open(cwd + "/base.mdb");
    return test::DumpRows(db);
  }

  // A failed run: non-zero exit (no crash), a message, and every byte of the
  // buffer still in the folder, claimed or not.
  void ExpectRefused(const test::CliResult& run, const std::string& message) {
    std::printf("%s", run.err.c_str());
    EXPECT_EQ(run.exitCode, 1) << run.out << run.err;
    EXPECT_NE(run.err.find(message), std::string::npos) << run.err;
    std::string kept;
    for (const auto& entry : fs::directory_iterator(m_folder))
      kept += test::ReadFile(entry.path().string());
    EXPECT_EQ(kept.size(), m_buffer.size());
    EXPECT_TRUE(kept == m_buffer);
  }

  // Once the database is sound again, one run applies the buffer once.
  void ExpectAppliedOnceLater(const std::string& dbPath) {
    const auto run = RunCli(m_cwd, {"--db", dbPath, "process"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    Database db;
    db.Open(dbPath);
    EXPECT_EQ(test::DumpRows(db), m_expected);
    EXPECT_TRUE(fs::is_empty(m_folder));
  }

  void PutSoundDatabaseBack() {
    fs::copy_file(m_cwd + "/sound.mdb", m_cwd + "/base.mdb", fs::copy_options::overwrite_existing);
  }

  test::TempDir m_reference;
  test::TempDir m_office;
  std::string m_buffer;
  std::string m_expected;
  std::string m_cwd;
  std::string m_folder;
};

// A small file system of our own at `path`, or a message why there is none.
std::string MountTmpfs(const std::string& path, const char* options) {
  fs::create_directory(path);
  if (::mount("tmpfs", path.c_str(), "tmpfs", 0, options) != 0)
    return std::string("cannot mount a small file system here (") + std::strerror(errno) +
           "); this case needs root, as in CI";
  return {};
}

TEST_F(DamagedDatabase, NotADatabaseNorTruncatedIsProcessed) {
  test::WriteFile(m_cwd + "/base.mdb", std::string(8192, 'x'));
  ExpectRefused(RunCli(m_cwd, {"process"}), "base.mdb: database error 26: file is not a database");
  // A database file cut short: the engine finds the damage where it reads.
  PutSoundDatabaseBack();
  fs::resize_file(m_cwd + "/base.mdb", fs::file_size(m_cwd + "/base.mdb") / 2);
  ExpectRefused(RunCli(m_cwd, {"process"}), "database disk image is malformed");
  // Cut to nothing, the file holds none of the tables.
  fs::resize_file(m_cwd + "/base.mdb", 0);
  ExpectRefused(RunCli(m_cwd, {"process"}),
                "base.mdb: database error: the file has no table 'human': it is not a Vornal "
                "database");
  PutSoundDatabaseBack();
  ExpectAppliedOnceLater(m_cwd + "/base.mdb");
}

TEST_F(DamagedDatabase, ReadOnlyDatabaseIsNotWritten) {
  const std::string dir = m_cwd + "/ro";
  std::string dbPath = m_cwd + "/base.mdb";
  bool mounted = false;
  if (::geteuid() == 0) {
    // Permissions do not stop root: a file system mounted read-only does.
    if (const std::string why = MountTmpfs(dir, "size=4m"); !why.empty()) GTEST_SKIP() << why;
    mounted = true;
    dbPath = dir + "/base.mdb";
    fs::copy_file(m_cwd + "/sound.mdb", dbPath);
    ASSERT_EQ(::mount("tmpfs", dir.c_str(), "tmpfs", MS_REMOUNT | MS_RDONLY, "size=4m"), 0)
        << std::strerror(errno);
  } else {
    fs::permissions(dbPath, fs::perms::owner_read | fs::perms::group_read);
  }
  // Refused before any main.buf is claimed.
  ExpectRefused(RunCli(m_cwd, {"--db", dbPath, "process"}), "read-only here");
  EXPECT_TRUE(fs::exists(m_folder + "/main.buf"));
  if (mounted) {
    ASSERT_EQ(::mount("tmpfs", dir.c_str(), "tmpfs", MS_REMOUNT, "size=4m"), 0);
  } else {
    fs::permissions(dbPath, fs::perms::owner_write, fs::perm_options::add);
  }
  ExpectAppliedOnceLater(dbPath);
  if (mounted) ::umount2(dir.c_str(), MNT_DETACH);
}

TEST_F(DamagedDatabase, DatabaseLockedLongerThanTheBusyTimeout) {
  int ready[2];
  ASSERT_EQ(::pipe(ready), 0);
  const std::string dbPath = m_cwd + "/base.mdb";
  const pid_t holder = ::fork();
  if (holder == 0) {
    sqlite3* db = nullptr;
    if (sqlite3_open(dbPath.c_str(), &db) != SQLITE_OK ||
        sqlite3_exec(db, "BEGIN EXCLUSIVE", nullptr, nullptr, nullptr) != SQLITE_OK)
      ::_exit(1);
    const char ok = 1;
    if (::write(ready[1], &ok, 1) != 1) ::_exit(1);
    ::sleep(30);
    ::_exit(0);
  }
  char ok = 0;
  ASSERT_EQ(::read(ready[0], &ok, 1), 1);
  const auto start = std::chrono::steady_clock::now();
  const auto run = RunCli(m_cwd, {"process"});
  const auto waited = std::chrono::steady_clock::now() - start;
  ::kill(holder, SIGKILL);
  ::waitpid(holder, nullptr, 0);
  ::close(ready[0]);
  ::close(ready[1]);
  // It waited for the busy timeout before giving up.
  EXPECT_GE(waited, std::chrono::milliseconds(Database::kBusyTimeoutMs - 100));
  ExpectRefused(run, "database is locked");
  ExpectAppliedOnceLater(dbPath);
}

TEST_F(DamagedDatabase, FullDiskRollsTheFileBackAndKeepsIt) {
  if (::geteuid() != 0) GTEST_SKIP() << "a full disk needs a small file system: run as root";
  const std::string dir = m_cwd + "/full";
  if (const std::string why = MountTmpfs(dir, "size=512k"); !why.empty()) GTEST_SKIP() << why;
  const std::string dbPath = dir + "/base.mdb";
  fs::copy_file(m_cwd + "/sound.mdb", dbPath);
  {
    // Fill what is left of the file system.
    std::ofstream filler(dir + "/filler", std::ios::binary);
    const std::string block(4096, '\0');
    while (filler.write(block.data(), block.size())) {
    }
  }
  ExpectRefused(RunCli(m_cwd, {"--db", dbPath, "process"}), "full");
  {
    Database db;
    db.Open(dbPath);
    EXPECT_EQ(db.QueryInt("SELECT COUNT(*) FROM LOGS"), 0);
    Statement check = db.Prepare("PRAGMA integrity_check");
    ASSERT_TRUE(check.Step());
    EXPECT_EQ(check.Text(0), "ok");
  }
  fs::remove(dir + "/filler");
  ExpectAppliedOnceLater(dbPath);
  ::umount2(dir.c_str(), MNT_DETACH);
}

}  // namespace
}  // namespace vornal
