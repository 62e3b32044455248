#include "store/schema.h"

#include <new>

#include "store/messages.h"

namespace vornal {
namespace {

FieldDescription Field(const std::string& name, int type, long size,
                       const std::string& defaultValue = {}) {
  FieldDescription field;
  field.name = name;
  field.type = type;
  field.size = type == kTypeText ? size : 0;
  field.defaultValue = defaultValue;
  field.attributes = kAttrUpdatable;
  if (name == "ID") field.attributes |= kAttrAutoIncrement;
  if (type == kTypeText) field.attributes |= kAttrFixed;
  field.ignoreCase = name == "Login";
  return field;
}

// Appends the table, trying a second time when the first attempt fails.
bool AppendWithRetry(Database* db, TableDef& table) {
  return AppendTable(db, table) || AppendTable(db, table);
}

bool BuildTable(Database* db, const std::string& name,
                const std::vector<FieldDescription>& fields) {
  std::unique_ptr<TableDef> table;
  if (!CreateTable(db, table, name)) return false;
  if (!AddField(table.get(), Field("ID", kTypeLong, 0, "0"))) return false;
  if (!AppendWithRetry(db, *table)) return false;
  for (const auto& field : fields)
    if (!AddField(table.get(), field)) return false;
  return true;
}

}  // namespace

void FreeDatabase(DatabasePtr& db) {
  if (!db) return;
  if (db->IsOpen()) db->Close();
  db.reset();
}

int OpenDatabaseFile(DatabasePtr& db, const std::string& path, bool reportMissing) {
  FreeDatabase(db);
  try {
    db = std::make_unique<Database>();
    db->Open(path);
    UpgradeSchema(*db);
    return 1;
  } catch (const StoreError& e) {
    db.reset();
    if (e.Code() == kErrFileNotFound) {
      if (reportMissing) ReportMessage("Couldn't open database--Exception: " + e.Description());
      return 0;
    }
    ReportMessage("Couldn't open database--Exception: " + e.Description());
  } catch (const std::bad_alloc&) {
    db.reset();
    ReportMessage("Failed to open database--Memory exception thrown.");
  }
  return -1;
}

int CreateDatabaseFile(DatabasePtr& db, const std::string& path, int /*options*/) {
  FreeDatabase(db);
  try {
    db = std::make_unique<Database>();
    db->Create(path);
    return 1;
  } catch (const StoreError& e) {
    ReportMessage("Couldn't create database--Exception: " + e.Description());
  } catch (const std::bad_alloc&) {
    ReportMessage("Failed to create database--Memory exception thrown.");
  }
  db.reset();
  return 0;
}

bool TableExists(Database& db, const std::string& name) {
  try {
    db.TableInfo(name);
  } catch (const StoreError& e) {
    return e.Code() != kErrItemNotFound;
  } catch (const std::bad_alloc&) {
  }
  return true;
}

bool FieldExists(TableDef& table, const std::string& name) {
  try {
    table.GetFieldInfo(name);
  } catch (const StoreError& e) {
    return e.Code() != kErrItemNotFound;
  } catch (const std::bad_alloc&) {
  }
  return true;
}

int CreateTable(Database* db, std::unique_ptr<TableDef>& table, const std::string& name) {
  if (!db) return 0;
  if (TableExists(*db, name)) {
    ReportMessage("A table by that name already exists.");
    return 0;
  }
  try {
    table = std::make_unique<TableDef>(*db);
    table->Create(name, 0);
    return 1;
  } catch (const StoreError& e) {
    ReportMessage("Couldn't create tabledef--Exception: " + e.Description());
  } catch (const std::bad_alloc&) {
    ReportMessage("Failed to create tabledef--Memory exception thrown.");
  }
  table.reset();
  return 0;
}

int AppendTable(Database* db, TableDef& table) {
  if (!db) return 0;
  try {
    table.Append();
    return 1;
  } catch (const StoreError& e) {
    ReportMessage("Couldn't append TableDef--Exception: " + e.Description());
  } catch (const std::bad_alloc&) {
    ReportMessage("Failed to append tabledef--Memory exception thrown.");
  }
  return 0;
}

int AddField(TableDef* table, const FieldDescription& field) {
  if (!table) return 0;
  if (FieldExists(*table, field.name)) {
    ReportMessage("A field by that name already exists.");
    return 0;
  }
  try {
    table->CreateField(field);
    return 1;
  } catch (const StoreError& e) {
    ReportMessage("Couldn't create field--Exception: " + e.Description());
  } catch (const std::bad_alloc&) {
    ReportMessage("Failed to create field--Memory exception thrown.");
  }
  return 0;
}

bool CreateTables(Database* db) {
  if (!BuildTable(db, "human",
                  {Field("Name", kTypeText, 100, "Unknow User"), Field("Age", kTypeText, 20, "25"),
                   Field("Prof", kTypeText, 50, "Worker"), Field("Photo", kTypeText, 255),
                   Field("Login", kTypeText, 100), Field("Tel", kTypeText, 100),
                   Field("email", kTypeText, 100)}))
    return false;
  if (!BuildTable(db, "logs",
                  {Field("Login", kTypeText, 100), Field("Event", kTypeText, 30),
                   Field("Preview", kTypeText, 250), Field("BeginTime", kTypeDateTime, 0),
                   Field("EndTime", kTypeDateTime, 0)}))
    return false;
  if (!BuildTable(db, "setting", {Field("Key", kTypeText, 100), Field("Val", kTypeText, 255)}))
    return false;
  try {
    UpgradeSchema(*db);
  } catch (const StoreError& e) {
    ReportMessage("Couldn't create index--Exception: " + e.Description());
    return false;
  }
  return true;
}

void UpgradeSchema(Database& db) {
  const int version = static_cast<int>(db.QueryInt("PRAGMA user_version").value_or(0));
  if (version >= kSchemaVersion) return;
  if (!db.HasTable("human") || !db.HasTable("logs") || !db.HasTable("setting")) return;
  Transaction transaction(db);
  if (version < 1) {
    // The state machine looks a login's unfinished rows up; the statistics
    // look rows up by begin and end time, for one login or for everybody.
    db.ExecuteScript(
        std::string("CREATE INDEX IF NOT EXISTS logs_unfinished ON logs (Login, Event) WHERE ") +
        kUnfinishedRows +
        ";"
        "CREATE INDEX IF NOT EXISTS logs_login_begin ON logs (Login, BeginTime);"
        "CREATE INDEX IF NOT EXISTS logs_login_end ON logs (Login, EndTime);"
        "CREATE INDEX IF NOT EXISTS logs_begin ON logs (BeginTime);"
        "CREATE INDEX IF NOT EXISTS logs_end ON logs (EndTime);"
        "CREATE INDEX IF NOT EXISTS setting_key ON setting (Key);");
  }
  if (version < 2) {
    // Intake ledger: how many bytes of a claimed buffer file are applied,
    // committed with the rows they made.
    db.ExecuteScript(
        "CREATE TABLE IF NOT EXISTS intake_ledger ("
        "File TEXT PRIMARY KEY NOT NULL, Bytes INTEGER NOT NULL DEFAULT 0)");
  }
  db.ExecuteScript("PRAGMA user_version = " + std::to_string(kSchemaVersion));
  transaction.Commit();
}

}  // namespace vornal
