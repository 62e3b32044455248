// Cases that only a server has: logins with passwords, roles, timeouts,
// lost connections, and moving an office between a file and a server.
#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <optional>

#include "cli/cli_test_util.h"
#include "intake/folder_sweep.h"
#include "store/database_copy.h"
#include "store/people.h"
#include "store/sites.h"

namespace vornal {
namespace {

namespace fs = std::filesystem;

// The kind and message a location fails to open with; nothing when it opens.
std::pair<std::optional<StoreErrorKind>, std::string> OpenFailure(const std::string& location) {
  try {
    Database db;
    db.Open(location);
  } catch (const StoreError& e) {
    return {e.Kind(), e.what()};
  }
  return {std::nullopt, "opened"};
}

// The role vornal_password (tests/pg_server.sh) must give its password,
// which comes from the password file, never from the location.
TEST(Server, PasswordsComeFromThePasswordFileAndARefusalSaysSo) {
  test::TempDir dir;
  const std::string location = std::string(test::TestServer()) + " user=vornal_password";
  const std::string passfile = dir.File("pgpass");
  ::setenv("PGPASSFILE", passfile.c_str(), 1);
  EXPECT_NE(OpenFailure(location).second.find("no password supplied"), std::string::npos);

  test::WriteFile(passfile, "*:*:*:vornal_password:wrong password\n");
  fs::permissions(passfile, fs::perms::owner_read | fs::perms::owner_write);
  const auto refused = OpenFailure(location);
  EXPECT_EQ(refused.first, StoreErrorKind::CannotConnect);
  EXPECT_NE(refused.second.find("password authentication failed for user \"vornal_password\""),
            std::string::npos)
      << refused.second;

  test::WriteFile(passfile, "*:*:*:vornal_password:right password\n");
  EXPECT_EQ(OpenFailure(location).first, std::nullopt);

  // A password in the location is refused before anything is sent, and
  // never shown.
  const std::string withPassword = location + " password=right";
  const auto inline_ = OpenFailure(withPassword);
  EXPECT_NE(inline_.second.find("password file"), std::string::npos);
  EXPECT_EQ(DisplayLocation(withPassword).find("right"), std::string::npos);
  ::unsetenv("PGPASSFILE");
}

std::string Setting(Database& db, const std::string& name) {
  Statement query = db.Prepare("SELECT current_setting(?)");
  query.Bind(name);
  return query.Step() ? query.Text(0) : "";
}

// Timeouts set for a role are the administrator's: they hold for every lock,
// the advisory ones included; the program's own apply only where none is.
TEST(Server, TimeoutsSetForTheRoleAreKept) {
  const std::string location = test::ServerDatabases::New();
  const std::string role = "vt_timeouts_" + std::to_string(::getpid());
  Database own;
  own.Open(location);
  own.ExecuteScript("CREATE ROLE " + role + " LOGIN; ALTER ROLE " + role +
                    " SET lock_timeout = '150ms'; ALTER ROLE " + role +
                    " SET statement_timeout = '40s'");
  EXPECT_EQ(Setting(own, "lock_timeout"), "5s");
  EXPECT_EQ(Setting(own, "statement_timeout"), "0");
  {
    Database given;
    given.Open(location + " user=" + role);
    EXPECT_EQ(Setting(given, "lock_timeout"), "150ms");
    EXPECT_EQ(Setting(given, "statement_timeout"), "40s");
    // Another run holds the intake's lock: the role's 150 ms are waited, not
    // the program's 60 s.
    Transaction holding(own);
    own.Connection().Lock(DatabaseLock::Intake);
    Transaction waiting(given);
    const auto start = std::chrono::steady_clock::now();
    try {
      given.Connection().Lock(DatabaseLock::Intake);
      FAIL() << "the lock was taken twice";
    } catch (const StoreError& e) {
      EXPECT_EQ(e.Kind(), StoreErrorKind::Busy);
      EXPECT_NE(std::string(e.what()).find("held it for 150ms"), std::string::npos) << e.what();
    }
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(20));
  }
  own.ExecuteScript("DROP ROLE " + role);
}

// A connection the server ended is one failure, CannotConnect, its text on one
// line and said once, whatever the statement that met it.
TEST(Server, ALostConnectionIsOneErrorOnOneLine) {
  const std::string location = test::ServerDatabases::New();
  test::MakeDatabase(location);
  const std::vector<std::pair<const char*, std::function<void(Database&)>>> uses = {
      {"query", [](Database& db) { db.QueryInt("SELECT count(*) FROM logs"); }},
      {"prepare", [](Database& db) { db.Prepare("SELECT ID FROM human WHERE ID = ?"); }},
      {"script", [](Database& db) { db.ExecuteScript("SELECT 1; SELECT 2"); }},
      {"transaction", [](Database& db) { Transaction transaction(db); }},
      {"pipeline",
       [](Database& db) {
         Transaction transaction(db);
         for (int i = 0; i < 3; ++i)
           db.Send("INSERT INTO setting (Key, Val) VALUES (?, ?)", "k" + std::to_string(i), "v");
         transaction.Commit();
       }},
  };
  Database killer;
  killer.Open(location);
  for (const auto& [what, use] : uses) {
    Database db;
    db.Open(location);
    const std::int64_t pid = db.QueryInt("SELECT pg_backend_pid()").value_or(0);
    killer.QueryInt("SELECT 1 FROM (SELECT pg_terminate_backend(?)) AS t", pid);
    while (killer.QueryInt("SELECT 1 FROM pg_stat_activity WHERE pid = ?", pid)) {
    }
    try {
      use(db);
      ADD_FAILURE() << what << ": no error";
    } catch (const StoreError& e) {
      const std::string text = e.what();
      EXPECT_EQ(e.Kind(), StoreErrorKind::CannotConnect) << what << ": " << text;
      EXPECT_EQ(text.find_first_of("\t\n"), std::string::npos) << what << ": " << text;
      const std::string head = text.substr(0, 20);
      EXPECT_EQ(text.find(head, 1), std::string::npos) << what << ": " << text;
    }
  }
}

// The three roles of `vornal-cli grants`, each doing what it may and
// refused, before anything is touched, what it may not: a viewer reads; a
// collector of a site collects and retries its own site's kept-aside lines;
// an operator edits people and folders and forgets kept-aside lines.
TEST(Server, EachRoleIsRefusedWhatItMayNotDoBeforeAnythingIsTouched) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  const std::string location = test::DatabaseIn(cwd);
  const std::string suffix = std::to_string(::getpid());
  const std::string viewer = "vt_viewer_" + suffix;
  const std::string collector = "vt_collector_" + suffix;
  const std::string operator_ = "vt_operator_" + suffix;
  {
    DatabasePtr owner = test::MakeDatabase(location);
    for (const std::string& role : {viewer, collector, operator_})
      owner->ExecuteScript("DROP ROLE IF EXISTS " + role + "; CREATE ROLE " + role + " LOGIN");
    owner->Execute("INSERT INTO LOGS (Login, Event, BeginTime, EndTime) VALUES (?, ?, ?, ?)",
                   "petrov", "StopWDay", "2002-10-07 09:00:00", "2002-10-07 17:00:00");
    // A line kept aside at each site that is a valid event now.
    for (const std::string site : {"north", "south"}) {
      const std::string line = "2002|10|8|9|0|0|" + site + "|StartWDay|";
      owner->Execute(
          "INSERT INTO rejected_lines (Folder, File, Line, Reason, CollectedAt, Length, Text, "
          "Site) VALUES ('/w', 'main.buf.claim-1', 1, 'unknown-event', '2002-10-08 09:00:00', ?, "
          "?, ?)",
          static_cast<std::int64_t>(line.size()), line, site);
    }
  }
  const auto as = [&](const std::string& role, std::vector<std::string> args) {
    args.insert(args.begin(), {"--db", location + " user=" + role});
    return test::RunCli(cwd, args);
  };
  // A role without rights is told so in a sentence.
  const auto none = as(viewer, {"people"});
  EXPECT_EQ(none.exitCode, 1);
  EXPECT_NE(none.err.find("the role '" + viewer + "' lacks a right this needs"), std::string::npos)
      << none.err;
  EXPECT_EQ(test::RunCli(cwd, {"grants", "--collector", collector}).exitCode, 2);
  const auto granted = test::RunCli(cwd, {"grants", "--viewer", viewer, "--collector", collector,
                                          "--site", "north", "--operator", operator_});
  ASSERT_EQ(granted.exitCode, 0) << granted.err;
  EXPECT_NE(granted.out.find("FOR DELETE TO \"" + collector + "\" USING (site = 'north')"),
            std::string::npos)
      << granted.out;
  // Not the tables' owner: nothing granted, nothing printed.
  const auto foreign = as(operator_, {"grants", "--viewer", collector});
  EXPECT_EQ(foreign.exitCode, 1);
  EXPECT_EQ(foreign.out, "");
  EXPECT_NE(foreign.err.find("nothing granted: the tables belong to postgres, and only their owner "
                             "can grant on them (you are " +
                             operator_ + ")"),
            std::string::npos)
      << foreign.err;
  ASSERT_EQ(test::RunCli(cwd, {"--site", "north", "folders", "set", "1", cwd}).exitCode, 0);
  test::WriteFile(cwd + "/main.buf", "2002|10|8|9|0|0|ivanov|StartWDay|\r\n");

