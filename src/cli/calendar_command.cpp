// vornal-cli calendar: the working calendar, its norm, and the operator's
// changes of it.
#include <cstdio>
#include <stdexcept>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "stats/work_calendar.h"

namespace vornal::cli {

extern const Command kCalendarCommand;

namespace {

const char* KindText(DayKind kind) {
  switch (kind) {
    case DayKind::Work:
      return "work";
    case DayKind::Short:
      return "short";
    case DayKind::Off:
      return "off";
    case DayKind::Holiday:
      return "holiday";
  }
  return "";
}

const char* ProblemText(CalendarFile::Problem problem) {
  switch (problem) {
    case CalendarFile::Problem::Malformed:
      return "not 'date,kind[,hours]'";
    case CalendarFile::Problem::BadDate:
      return "the date is not a day as YYYY-MM-DD";
    case CalendarFile::Problem::BadKind:
      return "the kind is none of work, short, off";
    case CalendarFile::Problem::BadHours:
      return "hours go with a short day only, a whole number from 1 to 23";
    case CalendarFile::Problem::Twice:
      return "the day is in the file twice";
  }
  return "";
}

int Show(Invocation& in) {
  if (in.Words().size() > 1) return in.Usage("unexpected argument '" + in.Words()[1] + "'");
  const std::optional<int> year = ParseNumber(in.Value("--year"));
  const std::optional<int> month =
      in.Has("--month") ? ParseNumber(in.Value("--month")) : std::optional<int>(0);
  if (!year || !month || *month < 0 || *month > 12 || !DateTime::FromParts(*year, 1, 1))
    return in.Usage("show needs --year Y, and --month M (1 to 12) for one month");
  const DateTime first = *DateTime::FromParts(*year, *month ? *month : 1, 1);
  const DateTime last = *month ? first.AddDays(DateTime::DaysInMonth(*year, *month) - 1)
                               : *DateTime::FromParts(*year, 12, 31);
  const std::vector<CalendarDay> days = ReadCalendar(in.ReadOnlyDb(), first, last);
  std::string out;
  for (const CalendarDay& day : days)
    out += day.date.Format("%Y-%m-%d") + " " + KindText(day.kind) + " " +
           HoursText(day.normSeconds) + (day.changed ? " changed" : "") + "\n";
  int working = 0;
  for (const CalendarDay& day : days) working += day.Working();
  out += "Norm: " + HoursText(NormSeconds(days)) + " in " + std::to_string(working) +
         " working days\n";
  WriteOut(out);
  return kExitOk;
}

int Change(Invocation& in, const std::vector<CalendarChange>& changes) {
  try {
    SetCalendarDays(in.Db(), changes);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "vornal-cli calendar: nothing changed: %s\n", e.what());
    return kExitFailure;
  }
  std::printf("Changed %zu %s.\n", changes.size(), changes.size() == 1 ? "day" : "days");
  return kExitOk;
}

int Run(Invocation& in) {
  const std::vector<std::string>& words = in.Words();
  const std::string verb = words.empty() ? std::string() : words[0];
  if (verb == "show") return Show(in);
  if (verb == "set" || verb == "clear") {
    if (words.size() < 2) return in.Usage(verb + " needs a day, as YYYY-MM-DD");
    const std::optional<DateTime> day = DateTime::FromIsoDay(words[1]);
    if (!day) return in.Usage("'" + words[1] + "' is no day as YYYY-MM-DD");
    if (verb == "clear") {
      if (words.size() > 2) return in.Usage("unexpected argument '" + words[2] + "'");
      ClearCalendarDay(in.Db(), *day);
      std::printf("%s is as the default calendar has it.\n", day->Format("%Y-%m-%d").c_str());
      return kExitOk;
    }
    const std::optional<DayKind> kind = words.size() > 2 ? DayKindOfWord(words[2]) : std::nullopt;
    if (!kind) return in.Usage("set needs a kind: work, short or off");
    CalendarChange change{*day, *kind, std::nullopt};
    if (words.size() > 3) {
      const std::optional<int> hours = ParseNumber(words[3]);
      if (*kind != DayKind::Short || !hours || *hours < 1 || *hours > 23)
        return in.Usage("hours go with a short day only, a whole number from 1 to 23");
      change.seconds = *hours * 3600LL;
    }
    if (words.size() > 4) return in.Usage("unexpected argument '" + words[4] + "'");
    return Change(in, {change});
  }
  if (verb == "import") {
    if (words.size() != 2) return in.Usage("import needs one CSV file");
    std::string text;
    if (const std::optional<std::string> problem = ReadWholeFile(words[1], text)) {
      std::fprintf(stderr, "vornal-cli calendar: %s\n", Escaped(*problem).c_str());
      return kExitFailure;
    }
    const CalendarFile file = ReadCalendarFile(text);
    for (const CalendarFile::BadLine& bad : file.problems)
      std::fprintf(stderr, "%s: line %d: %s\n", Escaped(words[1]).c_str(), bad.line,
                   ProblemText(bad.problem));
    if (!file.problems.empty()) {
      std::fputs("vornal-cli calendar: nothing imported\n", stderr);
      return kExitFailure;
    }
    return Change(in, file.changes);
  }
  return in.Usage(verb.empty() ? "name what to do: show, set, clear or import"
                               : "unexpected argument '" + verb + "'");
}

}  // namespace

const Command kCalendarCommand{
    "calendar",
    "the working calendar: days off, holidays, short days, the norm",
    {"[--db PATH] calendar show --year Y [--month M]",
     "[--db PATH] calendar set YYYY-MM-DD work|short|off [HOURS]",
     "[--db PATH] calendar clear YYYY-MM-DD", "[--db PATH] calendar import FILE.csv"},
    "The calendar has Saturdays and Sundays off, the public holidays (1-8\n"
    "January, 23 February, 8 March, 1 and 9 May, 12 June, 4 November) and the\n"
    "working day before a holiday one hour shorter; the operator changes days\n"
    "for days off moved by decree and other short days. show prints each day:\n"
    "its kind, its working hours, 'changed' for the operator's, and the norm\n"
    "(8 hours a working day, 7 on a short day, unless set otherwise). set\n"
    "changes one day (HOURS: a short day's, 7 when not given); clear puts it\n"
    "back to the default. import reads a CSV file of lines date,kind[,hours]\n"
    "(a header line 'date,kind,hours' allowed) and changes every day in one\n"
    "transaction, or none when a line is wrong.\n",
    {{"--year", "Y", "the year (show)", "a value", "show"},
     {"--month", "M", "the month, 1 to 12 (show)", "a value", "show"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
