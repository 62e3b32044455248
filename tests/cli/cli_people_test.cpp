#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

#include <gtest/gtest.h>

#include "cli/cli_test_util.h"

namespace vornal {
namespace {

using test::RunCli;

TEST(CliPeople, ImportWithOneBadLineAddsNobodyAndNamesTheLine) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  test::WriteFile(cwd + "/people.csv",
                  "\xEF\xBB\xBFname,login,phone\r\nПетров Пётр,petrov,+7 1\r\n"
                  "Сидоров,sidorov,\r\nДвойник,PETROV,\r\n");
  const auto refused = RunCli(cwd, {"people", "import", "people.csv"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_NE(refused.err.find("people.csv: line 4: login 'PETROV' is also on line 2"),
            std::string::npos)
      << refused.err;
  EXPECT_EQ(RunCli(cwd, {"people"}).out, "");

  test::WriteFile(cwd + "/people.csv", "name,login,phone\nПетров Пётр,petrov,+7 1\n");
  EXPECT_EQ(RunCli(cwd, {"people", "import", "people.csv"}).exitCode, 0);
  EXPECT_EQ(RunCli(cwd, {"people", "export"}).out,
            "name,age,profession,photo,login,phone,email,department,personnel_number\r\n"
            "Петров Пётр,,,,petrov,'+7 1,,,\r\n");
}

// add, set and remove make the editor's checks and the window's delete.
TEST(CliPeople, AddSetAndRemoveAsTheWindowDoes) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  // "Added 3. Name (login)": the ID the engine gave.
  const auto idOf = [](const test::CliResult& added) {
    return added.out.substr(added.out.find(' ') + 1, added.out.find('.') - added.out.find(' ') - 1);
  };
  const std::string first =
      idOf(RunCli(cwd, {"people", "add", "--name", "Иванов", "--login=ivanov"}));
  EXPECT_EQ(RunCli(cwd, {"people", "add", "--name", "Пусто"}).exitCode, 1);
  const auto taken = RunCli(cwd, {"people", "add", "--name", "Другой", "--login", "IVANOV"});
  EXPECT_EQ(taken.exitCode, 1);
  EXPECT_NE(taken.err.find("already belongs to " + first + ". Иванов (ivanov)"), std::string::npos);
  const std::string second =
      idOf(RunCli(cwd, {"people", "add", "--name", "Другой", "--login", "IVANOV", "--force"}));
  EXPECT_EQ(RunCli(cwd, {"people", "set", second, "--login", "petrov", "--age", "30"}).exitCode, 0);
  EXPECT_EQ(RunCli(cwd, {"people", "set", second, "--age", std::string(21, '9')}).exitCode, 1);
  EXPECT_EQ(RunCli(cwd, {"people", "set", "999", "--age", "1"}).exitCode, 1);
  EXPECT_EQ(RunCli(cwd, {"people", "export"}).out,
            "name,age,profession,photo,login,phone,email,department,personnel_number\r\n"
            "Иванов,,,,ivanov,,,,\r\n"
            "Другой,30,,,petrov,,,,\r\n");

  {
    Database db;
    db.Open(test::DatabaseIn(cwd));
    db.Execute("INSERT INTO LOGS (Login, Event, LoginKey) VALUES ('ivanov', 'StopWDay', 'ivanov')");
  }
  const auto removed = RunCli(cwd, {"people", "remove", first});
  EXPECT_EQ(removed.exitCode, 0);
  EXPECT_EQ(removed.out,
            "Removed " + first + ". Иванов (ivanov); the 1 work row of the login 'ivanov' stay.\n");
  EXPECT_EQ(RunCli(cwd, {"people"}).out, second + ". Другой (petrov)\n");
  EXPECT_EQ(RunCli(cwd, {"people", "remove", first}).exitCode, 1);
}

// A department and a personnel number go through add, set, show and the
// people files, which import with or without them; the list stays as it was.
TEST(CliPeople, DepartmentAndPersonnelNumberRoundTripButLeaveTheList) {
  test::TempDir office;
  test::TempDir other;
  const std::string cwd = office.Path().string();
  test::WriteFile(cwd + "/old.csv", "name,login\nИванов,ivanov\n");
  test::WriteFile(cwd + "/new.csv",
                  "name,login,personnel_number,department\nПетров,petrov,00017,Бухгалтерия\n");
  ASSERT_EQ(RunCli(cwd, {"people", "import", "old.csv"}).exitCode, 0);
  ASSERT_EQ(RunCli(cwd, {"people", "import", "new.csv"}).exitCode, 0);
  EXPECT_EQ(RunCli(cwd, {"people", "set", "1", "--department", "Отдел кадров", "--personnel-number",
                         "00042"})
                .exitCode,
            0);
  const auto tooLong =
      RunCli(cwd, {"people", "set", "1", "--personnel-number", std::string(21, '1')});
  EXPECT_EQ(tooLong.err, "vornal-cli people: personnel_number is longer than 20 characters\n");
  // A server gives each import's IDs from a block of its own.
  const std::string list = RunCli(cwd, {"people"}).out;
  const std::string second =
      list.substr(list.find('\n') + 1, list.rfind('.') - list.find('\n') - 1);
  EXPECT_EQ(list, "1. Иванов (ivanov)\n" + second + ". Петров (petrov)\n");
  EXPECT_NE(RunCli(cwd, {"people", "show", second})
                .out.find("department: Бухгалтерия\npersonnel_number: 00017\nversion: 1\n"),
            std::string::npos);
  const std::string expected =
      "name,age,profession,photo,login,phone,email,department,personnel_number\r\n"
      "Иванов,,,,ivanov,,,Отдел кадров,00042\r\n"
      "Петров,,,,petrov,,,Бухгалтерия,00017\r\n";
  EXPECT_EQ(RunCli(cwd, {"people", "export"}).out, expected);
  ASSERT_EQ(RunCli(cwd, {"people", "export", other.File("people.csv")}).exitCode, 0);
  ASSERT_EQ(RunCli(other.Path().string(), {"people", "import", "people.csv"}).exitCode, 0);
  EXPECT_EQ(RunCli(other.Path().string(), {"people", "export"}).out, expected);
}

// The output of a run on a terminal of its own.
std::string OnTerminal(const std::string& cwd, const std::vector<std::string>& args) {
  const std::string db = test::DatabaseIn(cwd);
  int terminal = -1;
  const pid_t pid = ::forkpty(&terminal, nullptr, nullptr, nullptr);
  if (pid == 0) {
    if (::chdir(cwd.c_str()) != 0) ::_exit(127);
    ::setenv("VORNAL_DB", db.c_str(), 1);
    std::vector<char*> argv{const_cast<char*>(VORNAL_CLI)};
    for (const auto& arg : args) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    ::execv(VORNAL_CLI, argv.data());
    ::_exit(127);
  }
  std::string out;
  char buffer[4096];
  for (ssize_t got; (got = ::read(terminal, buffer, sizeof buffer)) > 0;) out.append(buffer, got);
  ::close(terminal);
  ::waitpid(pid, nullptr, 0);
  return out;
}

// add and set refuse what an import refuses (bytes that are no UTF-8,
// control characters), so that nothing stored steers a terminal and every
// export imports again; an export to a terminal escapes what was stored
// before.
TEST(CliPeople, NothingStoredOrExportedSteersATerminal) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  for (const char* name : {"Bad\xFF", "Osc\x1B]52;c;ZXZpbA==\x07", "Two\nlines", "C1\xC2\x9B"}) {
    const auto refused = RunCli(cwd, {"people", "add", "--name", name, "--login", "x"});
    EXPECT_EQ(refused.exitCode, 1) << name;
    EXPECT_NE(refused.err.find("name "), std::string::npos) << refused.err;
  }
  ASSERT_EQ(RunCli(cwd, {"people", "add", "--name", "Good", "--login", "good"}).exitCode, 0);
  EXPECT_EQ(RunCli(cwd, {"people", "set", "1", "--email", "a\tb"}).err,
            "vornal-cli people: email holds a control character (a line end, a tab, ESC or the "
            "like)\n");
  EXPECT_EQ(RunCli(cwd, {"people"}).out, "1. Good (good)\n");

