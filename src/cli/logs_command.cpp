// vornal-cli logs and corrections: finished work rows added, changed and
// removed by an operator, each with a reason, and the trail they leave.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "stats/corrections.h"
#include "text/csv.h"

namespace vornal::cli {

extern const Command kLogsCommand;
extern const Command kCorrectionsCommand;

namespace {

int Fail(const char* command, const std::string& message) {
  std::fprintf(stderr, "vornal-cli %s: %s\n", command, Escaped(message).c_str());
  return kExitFailure;
}

std::optional<DateTime> TimeOption(const Invocation& in, const char* option) {
  const std::string text = in.Value(option);
  return text.size() == 19 ? DateTime::FromIso(text) : std::nullopt;
}

int Done(std::int64_t correction, const char* what) {
  std::printf("Correction %lld: %s.\n", static_cast<long long>(correction), what);
  return kExitOk;
}

int RunLogs(Invocation& in) {
  const std::vector<std::string>& words = in.Words();
  if (words.empty()) return in.Usage("name what to do: add, set, remove or undo");
  const std::string& verb = words[0];
  const bool add = verb == "add";
  if (!add && verb != "set" && verb != "remove" && verb != "undo")
    return in.Usage("unexpected argument '" + verb + "'");
  std::optional<std::int64_t> id;
  if (!add) {
    if (words.size() < 2 || !(id = ParseId(words[1])))
      return in.Usage(verb + " needs the ID of a " + (verb == "undo" ? "correction" : "row"));
    if (words.size() > 2) return in.Usage("unexpected argument '" + words[2] + "'");
  } else if (words.size() > 1) {
    return in.Usage("unexpected argument '" + words[1] + "'");
  }
  if (!in.Has("--reason")) return in.Usage("a correction needs --reason TEXT");
  const std::string reason = in.Value("--reason");
  std::optional<WorkEvent> event;
  std::optional<DateTime> begin, end;
  if (add || verb == "set") {
    if (in.Has("--event") && !(event = WorkEventOf(in.Value("--event"))))
      return in.Usage(
          "--event is one of StartWDay, WorkingDay, StopWDay (a working day) or "
          "StartWork, Working, StopWork (a task)");
    if (add && !event) return in.Usage("add needs --event");
    if (add && in.Value("--login").empty()) return in.Usage("add needs --login");
    begin = TimeOption(in, "--begin");
    end = TimeOption(in, "--end");
    if (!begin || !end) return in.Usage("--begin and --end are needed, as 'YYYY-MM-DD HH:MM:SS'");
  }
  Database& db = in.ExistingDb();
  try {
    if (add)
      return Done(AddWorkRow(db, in.Value("--login"), *event, *begin, *end, reason), "row added");
    if (verb == "set")
      return Done(ChangeWorkRow(db, *id, event, *begin, *end, reason), "row changed");
    if (verb == "remove") return Done(RemoveWorkRow(db, *id, reason), "row removed");
    return Done(UndoCorrection(db, *id, reason), "undone");
  } catch (const CorrectionRefused& e) {
    return Fail("logs", "nothing changed: " + CorrectionRefusalText(e));
  }
}

int RunCorrections(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  std::optional<DateTime> from, to;
  if (in.Has("--from") || in.Has("--to")) {
    from = DateTime::FromIsoDay(in.Value("--from"));
    to = DateTime::FromIsoDay(in.Value("--to"));
    if (!from || !to) return in.Usage("--from and --to go together, as YYYY-MM-DD");
  }
  const std::vector<Correction> trail =
      ListCorrections(in.ReadOnlyDb(), in.Value("--login"), from, to);
  std::string out;
  if (in.Has("--csv")) {
    out = std::string(kUtf8Bom) + CsvLine(CorrectionHeadings());
    for (const Correction& correction : trail) out += CsvLine(CorrectionFields(correction));
  } else {
    for (const Correction& correction : trail) {
      const std::vector<std::string> fields = CorrectionFields(correction);
      std::string line = fields[0] + " " + fields[1] + " " + fields[2] + "@" + fields[3];
      if (!fields[4].empty()) line += " (" + fields[4] + ")";
      line += " row " + fields[5] + " of " + fields[6] + ": ";
      line += correction.before ? fields[7] + " " + fields[8] + " - " + fields[9] : "none";
      line += " -> ";
      line += correction.after ? fields[10] + " " + fields[11] + " - " + fields[12] : "removed";
      if (correction.undoes) line += " (undoes " + fields[14] + ")";
      out += Escaped(line + "; " + fields[13]) + '\n';
    }
  }
  WriteOut(out);
  return kExitOk;
}

}  // namespace

const Command kLogsCommand{
    "logs",
    "add, change or remove a finished work row, with a reason",
    {"[--db PATH] logs add --login LOGIN --event EVENT --begin TIME --end TIME --reason TEXT",
     "[--db PATH] logs set ID [--event EVENT] --begin TIME --end TIME --reason TEXT",
     "[--db PATH] logs remove ID --reason TEXT", "[--db PATH] logs undo CORRECTION --reason TEXT"},
    "Corrects the work rows the intake made, when a client forgot to stop the\n"
    "day or a machine died: add makes a finished row of a working day (EVENT\n"
    "StartWDay, WorkingDay or StopWDay) or of a task (StartWork, Working or\n"
    "StopWork), set changes one (keeping its kind without --event), remove\n"
    "removes one; undo puts back what a correction replaced. Times are\n"
    "'YYYY-MM-DD HH:MM:SS'; a row ends after it begins, at most a day later,\n"
    "and shares no time with another row of its login and kind.\n"
    "\n"
    "Every change is kept, with the row before and after, the reason, the\n"
    "time, the user and host (and the server's role) in the trail that\n"
    "'corrections' shows. A row still going on is the intake's and is refused.\n"
    "On a server only a role with the operator's grants may correct.\n",
    {{"--login", "LOGIN", "the person's login (add)", "a value", "add"},
     {"--event", "EVENT", "the kind of row, as one of the six events", "a value", "add set"},
     {"--begin", "TIME", "when the row begins", "a value", "add set"},
     {"--end", "TIME", "when the row ends", "a value", "add set"},
     {"--reason", "TEXT", "why, kept in the trail"}},
    "Exit codes: 0 corrected, 1 refused or failed, 2 wrong command line.\n",
    RunLogs};

const Command kCorrectionsCommand{
    "corrections",
    "the trail of corrections of work rows",
    {"[--db PATH] corrections [--login LOGIN] [--from YYYY-MM-DD --to YYYY-MM-DD] [--csv]"},
    "Every correction, oldest first: its ID, when, by whom (user@host, and the\n"
    "server's role), the row, the login, the row before and after, the reason,\n"
    "and the correction an undo undid. With --from and --to only the\n"
    "corrections of rows that began (before or after) on those days.\n",
    {{"--login", "LOGIN", "one person's"},
     {"--from", "DAY", "the first day"},
     {"--to", "DAY", "the last day"},
     {"--csv", nullptr, "CSV (RFC 4180, UTF-8 with a byte-order mark)"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    RunCorrections};

}  // namespace vornal::cli
