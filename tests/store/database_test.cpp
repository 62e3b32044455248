#include "store/database.h"

#include <gtest/gtest.h>

#include <functional>

#include "test_util.h"

namespace vornal {
namespace {

using test::MakeDatabase;
using test::MakeMemoryDatabase;
using test::TempDir;

TEST(Database, OpenNeverCreatesAndCreateNeverOpensAnExistingFile) {
  Database db;
  if (test::OnServer()) {
    // A server's database is made by its administrator, never by Vornal.
    const std::string missing = std::string(test::TestServer()) + " dbname=vornal_missing";
    try {
      db.Open(missing);
      FAIL() << "opened a missing database";
    } catch (const StoreError& e) {
      EXPECT_EQ(e.Kind(), StoreErrorKind::CannotConnect);
      EXPECT_NE(std::string(e.what()).find("\"vornal_missing\" does not exist"), std::string::npos)
          << e.what();
    }
    EXPECT_THROW(db.Create(missing), StoreError);
    EXPECT_FALSE(db.IsOpen());
    db.Open(test::ServerDatabases::New());
    EXPECT_TRUE(db.IsOpen());
    EXPECT_TRUE(db.IsServer());
    return;
  }
  TempDir dir;
  try {
    db.Open(dir.File("base.mdb"));
    FAIL() << "opened a missing file";
  } catch (const StoreError& e) {
    EXPECT_EQ(e.Kind(), StoreErrorKind::NotFound);
  }
  EXPECT_FALSE(std::filesystem::exists(dir.File("base.mdb")));
  db.Create(dir.File("base.mdb"));
  EXPECT_TRUE(db.IsOpen());
  db.Close();
  EXPECT_FALSE(db.IsOpen());
  EXPECT_THROW(db.Create(dir.File("base.mdb")), StoreError);
  db.Open(dir.File("base.mdb"));
  EXPECT_TRUE(db.IsOpen());
}

TEST(Database, ValuesAreBoundSoAnyTextIsStoredAsTyped) {
  auto db = MakeMemoryDatabase();
  const std::string login = "o'brien'); DROP TABLE LOGS;--";
  db->Execute("INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?)", login,
              "StartWork", *DateTime::FromParts(2002, 10, 7, 9, 0, 0), Null{});
  Statement rows = db->Prepare("SELECT Login, BeginTime, EndTime FROM LOGS WHERE Login = ?");
  rows.Bind(login);
  ASSERT_TRUE(rows.Step());
  EXPECT_EQ(rows.Text(0), login);
  EXPECT_EQ(rows.Time(1), DateTime::FromParts(2002, 10, 7, 9, 0, 0));
  EXPECT_FALSE(rows.Time(2));
  EXPECT_FALSE(rows.Step());
  EXPECT_TRUE(db->HasTable("logs"));
}

TEST(Database, AFailingStatementAppliesNothing) {
  auto db = MakeMemoryDatabase();
  db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', 'a'), ('Path2', 'bb')");
  // The first row would fit; the second would be longer than the column allows.
  EXPECT_THROW(db->Execute("UPDATE SETTING SET Val = Val || ? ", std::string(254, 'x')),
               StoreError);
  EXPECT_EQ(db->QueryInt("SELECT sum(length(Val)) FROM SETTING"), 3);
  EXPECT_THROW(db->Execute("INSERT INTO LOGS (Login, BeginTime) VALUES ('a', '07.10.2002')"),
               StoreError);
  EXPECT_EQ(db->QueryInt("SELECT count(*) FROM LOGS"), 0);
}

// The engine's own errors arrive with kinds that tell the operator's cases.
TEST(Database, EngineErrorsAreClassified) {
  const auto failure = [](const std::function<void()>& step) {
    try {
      step();
    } catch (const StoreError& e) {
      return e.Kind();
    }
    ADD_FAILURE() << "no error";
    return StoreErrorKind::Other;
  };
  TempDir dir;
  const std::string location =
      test::OnServer() ? test::ServerDatabases::New() : dir.File("base.mdb");
  auto db = MakeDatabase(location);
  Database other;
  other.Open(location);
  const bool server = other.IsServer();
  other.ExecuteScript(server ? "SET lock_timeout = 1" : "PRAGMA busy_timeout = 0");
  {
    Transaction holder(*db);
    if (server) db->ExecuteScript("LOCK TABLE setting");
    EXPECT_EQ(failure([&] {
                Transaction waiting(other);
                other.Execute("DELETE FROM SETTING");
              }),
              StoreErrorKind::Busy);
  }
  other.ExecuteScript(server ? "SET default_transaction_read_only = on" : "PRAGMA query_only = 1");
  EXPECT_EQ(failure([&] { other.Execute("DELETE FROM SETTING"); }), StoreErrorKind::NotPermitted);
  EXPECT_EQ(
      failure([&] { db->Execute("INSERT INTO HUMAN (Age) VALUES (?)", std::string(21, '9')); }),
      StoreErrorKind::Refused);
  if (server) return;
  db->ExecuteScript("PRAGMA max_page_count = 1");
  EXPECT_EQ(failure([&] {
              for (int i = 0; i < 1000; ++i)
                db->Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", "k" + std::to_string(i),
                            std::string(255, 'x'));
            }),
            StoreErrorKind::Full);
  test::WriteFile(dir.File("damaged.mdb"), std::string(8192, 'x'));
  EXPECT_EQ(failure([&] { Database().Open(dir.File("damaged.mdb")); }), StoreErrorKind::Damaged);
}

TEST(Database, TransactionRollsBackUnlessCommitted) {
  auto db = MakeMemoryDatabase();
  {
    Transaction t(*db);
    db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', 'a')");
  }
  EXPECT_EQ(db->QueryInt("SELECT count(*) FROM SETTING"), 0);
  {
    Transaction t(*db);
    db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', 'a')");
    t.Commit();
  }
  EXPECT_EQ(db->QueryInt("SELECT count(*) FROM SETTING"), 1);
}

TEST(Database, CachedStatementUsedTwiceAtOnce) {
  auto db = MakeMemoryDatabase();
  db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', 'a'), ('Path2', 'b')");
  const char* sql = "SELECT Val FROM SETTING ORDER BY Key";
  Statement outer = db->Prepare(sql);
  ASSERT_TRUE(outer.Step());
  {
    Statement inner = db->Prepare(sql);
    ASSERT_TRUE(inner.Step());
    EXPECT_EQ(inner.Text(0), "a");
  }
  ASSERT_TRUE(outer.Step());
  EXPECT_EQ(outer.Text(0), "b");
}

}  // namespace
}  // namespace vornal
