// vornal-cli process: the headless Process command.
#include <cstdio>
#include <string>
#include <system_error>

#include "cli/command.h"
#include "intake/folder_sweep.h"
#include "store/folder_slots.h"

namespace vornal::cli {

extern const Command kProcessCommand;

namespace {

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

int Run(const Context& context, const Args& args) {
  if (!args.empty()) return UsageError(kProcessCommand, "'process' takes no arguments");
  DatabasePtr db = OpenOrCreate(context.dbPath);
  const FolderSlots slots = LoadFolderSlots(*db);
  SweepSummary summary;
  try {
    summary = ProcessFolders(*db);
  } catch (const StoreError& e) {
    std::fprintf(stderr,
                 "vornal-cli: process stopped by database error %d: %s\n"
                 "vornal-cli: the file being read is left whole for the next run\n",
                 e.Code(), e.what());
    return kExitFailure;
  } catch (const std::system_error& e) {
    std::fprintf(stderr, "vornal-cli: process stopped by a file error: %s\n", e.what());
    return kExitFailure;
  }

  std::size_t next = 0;
  bool anySlot = false;
  for (int n = 1; n <= kFolderSlotCount; ++n) {
    const FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
    if (next < summary.folders.size() && summary.folders[next].slot == n) {
      const FolderSummary& folder = summary.folders[next++];
      anySlot = true;
      std::printf(
          "Path%d %s: %d file%s, %lld event%s applied, %lld line%s skipped", n,
          folder.folder.c_str(), folder.filesProcessed, folder.filesProcessed == 1 ? "" : "s",
          static_cast<long long>(folder.eventsApplied), folder.eventsApplied == 1 ? "" : "s",
          static_cast<long long>(folder.Skipped()), folder.Skipped() == 1 ? "" : "s");
      PrintSkipped(folder.skipped);
      std::printf("\n");
      for (const auto& note : folder.notes) std::printf("  %s\n", FileNoteText(note).c_str());
    } else if (slot.enabled) {
      anySlot = true;
      std::printf("Path%d %s: folder does not exist, skipped\n", n, slot.path.c_str());
    }
  }
  if (!anySlot) std::printf("No working folder is set ('vornal-cli folders set N FOLDER').\n");
  std::printf("Total: %d file%s, %lld event%s applied, %lld line%s skipped.\n",
              summary.filesProcessed, summary.filesProcessed == 1 ? "" : "s",
              static_cast<long long>(summary.eventsApplied), summary.eventsApplied == 1 ? "" : "s",
              static_cast<long long>(summary.linesSkipped), summary.linesSkipped == 1 ? "" : "s");
  return kExitOk;
}

}  // namespace

const Command kProcessCommand{
    "process", "collect and apply every working folder's main.buf",
    "Usage: vornal-cli [--db PATH] process\n"
    "\n"
    "Collects the main.buf of every working folder, in slot order, applies its\n"
    "events to the database and deletes it. Each file is applied whole or not\n"
    "at all; a run that is interrupted or fails leaves the file for the next\n"
    "run, which applies every event exactly once. Prints per folder the files\n"
    "processed, the events applied and the lines skipped, with the reason.\n"
    "Exit codes: 0 success (also when there was nothing to do), 1 failure\n"
    "(database or file error; message on stderr), 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
