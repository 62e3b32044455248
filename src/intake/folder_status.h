#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "intake/folder_sweep.h"
#include "store/database.h"
#include "store/date_time.h"

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

// Keeps the folder's result; run inside a transaction of the sweep.
void RecordFolderStatus(Database& db, const FolderSummary& folder);

// Every folder the slots name now, in the order the sweep visits them, with
// its latest result; and the notes of the slots that name none.
struct OfficeStatus {
  std::vector<FolderStatus> folders;
  std::vector<SlotNote> notes;
};
OfficeStatus FolderStatuses(Database& db);

}  // namespace vornal
