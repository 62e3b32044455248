#include "store/database_copy.h"

#include <algorithm>
#include <optional>
#include <stdexcept>

#include "store/schema.h"
#include "store/sql_text.h"

namespace vornal {
namespace {

// Runs a step on the target: its engine errors are the target's.
template <class Step>
auto OnTarget(Step step) -> decltype(step()) {
  try {
    return step();
  } catch (const StoreError& e) {
    throw CopyTargetError(e);
  }
}

std::int64_t Rows(Database& db, const std::string& table) {
  return db.QueryInt("SELECT count(*) FROM " + QuotedName(table)).value_or(0);
}

std::int64_t CopyTable(Database& from, Database& to, const std::string& table) {
  std::vector<std::string> columns = from.Columns(table);
  std::vector<std::string> target = OnTarget([&] { return to.Columns(table); });
  for (std::string& column : columns) column = LowerName(column);
  for (std::string& column : target) column = LowerName(column);
  for (const std::string& column : columns)
    if (std::find(target.begin(), target.end(), column) == target.end())
      throw std::runtime_error("the target's table " + table + " has no column " + column);
  std::string names;
  std::string marks;
  for (const std::string& column : columns) {
    names += (names.empty() ? "" : ", ") + QuotedName(column);
    marks += marks.empty() ? "?" : ", ?";
  }
  const bool hasId = std::find(columns.begin(), columns.end(), "id") != columns.end();
  Statement rows = from.Prepare("SELECT " + names + " FROM " + QuotedName(table) +
                                (hasId ? " ORDER BY id" : ""));
  const std::string insert =
      "INSERT INTO " + QuotedName(table) + " (" + names + ") VALUES (" + marks + ")";
  std::int64_t count = 0;
  while (rows.Step()) {
    OnTarget([&] {
      Statement write = to.Prepare(insert);
      for (int i = 0; i < static_cast<int>(columns.size()); ++i) write.BindOne(i + 1, rows.Get(i));
      write.Send();
    });
    ++count;
  }
  OnTarget([&] { to.Connection().SyncIdentity(table); });
  return count;
}

}  // namespace

std::vector<CopiedTable> CopyDatabase(Database& from, Database& to) {
  for (const ProgramTable& table : kProgramTables)
    if (const std::int64_t rows =
            OnTarget([&] { return to.HasTable(table.name) ? Rows(to, table.name) : 0; }))
      throw std::runtime_error("the target database is not empty: " + std::string(table.name) +
                               " holds " + std::to_string(rows) + (rows == 1 ? " row" : " rows"));
  std::vector<CopiedTable> copied;
  {
    Transaction snapshot(from, Transaction::Mode::Read);
    std::optional<Transaction> transaction;
    OnTarget([&] {
      transaction.emplace(to);
      to.Connection().PrepareForBulkWrite();
    });
    for (const ProgramTable& table : kProgramTables) {
      if (!from.HasTable(table.name)) continue;
      const std::int64_t rows = CopyTable(from, to, table.name);
      if (Rows(from, table.name) != rows || OnTarget([&] { return Rows(to, table.name); }) != rows)
        throw std::runtime_error("the row count of " + std::string(table.name) +
                                 " differs after the copy; nothing was written");
      copied.push_back({table.name, rows});
    }
    OnTarget([&] { transaction->Commit(); });
  }
  for (const CopiedTable& table : copied)
    if (OnTarget([&] { return Rows(to, table.table); }) != table.rows)
      throw std::runtime_error("the row count of " + table.table + " differs after the commit");
  return copied;
}

}  // namespace vornal
