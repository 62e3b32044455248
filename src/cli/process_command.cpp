// vornal-cli process: the headless Process command.
#include <cstdio>
#include <cstdlib>
#include <string>
#include <system_error>

#include "cli/command.h"
#include "cli/format.h"
#include "cli/text_output.h"
#include "intake/folder_sweep.h"
#include "store/role_grants.h"
#include "store/sites.h"

namespace vornal::cli {

extern const Command kProcessCommand;

namespace {

// Exit code of a run that did only part of its work.
constexpr int kExitPartial = 3;

const char* Plural(std::int64_t n) {
  return n == 1 ? "" : "s";
}

void PrintSkipped(const SkipCounts& skipped) {
  bool first = true;
  for (std::size_t i = 0; i < kSkipReasonCount; ++i) {
    if (!skipped[i]) continue;
    std::printf("%s%lld %s", first ? " (" : ", ", static_cast<long long>(skipped[i]),
                SkipReasonText(static_cast<SkipReason>(i)));
    first = false;
  }
  if (!first) std::printf(")");
}

// Prints each folder's result and each slot note as soon as it is done, so
// that what earlier folders applied is on record even when a later one fails.
class Report {
 public:
  void Folder(const FolderSummary& folder) {
    m_any = true;
    std::printf("Path%d %s: %d file%s, %lld event%s applied, %lld line%s skipped", folder.slot,
                Escaped(folder.folder).c_str(), folder.filesProcessed,
                Plural(folder.filesProcessed), static_cast<long long>(folder.eventsApplied),
                Plural(folder.eventsApplied), static_cast<long long>(folder.Skipped()),
                Plural(folder.Skipped()));
    PrintSkipped(folder.skipped);
    std::printf("\n");
    for (const auto& note : folder.notes)
      std::printf("  %s\n", Escaped(FileNoteText(note)).c_str());
    std::fflush(stdout);
  }

  void Note(const SlotNote& note) {
    m_any = true;
    std::printf("%s\n", Escaped(SlotNoteText(note)).c_str());
    std::fflush(stdout);
  }

  void Total(const SweepSummary& summary) {
    if (!m_any) std::printf("No working folder is set ('vornal-cli folders set N FOLDER').\n");
    std::printf("Total: %d file%s, %lld event%s applied, %lld line%s skipped",
                summary.filesProcessed, Plural(summary.filesProcessed),
                static_cast<long long>(summary.eventsApplied), Plural(summary.eventsApplied),
                static_cast<long long>(summary.linesSkipped), Plural(summary.linesSkipped));
    if (summary.keptAside)
      std::printf(", %lld kept aside ('vornal-cli rejected' lists them)",
                  static_cast<long long>(summary.keptAside));
    if (summary.waiting)
      std::printf(", %d claimed file%s waiting for %s client or quiet period", summary.waiting,
                  Plural(summary.waiting), summary.waiting == 1 ? "its" : "their");
    if (summary.failures)
      std::printf(", %d file%s not collected", summary.failures, Plural(summary.failures));
    std::printf(".\n");
  }

