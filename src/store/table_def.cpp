#include "store/table_def.h"

#include "store/database.h"

namespace vornal {
namespace {

// The text between two `quote` characters, a quote inside doubled.
std::string Enclosed(const std::string& text, char quote) {
  std::string out(1, quote);
  for (char c : text) {
    out += c;
    if (c == quote) out += quote;
  }
  return out + quote;
}

std::string Quoted(const std::string& text) {
  return Enclosed(text, '\'');
}
std::string Identifier(const std::string& name) {
  return Enclosed(name, '"');
}

}  // namespace

std::string ColumnSql(const FieldDescription& field) {
  const std::string name = Identifier(field.name);
  std::string sql = name;
  if (field.type == kTypeLong && (field.attributes & kAttrAutoIncrement))
    return sql + " INTEGER PRIMARY KEY AUTOINCREMENT";
  switch (field.type) {
    case kTypeLong:
      sql += " INTEGER";
      break;
    case kTypeDateTime:
      sql += " DATETIME";
      break;
    default:
      sql += " TEXT(" + std::to_string(field.size) + ")";
  }
  if (field.ignoreCase) sql += " COLLATE NOCASE";
  if (!field.defaultValue.empty()) sql += " DEFAULT " + Quoted(field.defaultValue);
  if (field.type == kTypeText && field.size > 0)
    sql += " CHECK (length(" + name + ") <= " + std::to_string(field.size) + ")";
  if (field.type == kTypeDateTime)
    sql += " CHECK (" + name + " IS NULL OR datetime(" + name + ") IS " + name + ")";
  return sql;
}

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
  m_db.ExecuteScript("ALTER TABLE " + Identifier(m_name) + " ADD COLUMN " + ColumnSql(field));
}

void TableDef::Append() {
  if (m_pending.empty())
    throw StoreError(kErrNoFields, "No field defined--cannot append TableDef.");
  std::string sql = "CREATE TABLE " + Identifier(m_name) + " (";
  for (std::size_t i = 0; i < m_pending.size(); ++i) {
    if (i) sql += ", ";
    sql += ColumnSql(m_pending[i]);
  }
  m_db.ExecuteScript(sql + ")");
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