  const auto refused = [&](const std::string& role, const std::vector<std::string>& args,
                           const std::string& may) {
    const auto result = as(role, args);
    EXPECT_EQ(result.exitCode, 1) << role << " " << args[args.size() > 2 ? 2 : 0];
    EXPECT_NE(result.err.find("the role '" + role + "' may not " + may +
                              " in this database (it "
                              "lacks "),
              std::string::npos)
        << result.err;
    EXPECT_EQ(result.err.find("sequence"), std::string::npos) << result.err;
  };
  const std::string logs = test::RowsIn(cwd);
  refused(viewer, {"--site", "north", "process"}, "collect");
  EXPECT_EQ(test::ReadFile(cwd + "/main.buf"), "2002|10|8|9|0|0|ivanov|StartWDay|\r\n");
  refused(viewer, {"people", "add", "--name", "Иванов", "--login", "ivanov"}, "change people");
  refused(viewer, {"--site", "north", "folders", "add", "/srv"}, "change the settings");
  refused(collector, {"people", "add", "--name", "Иванов", "--login", "ivanov"}, "change people");
  refused(collector, {"--site", "north", "folders", "clear", "1"}, "change the settings");
  refused(collector, {"rejected", "--clear"}, "forget the lines kept aside");
  refused(operator_, {"--site", "north", "process"}, "collect");
  EXPECT_EQ(test::RowsIn(cwd), logs);
  EXPECT_EQ(test::RunCli(cwd, {"rejected", "--csv"}).out.find("north"),
            test::RunCli(cwd, {"rejected", "--csv"}).out.find("north"));
  EXPECT_EQ(as(viewer, {"stats", "--year", "2002"}).exitCode, 0);

