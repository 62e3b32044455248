// vornal-cli rejected: the lines of main.buf files that were kept aside.
#include <cstdio>
#include <string>

#include "cli/command.h"
#include "cli/text_output.h"
#include "intake/rejected_lines.h"
#include "stats/csv.h"

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

int Run(const Context& context, const Args& args) {
  bool csv = false, retry = false, clear = false;
  std::string beforeText;
  for (std::size_t i = 0; i < args.size(); ++i) {
    bool missing = false;
    if (TakeValue(args, i, "--before", beforeText, missing)) {
      if (missing) return UsageError(kRejectedCommand, "--before needs a date (YYYY-MM-DD)");
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
  DatabasePtr db = OpenOrCreate(context.dbPath);
  if (retry) {
    const RetrySummary summary = RetryRejected(*db);
    std::printf("%lld line%s applied, %lld still kept aside.\n",
                static_cast<long long>(summary.applied), summary.applied == 1 ? "" : "s",
                static_cast<long long>(summary.kept));
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
    "       vornal-cli [--db PATH] rejected --retry\n"
    "       vornal-cli [--db PATH] rejected --clear [--before YYYY-MM-DD]\n"
    "\n"
    "'process' keeps aside every line of a main.buf it cannot apply (unknown\n"
    "event, no valid date and time, a login too long or holding control\n"
    "characters, a line over 1 MiB, a second event on a line, lines after an\n"
    "end-of-file mark 0x1A), with its folder, claimed file, line number, reason,\n"
    "time of collection and its first 4 KiB. Blank lines are only counted.\n"
    "\n"
    "  (none)    list them, oldest first; control characters are escaped\n"
    "  --csv     the same as RFC 4180 CSV\n"
    "  --retry   apply, in one transaction, every kept line that is now a valid\n"
    "            event (lines after a 0x1A mark included), and forget it, so that\n"
    "            it is applied exactly once; lines kept only in part stay\n"
    "  --clear   forget them all, or those collected before the date\n",
    Run};

}  // namespace vornal::cli
