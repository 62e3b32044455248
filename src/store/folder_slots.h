#pragma once

#include <array>
#include <string>

#include "store/database.h"

namespace vornal {

// One of the ten working-folder slots, kept as the SETTING row "PathN".
struct FolderSlot {
  std::string path;      // trailing blanks removed
  bool enabled = false;  // the slot holds a folder
  bool stored = false;   // a row was found when loading
};

inline constexpr int kFolderSlotCount = 10;
using FolderSlots = std::array<FolderSlot, kFolderSlotCount>;

// "Path1" ... "Path10" for slot numbers 1 to 10.
std::string FolderSlotKey(int slot);

// Reads the ten slots: the first row of each key. A row whose value is
// empty, blank or NULL is a free slot.
FolderSlots LoadFolderSlots(Database& db);

// Why an enabled slot cannot be stored: its path, trimmed of blanks, is
// empty or longer than the SETTING value column.
enum class FolderSlotProblem { None, Empty, TooLong };
FolderSlotProblem CheckFolderSlot(const FolderSlot& slot);
// The size in characters of a stored path.
int FolderPathSize();

// Writes the ten slots in order: an enabled slot updates its rows (stored)
// or inserts one, its path trimmed of blanks; a disabled slot deletes every
// row of its key. An enabled slot with a problem is refused with
// std::invalid_argument before anything is written. Engine errors throw
// StoreError, with nothing of the save applied.
void SaveFolderSlots(Database& db, const FolderSlots& slots);

}  // namespace vornal