  // The collector of north, claiming to be south's, cannot take south's line
  // out: nothing of the retry stays.
  refused(collector, {"--site", "south", "rejected", "--retry"}, "retry the lines kept aside");
  EXPECT_EQ(test::RowsIn(cwd), logs);
  const auto retried = as(collector, {"--site", "north", "rejected", "--retry"});
  EXPECT_EQ(retried.out, "1 line applied, 0 still kept aside.\n") << retried.err;
  const auto collected = as(collector, {"--site", "north", "process", "--quiet-period", "0"});
  EXPECT_EQ(collected.exitCode, 0) << collected.err;
  EXPECT_FALSE(fs::exists(cwd + "/main.buf"));

  EXPECT_EQ(as(operator_, {"people", "add", "--name", "Иванов", "--login", "ivanov"}).exitCode, 0);
  EXPECT_EQ(as(operator_, {"--site", "south", "folders", "set", "1", "/srv/south"}).exitCode, 0);
  EXPECT_EQ(as(operator_, {"rejected", "--clear"}).out, "1 line forgotten.\n");

  // Corrections, absences and the calendar are the operator's, not the
  // collector's, whose rights on the work rows serve the intake alone.
  const std::vector<std::string> correct = {"logs",     "add",
                                            "--login",  "ivanov",
                                            "--event",  "StopWDay",
                                            "--begin",  "2002-10-07 09:00:00",
                                            "--end",    "2002-10-07 18:00:00",
                                            "--reason", "forgot to start the day"};
  const std::vector<std::string> absent = {"absences",   "set",  "--login",    "ivanov", "--from",
                                           "2002-10-01", "--to", "2002-10-02", "--code", "ОТ"};
  refused(collector, correct, "correct work rows");
  refused(collector, absent, "change absences or the working calendar");
  refused(viewer, {"calendar", "set", "2002-10-03", "off"},
          "change absences or the working calendar");
  EXPECT_EQ(as(operator_, correct).exitCode, 0);
  EXPECT_EQ(as(operator_, absent).exitCode, 0);
  EXPECT_EQ(as(operator_, {"calendar", "set", "2002-10-03", "off"}).exitCode, 0);
  const auto trail = as(viewer, {"corrections", "--csv"});
  EXPECT_NE(trail.out.find("," + operator_ + ","), std::string::npos) << trail.out;

