#include "store/folder_slots.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace vornal {
namespace {

std::string Settings(Database& db) {
  std::string out;
  Statement rows = db.Prepare("SELECT Key, Val FROM SETTING ORDER BY ID");
  while (rows.Step()) out += rows.Text(0) + "=" + rows.Text(1) + ";";
  return out;
}

TEST(FolderSlots, LoadTakesTheFirstRowPerKeyWithoutTrailingBlanks) {
  auto db = test::MakeMemoryDatabase();
  db->Execute(
      "INSERT INTO SETTING (Key, Val) VALUES ('Path2', ' /a  '), ('Path2', '/b'),"
      " ('Path10', '/c'), ('path3', '/d')");
  const FolderSlots slots = LoadFolderSlots(*db);
  EXPECT_TRUE(slots[1].enabled);
  EXPECT_TRUE(slots[1].stored);
  EXPECT_EQ(slots[1].path, " /a");
  EXPECT_EQ(slots[9].path, "/c");
  EXPECT_FALSE(slots[0].enabled);
  EXPECT_FALSE(slots[0].stored);
  EXPECT_FALSE(slots[2].enabled);  // keys compare exactly
}

TEST(FolderSlots, SaveUpdatesInsertsAndDeletesPerSlot) {
  auto db = test::MakeMemoryDatabase();
  db->Execute(
      "INSERT INTO SETTING (Key, Val) VALUES ('Path1', '/old'), ('Path1', '/older'),"
      " ('Path2', '/gone')");
  FolderSlots slots = LoadFolderSlots(*db);
  slots[0].path = "  /new it's  ";
  slots[1].enabled = false;
  slots[4].enabled = true;
  slots[4].path = "/five";
  SaveFolderSlots(*db, slots);
  EXPECT_EQ(Settings(*db), "Path1=/new it's;Path1=/new it's;Path5=/five;");

  slots = LoadFolderSlots(*db);
  slots[6].enabled = true;
  slots[6].path = "   ";
  slots[0].enabled = false;
  EXPECT_THROW(SaveFolderSlots(*db, slots), std::invalid_argument);
  EXPECT_EQ(Settings(*db), "Path1=/new it's;Path1=/new it's;Path5=/five;");

  // A path is measured in characters, without the blanks around it.
  std::string path = "/";
  for (int i = 0; i < FolderPathSize() - 1; ++i) path += "ю";
  slots[6].path = " " + path + " ";
  EXPECT_EQ(CheckFolderSlot(slots[6]), FolderSlotProblem::None);
  slots[6].path = path + "ю";
  EXPECT_EQ(CheckFolderSlot(slots[6]), FolderSlotProblem::TooLong);
  EXPECT_THROW(SaveFolderSlots(*db, slots), std::invalid_argument);
  EXPECT_EQ(Settings(*db), "Path1=/new it's;Path1=/new it's;Path5=/five;");
}

}  // namespace
}  // namespace vornal
