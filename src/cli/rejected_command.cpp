// vornal-cli rejected: the lines of main.buf files that were kept aside.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "intake/rejected_lines.h"
#include "text/csv.h"

namespace vornal::cli {

extern const Command kRejectedCommand;

namespace {

void PrintCsv(const std::vector<RejectedLine>& lines) {
  std::string out = "ID,CollectedAt,Folder,File,Line,Reason,Length,Text\r\n";
  for (const RejectedLine& line : lines) {
    for (const std::string& field :
         {std::to_string(line.id), line.collectedAt, line.folder, line.file,
          std::to_string(line.line), line.reasonCode, std::to_string(line.length), line.text})
      out += CsvField(Escaped(field)) + ',';
    out.back() = '\r';
    out += '\n';
  }
  WriteOut(out);
}

void PrintList(const std::vector<RejectedLine>& lines) {
  if (lines.empty()) {
    std::printf("No line is kept aside.\n");
    return;
  }
  std::string out;
  for (const RejectedLine& line : lines) {
    out += std::to_string(line.id) + "  " + line.collectedAt + "  " +
           Escaped(line.folder + "/" + line.file) + ":" + std::to_string(line.line) + "  " +
           SkipReasonText(line.reason) + "\n    " + Escaped(line.text);
    if (line.length > static_cast<std::int64_t>(line.text.size()))
      out += " [" + std::to_string(line.length) + " bytes in all]";
    out += '\n';
  }
  WriteOut(out);
  std::printf("%zu line%s kept aside.\n", lines.size(), lines.size() == 1 ? "" : "s");
}

std::optional<DateTime> Day(const std::string& text) {
  return text.size() == 10 ? DateTime::FromIso(text) : std::nullopt;
}

// "YYYY-MM-DD" or "YYYY-MM-DD..YYYY-MM-DD": the first and the last day.
std::optional<std::pair<DateTime, DateTime>> ParseDates(const std::string& text) {
  const std::size_t dots = text.find("..");
  const std::optional<DateTime> first = Day(text.substr(0, dots));
  if (!first) return std::nullopt;
  const std::optional<DateTime> last =
      dots == std::string::npos ? first : Day(text.substr(dots + 2));
  if (!last || last->ToSeconds() < first->ToSeconds()) return std::nullopt;
  return std::pair{*first, *last};
}

int Run(const Context& context, const Args& args) {
  bool csv = false, retry = false, clear = false;
  std::string beforeText, acceptText;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool missing = false;
    if (TakeValue(args, i, "--before", beforeText, missing)) {
      if (missing) return UsageError(kRejectedCommand, "--before needs a date (YYYY-MM-DD)");
    } else if (TakeValue(args, i, "--accept", acceptText, missing)) {
      if (missing)
        return UsageError(kRejectedCommand, "--accept needs dates (YYYY-MM-DD..YYYY-MM-DD)");
    } else if (args[i] == "--csv") {
      csv = true;
    } else if (args[i] == "--retry") {
      retry = true;
    } else if (args[i] == "--clear") {
      clear = true;
    } else {
      return UsageError(kRejectedCommand, "unexpected argument '" + args[i] + "'");
    }
  }
  if (csv + retry + clear > 1)
    return UsageError(kRejectedCommand, "--csv, --retry and --clear go one at a time");
  std::optional<DateTime> before;
  if (!beforeText.empty()) {
    before = beforeText.size() == 10 ? DateTime::FromIso(beforeText) : std::nullopt;
    if (!before) return UsageError(kRejectedCommand, "--before needs a date (YYYY-MM-DD)");
    if (!clear) return UsageError(kRejectedCommand, "--before goes with --clear");
  }
  RetryOptions options;
  if (!acceptText.empty()) {
    options.acceptDates = ParseDates(acceptText);
    if (!options.acceptDates)
      return UsageError(kRejectedCommand, "--accept needs dates (YYYY-MM-DD..YYYY-MM-DD)");
    if (!retry) return UsageError(kRejectedCommand, "--accept goes with --retry");
  }
  DatabasePtr db = OpenOrCreate(context.dbPath);
  if (retry) {
    const RetrySummary summary = RetryRejected(*db, options);
    std::printf("%lld line%s applied, ", static_cast<long long>(summary.applied),
                summary.applied == 1 ? "" : "s");
    if (summary.before)
      std::printf("%lld applied before (taken out), ", static_cast<long long>(summary.before));
    std::printf("%lld still kept aside.\n", static_cast<long long>(summary.kept));
  } else if (clear) {
    const std::int64_t forgotten = ClearRejected(*db, before);
    std::printf("%lld line%s forgotten.\n", static_cast<long long>(forgotten),
                forgotten == 1 ? "" : "s");
  } else if (csv) {
    PrintCsv(ListRejected(*db));
  } else {
    PrintList(ListRejected(*db));
  }
  return kExitOk;
}

}  // namespace

const Command kRejectedCommand{
    "rejected", "list, retry or forget the lines kept aside by process",
    "Usage: vornal-cli [--db PATH] rejected [--csv]\n"
    "       vornal-cli [--db PATH] rejected --retry [--accept YYYY-MM-DD[..YYYY-MM-DD]]\n"
    "       vornal-cli [--db PATH] rejected --clear [--before YYYY-MM-DD]\n"
    "\n"
    "'process' keeps aside every line of a main.buf it cannot apply (unknown\n"
    "event, no valid date and time, a time out of range, a login too long or\n"
    "holding control or invalid characters, a line over 64 KiB, a second event\n"
    "on a line, lines after an end-of-file mark 0x1A, a last line without its\n"
    "line end that is no event), with its folder, claimed file, line number,\n"
    "reason, time of collection and its first 4 KiB. Blank lines and events\n"
    "applied before are only counted.\n"
    "\n"
    "A time is out of range before 1990, more than a day after the collector's\n"
    "clock, or before the 92 days for which the events applied are known (then\n"
    "it cannot be told from one applied before).\n"
    "\n"
    "  (none)    list them, oldest first; control characters are escaped\n"
    "  --csv     the same as RFC 4180 CSV\n"
    "  --retry   apply, in one transaction, every line this site kept that is\n"
    "            now a valid event (lines after a 0x1A mark included), and forget\n"
    "            it, so that it is applied exactly once; an event applied before\n"
    "            changes nothing and is forgotten too; lines kept only in part\n"
    "            stay, and so do other sites' lines (theirs to retry)\n"
    "  --accept  with --retry: also apply the lines kept for their time whose\n"
    "            date is one of these days\n"
    "  --clear   forget them all, or those collected before the date\n",
    Run};

}  // namespace vornal::cli
