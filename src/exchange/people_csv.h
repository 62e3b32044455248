#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "store/people.h"

namespace vornal {

// People files: the person list as CSV (RFC 4180, UTF-8), a header row
// naming the columns and one person a line, for vornal-cli people
// import/export.

// The columns of a people file, in the order an export writes them.
// A file without the last two, as earlier exports wrote it, imports as well.
inline constexpr const char* kPeopleColumns[] = {"name",  "age",        "profession",
                                                 "photo", "login",      "phone",
                                                 "email", "department", "personnel_number"};

// The column that holds a person's field; vornal-cli's option is the same
// name with '-' for '_' (--personnel-number).
const char* PersonColumn(PersonField field);
// The problem in words: "the login is empty", "profession is longer than
// 50 characters".
std::string DescribePersonProblem(const PersonProblem& problem);

// What is wrong with the text of a field: "name is not UTF-8 text", "name
// holds a control character (...)"; nothing when it is UTF-8 without
// control characters, as every field must be.
std::optional<std::string> FieldTextProblem(PersonField field, std::string_view text);

// Why a line of a people file keeps the import from being done.
struct ImportProblem {
  int line = 0;
  std::string message;
};

struct PeopleImport {
  int added = 0;
  // One for each bad line (the header row, or a person's line); when there
  // are any, nobody was added.
  std::vector<ImportProblem> problems;
};

// Imports a people file: a header row that names columns of kPeopleColumns
// in any order (name and login among them; a column left out gives empty
// values), then one person a line. Every line is checked first: well-formed
// CSV, as many fields as the header, FieldTextProblem, CheckPerson, and a login
// that neither a person in the database nor an earlier line has (compared
// by LoginKey). Only when no line has a problem are all people added, in one
// transaction, in file order. Engine errors throw StoreError, nothing added.
PeopleImport ImportPeople(Database& db, std::string_view csv);

// Every person in ID order as a people file, the values as stored;
// `bom` begins it with a UTF-8 byte-order mark.
std::string ExportPeople(Database& db, bool bom);

}  // namespace vornal