  Database owner;
  owner.Open(location);
  for (const std::string& role : {viewer, collector, operator_})
    owner.ExecuteScript("DROP OWNED BY " + role + "; DROP ROLE " + role);
}

// An office moves from its file to a server and back with every row and ID;
// a copy into a database with rows writes nothing.
TEST(Server, CopyMovesAnOfficeToTheServerAndBack) {
  test::TempDir dir;
  const std::string file = dir.File("base.mdb");
  {
    DatabasePtr db = test::MakeDatabase(file);
    db->Execute("INSERT INTO HUMAN (Name, Login) VALUES ('Петров', 'petrov'), ('x', 'gone')");
    db->Execute("DELETE FROM HUMAN WHERE Login = 'gone'");
    db->Execute("INSERT INTO HUMAN (Name, Login) VALUES ('Иванов', 'Ivanov')");
    db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path1', '/srv/it''s')");
    db->Execute("INSERT INTO intake_ledger (File, Bytes) VALUES ('main.buf.claim-1', 5000000000)");
    test::WriteFile(dir.File("main.buf"),
                    std::string(test::ReadFile(test::DataFile("worked_sequence.buf"))));
    ProcessBufferFile(*db, dir.File("main.buf"));
  }
  const auto dump = [](const std::string& location) {
    Database db;
    db.Open(location);
    std::string out = test::DumpRows(db);
    for (const char* sql :
         {"SELECT ID, Name, Age, Login FROM HUMAN ORDER BY ID",
          "SELECT ID, Key, Val FROM SETTING ORDER BY ID", "SELECT File, Bytes FROM intake_ledger",
          "SELECT ID, BeginTime FROM LOGS ORDER BY ID"}) {
      Statement rows = db.Prepare(sql);
      while (rows.Step())
        for (int i = 0; i < rows.ColumnCount(); ++i) out += rows.Text(i) + (i ? "|" : ":");
      out += "\n";
    }
    return out;
  };
  const std::string before = dump(file);

  const std::string server = test::ServerDatabases::New("template0");
  const auto there = test::RunCli(dir.Path().string(), {"--db", file, "copy", "--to", server});
  ASSERT_EQ(there.exitCode, 0) << there.err;
  EXPECT_NE(there.out.find("the row counts match"), std::string::npos) << there.out;
  EXPECT_EQ(dump(server), before);
  // New rows continue after the copied IDs.
  {
    Database db;
    db.Open(server);
    EXPECT_EQ(InsertPerson(db, {"Сидоров", "", "", "", "sidorov", "", ""}), 4);
    db.Execute("DELETE FROM HUMAN WHERE ID = 4");
  }
  // Into a database with rows, or over an existing file: nothing is written.
  const auto again = test::RunCli(dir.Path().string(), {"--db", file, "copy", "--to", server});
  EXPECT_EQ(again.exitCode, 1);
  EXPECT_NE(again.err.find("not empty"), std::string::npos) << again.err;
  EXPECT_EQ(test::RunCli(dir.Path().string(), {"--db", server, "copy", "--to", file}).exitCode, 1);

  const std::string back = dir.File("back.mdb");
  const auto home = test::RunCli(dir.Path().string(), {"--db", server, "copy", "--to", back});
  ASSERT_EQ(home.exitCode, 0) << home.err;
  EXPECT_EQ(dump(back), before);
}

}  // namespace
}  // namespace vornal
