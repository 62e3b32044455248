// Fuzzes a whole main.buf applied to an in-memory database: whatever the
// bytes, the file is claimed (at once: no quiet period, not even for one that
// ends in the middle of a line), applied without an engine error and deleted.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "intake/folder_sweep.h"
#include "store/schema.h"

namespace {

struct Office {
  Office() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornal-fuzz-XXXXXX").string();
    if (!mkdtemp(pattern.data())) std::abort();
    folder = pattern;
    buffer = folder + "/main.buf";
    db.OpenMemory();
    vornal::CreateTables(db);
  }
  ~Office() {
    std::error_code ec;
    std::filesystem::remove_all(folder, ec);
  }
  std::string folder;
  std::string buffer;
  vornal::Database db;
};

Office& TheOffice() {
  static Office office;
  return office;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  Office& office = TheOffice();
  office.db.ExecuteScript(
      "DELETE FROM LOGS; DELETE FROM intake_ledger; DELETE FROM rejected_lines; "
      "DELETE FROM applied_events;");
  std::FILE* file = std::fopen(office.buffer.c_str(), "wb");
  if (!file) std::abort();
  if (size && std::fwrite(data, 1, size, file) != size) std::abort();
  std::fclose(file);

  vornal::SweepOptions options;
  options.quietPeriod = 0;
  const auto summary = vornal::ProcessBufferFile(office.db, office.buffer, options);
  if (!summary) std::abort();
  // Every byte is accounted for: the file is gone, no claim is left over.
  if (!std::filesystem::is_empty(office.folder)) std::abort();
  if (office.db.QueryInt("SELECT COUNT(*) FROM intake_ledger") != 0) std::abort();
  return 0;
}
