// vornal-cli people: the person list, and people added, changed, removed,
// imported and exported.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <optional>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "exchange/people_csv.h"
#include "stats/period_queries.h"
#include "store/output_file.h"
#include "store/role_grants.h"
#include "text/visible_text.h"

namespace vornal::cli {

extern const Command kPeopleCommand;

namespace {

std::string Shown(std::int64_t id, const PersonValues& person) {
  return Escaped(PersonText(id, person.name, person.login));
}

int Fail(const std::string& message) {
  std::fprintf(stderr, "vornal-cli people: %s\n", Escaped(message).c_str());
  return kExitFailure;
}

std::optional<std::int64_t> IdAt(const std::vector<std::string>& words, std::size_t at) {
  if (at >= words.size()) return std::nullopt;
  return ParseId(words[at]);
}

// The fields given, and which.
struct GivenFields {
  PersonValues values;
  std::vector<PersonField> fields;
};

GivenFields TakeFields(const Invocation& in) {
  GivenFields given;
  for (const PersonField field : kPersonFields) {
    // The option is the file's column, words joined by '-': --personnel-number.
    std::string option = "--" + std::string(PersonColumn(field));
    std::replace(option.begin(), option.end(), '_', '-');
    if (!in.Has(option)) continue;
    FieldValue(given.values, field) = in.Value(option);
    given.fields.push_back(field);
  }
  return given;
}

// The version --if-version gives, or a usage problem.
std::optional<std::int64_t> IfVersion(const Invocation& in, std::string& problem) {
  if (!in.Has("--if-version")) return std::nullopt;
  const std::optional<int> number = ParseNumber(in.Value("--if-version"));
  if (!number || *number < 1) problem = "--if-version needs the version 'people show' gave";
  return number;
}

// As an import checks a file's fields: nothing that could steer a terminal
// or break a later import is stored. The first problem of the fields.
std::optional<std::string> TextProblem(const PersonValues& person,
                                       const std::vector<PersonField>& fields) {
  for (const PersonField field : fields)
    if (std::optional<std::string> problem = FieldTextProblem(field, FieldValue(person, field)))
      return problem;
  return std::nullopt;
}

// Adds a person after the checks the editor makes; a login another person
// has is refused unless forced, where the editor asks.
int Add(Database& db, const PersonValues& person, bool force) {
  if (const std::optional<std::string> problem =
          TextProblem(person, {std::begin(kPersonFields), std::end(kPersonFields)}))
    return Fail(*problem);
  if (const std::optional<PersonProblem> problem = CheckPerson(person))
    return Fail(DescribePersonProblem(*problem));
  RequireRight(db, Action::EditPeople);
  Transaction transaction(db);
  if (const std::optional<LoginOwner> owner = FindLoginOwner(db, person.login, std::nullopt);
      owner && !force)
    return Fail("login '" + Escaped(person.login) + "' already belongs to " +
                Escaped(PersonText(owner->id, owner->name, owner->login)) +
                "; give --force to save it all the same");
  const std::int64_t id = InsertPerson(db, person);
  transaction.Commit();
  std::printf("Added %s\n", Shown(id, person).c_str());
  return kExitOk;
}

// "phone now '555', yours '777'" for each field.
std::string ConflictText(const std::vector<FieldConflict>& conflicts) {
  std::string text;
  for (const FieldConflict& conflict : conflicts)
    text += std::string(text.empty() ? "" : ", ") + PersonColumn(conflict.field) + " now '" +
            Escaped(conflict.theirs) + "', yours '" + Escaped(conflict.mine) + "'";
  return text;
}

int Add(Invocation& in) {
  if (in.Words().size() > 1) return in.Usage("unexpected argument '" + in.Words()[1] + "'");
  std::string problem;
  IfVersion(in, problem);
  if (!problem.empty()) return in.Usage(problem);
  if (in.Has("--if-version")) return in.Usage("--if-version goes with set");
  return Add(in.Db(), TakeFields(in).values, in.Has("--force"));
}

// Changes the fields given, after the editor's checks. Only those fields
// are written, so that another desk's change of the others stays. With
// --if-version, a given field another desk changed since that version is
// not overwritten unless forced.
int Set(Invocation& in) {
  const std::optional<std::int64_t> id = IdAt(in.Words(), 1);
  if (!id) return in.Usage("set needs the ID of a person");
  if (in.Words().size() > 2) return in.Usage("unexpected argument '" + in.Words()[2] + "'");
  std::string problem;
  const std::optional<std::int64_t> ifVersion = IfVersion(in, problem);
  if (!problem.empty()) return in.Usage(problem);
  const bool force = in.Has("--force");
  const GivenFields given = TakeFields(in);
  if (const std::optional<std::string> text = TextProblem(given.values, given.fields))
    return Fail(*text);
  Database& db = in.ExistingDb();
  RequireRight(db, Action::EditPeople);
  const auto gone = [&id] { return Fail("there is no person with ID " + std::to_string(*id)); };
  std::optional<StoredPerson> read = ReadStoredPerson(db, *id);
  if (!read) return gone();
  PersonValues person = read->values;
  for (const PersonField field : given.fields)
    FieldValue(person, field) = FieldValue(given.values, field);
  if (const std::optional<PersonProblem> check = CheckPerson(person))
    return Fail(DescribePersonProblem(*check));
  if (const std::optional<LoginOwner> owner = FindLoginOwner(db, person.login, id); owner && !force)
    return Fail("login '" + Escaped(person.login) + "' already belongs to " +
                Escaped(PersonText(owner->id, owner->name, owner->login)) +
                "; give --force to save it all the same");
  if (ifVersion && *ifVersion != read->version && !force) {
    // What that version held is gone: any field given may have been changed
    // since. Each is shown as it is now beside the value given.
    std::vector<FieldConflict> shown;
    for (const PersonField field : given.fields)
      if (FieldValue(read->values, field) != FieldValue(person, field))
        shown.push_back({field, FieldValue(read->values, field), FieldValue(person, field)});
    if (!shown.empty())
      return Fail("person " + std::to_string(*id) + " was changed at another desk since version " +
                  std::to_string(*ifVersion) + " (now " + std::to_string(read->version) +
                  "): " + ConflictText(shown) + "; nothing saved; give --force to save yours");
  }
  for (;;) {
    const PersonSave save = SavePerson(db, *id, *read, person);
    if (save.outcome == PersonSave::Outcome::Saved) break;
    if (save.outcome == PersonSave::Outcome::Gone) return gone();
    if (!force)
      return Fail("person " + std::to_string(*id) + " was changed at another desk meanwhile: " +
                  ConflictText(save.conflicts) + "; nothing saved; give --force to save yours");
    read = save.current;
    person = save.merged;
  }
  std::printf("Changed %s\n", Shown(*id, person).c_str());
  return kExitOk;
}

int Show(Invocation& in) {
  const std::optional<std::int64_t> id = IdAt(in.Words(), 1);
  if (!id || in.Words().size() > 2) return in.Usage("show needs one person's ID");
  const std::optional<StoredPerson> person = ReadStoredPerson(in.ExistingDb(), *id);
  if (!person) return Fail("there is no person with ID " + std::to_string(*id));
  std::string out = "id: " + std::to_string(*id) + "\n";
  for (const PersonField field : kPersonFields)
    out += std::string(PersonColumn(field)) + ": " +
           Escaped(TrimRight(FieldValue(person->values, field))) + "\n";
  out += "version: " + std::to_string(person->version) + "\n";
  WriteOut(out);
  return kExitOk;
}

int Remove(Invocation& in) {
  const std::optional<std::int64_t> id = IdAt(in.Words(), 1);
  if (!id || in.Words().size() > 2) return in.Usage("remove needs one person's ID");
  Database& db = in.ExistingDb();
  RequireRight(db, Action::EditPeople);
  Transaction transaction(db);
  const std::optional<PersonValues> person = ReadPerson(db, *id);
  if (!person || DeletePerson(db, *id) != 1)
    return Fail("there is no person with ID " + std::to_string(*id));
  const std::int64_t rows = CountWorkRows(db, person->login);
  transaction.Commit();
  // The person goes, the work rows stay (the window refuses while there are any).
  std::printf("Removed %s; the %lld work %s of the login '%s' stay.\n", Shown(*id, *person).c_str(),
              static_cast<long long>(rows), rows == 1 ? "row" : "rows",
              Escaped(person->login).c_str());
  return kExitOk;
}

int Import(Invocation& in) {
  if (in.Words().size() != 2) return in.Usage("import needs one CSV file");
  const std::string& file = in.Words()[1];
  std::string text;
  if (const std::optional<std::string> problem = ReadWholeFile(file, text)) return Fail(*problem);
  Database& db = in.Db();
  RequireRight(db, Action::EditPeople);
  const PeopleImport result = ImportPeople(db, text);
  for (const ImportProblem& problem : result.problems)
    std::fprintf(stderr, "%s: line %d: %s\n", Escaped(file).c_str(), problem.line,
                 Escaped(problem.message).c_str());
  if (!result.problems.empty())
    return Fail("nobody imported: " + std::to_string(result.problems.size()) +
                (result.problems.size() == 1 ? " line has a problem" : " lines have problems"));
  std::printf("Imported %d %s.\n", result.added, result.added == 1 ? "person" : "people");
  return kExitOk;
}

int Export(Invocation& in) {
  std::string file;
  for (std::size_t i = 1; i < in.Words().size(); ++i) {
    const std::string& word = in.Words()[i];
    if (!file.empty() || word.starts_with("--"))
      return in.Usage("unexpected argument '" + word + "'");
    file = word;
  }
  const std::string text = ExportPeople(in.Db(), in.Has("--bom"));
  if (file.empty()) {
    // The file as it is for a program; shown safely on a terminal.
    WriteOut(StdoutIsTerminal() ? VisibleLines(text) : text);
    return kExitOk;
  }
  try {
    WriteOutputFile(file, text);
  } catch (const OutputError& e) {
    return Fail(e.what());
  }
  return kExitOk;
}

int Run(Invocation& in) {
  if (in.Words().empty()) {
    for (const PersonEntry& person : ListPeople(in.Db()))
      std::printf("%s\n", Escaped(PersonText(person.id, person.name, person.login)).c_str());
    return kExitOk;
  }
  const std::string& verb = in.Words()[0];
  if (verb == "add") return Add(in);
  if (verb == "set") return Set(in);
  if (verb == "show") return Show(in);
  if (verb == "remove") return Remove(in);
  if (verb == "import") return Import(in);
  if (verb == "export") return Export(in);
  return in.Usage("unexpected argument '" + verb + "'");
}

}  // namespace

const Command kPeopleCommand{
    "people",
    "list, add, change, remove, import and export people",
    {"[--db PATH] people", "[--db PATH] people add --name NAME --login LOGIN [FIELDS] [--force]",
     "[--db PATH] people show ID", "[--db PATH] people set ID [FIELDS] [--if-version V] [--force]",
     "[--db PATH] people remove ID", "[--db PATH] people import FILE.csv",
     "[--db PATH] people export [FILE.csv] [--bom]"},
    "Without a word, lists the people in ID order, one a line, as the statistics\n"
    "window lists them: \"3. Петров Пётр (petrov)\".\n"
    "\n"
    "add and set check the values as the person editor does (name and login not\n"
    "empty, no value longer than its column) and as an import does (UTF-8\n"
    "without control characters such as line ends), and refuse a login that\n"
    "another person has (compared without regard to letter case) unless --force\n"
    "is given.\n"
    "\n"
    "show prints one person's fields, one a line (\"phone: 555-12-34\",\n"
    "\"personnel_number: 00042\"), and the version of the record, which every\n"
    "change moves on. set changes only the fields given, so that another\n"
    "desk's change of the others stays. With\n"
    "--if-version V (the version show gave), a person changed at another desk\n"
    "since is not overwritten: set prints the fields given as they are now\n"
    "beside yours (\"phone now '555', yours '777'\"), saves nothing and exits\n"
    "with 1, unless --force is given.\n"
    "remove removes the person even with work rows, which the main window\n"
    "refuses: the work rows of the login stay in the database (the statistics\n"
    "of everybody still count them).\n"
    "\n"
    "import adds the people of a CSV file (RFC 4180, UTF-8, a byte-order mark\n"
    "allowed): a header row naming the columns name,age,profession,photo,login,\n"
    "phone,email,department,personnel_number in any order (name and login\n"
    "required; a column left out gives empty values, so files without the\n"
    "last two import as well), then one person a line. Every line is checked\n"
    "first (well-formed, as many fields as the header, UTF-8, the sizes, a login\n"
    "already in the database or twice in the file); then either everybody is\n"
    "added, in one transaction, or, when any line has a problem, nobody, and\n"
    "each bad line is named on stderr (\"line 7: login 'ivanov' already belongs\n"
    "to 3. Иванов Иван (ivanov)\").\n"
    "\n"
    "export writes everybody in ID order in that form, to FILE.csv (written\n"
    "whole or not at all, never over the database) or to the standard output,\n"
    "escaped when that is a terminal (a value a spreadsheet would take for a\n"
    "formula, also after blanks, gets an apostrophe in front, which import\n"
    "takes off again).\n",
    {{"--name", "NAME", "the person's name (FIELDS: add, set)", "a value", "add set"},
     {"--login", "LOGIN", "the login the client writes", "a value", "add set"},
     {"--age", "AGE", "the person's age, as text", "a value", "add set"},
     {"--profession", "TEXT", "the person's profession", "a value", "add set"},
     {"--photo", "FILE", "a picture of the person", "a value", "add set"},
     {"--phone", "TEXT", "a telephone number", "a value", "add set"},
     {"--email", "TEXT", "an e-mail address", "a value", "add set"},
     {"--department", "TEXT", "the person's department (structural unit)", "a value", "add set"},
     {"--personnel-number", "TEXT", "the person's personnel number", "a value", "add set"},
     {"--force", nullptr,
      "save a login another person has all the same; with --if-version, save over another desk's "
      "change",
      "", "add set"},
     {"--if-version", "V", "set: only while the person is at version V",
      "the version 'people show' gave", "add set"},
     {"--bom", nullptr, "export: begin with a UTF-8 byte-order mark (for Excel)", "", "export"}},
    "Exit codes: 0 done, 1 refused or failed (nothing changed), 2 wrong command\n"
    "line.\n",
    Run};

}  // namespace vornal::cli
