#include "store/schema.h"

#include <gtest/gtest.h>

#include <cctype>
#include <vector>

#include "intake/folder_status.h"
#include "intake/rejected_lines.h"
#include "store/folder_slots.h"
#include "store/messages.h"
#include "store/people.h"
#include "test_util.h"
#include "text/login_key.h"

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
  if (test::OnServer()) {
    // A missing server database is no file to create: it cannot be opened.
    EXPECT_EQ(
        OpenDatabaseFile(db, std::string(test::TestServer()) + " dbname=vornal_missing", false),
        -1);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_NE(messages.shown[0].find("\"vornal_missing\" does not exist"), std::string::npos);
    EXPECT_FALSE(db);
    // An empty one gets the tables on first use.
    EXPECT_EQ(OpenDatabaseFile(db, test::ServerDatabases::New(), false), 1);
    ASSERT_TRUE(db);
    for (const char* table : {"human", "logs", "setting", "intake_ledger", "rejected_lines"})
      EXPECT_TRUE(db->HasTable(table)) << table;
    EXPECT_EQ(messages.shown.size(), 1u);
    return;
  }
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
  const std::string location = test::DatabaseIn(dir.Path().string());
  db = test::MakeDatabase(location);
  EXPECT_TRUE(messages.shown.empty());
  FreeDatabase(db);
  EXPECT_FALSE(db);

  ASSERT_EQ(OpenDatabaseFile(db, location, true), 1);
  std::vector<std::string> columns;
  for (const char* table : {"human", "logs", "setting"})
    for (const std::string& column : db->Columns(table))
      columns.push_back(std::string(table) + "." + column);
  // A server keeps names in lower case, so psql users write them unquoted.
  std::vector<std::string> expected{
      "human.ID",       "human.Name",    "human.Age",   "human.Prof",     "human.Photo",
      "human.Login",    "human.Tel",     "human.email", "human.LoginKey", "human.Version",
      "logs.ID",        "logs.Login",    "logs.Event",  "logs.Preview",   "logs.BeginTime",
      "logs.EndTime",   "logs.LoginKey", "setting.ID",  "setting.Key",    "setting.Val",
      "setting.Version"};
  if (db->IsServer())
    for (std::string& name : expected)
      for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
  EXPECT_EQ(columns, expected);

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
  // Logins compare by their key, the same on both engines.
  FillLoginKeys(*db);
  EXPECT_EQ(db->QueryInt("SELECT count(*) FROM HUMAN WHERE LoginKey = ?", LoginKey("A")), 1);

  EXPECT_EQ(db->Indexes("logs"),
            (std::vector<std::string>{"logs_begin", "logs_end", "logs_key_begin", "logs_key_end",
                                      "logs_unfinished"}));
}

// A database from before sites and row versions keeps its folders as the
// default site's (the site that opens it first), and so its kept-aside
// lines and the results of its collections; of a key stored twice the row
// that was read stays; people and settings get their versions.
TEST(Schema, ADatabaseFromBeforeSitesKeepsItsFoldersAsTheDefaultSites) {
  TempDir dir;
  const std::string location = test::DatabaseIn(dir.Path().string());
  {
    const DatabasePtr old = test::MakeOlderDatabase(location, 5);
    old->Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?), ('Path1', '/b'), ('Path2', '/c')",
                 "Path1", dir.Path().string());
    old->Execute("INSERT INTO HUMAN (Name, Login) VALUES ('Иванов', 'ivanov')");
    old->Execute(
        "INSERT INTO rejected_lines (Folder, File, Line, Reason, CollectedAt, Length, Text) "
        "VALUES ('/a', 'main.buf.claim-1', 1, 'unknown-event', '2002-10-07 09:00:00', 3, 'abc')");
    old->Execute(
        "INSERT INTO folder_status (Folder, CollectedAt, Files, Events, KeptAside, Waiting, "
        "Failures) VALUES (?, '2002-10-07 09:00:00', 1, 2, 1, 0, 0)",
        dir.Path().string());
  }
  DatabasePtr db;
  ASSERT_EQ(OpenDatabaseFile(db, location, true), 1);
  EXPECT_EQ(db->Connection().SchemaVersion(), kSchemaVersion);
  EXPECT_EQ(DefaultSite(*db), CurrentSite());
  const FolderSlots slots = LoadFolderSlots(*db);
  EXPECT_EQ(slots[0].path, dir.Path().string());
  EXPECT_EQ(slots[1].path, "/c");
  EXPECT_EQ(db->QueryInt("SELECT count(*) FROM SETTING WHERE Key = 'Path1'"), 1);
  EXPECT_THROW(db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path2', '/d')"), StoreError);
  EXPECT_EQ(ListRejected(*db).at(0).site, CurrentSite());
  const std::vector<SiteStatus> sites = SiteStatuses(*db);
  ASSERT_EQ(sites.size(), 1u);
  EXPECT_TRUE(sites[0].here);
  EXPECT_EQ(sites[0].status.folders.at(0).events, 2);
  EXPECT_EQ(ReadStoredPerson(*db, 1)->version, 1);
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
  if (test::OnServer())
    db.Open(test::ServerDatabases::New());
  else
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
