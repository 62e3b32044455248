#include "store/folder_slots.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace vornal {
namespace {

std::string Settings(Database& db) {
  std::string out;
  Statement rows =
      db.Prepare("SELECT Key, Val FROM SETTING WHERE Key <> 'DefaultSite' ORDER BY Key");
  while (rows.Step()) out += rows.Text(0) + "=" + rows.Text(1) + ";";
  return out;
}

FolderSlot Folder(const std::string& path) {
  return {path, true};
}

TEST(FolderSlots, LoadTakesTheSitesRowsWithoutTrailingBlanks) {
  auto db = test::MakeMemoryDatabase();
  db->Execute(
      "INSERT INTO SETTING (Key, Val) VALUES ('Path2', ' /a  '), ('Path10', '/c'), "
      "('path3', '/d'), ('Path4@branch', '/e')");
  const FolderSlots slots = LoadFolderSlots(*db);
  EXPECT_TRUE(slots[1].enabled);
  EXPECT_TRUE(slots[1].stored);
  EXPECT_EQ(slots[1].path, " /a");
  EXPECT_EQ(slots[9].path, "/c");
  EXPECT_FALSE(slots[0].enabled);
  EXPECT_FALSE(slots[0].stored);
  EXPECT_FALSE(slots[2].enabled);  // keys compare exactly
  EXPECT_FALSE(slots[3].enabled);  // another site's
  const FolderSlots branch = LoadFolderSlots(*db, "branch");
  EXPECT_EQ(branch[3].path, "/e");
  EXPECT_FALSE(branch[1].enabled);
}

TEST(FolderSlots, SaveWritesTheSlotsChangedAndOnlyThose) {
  auto db = test::MakeMemoryDatabase();
  db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', '/old'), ('Path2', '/gone')");
  const FolderSlots read = LoadFolderSlots(*db);
  FolderSlots slots = read;
  slots[0].path = "  /new it's  ";
  slots[1].enabled = false;
  slots[4] = Folder("/five");
  EXPECT_TRUE(SaveFolderSlots(*db, read, slots).empty());
  EXPECT_EQ(Settings(*db), "Path1=/new it's;Path5=/five;");
  EXPECT_EQ(LoadFolderSlots(*db)[0].version, read[0].version + 1);

  const FolderSlots again = LoadFolderSlots(*db);
  slots = again;
  slots[6] = Folder("   ");
  slots[0].enabled = false;
  EXPECT_THROW(SaveFolderSlots(*db, again, slots), std::invalid_argument);
  EXPECT_EQ(Settings(*db), "Path1=/new it's;Path5=/five;");

  // A path is measured in characters, without the blanks around it.
  std::string path = "/";
  for (int i = 0; i < FolderPathSize() - 1; ++i) path += "ю";
  slots[6].path = " " + path + " ";
  EXPECT_EQ(CheckFolderSlot(slots[6]), FolderSlotProblem::None);
  slots[6].path = path + "ю";
  EXPECT_EQ(CheckFolderSlot(slots[6]), FolderSlotProblem::TooLong);
  EXPECT_THROW(SaveFolderSlots(*db, again, slots), std::invalid_argument);
  EXPECT_EQ(Settings(*db), "Path1=/new it's;Path5=/five;");
}

// Two desks opened the slots at the same time: changes of different slots
// both stay; a slot both changed is refused to the later one, with nothing
// of its save written, until it saves over what it was shown.
TEST(FolderSlots, TwoDesksNeverOverwriteEachOther) {
  auto db = test::MakeMemoryDatabase();
  db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', '/a'), ('Path2', '/b')");
  const FolderSlots first = LoadFolderSlots(*db);
  const FolderSlots second = LoadFolderSlots(*db);

  FolderSlots mine = first;
  mine[0].path = "/a1";
  mine[2] = Folder("/c1");
  ASSERT_TRUE(SaveFolderSlots(*db, first, mine).empty());

  FolderSlots theirs = second;
  theirs[1].path = "/b2";
  ASSERT_TRUE(SaveFolderSlots(*db, second, theirs).empty());
  EXPECT_EQ(Settings(*db), "Path1=/a1;Path2=/b2;Path3=/c1;");

  theirs[0].enabled = false;
  theirs[2] = Folder("/c2");  // the slot the first desk added meanwhile
  theirs[3] = Folder("/d2");
  const FolderSlots now = LoadFolderSlots(*db);
  const std::vector<SlotConflict> conflicts = SaveFolderSlots(*db, second, theirs);
  ASSERT_EQ(conflicts.size(), 2u);
  EXPECT_EQ(conflicts[0].slot, 1);
  EXPECT_EQ(conflicts[0].theirs.path, "/a1");
  EXPECT_FALSE(conflicts[0].mine.enabled);
  EXPECT_EQ(conflicts[1].slot, 3);
  EXPECT_EQ(conflicts[1].theirs.path, "/c1");
  EXPECT_EQ(conflicts[1].mine.path, "/c2");
  EXPECT_EQ(Settings(*db), "Path1=/a1;Path2=/b2;Path3=/c1;");

  // Saved over what the conflict showed: slot 1 freed, the other desk's
  // slot 3 kept, slot 4 added.
  theirs[2] = conflicts[1].theirs;
  EXPECT_TRUE(SaveFolderSlots(*db, now, theirs).empty());
  EXPECT_EQ(Settings(*db), "Path2=/b2;Path3=/c1;Path4=/d2;");
}

TEST(FolderSlots, EachSiteKeepsItsOwnSlots) {
  auto db = test::MakeMemoryDatabase();
  const std::string here = DefaultSite(*db);
  FolderSlots slots(kFolderSlotCount);
  slots[0] = Folder("/here");
  ASSERT_TRUE(SaveFolderSlots(*db, LoadFolderSlots(*db, here), slots, here).empty());
  slots[0] = Folder("/there");
  slots[1] = Folder("/there/too");
  ASSERT_TRUE(SaveFolderSlots(*db, LoadFolderSlots(*db, "branch"), slots, "branch").empty());
  // The default site's keys are the ones older versions read.
  EXPECT_EQ(Settings(*db), "Path1=/here;Path1@branch=/there;Path2@branch=/there/too;");
  EXPECT_EQ(LoadFolderSlots(*db, here)[0].path, "/here");
  EXPECT_FALSE(LoadFolderSlots(*db, here)[1].enabled);
  EXPECT_EQ(LoadFolderSlots(*db, "branch")[1].path, "/there/too");

  const std::vector<SiteInfo> sites = ListSites(*db);
  ASSERT_EQ(sites.size(), 2u);
  const SiteInfo& branch = sites[0].name == "branch" ? sites[0] : sites[1];
  const SiteInfo& home = sites[0].name == "branch" ? sites[1] : sites[0];
  EXPECT_EQ(branch.folders, 2);
  EXPECT_FALSE(branch.isDefault);
  EXPECT_EQ(home.name, here);
  EXPECT_EQ(home.folders, 1);
  EXPECT_TRUE(home.isDefault);
}

}  // namespace
}  // namespace vornal
