#pragma once

#include <string>
#include <vector>

namespace vornal {

class Database;

// Column type codes of the engine.
inline constexpr int kTypeLong = 4;
inline constexpr int kTypeDateTime = 8;
inline constexpr int kTypeText = 10;

// Column attribute bits.
inline constexpr long kAttrFixed = 1;
inline constexpr long kAttrAutoIncrement = 16;
inline constexpr long kAttrUpdatable = 32;

// The description of one column: name, type, size in characters (0 for long
// and date/time), default value text (empty: none) and attributes.
struct FieldDescription {
  std::string name;
  int type = kTypeText;
  long size = 0;
  std::string defaultValue;
  long attributes = kAttrUpdatable;
  // Text compared without regard to letter case (logins).
  bool ignoreCase = false;
};

// A table definition: columns created before the table is appended become
// part of its creation; columns created afterwards are added to the live
// table.
class TableDef {
 public:
  explicit TableDef(Database& db) : m_db(db) {}

  void Create(const std::string& name, long attributes);
  void CreateField(const FieldDescription& field);
  // Creates the table in the database.
  void Append();
  // Succeeds when the table has the column; error 3265 when it does not.
  void GetFieldInfo(const std::string& name);

  const std::string& Name() const { return m_name; }
  Database& Db() const { return m_db; }
  bool IsAppended() const { return m_appended; }

 private:
  Database& m_db;
  std::string m_name;
  bool m_appended = false;
  std::vector<FieldDescription> m_pending;
};

}  // namespace vornal
