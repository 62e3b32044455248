#include "intake/folder_status.h"

#include <unordered_map>

#include "store/folder_slots.h"
#include "store/sites.h"

namespace vornal {

void RecordFolderStatus(Database& db, const FolderSummary& folder) {
  db.Send(
      "INSERT INTO folder_status (Site, Folder, Slot, CollectedAt, Files, Events, KeptAside, "
      "Waiting, Failures) VALUES (?, ?, ?, ?, ?, ?, ?, ?, ?) ON CONFLICT (Site, Folder) DO UPDATE "
      "SET Slot = excluded.Slot, CollectedAt = excluded.CollectedAt, Files = excluded.Files, "
      "Events = excluded.Events, KeptAside = excluded.KeptAside, Waiting = excluded.Waiting, "
      "Failures = excluded.Failures",
      CurrentSite(), folder.folder, folder.slot, folder.collectedAt, folder.filesProcessed,
      folder.eventsApplied, folder.KeptAside(), folder.Waiting(), folder.Failures());
}

namespace {

// The kept results of a site's folders, in slot and folder order.
std::vector<FolderStatus> KeptStatuses(Database& db, const std::string& site) {
  std::vector<FolderStatus> kept;
  Statement query = db.Prepare(
      "SELECT Slot, Folder, CollectedAt, Files, Events, KeptAside, Waiting, Failures "
      "FROM folder_status WHERE Site = ? ORDER BY Slot, Folder");
  query.Bind(site);
  while (query.Step()) {
    FolderStatus status;
    status.slot = static_cast<int>(query.Int(0));
    status.folder = query.Text(1);
    status.collectedAt = query.Time(2);
    status.files = static_cast<int>(query.Int(3));
    status.events = query.Int(4);
    status.keptAside = query.Int(5);
    status.waiting = static_cast<int>(query.Int(6));
    status.failures = static_cast<int>(query.Int(7));
    kept.push_back(std::move(status));
  }
  return kept;
}

}  // namespace

OfficeStatus FolderStatuses(Database& db) {
  std::unordered_map<std::string, FolderStatus> kept;
  for (FolderStatus& status : KeptStatuses(db, CurrentSite()))
    kept.emplace(status.folder, std::move(status));
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

std::vector<SiteStatus> SiteStatuses(Database& db) {
  std::vector<SiteStatus> sites;
  for (const SiteInfo& info : ListSites(db)) {
    SiteStatus site{info.name, info.name == CurrentSite(), {}};
    if (site.here) {
      site.status = FolderStatuses(db);
      sites.push_back(std::move(site));
      continue;
    }
    // Another site's folders are on its own machines: its slots as stored,
    // each with the folders its collector last collected for it.
    const std::vector<FolderStatus> kept = KeptStatuses(db, info.name);
    const FolderSlots slots = LoadFolderSlots(db, info.name);
    for (std::size_t i = 0; i < slots.size(); ++i) {
      if (!slots[i].enabled) continue;
      const int slot = static_cast<int>(i + 1);
      bool any = false;
      for (const FolderStatus& status : kept)
        if (status.slot == slot) {
          site.status.folders.push_back(status);
          any = true;
        }
      if (!any) site.status.folders.push_back({slot, slots[i].path, std::nullopt, 0, 0, 0, 0, 0});
    }
    sites.push_back(std::move(site));
  }
  return sites;
}

}  // namespace vornal
