// vornal-cli folders: the working folders that Process collects.
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "cli/command.h"
#include "cli/text_output.h"
#include "intake/folder_sweep.h"
#include "store/folder_slots.h"

namespace vornal::cli {

extern const Command kFoldersCommand;

namespace {

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
      std::printf("%2d  %s%s\n", n, Escaped(slot.path).c_str(),
                  FolderExists(slot.path) ? "" : "  (folder does not exist)");
  }
  return kExitOk;
}

int QuietPeriod(const std::string& dbPath, const Args& args) {
  if (args.size() > 2)
    return UsageError(kFoldersCommand, "'folders quiet-period' takes at most one number");
  DatabasePtr db = OpenOrCreate(dbPath);
  if (args.size() == 2) {
    const auto seconds = ParseNumber(args[1]);
    if (!seconds || *seconds < 0)
      return UsageError(kFoldersCommand, "the quiet period is a number of seconds");
    SaveQuietPeriodSetting(*db, *seconds);
  }
  std::printf("Quiet period: %d s\n", QuietPeriodSetting(*db));
  return kExitOk;
}

int Run(const Context& context, const Args& args) {
  if (args.empty() || (args[0] == "list" && args.size() == 1)) return ListFolders(context.dbPath);
  const std::string& verb = args[0];
  if (verb == "quiet-period") return QuietPeriod(context.dbPath, args);
  if (verb != "set" && verb != "clear")
    return UsageError(kFoldersCommand, "unknown folders action '" + verb + "'");
  if (args.size() != (verb == "set" ? 3u : 2u))
    return UsageError(kFoldersCommand, "wrong number of arguments for 'folders " + verb + "'");
  const int n = SlotNumber(args[1]);
  if (!n)
    return UsageError(kFoldersCommand, "slot must be a number from 1 to 10, not '" + args[1] + "'");

  std::string path;
  if (verb == "set") {
    path = args[2];
    if (!FolderExists(path)) {
      std::fprintf(
          stderr,
          "vornal-cli: folder '%s' does not exist or cannot be entered; slot %d unchanged\n",
          Escaped(path).c_str(), n);
      return kExitFailure;
    }
    std::error_code ec;
    const auto absolute = std::filesystem::absolute(path, ec);
    if (!ec) path = absolute.lexically_normal().string();
    while (path.size() > 1 && path.back() == '/') path.pop_back();
  }
  DatabasePtr db = OpenOrCreate(context.dbPath);
  FolderSlots slots = LoadFolderSlots(*db);
  FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
  slot.enabled = verb == "set";
  slot.path = path;
  try {
    SaveFolderSlots(*db, slots);
  } catch (const std::invalid_argument& e) {
    std::fprintf(stderr, "vornal-cli: %s Nothing changed.\n", e.what());
    return kExitFailure;
  }
  if (slot.enabled)
    std::printf("Slot %d: %s\n", n, Escaped(path).c_str());
  else
    std::printf("Slot %d: (free)\n", n);
  return kExitOk;
}

}  // namespace

const Command kFoldersCommand{
    "folders", "list or change the ten working folders",
    "Usage: vornal-cli [--db PATH] folders [list]\n"
    "       vornal-cli [--db PATH] folders set N FOLDER\n"
    "       vornal-cli [--db PATH] folders clear N\n"
    "       vornal-cli [--db PATH] folders quiet-period [SECONDS]\n"
    "\n"
    "Lists or changes the ten working folders (slots 1 to 10) whose main.buf\n"
    "'vornal-cli process' collects. 'set' refuses a folder that does not exist\n"
    "and stores it as an absolute path; 'clear' frees the slot. 'quiet-period'\n"
    "shows or sets how long a claimed main.buf must stay unchanged before it is\n"
    "taken as final where file leases cannot tell (default 600 seconds).\n"
    "Exit codes: 0 success, 1 failure (missing folder, database error),\n"
    "2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
