#include "exchange/people_csv.h"

#include <algorithm>
#include <map>
#include <optional>

#include "text/csv.h"
#include "text/login_key.h"
#include "text/trim.h"
#include "text/utf8.h"
#include "text/visible_text.h"

namespace vornal {
namespace {

// The person who has a login, as vornal-cli lists people: "3. Petrov (petrov)".
std::string OwnerText(const LoginOwner& owner) {
  std::string text = std::to_string(owner.id) + ". " + owner.name;
  text.resize(TrimRight(text).size());
  text += " (" + owner.login;
  text.resize(TrimRight(text).size());
  return text + ')';
}

struct Column {
  const char* name;
  PersonField field;
};

// In the order of kPeopleColumns.
constexpr Column kColumns[] = {{"name", PersonField::Name},
                               {"age", PersonField::Age},
                               {"profession", PersonField::Prof},
                               {"photo", PersonField::Photo},
                               {"login", PersonField::Login},
                               {"phone", PersonField::Tel},
                               {"email", PersonField::Email},
                               {"department", PersonField::Department},
                               {"personnel_number", PersonField::PersonnelNumber}};

std::string ColumnList() {
  std::string list;
  for (const char* name : kPeopleColumns) list += (list.empty() ? "" : ",") + std::string(name);
  return list;
}

// The header name as written, without blanks around it, ASCII letters in
// lower case.
std::string HeaderName(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) text.remove_suffix(1);
  std::string name(text);
  for (char& c : name)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return name;
}

// The column of each header field; problems when a name is unknown or
// repeated, or name or login is missing.
std::vector<const Column*> ReadHeader(const CsvRecord& header,
                                      std::vector<ImportProblem>& problems) {
  const auto problem = [&](const std::string& message) {
    problems.push_back({header.line, message});
  };
  if (!header.error.empty()) {
    problem("malformed CSV: " + header.error);
    return {};
  }
  std::vector<const Column*> columns;
  for (const std::string& field : header.fields) {
    const std::string name = HeaderName(field);
    const Column* found = nullptr;
    for (const Column& column : kColumns)
      if (name == column.name) found = &column;
    if (!found)
      problem("unknown column '" + field + "' (the columns are " + ColumnList() + ")");
    else if (std::find(columns.begin(), columns.end(), found) != columns.end())
      problem("the column '" + name + "' is named twice");
    columns.push_back(found);
  }
  for (const char* required : {"name", "login"})
    if (std::find_if(columns.begin(), columns.end(), [&](const Column* column) {
          return column && std::string_view(column->name) == required;
        }) == columns.end())
      problem("the column '" + std::string(required) +
              "' is missing: the first line names the columns, such as " + ColumnList());
  return columns;
}

// The problem of one person's line, apart from the logins.
std::optional<std::string> LineProblem(const CsvRecord& record,
                                       const std::vector<const Column*>& columns,
                                       PersonValues& person) {
  if (!record.error.empty()) return "malformed CSV: " + record.error;
  if (record.fields.size() != columns.size())
    return std::to_string(record.fields.size()) + " fields where the header has " +
           std::to_string(columns.size());
  for (std::size_t i = 0; i < columns.size(); ++i) {
    const std::string& field = record.fields[i];
    if (std::optional<std::string> problem = FieldTextProblem(columns[i]->field, field))
      return IsUtf8(field) ? *problem : *problem + " (save the file as UTF-8)";
    FieldValue(person, columns[i]->field) = CsvText(field);
  }
  if (const std::optional<PersonProblem> problem = CheckPerson(person))
    return DescribePersonProblem(*problem);
  return std::nullopt;
}

}  // namespace

const char* PersonColumn(PersonField field) {
  for (const Column& column : kColumns)
    if (column.field == field) return column.name;
  return "";
}

std::optional<std::string> FieldTextProblem(PersonField field, std::string_view text) {
  if (!IsUtf8(text)) return std::string(PersonColumn(field)) + " is not UTF-8 text";
  if (HasControlCharacter(text))
    return std::string(PersonColumn(field)) +
           " holds a control character (a line end, a tab, ESC or the like)";
  return std::nullopt;
}

std::string DescribePersonProblem(const PersonProblem& problem) {
  if (problem.blank) return "the " + std::string(PersonColumn(problem.field)) + " is empty";
  return std::string(PersonColumn(problem.field)) + " is longer than " +
         std::to_string(PersonFieldSize(problem.field)) + " characters";
}

PeopleImport ImportPeople(Database& db, std::string_view csv) {
  PeopleImport result;
  const std::vector<CsvRecord> records = ReadCsv(csv);
  if (records.empty()) {
    result.problems.push_back(
        {1, "the file is empty: the first line names the columns, such as " + ColumnList()});
    return result;
  }
  const std::vector<const Column*> columns = ReadHeader(records.front(), result.problems);
  if (!result.problems.empty()) return result;

  // The logins are checked against the people of the transaction that adds
  // the new ones, so a person added meanwhile by another program counts.
  Transaction transaction(db);
  std::map<std::string, LoginOwner> owners;
  {
    Statement query = db.Prepare("SELECT ID, Name, Login, LoginKey FROM HUMAN ORDER BY ID");
    while (query.Step())
      owners.emplace(query.Text(3), LoginOwner{query.Int(0), query.Text(1), query.Text(2)});
  }
  std::map<std::string, int> lineOfLogin;
  std::vector<PersonValues> people;
  people.reserve(records.size() - 1);
  for (std::size_t r = 1; r < records.size(); ++r) {
    const CsvRecord& record = records[r];
    PersonValues person;
    std::optional<std::string> problem = LineProblem(record, columns, person);
    if (!problem) {
      const std::string key = LoginKey(person.login);
      if (const auto owner = owners.find(key); owner != owners.end())
        problem = "login '" + person.login + "' already belongs to " + OwnerText(owner->second);
      else if (const auto [line, fresh] = lineOfLogin.emplace(key, record.line); !fresh)
        problem = "login '" + person.login + "' is also on line " + std::to_string(line->second);
    }
    if (problem)
      result.problems.push_back({record.line, *problem});
    else
      people.push_back(std::move(person));
  }
  if (!result.problems.empty()) return result;
  db.Connection().PrepareForBulkWrite();
  InsertPeople(db, people);
  transaction.Commit();
  result.added = static_cast<int>(people.size());
  return result;
}

std::string ExportPeople(Database& db, bool bom) {
  std::string out = bom ? std::string(kUtf8Bom) : std::string();
  out += CsvLine({std::begin(kPeopleColumns), std::end(kPeopleColumns)});
  for (const Person& person : LoadPeople(db)) {
    const PersonValues& v = person.values;
    out += CsvLine(
        {v.name, v.age, v.prof, v.photo, v.login, v.tel, v.email, v.department, v.personnelNumber});
  }
  return out;
}

}  // namespace vornal
