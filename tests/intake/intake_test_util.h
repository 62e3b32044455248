#pragma once

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "intake/folder_sweep.h"
#include "store/database.h"
#include "test_util.h"

namespace vornal::test {

// Every LOGS row in ID order, one "Login|Event|BeginTime|EndTime" line each.
inline std::string DumpRows(Database& db) {
  std::string out;
  Statement rows = db.Prepare("SELECT Login, Event, BeginTime, EndTime FROM LOGS ORDER BY ID");
  while (rows.Step())
    out += rows.Text(0) + "|" + rows.Text(1) + "|" + rows.Text(2) + "|" + rows.Text(3) + "\n";
  return out;
}

// The names in a folder, sorted.
inline std::vector<std::string> FilesIn(const std::string& folder) {
  std::vector<std::string> names;
  for (const auto& entry : std::filesystem::directory_iterator(folder))
    names.push_back(entry.path().filename().string());
  std::sort(names.begin(), names.end());
  return names;
}

inline SweepOptions Progress(ProgressCallback progress) {
  SweepOptions options;
  options.progress = std::move(progress);
  return options;
}

inline std::string DataFile(const std::string& name) {
  return std::string(VORNAL_TEST_DATA) + "/intake/" + name;
}

// A date-time of 2002-10-07 + days, for short tests.
inline DateTime At(int hour, int minute, int second = 0, int days = 0) {
  return DateTime::FromParts(2002, 10, 7, hour, minute, second)->AddDays(days);
}

}  // namespace vornal::test
