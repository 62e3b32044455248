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

int FolderSlotNumber(const std::string& key) {
  constexpr std::size_t kPrefix = 4;
  if (key.size() <= kPrefix || key.size() > kPrefix + 4 || key.compare(0, kPrefix, "Path") != 0 ||
      key[kPrefix] == '0' || key.find_first_not_of("0123456789", kPrefix) != std::string::npos)
    return 0;
  const int n = std::stoi(key.substr(kPrefix));
  return n <= kMaxFolderSlots ? n : 0;
}

FolderSlots LoadFolderSlots(Database& db) {
  FolderSlots slots(kFolderSlotCount);
  // Settings are few: every row is read and the slot keys picked here, so
  // that keys compare exactly on every engine.
  Statement query = db.Prepare("SELECT Key, Val FROM SETTING ORDER BY ID");
  while (query.Step()) {
    const int n = FolderSlotNumber(query.Text(0));
    if (!n) continue;
    if (static_cast<std::size_t>(n) > slots.size()) slots.resize(static_cast<std::size_t>(n));
    FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
    if (slot.stored) continue;
    slot.path = query.Text(1);
    while (!slot.path.empty() && slot.path.back() == ' ') slot.path.pop_back();
    // An empty, blank or NULL value names no folder: a free slot.
    slot.enabled = !Trimmed(slot.path).empty();
    slot.stored = true;
  }
  return slots;
}

void SaveFolderSlots(Database& db, const FolderSlots& slots) {
  if (slots.size() > static_cast<std::size_t>(kMaxFolderSlots))
    throw std::invalid_argument("There are at most " + std::to_string(kMaxFolderSlots) +
                                " working-folder slots.");
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const std::string n = std::to_string(i + 1);
    switch (CheckFolderSlot(slots[i])) {
      case FolderSlotProblem::None:
        break;
      case FolderSlotProblem::Empty:
        throw std::invalid_argument("The folder of slot " + n + " is empty.");
      case FolderSlotProblem::TooLong:
        throw std::invalid_argument("The folder of slot " + n + " is longer than " +
                                    std::to_string(FolderPathSize()) + " characters.");
    }
  }
  Transaction transaction(db);
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const FolderSlot& slot = slots[i];
    const std::string key = FolderSlotKey(static_cast<int>(i + 1));
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
