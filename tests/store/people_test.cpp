#include "store/people.h"

#include <gtest/gtest.h>

#include "store/schema.h"
#include "test_util.h"

namespace vornal {
namespace {

TEST(People, ValuesAreStoredExactlyAsTyped) {
  auto db = test::MakeMemoryDatabase();
  const PersonValues tricky{"O'Brien \"Jack\"; DROP TABLE HUMAN; --", "", "", "", "o'b  ", "", ""};
  const std::int64_t id = InsertPerson(*db, tricky);

  std::optional<PersonValues> read = ReadPerson(*db, id);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->name, tricky.name);
  EXPECT_EQ(read->login, "o'b  ");
  EXPECT_EQ(read->age, "");
  EXPECT_EQ(read->photo, "");

  const PersonValues changed{"Иванов Иван", "двадцать",   "Инженер",      "/tmp/a b.bmp",
                             "ivanov",      "+7 (000) 1", "i@example.org"};
  EXPECT_EQ(UpdatePerson(*db, id, changed), 1);
  EXPECT_EQ(UpdatePerson(*db, id + 100, changed), 0);
  read = ReadPerson(*db, id);
  ASSERT_TRUE(read);
  EXPECT_EQ(read->name, changed.name);
  EXPECT_EQ(read->age, changed.age);
  EXPECT_EQ(read->prof, changed.prof);
  EXPECT_EQ(read->photo, changed.photo);
  EXPECT_EQ(read->tel, changed.tel);
  EXPECT_EQ(read->email, changed.email);
}

// Two desks opened the same person. The first sets the phone; the second,
// which set the e-mail, keeps that phone; a field both changed is returned
// as a conflict, nothing of the save written, until saved over it.
TEST(People, TwoDesksNeverOverwriteEachOther) {
  auto db = test::MakeMemoryDatabase();
  const std::int64_t id = InsertPerson(*db, {"Иванов", "", "", "", "ivanov", "", ""});
  const StoredPerson first = *ReadStoredPerson(*db, id);
  const StoredPerson second = first;

  PersonValues phone = first.values;
  phone.tel = "555";
  ASSERT_EQ(SavePerson(*db, id, first, phone).outcome, PersonSave::Outcome::Saved);
  PersonValues email = second.values;
  email.email = "i@example.org";
  ASSERT_EQ(SavePerson(*db, id, second, email).outcome, PersonSave::Outcome::Saved);
  StoredPerson now = *ReadStoredPerson(*db, id);
  EXPECT_EQ(now.values.tel, "555");
  EXPECT_EQ(now.values.email, "i@example.org");
  EXPECT_EQ(now.version, first.version + 2);

  PersonValues both = second.values;
  both.tel = "777";
  both.prof = "Инженер";
  const PersonSave refused = SavePerson(*db, id, second, both);
  ASSERT_EQ(refused.outcome, PersonSave::Outcome::Conflict);
  ASSERT_EQ(refused.conflicts.size(), 1u);
  EXPECT_EQ(refused.conflicts[0].field, PersonField::Tel);
  EXPECT_EQ(refused.conflicts[0].theirs, "555");
  EXPECT_EQ(refused.conflicts[0].mine, "777");
  EXPECT_EQ(ReadStoredPerson(*db, id)->values.prof, "");
  // The operator keeps the other desk's phone; the profession is saved, and
  // the other desk's e-mail stays.
  EXPECT_EQ(refused.merged.tel, "777");
  both = refused.merged;
  both.tel = refused.conflicts[0].theirs;
  ASSERT_EQ(SavePerson(*db, id, refused.current, both).outcome, PersonSave::Outcome::Saved);
  now = *ReadStoredPerson(*db, id);
  EXPECT_EQ(now.values.tel, "555");
  EXPECT_EQ(now.values.prof, "Инженер");
  EXPECT_EQ(now.values.email, "i@example.org");

  DeletePerson(*db, id);
  EXPECT_EQ(SavePerson(*db, id, now, both).outcome, PersonSave::Outcome::Gone);
}

// A person of a database from before departments gets an empty department
// and personnel number, which then save, size and conflict like the others.
TEST(People, DepartmentAndPersonnelNumberArriveEmptyAndSaveLikeTheOtherFields) {
  test::TempDir dir;
  const std::string location = test::DatabaseIn(dir.Path().string());
  {
    const DatabasePtr old = test::MakeOlderDatabase(location, 7);
    old->Execute("INSERT INTO HUMAN (Name, Login) VALUES ('Иванов', 'ivanov')");
    ASSERT_FALSE(PendingUpgrade(*old).empty());
    EXPECT_NE(PendingUpgrade(*old)[0].find("a department and a personnel number"),
              std::string::npos);
  }
  const DatabasePtr db = OpenDatabase(location);
  const StoredPerson first = *ReadStoredPerson(*db, 1);
  EXPECT_EQ(first.values.department, "");
  EXPECT_EQ(first.values.personnelNumber, "");

  PersonValues mine = first.values;
  mine.department = "Отдел кадров";
  ASSERT_EQ(SavePerson(*db, 1, first, mine).outcome, PersonSave::Outcome::Saved);
  PersonValues theirs = first.values;
  theirs.personnelNumber = "00042";
  ASSERT_EQ(SavePerson(*db, 1, first, theirs).outcome, PersonSave::Outcome::Saved);
  EXPECT_EQ(LoadPeople(*db).at(0).values.department, "Отдел кадров");
  EXPECT_EQ(LoadPeople(*db).at(0).values.personnelNumber, "00042");
  theirs.department = "Бухгалтерия";
  const PersonSave refused = SavePerson(*db, 1, first, theirs);
  ASSERT_EQ(refused.outcome, PersonSave::Outcome::Conflict);
  EXPECT_EQ(refused.conflicts.at(0).field, PersonField::Department);

  // Twenty characters fit a personnel number, as the column holds them.
  PersonValues sized = mine;
  sized.login = "petrov";
  sized.personnelNumber = std::string(20, '7');
  EXPECT_FALSE(CheckPerson(sized));
  EXPECT_EQ(ReadPerson(*db, InsertPerson(*db, sized))->personnelNumber, sized.personnelNumber);
  sized.personnelNumber += "7";
  EXPECT_EQ(CheckPerson(sized)->field, PersonField::PersonnelNumber);
  EXPECT_THROW(InsertPerson(*db, sized), StoreError);
  sized.personnelNumber.clear();
  sized.department = std::string(101, 'x');
  EXPECT_EQ(CheckPerson(sized)->field, PersonField::Department);
}

TEST(People, ListIsInIdOrderAndDeleteRemovesOnlyThatPerson) {
  auto db = test::MakeMemoryDatabase();
  const auto first = InsertPerson(*db, {"A", "", "", "", "a", "", ""});
  const auto second = InsertPerson(*db, {"B", "", "", "", "b", "", ""});
  const auto third = InsertPerson(*db, {"C", "", "", "", "c", "", ""});
  EXPECT_LT(first, second);
  EXPECT_LT(second, third);

  EXPECT_EQ(DeletePerson(*db, second), 1);
  EXPECT_EQ(DeletePerson(*db, second), 0);

  const std::vector<Person> people = LoadPeople(*db);
  ASSERT_EQ(people.size(), 2u);
  EXPECT_EQ(people[0].values.name, "A");
  EXPECT_EQ(people[1].values.name, "C");
  EXPECT_EQ(people[1].id, third);
  EXPECT_FALSE(ReadPerson(*db, second));
}

TEST(People, OversizedValueIsRefusedAndNothingChanges) {
  auto db = test::MakeMemoryDatabase();
  const auto id = InsertPerson(*db, {"A", "25", "", "", "a", "", ""});
  EXPECT_THROW(UpdatePerson(*db, id, {"A", std::string(21, '9'), "", "", "a", "", ""}), StoreError);
  EXPECT_EQ(ReadPerson(*db, id)->age, "25");
}

TEST(People, CheckRefusesBlankRequiredValuesAndValuesLongerThanTheirColumn) {
  const PersonValues good{"Иванов Иван", "", "", "", "ivanov", "", ""};
  EXPECT_FALSE(CheckPerson(good));
  PersonValues person = good;
  person.name = " \t\xC2\xA0 ";
  ASSERT_TRUE(CheckPerson(person));
  EXPECT_EQ(CheckPerson(person)->field, PersonField::Name);
  EXPECT_TRUE(CheckPerson(person)->blank);
  person = good;
  person.login = "  ";
  EXPECT_EQ(CheckPerson(person)->field, PersonField::Login);

  // Sizes count characters: 50 Cyrillic letters (100 bytes) fit Prof.
  person = good;
  for (int i = 0; i < PersonFieldSize(PersonField::Prof); ++i) person.prof += "ж";
  EXPECT_FALSE(CheckPerson(person));
  auto db = test::MakeMemoryDatabase();
  InsertPerson(*db, person);
  person.prof += "ж";
  ASSERT_TRUE(CheckPerson(person));
  EXPECT_EQ(CheckPerson(person)->field, PersonField::Prof);
  EXPECT_FALSE(CheckPerson(person)->blank);
  EXPECT_THROW(InsertPerson(*db, person), StoreError);
}

TEST(People, LoginOwnerIgnoresLetterCaseAndThePersonItself) {
  auto db = test::MakeMemoryDatabase();
  const auto ivanov = InsertPerson(*db, {"Иванов", "", "", "", "ivanov", "", ""});
  const auto petrov = InsertPerson(*db, {"Петров", "", "", "", "петров", "", ""});
  const auto owner = FindLoginOwner(*db, "IVANOV", std::nullopt);
  ASSERT_TRUE(owner);
  EXPECT_EQ(owner->id, ivanov);
  EXPECT_EQ(owner->name, "Иванов");
  EXPECT_EQ(owner->login, "ivanov");
  EXPECT_FALSE(FindLoginOwner(*db, "Ivanov", ivanov));
  EXPECT_FALSE(FindLoginOwner(*db, "sidorov", std::nullopt));
  ASSERT_TRUE(FindLoginOwner(*db, "ПЕТРОВ", std::nullopt));
  EXPECT_EQ(FindLoginOwner(*db, "ПЕТРОВ", std::nullopt)->id, petrov);
}

}  // namespace
}  // namespace vornal