  {
    Database db;
    db.Open(test::DatabaseIn(cwd));
    db.Execute("UPDATE human SET Name = ? WHERE ID = 1", "Old\x1B]52;c;ZXZpbA==\x07\u202E");
  }
  const std::string shown = OnTerminal(cwd, {"people", "export"});
  EXPECT_EQ(shown.find('\x1B'), std::string::npos) << shown;
  EXPECT_NE(shown.find("Old\\x1B]52;c;ZXZpbA==\\x07\\u202E,"), std::string::npos) << shown;
  // Into a file or a pipe, the values as stored.
  EXPECT_NE(RunCli(cwd, {"people", "export"}).out.find("Old\x1B]52"), std::string::npos);
}

// Two desks: the second read the person (version 1); the first changed the
// phone since. The second's change without a version keeps the new phone;
// with the version it read, its save is refused with both values until
// forced.
TEST(CliPeople, ASaveOverAnotherDesksChangeIsRefused) {
  test::TempDir office;
  const std::string cwd = office.Path().string();
  ASSERT_EQ(RunCli(cwd, {"people", "add", "--name", "Иванов", "--login", "ivanov"}).exitCode, 0);
  EXPECT_EQ(RunCli(cwd, {"people", "show", "1"}).out,
            "id: 1\nname: Иванов\nlogin: ivanov\nage: \nprofession: \nphone: \nemail: \n"
            "photo: \ndepartment: \npersonnel_number: \nversion: 1\n");
  ASSERT_EQ(RunCli(cwd, {"people", "set", "1", "--if-version", "1", "--phone", "555"}).exitCode, 0);
  ASSERT_EQ(RunCli(cwd, {"people", "set", "1", "--email", "i@example.org"}).exitCode, 0);
  EXPECT_NE(RunCli(cwd, {"people", "show", "1"}).out.find("phone: 555\nemail: i@example.org\n"),
            std::string::npos);

  const auto refused = RunCli(cwd, {"people", "set", "1", "--if-version", "1", "--phone", "777"});
  EXPECT_EQ(refused.exitCode, 1);
  EXPECT_EQ(refused.err,
            "vornal-cli people: person 1 was changed at another desk since version 1 (now 3): "
            "phone now '555', yours '777'; nothing saved; give --force to save yours\n");
  EXPECT_NE(RunCli(cwd, {"people", "show", "1"}).out.find("phone: 555\n"), std::string::npos);
  EXPECT_EQ(RunCli(cwd, {"people", "set", "1", "--if-version", "1", "--phone", "777", "--force"})
                .exitCode,
            0);
  EXPECT_NE(RunCli(cwd, {"people", "show", "1"}).out.find("phone: 777\nemail: i@example.org\n"),
            std::string::npos);
}

}  // namespace
}  // namespace vornal
