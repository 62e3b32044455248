#pragma once

#include <string>
#include <vector>

#include "store/database.h"

namespace vornal {

// One working-folder slot, kept as the SETTING row "PathN". Its value is a
// folder, or a pattern naming many (see intake/folder_patterns.h).
struct FolderSlot {
  std::string path;      // trailing blanks removed
  bool enabled = false;  // the slot holds a folder
  bool stored = false;   // a row was found when loading
};

// Slots are numbered from 1 without gaps: the first ten always, then as far
// as the highest one stored. Keys beyond kMaxFolderSlots are not read.
inline constexpr int kFolderSlotCount = 10;
inline constexpr int kMaxFolderSlots = 9999;
// Slot N is index N - 1.
using FolderSlots = std::vector<FolderSlot>;

// "Path1", "Path2", ... for slot numbers 1, 2, ...
std::string FolderSlotKey(int slot);
// The number of a key "PathN" (N from 1 to kMaxFolderSlots, no leading
// zero), or 0 for any other key.
int FolderSlotNumber(const std::string& key);

// Reads the slots: the first row of each key. A row whose value is empty,
// blank or NULL is a free slot.
FolderSlots LoadFolderSlots(Database& db);

// Why an enabled slot cannot be stored: its path, trimmed of blanks, is
// empty or longer than the SETTING value column.
enum class FolderSlotProblem { None, Empty, TooLong };
FolderSlotProblem CheckFolderSlot(const FolderSlot& slot);
// The size in characters of a stored path.
int FolderPathSize();

// Writes the slots in order: an enabled slot updates its rows (stored) or
// inserts one, its path trimmed of blanks; a disabled slot deletes every row
// of its key. More than kMaxFolderSlots slots, or an enabled slot with a
// problem, is refused with
// std::invalid_argument before anything is written. Engine errors throw
// StoreError, with nothing of the save applied.
void SaveFolderSlots(Database& db, const FolderSlots& slots);

}  // namespace vornal
