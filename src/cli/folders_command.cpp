// vornal-cli folders: the working folders that Process collects.
#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <system_error>

#include "cli/command.h"
#include "cli/text_output.h"
#include "intake/folder_patterns.h"
#include "intake/folder_sweep.h"
#include "store/folder_slots.h"
#include "store/role_grants.h"
#include "store/sites.h"

namespace vornal::cli {

extern const Command kFoldersCommand;

namespace {

// The slot number of the text (1 to kMaxFolderSlots), or 0.
int SlotNumber(const std::string& text) {
  return FolderSlotNumber("Path" + text);
}

// What a pattern matches now, for the operator: "  (pattern: 3 folders now)".
std::string PatternRemark(const std::string& value) {
  const SlotFolders found = ExpandFolderValue(value);
  if (!found.pattern) return FolderExists(value) ? "" : "  (folder does not exist)";
  const std::size_t n = found.folders.size();
  if (n == 0) return "  (pattern: no folder matches now)";
  return "  (pattern: " + std::to_string(n) + (n == 1 ? " folder" : " folders") + " now)";
}

int ListFolders(Database& db) {
  const FolderSlots slots = LoadFolderSlots(db);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const FolderSlot& slot = slots[i];
    if (!slot.enabled)
      std::printf("%2zu  (free)\n", i + 1);
    else
      std::printf("%2zu  %s%s\n", i + 1, Escaped(slot.path).c_str(),
                  PatternRemark(slot.path).c_str());
  }
  return kExitOk;
}

int QuietPeriod(Invocation& in) {
  const std::vector<std::string>& args = in.Words();
  if (args.size() > 2) return in.Usage("'folders quiet-period' takes at most one number");
  Database& db = in.Db();
  if (args.size() == 2) {
    const auto seconds = ParseNumber(args[1]);
    if (!seconds || *seconds < 0) return in.Usage("the quiet period is a number of seconds");
    RequireRight(db, Action::EditSettings);
    SaveQuietPeriodSetting(db, *seconds);
  }
  std::printf("Quiet period: %d s\n", QuietPeriodSetting(db));
  return kExitOk;
}

// The value to store for a folder or pattern typed on the command line: an
// absolute path without trailing slashes. A folder that does not exist here
// may be another machine's of the site: stored, with a warning.
std::string StoredValue(std::string path) {
  if (!FolderExists(path) && !IsFolderPattern(path))
    std::fprintf(stderr,
                 "vornal-cli: warning: folder '%s' does not exist here or cannot be entered; "
                 "stored for site %s all the same\n",
                 Escaped(path).c_str(), CurrentSite().c_str());
  std::error_code ec;
  const auto absolute = std::filesystem::absolute(path, ec);
  // A pattern keeps its names as typed: ".." after a wildcard is no step back.
  if (!ec) path = IsFolderPattern(path) ? absolute.string() : absolute.lexically_normal().string();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

int Run(Invocation& in) {
  const std::vector<std::string>& args = in.Words();
  if (args.empty() || (args[0] == "list" && args.size() == 1)) return ListFolders(in.Db());
  const std::string& verb = args[0];
  if (verb == "quiet-period") return QuietPeriod(in);
  if (verb != "set" && verb != "clear" && verb != "add")
    return in.Usage("unknown folders action '" + verb + "'");
  if (args.size() != (verb == "set" ? 3u : 2u))
    return in.Usage("wrong number of arguments for 'folders " + verb + "'");
  int n = verb == "add" ? 0 : SlotNumber(args[1]);
  if (verb != "add" && !n)
    return in.Usage("slot must be a number from 1 to " + std::to_string(kMaxFolderSlots) +
                    ", not '" + args[1] + "'");

  const std::string path = verb == "clear" ? std::string() : StoredValue(args.back());
  Database& db = in.Db();
  // Another desk may change the slots between the reading and the writing:
  // then they are read again (an added folder takes the next free slot).
  for (;;) {
    const FolderSlots read = LoadFolderSlots(db);
    FolderSlots slots = read;
    if (verb == "add") {
      const auto free = std::find_if(slots.begin(), slots.end(),
                                     [](const FolderSlot& slot) { return !slot.enabled; });
      n = static_cast<int>(free - slots.begin()) + 1;
      if (n > kMaxFolderSlots) {
        std::fprintf(stderr, "vornal-cli: all %d slots are used\n", kMaxFolderSlots);
        return kExitFailure;
      }
    }
    if (static_cast<std::size_t>(n) > slots.size()) slots.resize(static_cast<std::size_t>(n));
    FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
    slot.enabled = verb != "clear";
    slot.path = path;
    try {
      if (SaveFolderSlots(db, read, slots).empty()) break;
    } catch (const std::invalid_argument& e) {
      std::fprintf(stderr, "vornal-cli: %s Nothing changed.\n", e.what());
      return kExitFailure;
    }
  }
  if (verb != "clear")
    std::printf("Slot %d: %s%s\n", n, Escaped(path).c_str(), PatternRemark(path).c_str());
  else
    std::printf("Slot %d: (free)\n", n);
  return kExitOk;
}

}  // namespace

const Command kFoldersCommand{
    "folders",
    "list or change the working folders",
    {"[--db PATH] [--site NAME] folders [list]",
     "[--db PATH] [--site NAME] folders set N FOLDER|PATTERN",
     "[--db PATH] [--site NAME] folders add FOLDER|PATTERN",
     "[--db PATH] [--site NAME] folders clear N", "[--db PATH] folders quiet-period [SECONDS]"},
    "Lists or changes the working folders of the site (--site, else\n"
    "VORNAL_SITE, else this machine's host name; 'vornal-cli sites' lists them)\n"
    "whose main.buf 'vornal-cli process' collects there: slots 1 to 9999 (the\n"
    "list shows at least ten). A slot holds a folder or a pattern with shell\n"
    "wildcards in its folder names, such as '/srv/work/*' or '/srv/work/*/vornal'\n"
    "(quote it from the shell): every folder it matches is collected, in byte\n"
    "order, each on its own; a pattern that matches nothing now is kept, and\n"
    "noted at each run. 'set' stores a folder as an absolute path; one that does\n"
    "not exist here (another machine's of the site) is stored with a warning.\n"
    "'add' takes the first free slot; 'clear' frees the slot. Each changes only\n"
    "its slot, so that desks changing other slots at the same time lose nothing.\n"
    "'quiet-period' shows or sets how long a claimed main.buf must stay\n"
    "unchanged before it is taken as final where file leases cannot tell\n"
    "(default 600 seconds).\n",
    {},
    "Exit codes: 0 success, 1 failure (database error), 2 wrong command line.\n",
    Run};

}  // namespace vornal::cli
