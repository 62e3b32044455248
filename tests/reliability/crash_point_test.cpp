#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <sstream>

#include "buffer_generator.h"
#include "cli/cli_test_util.h"
#include "intake/intake_test_util.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;
using test::RunCli;

constexpr int kFolders = 2;

std::vector<std::string> Buffers() {
  std::vector<std::string> buffers;
  for (int i = 0; i < kFolders; ++i) {
    std::ostringstream out;
    bench::BufferGenerator generator(20, static_cast<unsigned>(i + 7),
                                     *DateTime::FromParts(2024, 5, 6));
    generator.Write(out, 3000);
    buffers.push_back(out.str());
  }
  return buffers;
}

// A database file's own check; a server is not damaged by a client's kill.
std::string IntegrityCheck(const std::string& cwd) {
  if (test::OnServer()) return "ok";
  Database db;
  db.Open(cwd + "/base.mdb");
  Statement check = db.Prepare("PRAGMA integrity_check");
  return check.Step() ? check.Text(0) : "";
}

int FilesIn(const std::string& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

// vornal-cli process killed at each named point of the sweep, then run again,
// leaves the rows of one uninterrupted run, a sound database, no buffer and
// no ledger row.
TEST(CrashPoints, EveryPointRecoversToTheRowsOfOneUninterruptedRun) {
  const std::vector<std::string> buffers = Buffers();
  test::TempDir reference;
  test::MakeOffice(reference.Path().string(), buffers);
  ASSERT_EQ(RunCli(reference.Path().string(), {"process"}).exitCode, 0);
  const std::string expected = test::RowsIn(reference.Path().string());
  ASSERT_FALSE(expected.empty());

  for (const char* point :
       {"after-claim", "mid-file", "before-commit", "after-commit", "after-delete"}) {
    SCOPED_TRACE(point);
    test::TempDir office;
    const std::string cwd = office.Path().string();
    test::MakeOffice(cwd, buffers);
    ::setenv("VORNAL_CRASH_AT", point, 1);
    const auto killed = RunCli(cwd, {"process"});
    ::unsetenv("VORNAL_CRASH_AT");
    EXPECT_EQ(killed.exitCode, -SIGKILL) << killed.out << killed.err;
    EXPECT_EQ(IntegrityCheck(cwd), "ok");
    // Nothing of the first folder's buffer is lost: it is there, claimed or
    // not, unless the kill came after its delete.
    if (std::string(point) != "after-delete") {
      EXPECT_EQ(FilesIn(cwd + "/w0"), 1);
    }

    const auto again = RunCli(cwd, {"process"});
    EXPECT_EQ(again.exitCode, 0) << again.err;
    EXPECT_EQ(test::RowsIn(cwd), expected);
    EXPECT_EQ(IntegrityCheck(cwd), "ok");
    for (int i = 0; i < kFolders; ++i) EXPECT_EQ(FilesIn(cwd + "/w" + std::to_string(i)), 0);
    Database db;
    db.Open(test::DatabaseIn(cwd));
    EXPECT_EQ(db.QueryInt("SELECT count(*) FROM intake_ledger"), 0);
  }
}

}  // namespace
}  // namespace vornal
