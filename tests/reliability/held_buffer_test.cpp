#include <fcntl.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include <filesystem>

#include "intake/folder_sweep.h"
#include "intake/intake_test_util.h"
#include "store/folder_slots.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;

int FilesIn(const std::string& folder) {
  int count = 0;
  for ([[maybe_unused]] const auto& entry : fs::directory_iterator(folder)) ++count;
  return count;
}

// A client that opened main.buf before the claim and still holds it may
// write more at any moment: the claimed file is applied as far as it goes
// but kept, with a note, until the client has closed it; then the next run
// applies the rest and deletes it.
TEST(HeldBuffer, FileAClientStillHoldsIsKeptUntilItIsClosed) {
  test::TempDir dir;
  {
    // The check rests on file leases, which some file systems lack.
    test::WriteFile(dir.File("probe"), "");
    const int fd = ::open(dir.File("probe").c_str(), O_RDONLY);
    const bool leases = ::fcntl(fd, F_SETLEASE, F_WRLCK) == 0;
    ::close(fd);
    if (!leases) GTEST_SKIP() << "no file leases in " << dir.Path() << ": the check cannot work";
  }
  auto db = test::MakeMemoryDatabase();
  const std::string folder = (dir.Path() / "w").string();
  fs::create_directory(folder);
  db->Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", FolderSlotKey(1), folder);
  test::WriteFile(folder + "/main.buf", "2002|10|7|9|0|0|petrov|StartWDay|\n");
  const int client = ::open((folder + "/main.buf").c_str(), O_WRONLY | O_APPEND);
  ASSERT_GE(client, 0);

  const SweepSummary held = ProcessFolders(*db);
  EXPECT_EQ(held.eventsApplied, 1);
  ASSERT_EQ(held.folders.size(), 1u);
  ASSERT_EQ(held.folders[0].notes.size(), 1u);
  EXPECT_EQ(held.folders[0].notes[0].kind, FileNote::Kind::StillOpen);
  EXPECT_EQ(FilesIn(folder), 1);

  const std::string late = "2002|10|7|9|2|0|petrov|StopWDay|\n";
  ASSERT_EQ(::write(client, late.data(), late.size()), static_cast<ssize_t>(late.size()));
  ::close(client);
  const SweepSummary closed = ProcessFolders(*db);
  EXPECT_EQ(closed.eventsApplied, 1);
  EXPECT_EQ(test::DumpRows(*db), "petrov|StopWDay|2002-10-07 09:00:00|2002-10-07 09:02:00\n");
  EXPECT_EQ(FilesIn(folder), 0);
  EXPECT_EQ(db->QueryInt("SELECT COUNT(*) FROM intake_ledger"), 0);
}

}  // namespace
}  // namespace vornal
