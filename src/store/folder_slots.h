#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "store/sites.h"

namespace vornal {

// One working-folder slot of a site, kept as the SETTING row "PathN" (the
// default site's) or "PathN@site" (see store/sites.h). Its value is a
// folder, or a pattern naming many (see intake/folder_patterns.h).
struct FolderSlot {
  std::string path;          // trailing blanks removed
  bool enabled = false;      // the slot holds a folder
  bool stored = false;       // a row was found when loading
  std::int64_t version = 0;  // the row's version when loaded
};

// Slots are numbered from 1 without gaps: the first ten always, then as far
// as the highest one stored. Keys beyond kMaxFolderSlots are not read.
inline constexpr int kFolderSlotCount = 10;
inline constexpr int kMaxFolderSlots = 9999;
// Slot N is index N - 1.
using FolderSlots = std::vector<FolderSlot>;

// "Path1", "Path2", ... for slot numbers 1, 2, ..., followed by the site's
// key suffix (SlotKeySuffix).
std::string FolderSlotKey(int slot, std::string_view suffix = {});
// The number of a key "PathN" followed by the suffix (N from 1 to
// kMaxFolderSlots, no leading zero), or 0 for any other key.
int FolderSlotNumber(std::string_view key, std::string_view suffix = {});
// The site suffix of a slot key of any site ("" or "@name"); nothing for a
// key that is no slot's.
std::optional<std::string> FolderSlotSuffix(std::string_view key);

// Reads the site's slots. A row whose value is empty, blank or NULL is a
// free slot.
FolderSlots LoadFolderSlots(Database& db, const std::string& site = CurrentSite());

// Why an enabled slot cannot be stored: its path, trimmed of blanks, is
// empty or longer than the SETTING value column.
enum class FolderSlotProblem { None, Empty, TooLong };
FolderSlotProblem CheckFolderSlot(const FolderSlot& slot);
// The size in characters of a stored path.
int FolderPathSize();

// A slot the operator changed that another desk changed as well since it
// was read.
struct SlotConflict {
  int slot = 0;
  FolderSlot theirs;  // as stored now; not enabled: free
  FolderSlot mine;
};

// Saves the operator's slots over those read (`read`, as LoadFolderSlots
// gave them): only the slots that differ from what was read are written, an
// enabled one with its path trimmed of blanks, a disabled one removed, each
// only while its row is still as read. When another desk has changed one of
// them since (to something else), nothing is written and the conflicts are
// returned; a slot changed elsewhere that the operator left as read keeps
// the other desk's value. More than kMaxFolderSlots slots, or an enabled
// slot with a problem, is refused with std::invalid_argument before
// anything is written. Engine errors throw StoreError, with nothing of the
// save applied.
std::vector<SlotConflict> SaveFolderSlots(Database& db, const FolderSlots& read,
                                          const FolderSlots& slots,
                                          const std::string& site = CurrentSite());

}  // namespace vornal
