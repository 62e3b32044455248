#include "store/folder_slots.h"

#include <stdexcept>

#include "store/schema.h"

namespace vornal {
namespace {

std::string Trimmed(const std::string& text) {
  const std::size_t first = text.find_first_not_of(' ');
  if (first == std::string::npos) return {};
  return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

}  // namespace

int FolderPathSize() {
  return TextColumnSize("setting", "Val");
}

FolderSlotProblem CheckFolderSlot(const FolderSlot& slot) {
  if (!slot.enabled) return FolderSlotProblem::None;
  const std::string path = Trimmed(slot.path);
  if (path.empty()) return FolderSlotProblem::Empty;
  if (TextLength(path) > static_cast<std::size_t>(FolderPathSize()))
    return FolderSlotProblem::TooLong;
  return FolderSlotProblem::None;
}

std::string FolderSlotKey(int slot) {
  return "Path" + std::to_string(slot);
}

FolderSlots LoadFolderSlots(Database& db) {
  FolderSlots slots;
  for (int n = 1; n <= kFolderSlotCount; ++n) {
    Statement query = db.Prepare("SELECT Val FROM SETTING WHERE Key = ? ORDER BY ID LIMIT 1");
    query.Bind(FolderSlotKey(n));
    if (!query.Step()) continue;
    FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
    slot.path = query.Text(0);
    while (!slot.path.empty() && slot.path.back() == ' ') slot.path.pop_back();
    // An empty, blank or NULL value names no folder: a free slot.
    slot.enabled = !Trimmed(slot.path).empty();
    slot.stored = true;
  }
  return slots;
}

void SaveFolderSlots(Database& db, const FolderSlots& slots) {
  for (int n = 1; n <= kFolderSlotCount; ++n) {
    const FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
    switch (CheckFolderSlot(slot)) {
      case FolderSlotProblem::None:
        break;
      case FolderSlotProblem::Empty:
        throw std::invalid_argument("The folder of slot " + std::to_string(n) + " is empty.");
      case FolderSlotProblem::TooLong:
        throw std::invalid_argument("The folder of slot " + std::to_string(n) + " is longer than " +
                                    std::to_string(FolderPathSize()) + " characters.");
    }
  }
  Transaction transaction(db);
  for (int n = 1; n <= kFolderSlotCount; ++n) {
    const FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
    const std::string key = FolderSlotKey(n);
    if (!slot.enabled)
      db.Execute("DELETE FROM SETTING WHERE Key = ?", key);
    else if (slot.stored)
      db.Execute("UPDATE SETTING SET Val = ? WHERE Key = ?", Trimmed(slot.path), key);
    else
      db.Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", key, Trimmed(slot.path));
  }
  transaction.Commit();
}

}  // namespace vornal
