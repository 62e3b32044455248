#include "store/table_def.h"

#include "store/database.h"

namespace vornal {

void TableDef::Create(const std::string& name, long /*attributes*/) {
  m_name = name;
  m_appended = false;
  m_pending.clear();
}

void TableDef::CreateField(const FieldDescription& field) {
  if (!m_appended) {
    for (const auto& existing : m_pending)
      if (existing.name == field.name)
        throw StoreError(3191, "Cannot define field more than once.");
    m_pending.push_back(field);
    return;
  }
  m_db.ExecuteScript(m_db.Connection().AddColumnSql(m_name, field));
}

void TableDef::Append() {
  if (m_pending.empty())
    throw StoreError(kErrNoFields, "No field defined--cannot append TableDef.");
  m_db.ExecuteScript(m_db.Connection().CreateTableSql(m_name, m_pending));
  m_appended = true;
  m_pending.clear();
}

void TableDef::GetFieldInfo(const std::string& name) {
  if (!m_appended) {
    for (const auto& field : m_pending)
      if (field.name == name) return;
    throw StoreError(kErrItemNotFound, "Item not found in this collection.");
  }
  m_db.FieldInfo(m_name, name);
}

}  // namespace vornal
