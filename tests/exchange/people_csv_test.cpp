#include "exchange/people_csv.h"

#include <gtest/gtest.h>

#include "test_util.h"

namespace vornal {
namespace {

std::vector<PersonValues> Everybody(Database& db) {
  std::vector<PersonValues> people;
  for (Person& person : LoadPeople(db)) people.push_back(std::move(person.values));
  return people;
}

std::string Problems(const PeopleImport& result) {
  std::string text;
  for (const ImportProblem& problem : result.problems)
    text += std::to_string(problem.line) + ": " + problem.message + "\n";
  return text;
}

TEST(PeopleCsv, AnyBadLineAddsNobodyAndEachBadLineIsNamed) {
  auto db = test::MakeMemoryDatabase();
  InsertPerson(*db, {"Иванов Иван", "", "", "", "Иванов", "", ""});
  const std::string csv =
      "login,name,age\r\n"
      "petrov,Петров Пётр,30\r\n"       // 2 good
      "иванов,Другой,\r\n"              // 3 a login of the database, other case
      "\"sid\norov\",\"Сидоров\",\r\n"  // 4-5 a line end inside quotes
      "PETROV,Ещё,\r\n"                 // 6 twice in the file
      " ,Без логина,\r\n"               // 7 blank login
      "old,Старый," +
      std::string(21, '9') +
      "\r\n"                              // 8 longer than its column
      "few,Мало\r\n"                      // 9 a field missing
      "q,\"Кавычка\"x,\r\n"               // 10 text after the closing quote
      "cp,\xCF\xE5\xF2\xF0\xEE\xE2,\r\n"  // 11 Windows-1251, not UTF-8
      "last,\"never closed,\r\n";         // 12 a quote never closed
  const PeopleImport result = ImportPeople(*db, csv);
  EXPECT_EQ(result.added, 0);
  EXPECT_EQ(Problems(result),
            "3: login 'иванов' already belongs to 1. Иванов Иван (Иванов)\n"
            "4: login holds a control character (a line end, a tab, ESC or the like)\n"
            "6: login 'PETROV' is also on line 2\n"
            "7: the login is empty\n"
            "8: age is longer than 20 characters\n"
            "9: 2 fields where the header has 3\n"
            "10: malformed CSV: text after the closing quote of field 2\n"
            "11: name is not UTF-8 text (save the file as UTF-8)\n"
            "12: malformed CSV: the quote opened on line 12 is not closed\n");
  EXPECT_EQ(Everybody(*db).size(), 1u);

  // The same file without its bad lines goes in whole.
  const PeopleImport good =
      ImportPeople(*db, "login,name,age\npetrov,Петров Пётр,30\n\"sid,orov\",\"Сидоров\",\n\n");
  EXPECT_EQ(Problems(good), "");
  EXPECT_EQ(good.added, 2);
  const auto people = Everybody(*db);
  ASSERT_EQ(people.size(), 3u);
  EXPECT_EQ(people[1].login, "petrov");
  EXPECT_EQ(people[1].age, "30");
  EXPECT_EQ(people[2].login, "sid,orov");
}

TEST(PeopleCsv, HeaderMustNameKnownColumnsOnceWithNameAndLogin) {
  auto db = test::MakeMemoryDatabase();
  EXPECT_EQ(Problems(ImportPeople(*db, "")),
            "1: the file is empty: the first line names the columns, such as "
            "name,age,profession,photo,login,phone,email,department,personnel_number\n");
  EXPECT_EQ(Problems(ImportPeople(*db, "name,Name,login,fax\nA,B,a,1\n")),
            "1: the column 'name' is named twice\n"
            "1: unknown column 'fax' (the columns are name,age,profession,photo,login,phone,"
            "email,department,personnel_number)\n");
  EXPECT_EQ(Problems(ImportPeople(*db, "name,phone\nA,1\n")),
            "1: the column 'login' is missing: the first line names the columns, such as "
            "name,age,profession,photo,login,phone,email,department,personnel_number\n");
  EXPECT_TRUE(Everybody(*db).empty());
}

// What an export writes, an import into an empty database gives back value
// for value: quotes, commas, blanks at the ends, and texts that a
// spreadsheet would take for a formula (also after blanks) or that begin
// with an apostrophe.
TEST(PeopleCsv, ExportThenImportGivesBackEveryValue) {
  auto from = test::MakeMemoryDatabase();
  const std::vector<PersonValues> people = {
      {"Иванов \"Ваня\", мл.", "25", "Инженер", "/photos/a b.bmp", "ivanov", "+7 (000) 1", ""},
      {" Пробел ", "", "=SUM(A1)", "", "'quoted", "-5", "@mail"},
      {"Две, строки", "'", "''=x", "", "o'b", " =1", "e@example.org"}};
  for (const PersonValues& person : people) InsertPerson(*from, person);
  const std::string csv = ExportPeople(*from, true);
  EXPECT_EQ(csv.substr(0, 3), "\xEF\xBB\xBF");
  EXPECT_NE(csv.find(",' =1,"), std::string::npos) << csv;

  auto to = test::MakeMemoryDatabase();
  const PeopleImport result = ImportPeople(*to, csv);
  EXPECT_EQ(Problems(result), "");
  const auto back = Everybody(*to);
  ASSERT_EQ(back.size(), people.size());
  for (std::size_t i = 0; i < people.size(); ++i) {
    SCOPED_TRACE(i);
    EXPECT_EQ(back[i].name, people[i].name);
    EXPECT_EQ(back[i].age, people[i].age);
    EXPECT_EQ(back[i].prof, people[i].prof);
    EXPECT_EQ(back[i].photo, people[i].photo);
    EXPECT_EQ(back[i].login, people[i].login);
    EXPECT_EQ(back[i].tel, people[i].tel);
    EXPECT_EQ(back[i].email, people[i].email);
  }
}

}  // namespace
}  // namespace vornal
