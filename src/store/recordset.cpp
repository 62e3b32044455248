#include "store/recordset.h"

#include <algorithm>
#include <charconv>
#include <type_traits>

#include "store/schema.h"

namespace vornal {
namespace {

bool SameName(std::string_view a, std::string_view b) {
  return std::equal(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    auto lower = [](char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c + 32) : c; };
    return lower(x) == lower(y);
  });
}

const Value kNoValue;

std::string AsText(const Value& value) {
  if (const auto* text = std::get_if<std::string>(&value)) return *text;
  if (const auto* number = std::get_if<std::int64_t>(&value)) return std::to_string(*number);
  if (const auto* real = std::get_if<double>(&value)) return std::to_string(*real);
  return {};
}

}  // namespace

Recordset::Recordset(Database* db) : m_db(db) {}

Recordset::~Recordset() = default;

std::string Recordset::DefaultDatabase() const {
  return DatabaseLocation();
}

void Recordset::Bind(std::string column, Binding member) {
  m_bindings.emplace_back(std::move(column), member);
}

Database& Recordset::Connection() {
  if (m_db && m_db->IsOpen()) return *m_db;
  if (!m_own) {
    m_own = std::make_unique<Database>();
    m_own->Open(DefaultDatabase());
  }
  return *m_own;
}

void Recordset::Load(Statement& statement) {
  const int columns = statement.ColumnCount();
  m_columns.clear();
  for (int i = 0; i < columns; ++i) m_columns.push_back(statement.ColumnName(i));
  m_bindingColumns.assign(m_bindings.size(), -1);
  for (std::size_t b = 0; b < m_bindings.size(); ++b)
    for (int i = 0; i < columns; ++i)
      if (SameName(m_columns[static_cast<std::size_t>(i)], m_bindings[b].first)) {
        m_bindingColumns[b] = i;
        break;
      }
  while (statement.Step()) {
    std::vector<Value> row;
    row.reserve(static_cast<std::size_t>(columns));
    for (int i = 0; i < columns; ++i) row.push_back(statement.Get(i));
    m_rows.push_back(std::move(row));
  }
  m_open = true;
  m_current = 0;
  m_beforeFirst = false;
  Exchange();
}

void Recordset::Close() {
  m_rows.clear();
  m_columns.clear();
  m_current = 0;
  m_open = false;
  m_own.reset();
}

void Recordset::MoveNext() {
  if (m_current < m_rows.size()) ++m_current;
  m_beforeFirst = false;
  Exchange();
}

void Recordset::MoveFirst() {
  m_current = 0;
  m_beforeFirst = false;
  Exchange();
}

void Recordset::MoveLast() {
  m_current = m_rows.empty() ? 0 : m_rows.size() - 1;
  m_beforeFirst = false;
  Exchange();
}

void Recordset::Move(long n) {
  const long target = static_cast<long>(m_current) + n;
  m_beforeFirst = target < 0;
  m_current = target < 0 ? 0 : std::min(static_cast<std::size_t>(target), m_rows.size());
  Exchange();
}

const Value& Recordset::Field(std::string_view column) const {
  if (AtEnd() || m_beforeFirst) return kNoValue;
  for (std::size_t i = 0; i < m_columns.size(); ++i)
    if (SameName(m_columns[i], column)) return m_rows[m_current][i];
  return kNoValue;
}

void Recordset::Exchange() {
  // Past the end the members keep the last values they had, as a recordset
  // of the original engine did.
  if (AtEnd() || m_beforeFirst) return;
  const auto& row = m_rows[m_current];
  for (std::size_t b = 0; b < m_bindings.size(); ++b) {
    const int column = m_bindingColumns[b];
    if (column < 0) continue;
    const Value& value = row[static_cast<std::size_t>(column)];
    std::visit(
        [&](auto* member) {
          using Member = std::remove_pointer_t<decltype(member)>;
          if constexpr (std::is_same_v<Member, std::int32_t>) {
            if (const auto* number = std::get_if<std::int64_t>(&value))
              *member = static_cast<std::int32_t>(*number);
            else {
              const std::string text = AsText(value);
              std::int32_t parsed = 0;
              std::from_chars(text.data(), text.data() + text.size(), parsed);
              *member = parsed;
            }
          } else if constexpr (std::is_same_v<Member, std::string>) {
            *member = AsText(value);
          } else {
            const auto* text = std::get_if<std::string>(&value);
            *member = text ? DateTime::FromIso(*text) : std::nullopt;
          }
        },
        m_bindings[b].second);
  }
}

PersonRecordset::PersonRecordset(Database* db) : Recordset(db) {
  Bind("ID", &m_ID);
  Bind("Name", &m_Name);
  Bind("Age", &m_Age);
  Bind("Prof", &m_Prof);
  Bind("Photo", &m_Photo);
  Bind("Login", &m_Login);
  Bind("Tel", &m_Tel);
  Bind("email", &m_email);
}

LogRecordset::LogRecordset(Database* db) : Recordset(db) {
  Bind("ID", &m_ID);
  Bind("Login", &m_Login);
  Bind("Event", &m_Event);
  Bind("BeginTime", &m_BeginTime);
  Bind("EndTime", &m_EndTime);
}

SettingRecordset::SettingRecordset(Database* db) : Recordset(db) {
  Bind("ID", &m_ID);
  Bind("Key", &m_Key);
  Bind("Val", &m_Val);
}

}  // namespace vornal
