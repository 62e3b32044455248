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
            "name,age,profession,photo,login,phone,email\r\n"
            "Петров Пётр,,,,petrov,'+7 1,\r\n");
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
            "name,age,profession,photo,login,phone,email\r\n"
            "Иванов,,,,ivanov,,\r\n"
            "Другой,30,,,petrov,,\r\n");

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
            "photo: \nversion: 1\n");
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
