#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "intake/folder_sweep.h"
#include "store/database.h"
#include "text/date_time.h"

namespace vornal {

// What the latest collection of a working folder did, as the sweep keeps it
// in the table folder_status.
struct FolderStatus {
  int slot = 0;
  std::string folder;
  std::optional<DateTime> collectedAt;  // none: never collected
  int files = 0;
  std::int64_t events = 0;
  std::int64_t keptAside = 0;
  int waiting = 0;   // claimed files it left waiting for their client or quiet period
  int failures = 0;  // files it could not collect
};

// Keeps the folder's result, as this site's; run inside a transaction of the
// sweep.
void RecordFolderStatus(Database& db, const FolderSummary& folder);

// Every folder this site's slots name now, in the order the sweep visits
// them, with its latest result; and the notes of the slots that name none.
struct OfficeStatus {
  std::vector<FolderStatus> folders;
  std::vector<SlotNote> notes;
};
OfficeStatus FolderStatuses(Database& db);

// The folders of every site the database knows (ListSites), by name: this
// site's as FolderStatuses gives them; another's as its slots hold them
// (patterns are not expanded here, its folders being on its machines), each
// slot with the folders its collector last collected for it.
struct SiteStatus {
  std::string site;
  bool here = false;  // this run's site
  OfficeStatus status;
};
std::vector<SiteStatus> SiteStatuses(Database& db);

}  // namespace vornal
