#include "intake/folder_status.h"

#include <unordered_map>

#include "store/folder_slots.h"

namespace vornal {

void RecordFolderStatus(Database& db, const FolderSummary& folder) {
  db.Send(
      "INSERT INTO folder_status (Folder, CollectedAt, Files, Events, KeptAside, Waiting, "
      "Failures) VALUES (?, ?, ?, ?, ?, ?, ?) ON CONFLICT (Folder) DO UPDATE SET "
      "CollectedAt = excluded.CollectedAt, Files = excluded.Files, Events = excluded.Events, "
      "KeptAside = excluded.KeptAside, Waiting = excluded.Waiting, Failures = excluded.Failures",
      folder.folder, folder.collectedAt, folder.filesProcessed, folder.eventsApplied,
      folder.KeptAside(), folder.Waiting(), folder.Failures());
}

OfficeStatus FolderStatuses(Database& db) {
  std::unordered_map<std::string, FolderStatus> kept;
  {
    Statement query = db.Prepare(
        "SELECT Folder, CollectedAt, Files, Events, KeptAside, Waiting, Failures "
        "FROM folder_status");
    while (query.Step()) {
      FolderStatus status;
      status.collectedAt = query.Time(1);
      status.files = static_cast<int>(query.Int(2));
      status.events = query.Int(3);
      status.keptAside = query.Int(4);
      status.waiting = static_cast<int>(query.Int(5));
      status.failures = static_cast<int>(query.Int(6));
      kept.emplace(query.Text(0), std::move(status));
    }
  }
  OfficeFolders office = ResolveFolderSlots(LoadFolderSlots(db));
  OfficeStatus result;
  result.notes = std::move(office.notes);
  for (const OfficeFolder& folder : office.folders) {
    const auto found = kept.find(folder.match.path);
    FolderStatus status = found != kept.end() ? found->second : FolderStatus{};
    status.slot = folder.slot;
    status.folder = folder.match.path;
    result.folders.push_back(std::move(status));
  }
  return result;
}

}  // namespace vornal
