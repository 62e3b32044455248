// vornal-cli people: the person list, and people added, changed, removed,
// imported and exported.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

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

constexpr PersonField kPersonFields[] = {PersonField::Name, PersonField::Login, PersonField::Age,
                                         PersonField::Prof, PersonField::Tel,   PersonField::Email,
                                         PersonField::Photo};

int Fail(const std::string& message) {
  std::fprintf(stderr, "vornal-cli people: %s\n", Escaped(message).c_str());
  return kExitFailure;
}

std::optional<std::int64_t> IdAt(const Args& args, std::size_t at) {
  if (at >= args.size()) return std::nullopt;
  return ParseId(args[at]);
}

// What `set` was given besides the fields.
struct SetOptions {
  bool force = false;
  std::optional<std::int64_t> ifVersion;  // --if-version: the version the values were read at
  std::vector<PersonField> given;
};

// Takes the field options from args[from] on into `person`, the others
// into `options`. Returns a usage problem, empty when there is none.
std::string TakeFields(const Args& args, std::size_t from, PersonValues& person,
                       SetOptions& options) {
  for (std::size_t i = from; i < args.size(); ++i) {
    if (args[i] == "--force") {
      options.force = true;
      continue;
    }
    std::string version;
    bool taken = false, missing = false;
    if (TakeValue(args, i, "--if-version", version, missing)) {
      const std::optional<int> number = missing ? std::nullopt : ParseNumber(version);
      if (!number || *number < 1) return "--if-version needs the version 'people show' gave";
      options.ifVersion = *number;
      continue;
    }
    for (const PersonField field : kPersonFields) {
      const std::string option = "--" + std::string(PersonColumn(field));
      if (!TakeValue(args, i, option, FieldValue(person, field), missing)) continue;
      if (missing) return args[i] + " needs a value";
      options.given.push_back(field);
      taken = true;
      break;
    }
    if (!taken) return "unexpected argument '" + args[i] + "'";
  }
  return {};
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

int Add(const Context& context, const Args& args) {
  PersonValues person;
  SetOptions options;
  if (const std::string problem = TakeFields(args, 1, person, options); !problem.empty())
    return UsageError(kPeopleCommand, problem);
  if (options.ifVersion) return UsageError(kPeopleCommand, "--if-version goes with set");
  const DatabasePtr db = OpenOrCreate(context.dbPath);
  return Add(*db, person, options.force);
}

// Changes the fields given, after the editor's checks. Only those fields
// are written, so that another desk's change of the others stays. With
// --if-version, a given field another desk changed since that version is
// not overwritten unless forced.
int Set(const Context& context, const Args& args) {
  const std::optional<std::int64_t> id = IdAt(args, 1);
  if (!id) return UsageError(kPeopleCommand, "set needs the ID of a person");
  PersonValues given;
  SetOptions options;
  if (const std::string problem = TakeFields(args, 2, given, options); !problem.empty())
    return UsageError(kPeopleCommand, problem);
  if (const std::optional<std::string> problem = TextProblem(given, options.given))
    return Fail(*problem);
  const DatabasePtr db = OpenExisting(context.dbPath);
  RequireRight(*db, Action::EditPeople);
  const auto gone = [&id] { return Fail("there is no person with ID " + std::to_string(*id)); };
  std::optional<StoredPerson> read = ReadStoredPerson(*db, *id);
  if (!read) return gone();
  PersonValues person = read->values;
  for (const PersonField field : options.given)
    FieldValue(person, field) = FieldValue(given, field);
  if (const std::optional<PersonProblem> problem = CheckPerson(person))
    return Fail(DescribePersonProblem(*problem));
  if (const std::optional<LoginOwner> owner = FindLoginOwner(*db, person.login, id);
      owner && !options.force)
    return Fail("login '" + Escaped(person.login) + "' already belongs to " +
                Escaped(PersonText(owner->id, owner->name, owner->login)) +
                "; give --force to save it all the same");
  if (options.ifVersion && *options.ifVersion != read->version && !options.force) {
    // What that version held is gone: any field given may have been changed
    // since. Each is shown as it is now beside the value given.
    std::vector<FieldConflict> shown;
    for (const PersonField field : options.given)
      if (FieldValue(read->values, field) != FieldValue(person, field))
        shown.push_back({field, FieldValue(read->values, field), FieldValue(person, field)});
    if (!shown.empty())
      return Fail("person " + std::to_string(*id) + " was changed at another desk since version " +
                  std::to_string(*options.ifVersion) + " (now " + std::to_string(read->version) +
                  "): " + ConflictText(shown) + "; nothing saved; give --force to save yours");
  }
  for (;;) {
    const PersonSave save = SavePerson(*db, *id, *read, person);
    if (save.outcome == PersonSave::Outcome::Saved) break;
    if (save.outcome == PersonSave::Outcome::Gone) return gone();
    if (!options.force)
      return Fail("person " + std::to_string(*id) + " was changed at another desk meanwhile: " +
                  ConflictText(save.conflicts) + "; nothing saved; give --force to save yours");
    read = save.current;
    person = save.merged;
  }
  std::printf("Changed %s\n", Shown(*id, person).c_str());
  return kExitOk;
}

int Show(const Context& context, const Args& args) {
  const std::optional<std::int64_t> id = IdAt(args, 1);
  if (!id || args.size() > 2) return UsageError(kPeopleCommand, "show needs one person's ID");
  const DatabasePtr db = OpenExisting(context.dbPath);
  const std::optional<StoredPerson> person = ReadStoredPerson(*db, *id);
  if (!person) return Fail("there is no person with ID " + std::to_string(*id));
  std::string out = "id: " + std::to_string(*id) + "\n";
  for (const PersonField field : kPersonFields)
    out += std::string(PersonColumn(field)) + ": " +
           Escaped(TrimRight(FieldValue(person->values, field))) + "\n";
  out += "version: " + std::to_string(person->version) + "\n";
  WriteOut(out);
  return kExitOk;
}

int Remove(const Context& context, const Args& args) {
  const std::optional<std::int64_t> id = IdAt(args, 1);
  if (!id || args.size() > 2) return UsageError(kPeopleCommand, "remove needs one person's ID");
  const DatabasePtr db = OpenExisting(context.dbPath);
  RequireRight(*db, Action::EditPeople);
  Transaction transaction(*db);
  const std::optional<PersonValues> person = ReadPerson(*db, *id);
  if (!person || DeletePerson(*db, *id) != 1)
    return Fail("there is no person with ID " + std::to_string(*id));
  const std::int64_t rows = CountWorkRows(*db, person->login);
  transaction.Commit();
  // As the window's delete: the person goes, the work rows stay.
  std::printf("Removed %s; the %lld work %s of the login '%s' stay.\n", Shown(*id, *person).c_str(),
              static_cast<long long>(rows), rows == 1 ? "row" : "rows",
              Escaped(person->login).c_str());
  return kExitOk;
}

// The whole file into `text`; what went wrong, when something did.
std::optional<std::string> ReadWhole(const std::string& path, std::string& text) {
  const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  if (fd < 0) return "cannot open " + path + ": " + std::strerror(errno);
  struct stat st {};
  if (::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode)) {
    ::close(fd);
    return path + " is a folder";
  }
  char buffer[65536];
  for (;;) {
    const ssize_t got = ::read(fd, buffer, sizeof buffer);
    if (got < 0 && errno == EINTR) continue;
    if (got <= 0) {
      const int error = got < 0 ? errno : 0;
      ::close(fd);
      if (error) return "cannot read " + path + ": " + std::strerror(error);
      return std::nullopt;
    }
    text.append(buffer, static_cast<std::size_t>(got));
  }
}

