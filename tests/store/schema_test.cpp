#include "store/schema.h"

#include <gtest/gtest.h>

#include <cctype>
#include <filesystem>
#include <vector>

#include "intake/folder_status.h"
#include "intake/rejected_lines.h"
#include "store/folder_slots.h"
#include "store/people.h"
#include "store/settings.h"
#include "test_util.h"
#include "text/login_key.h"

namespace vornal {
namespace {

using test::TempDir;

StoreError OpenFailure(const std::string& location) {
  try {
    OpenDatabase(location);
  } catch (const StoreError& e) {
    return e;
  }
  return StoreError(StoreErrorKind::Other, "opened");
}

TEST(Schema, OpenDatabaseTellsMissingFromBroken) {
  TempDir dir;
  if (test::OnServer()) {
    // A missing server database is no file to create: it cannot be opened.
    const StoreError missing =
        OpenFailure(std::string(test::TestServer()) + " dbname=vornal_missing");
    EXPECT_EQ(missing.Kind(), StoreErrorKind::CannotConnect);
    EXPECT_NE(std::string(missing.what()).find("\"vornal_missing\" does not exist"),
              std::string::npos);
    // An empty one gets the tables on first use.
    const DatabasePtr db = OpenDatabase(test::ServerDatabases::New());
    for (const char* table : {"human", "logs", "setting", "intake_ledger", "rejected_lines"})
      EXPECT_TRUE(db->HasTable(table)) << table;
    return;
  }
  const StoreError missing = OpenFailure(dir.File("base.mdb"));
  EXPECT_EQ(missing.Kind(), StoreErrorKind::NotFound);
  EXPECT_FALSE(std::filesystem::exists(dir.File("base.mdb")));

  test::WriteFile(dir.File("base.mdb"), std::string(4096, 'x'));
  const StoreError broken = OpenFailure(dir.File("base.mdb"));
  EXPECT_EQ(broken.Kind(), StoreErrorKind::Damaged);
  EXPECT_STREQ(broken.what(), "file is not a database");
  EXPECT_EQ(broken.EngineCode(), "26");
}

TEST(Schema, CreateTablesBuildsTheThreeTablesWithSizesAndDefaults) {
  TempDir dir;
  const std::string location = test::DatabaseIn(dir.Path().string());
  test::MakeDatabase(location);
  const DatabasePtr db = OpenDatabase(location);
  std::vector<std::string> columns;
  for (const char* table : {"human", "logs", "setting"})
    for (const std::string& column : db->Columns(table))
      columns.push_back(std::string(table) + "." + column);
  // A server keeps names in lower case, so psql users write them unquoted.
  std::vector<std::string> expected{
      "human.ID",       "human.Name",    "human.Age",        "human.Prof",
      "human.Photo",    "human.Login",   "human.Tel",        "human.email",
      "human.LoginKey", "human.Version", "human.Department", "human.PersonnelNumber",
      "logs.ID",        "logs.Login",    "logs.Event",       "logs.Preview",
      "logs.BeginTime", "logs.EndTime",  "logs.LoginKey",    "setting.ID",
      "setting.Key",    "setting.Val",   "setting.Version"};
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
  const DatabasePtr db = OpenDatabase(location);
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

// A file made by the previous version (people, a collection with a line kept
// aside, a folder, the quiet period) opens as it is, and a new file gets the
// very tables, columns, checks and indexes that version makes, so that it
// opens this one's files too.
TEST(Schema, FilesOfThePreviousVersionOpenBothWays) {
  if (test::OnServer()) GTEST_SKIP() << "a file's format";
  TempDir dir;
  std::filesystem::copy_file(VORNAL_TEST_DATA "/store/base-v7.mdb", dir.File("old.mdb"));
  const DatabasePtr old = OpenDatabase(dir.File("old.mdb"));
  EXPECT_EQ(old->Connection().SchemaVersion(), kSchemaVersion);
  const std::vector<Person> people = LoadPeople(*old);
  ASSERT_EQ(people.size(), 2u);
  EXPECT_EQ(people[0].values.name, "Иванов Иван");
  EXPECT_EQ(people[1].values.login, "PETROV");
  EXPECT_EQ(old->QueryInt("SELECT count(*) FROM logs WHERE LoginKey = 'ivanov'"), 2);
  EXPECT_EQ(QuietPeriodSetting(*old), 300);
  EXPECT_EQ(ListRejected(*old).at(0).reasonCode, "unknown-event");

  const auto schema = [](Database& db) {
    std::vector<std::string> items;
    Statement rows =
        db.Prepare("SELECT type, name, tbl_name, sql FROM sqlite_master ORDER BY name");
    while (rows.Step())
      items.push_back(rows.Text(0) + " " + rows.Text(1) + " " + rows.Text(2) + ": " + rows.Text(3));
    return items;
  };
  EXPECT_EQ(schema(*test::MakeDatabase(dir.File("new.mdb"))), schema(*old));
}

// A database where one of the tables is there already gets none of them:
// the tables are made whole or not at all.
TEST(Schema, CreateTablesMakesAllOrNothing) {
  Database db;
  if (test::OnServer())
    db.Open(test::ServerDatabases::New());
  else
    db.OpenMemory();
  db.ExecuteScript("CREATE TABLE setting (ID INTEGER)");
  EXPECT_THROW(CreateTables(db), StoreError);
  EXPECT_FALSE(db.HasTable("human"));
  EXPECT_FALSE(db.HasTable("logs"));
  EXPECT_EQ(db.Connection().SchemaVersion(), 0);
}

}  // namespace
}  // namespace vornal
