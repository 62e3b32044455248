#include "store/folder_slots.h"

#include <stdexcept>

#include "store/role_grants.h"
#include "store/schema.h"
#include "text/utf8.h"

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
  if (Utf8Length(path) > static_cast<std::size_t>(FolderPathSize()))
    return FolderSlotProblem::TooLong;
  return FolderSlotProblem::None;
}

std::string FolderSlotKey(int slot, std::string_view suffix) {
  return "Path" + std::to_string(slot) + std::string(suffix);
}

int FolderSlotNumber(std::string_view key, std::string_view suffix) {
  constexpr std::size_t kPrefix = 4;
  if (key.size() < suffix.size() || key.substr(key.size() - suffix.size()) != suffix) return 0;
  key.remove_suffix(suffix.size());
  if (key.size() <= kPrefix || key.size() > kPrefix + 4 || key.substr(0, kPrefix) != "Path" ||
      key[kPrefix] == '0' || key.find_first_not_of("0123456789", kPrefix) != std::string::npos)
    return 0;
  const int n = std::stoi(std::string(key.substr(kPrefix)));
  return n <= kMaxFolderSlots ? n : 0;
}

std::optional<std::string> FolderSlotSuffix(std::string_view key) {
  const std::size_t at = key.find('@');
  const std::string_view suffix = at == std::string_view::npos ? "" : key.substr(at);
  if (!FolderSlotNumber(key, suffix) || (!suffix.empty() && !IsSiteName(suffix.substr(1))))
    return std::nullopt;
  return std::string(suffix);
}

FolderSlots LoadFolderSlots(Database& db, const std::string& site) {
  FolderSlots slots(kFolderSlotCount);
  const std::string suffix = SlotKeySuffix(db, site);
  // Settings are few: every row is read and the slot keys picked here, so
  // that keys compare exactly on every engine.
  Statement query = db.Prepare("SELECT Key, Val, Version FROM SETTING ORDER BY ID");
  while (query.Step()) {
    const int n = FolderSlotNumber(query.TextView(0), suffix);
    if (!n) continue;
    if (static_cast<std::size_t>(n) > slots.size()) slots.resize(static_cast<std::size_t>(n));
    FolderSlot& slot = slots[static_cast<std::size_t>(n - 1)];
    if (slot.stored) continue;
    slot.path = query.Text(1);
    while (!slot.path.empty() && slot.path.back() == ' ') slot.path.pop_back();
    // An empty, blank or NULL value names no folder: a free slot.
    slot.enabled = !Trimmed(slot.path).empty();
    slot.stored = true;
    slot.version = query.Int(2);
  }
  return slots;
}

namespace {

// What a slot stores: its trimmed path, or nothing when it is free.
std::optional<std::string> StoredValue(const FolderSlot& slot) {
  if (!slot.enabled) return std::nullopt;
  return Trimmed(slot.path);
}

const FolderSlot& At(const FolderSlots& slots, std::size_t i) {
  static const FolderSlot kFree;
  return i < slots.size() ? slots[i] : kFree;
}

}  // namespace

std::vector<SlotConflict> SaveFolderSlots(Database& db, const FolderSlots& read,
                                          const FolderSlots& slots, const std::string& site) {
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
  RequireRight(db, Action::EditSettings);
  Transaction transaction(db);
  // Savers of slots take turns, so that what each compares is what it writes over.
  db.Connection().Lock(DatabaseLock::Settings);
  const std::string suffix = SlotKeySuffix(db, site);
  const FolderSlots now = LoadFolderSlots(db, site);
  std::vector<SlotConflict> conflicts;
  std::vector<std::size_t> changed;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    const FolderSlot& mine = slots[i];
    const FolderSlot& before = At(read, i);
    const FolderSlot& current = At(now, i);
    if (StoredValue(mine) == StoredValue(before) || StoredValue(mine) == StoredValue(current))
      continue;
    if (current.stored != before.stored || current.version != before.version)
      conflicts.push_back({static_cast<int>(i + 1), current, mine});
    else
      changed.push_back(i);
  }
  if (!conflicts.empty()) return conflicts;
  if (!changed.empty() && !StoredDefaultSite(db)) StoreDefaultSite(db, site);
  for (const std::size_t i : changed) {
    const FolderSlot& mine = slots[i];
    const FolderSlot& current = At(now, i);
    const std::string key = FolderSlotKey(static_cast<int>(i + 1), suffix);
    if (!mine.enabled)
      db.Execute("DELETE FROM SETTING WHERE Key = ?", key);
    else if (current.stored)
      db.Execute("UPDATE SETTING SET Val = ?, Version = Version + 1 WHERE Key = ?",
                 Trimmed(mine.path), key);
    else
      db.Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", key, Trimmed(mine.path));
  }
  transaction.Commit();
  return {};
}

}  // namespace vornal