int Import(const Context& context, const Args& args) {
  if (args.size() != 2) return UsageError(kPeopleCommand, "import needs one CSV file");
  std::string text;
  if (const std::optional<std::string> problem = ReadWhole(args[1], text)) return Fail(*problem);
  const DatabasePtr db = OpenOrCreate(context.dbPath);
  RequireRight(*db, Action::EditPeople);
  const PeopleImport result = ImportPeople(*db, text);
  for (const ImportProblem& problem : result.problems)
    std::fprintf(stderr, "%s: line %d: %s\n", Escaped(args[1]).c_str(), problem.line,
                 Escaped(problem.message).c_str());
  if (!result.problems.empty())
    return Fail("nobody imported: " + std::to_string(result.problems.size()) +
                (result.problems.size() == 1 ? " line has a problem" : " lines have problems"));
  std::printf("Imported %d %s.\n", result.added, result.added == 1 ? "person" : "people");
  return kExitOk;
}

int Export(const Context& context, const Args& args) {
  std::string file;
  bool bom = false;
  for (std::size_t i = 1; i < args.size(); ++i) {
    if (args[i] == "--bom")
      bom = true;
    else if (file.empty() && !args[i].starts_with("--"))
      file = args[i];
    else
      return UsageError(kPeopleCommand, "unexpected argument '" + args[i] + "'");
  }
  const DatabasePtr db = OpenOrCreate(context.dbPath);
  const std::string text = ExportPeople(*db, bom);
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

int Run(const Context& context, const Args& args) {
  if (args.empty()) {
    const DatabasePtr db = OpenOrCreate(context.dbPath);
    for (const PersonEntry& person : ListPeople(*db))
      std::printf("%s\n", Escaped(PersonText(person.id, person.name, person.login)).c_str());
    return kExitOk;
  }
  const std::string& verb = args[0];
  if (verb == "add") return Add(context, args);
  if (verb == "set") return Set(context, args);
  if (verb == "show") return Show(context, args);
  if (verb == "remove") return Remove(context, args);
  if (verb == "import") return Import(context, args);
  if (verb == "export") return Export(context, args);
  return UsageError(kPeopleCommand, "unexpected argument '" + verb + "'");
}

}  // namespace

