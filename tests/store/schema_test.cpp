#include "store/schema.h"

#include <gtest/gtest.h>

#include <vector>

#include "store/messages.h"
#include "test_util.h"

namespace vornal {
namespace {

using test::TempDir;

struct Messages {
  std::vector<std::string> shown;
  ScopedMessageSink sink{[this](const std::string& text) { shown.push_back(text); }};
};

TEST(Schema, OpenDatabaseFileTellsMissingFromBroken) {
  TempDir dir;
  Messages messages;
  DatabasePtr db;
  EXPECT_EQ(OpenDatabaseFile(db, dir.File("base.mdb"), false), 0);
  EXPECT_TRUE(messages.shown.empty());
  EXPECT_EQ(OpenDatabaseFile(db, dir.File("base.mdb"), true), 0);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0].rfind("Couldn't open database--Exception: Could not find file", 0),
            0u);
  EXPECT_FALSE(db);

  messages.shown.clear();
  test::WriteFile(dir.File("base.mdb"), std::string(4096, 'x'));
  EXPECT_EQ(OpenDatabaseFile(db, dir.File("base.mdb"), false), -1);
  ASSERT_EQ(messages.shown.size(), 1u);
  EXPECT_EQ(messages.shown[0], "Couldn't open database--Exception: file is not a database");
  EXPECT_FALSE(db);
}

TEST(Schema, CreateTablesBuildsTheThreeTablesWithSizesAndDefaults) {
  TempDir dir;
  Messages messages;
  DatabasePtr db;
  ASSERT_EQ(CreateDatabaseFile(db, dir.File("base.mdb"), kCreateOptions), 1);
  ASSERT_TRUE(CreateTables(db.get()));
  EXPECT_TRUE(messages.shown.empty());
  FreeDatabase(db);
  EXPECT_FALSE(db);

  ASSERT_EQ(OpenDatabaseFile(db, dir.File("base.mdb"), true), 1);
  std::vector<std::string> columns;
  for (const char* table : {"human", "logs", "setting"}) {
    Statement s = db->Prepare("SELECT name FROM pragma_table_info(?) ORDER BY cid");
    s.Bind(table);
    while (s.Step()) columns.push_back(std::string(table) + "." + s.Text(0));
  }
  EXPECT_EQ(columns,
            (std::vector<std::string>{
                "human.ID", "human.Name", "human.Age", "human.Prof", "human.Photo", "human.Login",
                "human.Tel", "human.email", "human.LoginKey", "logs.ID", "logs.Login", "logs.Event",
                "logs.Preview", "logs.BeginTime", "logs.EndTime", "logs.LoginKey", "setting.ID",
                "setting.Key", "setting.Val"}));

  db->Execute("INSERT INTO HUMAN (Login) VALUES ('a')");
  db->Execute("INSERT INTO HUMAN (Login) VALUES ('b')");
  Statement s = db->Prepare("SELECT ID, Name, Age, Prof, Photo FROM HUMAN ORDER BY ID");
  ASSERT_TRUE(s.Step());
  EXPECT_EQ(s.Int(0), 1);
  EXPECT_EQ(s.Text(1), "Unknow User");
  EXPECT_EQ(s.Text(2), "25");
  EXPECT_EQ(s.Text(3), "Worker");
  EXPECT_TRUE(s.IsNull(4));
  ASSERT_TRUE(s.Step());
  EXPECT_EQ(s.Int(0), 2);

  // Sizes count characters, not bytes; a longer text is refused.
  EXPECT_NO_THROW(
      db->Execute("INSERT INTO HUMAN (Age) VALUES (?)", std::string("двадцать пять лет!!!")));
  EXPECT_THROW(db->Execute("INSERT INTO HUMAN (Age) VALUES (?)", std::string(21, '1')), StoreError);
  EXPECT_THROW(db->Execute("INSERT INTO LOGS (Event) VALUES (?)", std::string(31, 'e')),
               StoreError);
  // Empty optional texts are accepted.
  EXPECT_NO_THROW(db->Execute("INSERT INTO HUMAN (Name, Age, Login) VALUES ('n', '', 'l')"));
  // Logins compare without regard to letter case.
  EXPECT_EQ(db->QueryInt("SELECT count(*) FROM HUMAN WHERE Login = 'A'"), 1);

  EXPECT_EQ(db->QueryInt("SELECT count(*) FROM sqlite_master WHERE type = 'index' AND "
                         "tbl_name = 'logs'"),
            5);
}

TEST(Schema, CreateTablesRefusesAnExistingTable) {
  Messages messages;
  auto db = test::MakeMemoryDatabase();
  EXPECT_FALSE(CreateTables(db.get()));
  EXPECT_EQ(messages.shown, std::vector<std::string>{"A table by that name already exists."});
}

TEST(Schema, FieldAndTableOperationsReportTheirFailures) {
  Messages messages;
  Database db;
  db.OpenMemory();
  std::unique_ptr<TableDef> table;
  ASSERT_EQ(CreateTable(&db, table, "t"), 1);
  FieldDescription field{"A", kTypeText, 10, {}, kAttrUpdatable | kAttrFixed, false};
  EXPECT_EQ(AddField(table.get(), field), 1);
  EXPECT_EQ(AddField(table.get(), field), 0);
  EXPECT_EQ(messages.shown.back(), "A field by that name already exists.");
  EXPECT_EQ(AppendTable(&db, *table), 1);
  EXPECT_TRUE(TableExists(db, "T"));
  EXPECT_FALSE(TableExists(db, "u"));
  EXPECT_EQ(AppendTable(&db, *table), 0);
  EXPECT_EQ(messages.shown.back().rfind("Couldn't append TableDef--Exception: ", 0), 0u);
  EXPECT_EQ(AppendTable(nullptr, *table), 0);
  EXPECT_EQ(AddField(nullptr, field), 0);
  EXPECT_EQ(CreateTable(nullptr, table, "x"), 0);
}

}  // namespace
}  // namespace vornal
