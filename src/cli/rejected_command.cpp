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

// "YYYY-MM-DD" or "YYYY-MM-DD..YYYY-MM-DD": the first and the last day.
std::optional<std::pair<DateTime, DateTime>> ParseDates(const std::string& text) {
  const std::size_t dots = text.find("..");
  const std::optional<DateTime> first = DateTime::FromIsoDay(text.substr(0, dots));
  if (!first) return std::nullopt;
  const std::optional<DateTime> last =
      dots == std::string::npos ? first : DateTime::FromIsoDay(text.substr(dots + 2));
  if (!last || last->ToSeconds() < first->ToSeconds()) return std::nullopt;
  return std::pair{*first, *last};
}

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  const bool csv = in.Has("--csv"), retry = in.Has("--retry"), clear = in.Has("--clear");
  const std::string beforeText = in.Value("--before"), acceptText = in.Value("--accept");
  if (csv + retry + clear > 1) return in.Usage("--csv, --retry and --clear go one at a time");
  std::optional<DateTime> before;
  if (!beforeText.empty()) {
    before = DateTime::FromIsoDay(beforeText);
    if (!before) return in.Usage("--before needs a date (YYYY-MM-DD)");
    if (!clear) return in.Usage("--before goes with --clear");
  }
  RetryOptions options;
  if (!acceptText.empty()) {
    options.acceptDates = ParseDates(acceptText);
    if (!options.acceptDates) return in.Usage("--accept needs dates (YYYY-MM-DD..YYYY-MM-DD)");
    if (!retry) return in.Usage("--accept goes with --retry");
  }
  Database& db = in.Db();
  if (retry) {
    const RetrySummary summary = RetryRejected(db, options);
    std::printf("%lld line%s applied, ", static_cast<long long>(summary.applied),
                summary.applied == 1 ? "" : "s");
    if (summary.before)
      std::printf("%lld applied before (taken out), ", static_cast<long long>(summary.before));
    std::printf("%lld still kept aside.\n", static_cast<long long>(summary.kept));
  } else if (clear) {
    const std::int64_t forgotten = ClearRejected(db, before);
    std::printf("%lld line%s forgotten.\n", static_cast<long long>(forgotten),
                forgotten == 1 ? "" : "s");
  } else if (csv) {
    PrintCsv(ListRejected(db));
  } else {
    PrintList(ListRejected(db));
  }
  return kExitOk;
}

}  // namespace

const Command kRejectedCommand{
    "rejected",
    "list, retry or forget the lines kept aside by process",
    {"[--db PATH] rejected [--csv]",
     "[--db PATH] rejected --retry [--accept YYYY-MM-DD[..YYYY-MM-DD]]",
     "[--db PATH] rejected --clear [--before YYYY-MM-DD]"},
    "'process' keeps aside every line of a main.buf it cannot apply (unknown\n"
    "event, no valid date and time, a time out of range, a login too long or\n"
    "holding control or invalid characters, a line over 64 KiB, a second event\n"
    "on a line, lines after an end-of-file mark 0x1A, a last line without its\n"
    "line end that is no event), with its folder, claimed file, line number,\n"
    "reason, time of collection and its first 4 KiB. Blank lines and events\n"
    "applied before are only counted. Without an option, lists them, oldest\n"
    "first; control characters are escaped.\n"
    "\n"
    "A time is out of range before 1990, more than a day after the collector's\n"
    "clock, or before the 92 days for which the events applied are known (then\n"
    "it cannot be told from one applied before).\n",
    {{"--csv", nullptr, "the list as RFC 4180 CSV"},
     {"--retry", nullptr,
      "apply, in one transaction, every line this site kept that is now a valid event (lines after "
      "a 0x1A mark included), and forget it, so that it is applied exactly once; an event applied "
      "before changes nothing and is forgotten too; lines kept only in part stay, and so do other "
      "sites' lines (theirs to retry)"},
     {"--accept", "DATES",
      "with --retry: also apply the lines kept for their time whose date is one of these days "
      "(YYYY-MM-DD or YYYY-MM-DD..YYYY-MM-DD)",
      "dates (YYYY-MM-DD..YYYY-MM-DD)"},
     {"--clear", nullptr, "forget them all, or those collected before the date"},
     {"--before", "YYYY-MM-DD", "with --clear: only those collected before the date",
      "a date (YYYY-MM-DD)"}},
    "Exit codes: 0 success, 1 failure, 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
