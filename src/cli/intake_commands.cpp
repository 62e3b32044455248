// vornal-cli folders / process: the working folders and the headless Process.
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "cli/cli.h"
#include "intake/folder_sweep.h"
#include "store/folder_slots.h"

namespace vornal::cli {
namespace {

constexpr const char* kFoldersUsage =
    "Usage: vornal-cli [--db PATH] folders [list]\n"
    "       vornal-cli [--db PATH] folders set N FOLDER\n"
    "       vornal-cli [--db PATH] folders clear N\n"
    "\n"
    "Lists or changes the ten working folders (slots 1 to 10) whose main.buf\n"
    "'vornal-cli process' collects. 'set' refuses a folder that does not exist\n"
    "and stores it as an absolute path; 'clear' frees the slot.\n"
    "Exit codes: 0 success, 1 failure (missing folder, database error),\n"
    "2 wrong command line.\n";

constexpr const char* kProcessUsage =
    "Usage: vornal-cli [--db PATH] process\n"
    "\n"
    "Collects the main.buf of every working folder, in slot order, applies its\n"
    "events to the database and deletes it. Each file is applied whole or not\n"
    "at all; a run that is interrupted or fails leaves the file for the next\n"
    "run, which applies every event exactly once. Prints per folder the files\n"
    "processed, the events applied and the lines skipped, with the reason.\n"
    "Exit codes: 0 success (also when there was nothing to do), 1 failure\n"
    "(database or file error; message on stderr), 2 wrong command line.\n";

bool IsHelp(const Args& args) {
  for (const auto& arg : args)
    if (arg == "--help" || arg == "-h") return true;
  return false;
}

int Usage(const char* usage, const std::string& problem) {
  std::fprintf(stderr, "vornal-cli: %s\n\n%s", problem.c_str(), usage);
  return kExitUsage;
}

// The slot number 1..10 of the text, or 0.
int SlotNumber(const std::string& text) {
  if (text.empty() || text.size() > 2 || text.find_first_not_of("0123456789") != std::string::npos)
    return 0;
  const int n = std::stoi(text);
  return n >= 1 && n <= kFolderSlotCount ? n : 0;
}

int ListFolders(const std::string& dbPath) {
  DatabasePtr db = OpenOrCreate(dbPath);
  const FolderSlots slots = LoadFolderSlots(*db);
  for (int n = 1; n <= kFolderSlotCount; ++n) {
    const FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
    if (!slot.enabled)
      std::printf("%2d  (free)\n", n);
    else
      std::printf("%2d  %s%s\n", n, slot.path.c_str(),
                  FolderExists(slot.path) ? "" : "  (folder does not exist)");
  }
  return kExitOk;
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

}  // namespace

int FoldersCommand(const std::string& dbPath, const Args& args) {
  if (IsHelp(args)) {
    std::fputs(kFoldersUsage, stdout);
    return kExitOk;
  }
  if (args.empty() || (args[0] == "list" && args.size() == 1)) return ListFolders(dbPath);
  const std::string& verb = args[0];
  if (verb != "set" && verb != "clear")
    return Usage(kFoldersUsage, "unknown folders action '" + verb + "'");
  if (args.size() != (verb == "set" ? 3u : 2u))
    return Usage(kFoldersUsage, "wrong number of arguments for 'folders " + verb + "'");
  const int n = SlotNumber(args[1]);
  if (!n) return Usage(kFoldersUsage, "slot must be a number from 1 to 10, not '" + args[1] + "'");

  std::string path;
  if (verb == "set") {
    path = args[2];
    if (!FolderExists(path)) {
      std::fprintf(
          stderr,
          "vornal-cli: folder '%s' does not exist or cannot be entered; slot %d unchanged\n",
          path.c_str(), n);
      return kExitFailure;
    }
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute.lexically_normal().string();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
  }
  DatabasePtr db = OpenOrCreate(dbPath);
  FolderSlots slots = LoadFolderSlots(*db);
  FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
  slot.enabled = verb == "set";
  slot.path = path;
  SaveFolderSlots(*db, slots);
  if (slot.enabled)
    std::printf("Slot %d: %s\n", n, path.c_str());
  else
    std::printf("Slot %d: (free)\n", n);
  return kExitOk;
}

int ProcessCommand(const std::string& dbPath, const Args& args) {
  if (IsHelp(args)) {
    std::fputs(kProcessUsage, stdout);
    return kExitOk;
  }
  if (!args.empty()) return Usage(kProcessUsage, "'process' takes no arguments");
  DatabasePtr db = OpenOrCreate(dbPath);
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

}  // namespace vornal::cli
