#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "store/database.h"

namespace vornal {

// The rows of one table a copy wrote.
struct CopiedTable {
  std::string table;
  std::int64_t rows = 0;
};

// An engine error of the database copied into.
class CopyTargetError : public StoreError {
 public:
  explicit CopyTargetError(const StoreError& e) : StoreError(e) {}
};

// Copies every table of the program (kProgramTables) from one database into
// another of either engine that has the tables and no rows in them, keeping
// IDs: read from one snapshot of the source, written in one transaction,
// and each table's row count checked before and after the commit. A
// database with rows, a column missing or a count that differs throws
// std::runtime_error with nothing written; engine errors throw StoreError, those
// of the target CopyTargetError.
std::vector<CopiedTable> CopyDatabase(Database& from, Database& to);

}  // namespace vornal
