// vornal-cli absences: a code of the timesheet form set or cleared for a
// person's days, and the absences of a range of days.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "forms/timesheet_codes.h"
#include "stats/absences.h"

namespace vornal::cli {

extern const Command kAbsencesCommand;

namespace {

std::string CodeList() {
  std::string list;
  for (const TimesheetCode& code : TimesheetCodes())
    if (code.absence)
      list += (list.empty() ? "" : ", ") + std::string(code.letters) + " " +
              CodeNumberText(code.number);
  return list;
}

int Run(Invocation& in) {
  const std::vector<std::string>& words = in.Words();
  const std::string verb = words.empty() ? std::string() : words[0];
  if (!verb.empty() && verb != "set" && verb != "clear")
    return in.Usage("unexpected argument '" + verb + "'");
  if (words.size() > 1) return in.Usage("unexpected argument '" + words[1] + "'");
  const std::optional<DateTime> from = DateTime::FromIsoDay(in.Value("--from"));
  const std::optional<DateTime> to = DateTime::FromIsoDay(in.Value("--to"));
  if (!from || !to) return in.Usage("--from and --to are needed, as YYYY-MM-DD");
  const std::string login = in.Value("--login");
  if (verb.empty()) {
    for (const Absence& absence : ReadAbsences(in.ReadOnlyDb(), *from, *to, login)) {
      const TimesheetCode* code = FindTimesheetCode(absence.code);
      std::printf("%s %s %s%s%s\n", absence.day.Format("%Y-%m-%d").c_str(),
                  Escaped(absence.login).c_str(),
                  code ? std::string(code->letters).c_str() : CodeNumberText(absence.code).c_str(),
                  absence.note.empty() ? "" : " ", Escaped(absence.note).c_str());
    }
    return kExitOk;
  }
  if (login.empty()) return in.Usage(verb + " needs --login");
  const TimesheetCode* code = nullptr;
  if (verb == "set") {
    code = ParseTimesheetCode(in.Value("--code"));
    if (!code || !code->absence)
      return in.Usage("--code is one of the form's absence codes, by letters or number: " +
                      CodeList());
  } else if (in.Has("--code") || in.Has("--note")) {
    return in.Usage("clear takes no --code or --note");
  }
  Database& db = in.Db();
  try {
    if (verb == "set") {
      const int days = SetAbsences(db, login, *from, *to, code->number, in.Value("--note"));
      std::printf("%s set on %d %s.\n", std::string(code->letters).c_str(), days,
                  days == 1 ? "day" : "days");
    } else {
      const int days = ClearAbsences(db, login, *from, *to);
      std::printf("Cleared %d %s.\n", days, days == 1 ? "day" : "days");
    }
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "vornal-cli absences: nothing changed: %s\n", e.what());
    return kExitFailure;
  }
  return kExitOk;
}

}  // namespace

const Command kAbsencesCommand{
    "absences",
    "absences (leave, sickness, ...) of a person's days",
    {"[--db PATH] absences [--login LOGIN] --from YYYY-MM-DD --to YYYY-MM-DD",
     "[--db PATH] absences set --login LOGIN --from YYYY-MM-DD --to YYYY-MM-DD --code CODE "
     "[--note TEXT]",
     "[--db PATH] absences clear --login LOGIN --from YYYY-MM-DD --to YYYY-MM-DD"},
    "Without a word, lists the absences of the days (of LOGIN, or everybody's):\n"
    "the day, the login, the code's letters and the note. set gives every day\n"
    "from --from to --to the code, over what the days had; clear takes the\n"
    "days' codes away. CODE is an absence code of the form T-13, by its\n"
    "letters (ОТ) or its number (09). The timesheet form shows a day's code\n"
    "beside the hours recorded on it, and flags such a day.\n",
    {{"--login", "LOGIN", "the person's login"},
     {"--from", "DAY", "the first day"},
     {"--to", "DAY", "the last day"},
     {"--code", "CODE", "the absence code (set)", "a value", "set"},
     {"--note", "TEXT", "a note, at most 250 characters (set)", "a value", "set"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