const Command kPeopleCommand{
    "people", "list, add, change, remove, import and export people",
    "Usage: vornal-cli [--db PATH] people\n"
    "       vornal-cli [--db PATH] people add --name NAME --login LOGIN [FIELDS] [--force]\n"
    "       vornal-cli [--db PATH] people show ID\n"
    "       vornal-cli [--db PATH] people set ID [FIELDS] [--if-version V] [--force]\n"
    "       vornal-cli [--db PATH] people remove ID\n"
    "       vornal-cli [--db PATH] people import FILE.csv\n"
    "       vornal-cli [--db PATH] people export [FILE.csv] [--bom]\n"
    "\n"
    "Without a word, lists the people in ID order, one a line, as the statistics\n"
    "window lists them: \"3. Петров Пётр (petrov)\".\n"
    "\n"
    "FIELDS: --name, --login, --age, --profession, --photo, --phone, --email,\n"
    "each with its value. add and set check the values as the person editor\n"
    "does (name and login not empty, no value longer than its column) and as\n"
    "an import does (UTF-8 without control characters such as line ends), and\n"
    "refuse a login that another person has (compared without regard to letter\n"
    "case) unless --force is given.\n"
    "\n"
    "show prints one person's fields, one a line (\"phone: 555-12-34\"), and the\n"
    "version of the record, which every change moves on. set changes only the\n"
    "fields given, so that another desk's change of the others stays. With\n"
    "--if-version V (the version show gave), a person changed at another desk\n"
    "since is not overwritten: set prints the fields given as they are now\n"
    "beside yours (\"phone now '555', yours '777'\"), saves nothing and exits\n"
    "with 1, unless --force is given.\n"
    "remove removes the person as the main window does: the work rows of the\n"
    "login stay in the database (the statistics of everybody still count them).\n"
    "\n"
    "import adds the people of a CSV file (RFC 4180, UTF-8, a byte-order mark\n"
    "allowed): a header row naming the columns name,age,profession,photo,login,\n"
    "phone,email in any order (name and login required; a column left out\n"
    "gives empty values), then one person a line. Every line is checked first\n"
    "(well-formed, as many fields as the header, UTF-8, the sizes, a login\n"
    "already in the database or twice in the file); then either everybody is\n"
    "added, in one transaction, or, when any line has a problem, nobody, and\n"
    "each bad line is named on stderr (\"line 7: login 'ivanov' already belongs\n"
    "to 3. Иванов Иван (ivanov)\").\n"
    "\n"
    "export writes everybody in ID order in that form, to FILE.csv (written\n"
    "whole or not at all, never over the database) or to the standard output,\n"
    "escaped when that is a terminal (a value a spreadsheet would take for a\n"
    "formula, also after blanks, gets an apostrophe in front, which import\n"
    "takes off again).\n"
    "  --bom   begin with a UTF-8 byte-order mark (for Excel)\n"
    "\n"
    "Exit codes: 0 done, 1 refused or failed (nothing changed), 2 wrong command\n"
    "line.\n",
    Run};

}  // namespace vornal::cli