 private:
  bool m_any = false;
};

int Run(Invocation& in) {
  if (!in.Words().empty()) return in.Usage("unexpected argument '" + in.Words()[0] + "'");
  SweepOptions options;
  if (in.Has("--quiet-period")) {
    const auto seconds = ParseNumber(in.Value("--quiet-period"));
    if (!seconds || *seconds < 0) return in.Usage("--quiet-period needs a number of seconds");
    options.quietPeriod = *seconds;
  }
  // Tests move the run's clocks on (VORNAL_CLOCK_AHEAD=SECONDS) instead of
  // waiting for a quiet period to pass.
  if (const char* ahead = std::getenv("VORNAL_CLOCK_AHEAD"))
    if (const std::optional<int> seconds = ParseNumber(ahead))
      options.clock = [seconds = *seconds] {
        ClockReading clock = ReadMachineClock();
        clock.local = clock.local.AddSeconds(seconds);
        clock.unixTime += seconds;
        clock.bootMilliseconds += std::int64_t{seconds} * 1000;
        return clock;
      };
  Database& db = in.Db();
  Report report;
  options.folderDone = [&report](const FolderSummary& folder) { report.Folder(folder); };
  options.slotNote = [&report](const SlotNote& note) { report.Note(note); };
  // Events committed so far, reported after every commit.
  std::int64_t committed = 0;
  options.progress = [&committed](const SweepProgress& progress) {
    committed = progress.eventsCommitted;
    return true;
  };
  SweepSummary summary;
  const auto stopped = [&committed](const std::string& what) {
    std::fprintf(stderr, "vornal-cli: process stopped by %s\n", what.c_str());
    if (committed == 0) return kExitFailure;
    std::fprintf(stderr,
                 "vornal-cli: %lld events were applied before (the folders printed above); the "
                 "rest is left for the next run\n",
                 static_cast<long long>(committed));
    return kExitPartial;
  };
  try {
    summary = ProcessFolders(db, options);
  } catch (const MissingRight&) {
    throw;  // refused before any file was touched
  } catch (const DatabaseReplaced& e) {
    std::fprintf(stderr,
                 "vornal-cli: process stopped: %s; what this run applied went into the file it "
                 "opened, so no main.buf was deleted: the next run applies them all to the "
                 "database there now\n",
                 Escaped(e.what()).c_str());
    return kExitFailure;
  } catch (const StoreError& e) {
    std::fprintf(stderr, "vornal-cli: the file being read is left whole for the next run\n");
    return stopped(DatabaseErrorText(e));
  } catch (const std::system_error& e) {
    return stopped(std::string("a file error: ") + Escaped(e.what()));
  }
  report.Total(summary);
  if (summary.folders.empty() && summary.slotNotes.empty()) {
    // A collector whose site was renamed (a new host name) finds no folders
    // while the database holds other sites'.
    std::string others;
    for (const SiteInfo& site : ListSites(db))
      if (site.name != CurrentSite() && site.folders > 0)
        others += (others.empty() ? "" : ", ") + Escaped(site.name);
    if (!others.empty())
      std::fprintf(stderr,
                   "vornal-cli: site %s has no working folders; the database holds those of %s "
                   "(give the site with --site or VORNAL_SITE; 'vornal-cli sites' lists them)\n",
                   CurrentSite().c_str(), others.c_str());
  }
  return summary.failures ? kExitPartial : kExitOk;
}

}  // namespace

const Command kProcessCommand{
    "process",
    "collect and apply every working folder's main.buf",
    {"[--db PATH] [--site NAME] process [--quiet-period SECONDS]"},
    "Collects the main.buf of every working folder of the site (--site, else\n"
    "VORNAL_SITE, else this machine's host name), in slot order (the folders\n"
    "a pattern matches in byte order, a folder named twice once): claims it by\n"
    "renaming it, applies its complete lines to the database, and deletes it once\n"
    "every byte is applied and it is final: a file lease shows that no client\n"
    "holds it open, or, where leases cannot tell (a file of another owner, a\n"
    "network file system), it has not changed for the quiet period. Until then\n"
    "it stays claimed and every run applies the lines added since; a last line\n"
    "without line end waits until the file is final, and a main.buf that ends in\n"
    "the middle of a line is not claimed until it is finished (or quiet). Each\n"
    "event (login, time and event name) is applied exactly once, whatever file\n"
    "it comes from, and whether a run is interrupted or fails at any instant;\n"
    "within a folder, older files go first. Lines that are no event, or dated\n"
    "before 1990 or more than a day ahead, are kept aside ('vornal-cli\n"
    "rejected'); blank lines and events applied before are only counted. Prints\n"
    "each folder's result as it is done.\n",
    {{"--quiet-period", "SECONDS",
      "for this run, instead of the setting (default 600; 'vornal-cli folders quiet-period' sets "
      "it); 0 takes every file as final at once",
      "a number of seconds"}},
    "Exit codes: 0 every main.buf collected (some may wait, as said), 1 failure\n"
    "before anything was applied (database or file error; message on stderr),\n"
    "2 wrong command line, 3 partial: a main.buf could not be collected (a note\n"
    "says why), or the run stopped at an error after the folders printed were\n"
    "applied.\n",
    Run};

}  // namespace vornal::cli
