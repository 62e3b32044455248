#pragma once

#include <unistd.h>
#include <cerrno>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <memory>
#include <stdexcept>
#include <string>
#include <system_error>
#include <vector>

#include "store/schema.h"

namespace vornal::test {

// A fresh folder under the system's temporary folder, removed with the object.
class TempDir {
 public:
  TempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "vornal-XXXXXX").string();
    if (!mkdtemp(pattern.data()))
      throw std::system_error(errno, std::generic_category(), "cannot make " + pattern);
    m_path = pattern;
  }
  ~TempDir() {
    std::error_code ec;
    std::filesystem::permissions(m_path, std::filesystem::perms::owner_all,
                                 std::filesystem::perm_options::add, ec);
    std::filesystem::remove_all(m_path, ec);
  }
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return m_path; }
  std::string File(const std::string& name) const { return (m_path / name).string(); }

 private:
  std::filesystem::path m_path;
};

// ---- The engine under test ----
// A test program runs on SQLite; registered with vornal_engine_test, its
// cases run once more on a throwaway PostgreSQL server (tests/pg_server.sh)
// whose maintenance database ctest names in VORNAL_TEST_SERVER.

inline const char* TestServer() {
  const char* server = std::getenv("VORNAL_TEST_SERVER");
  return server && *server ? server : nullptr;
}

inline bool OnServer() {
  return TestServer() != nullptr;
}

// New, empty databases on the test server; dropped when the program ends.
class ServerDatabases {
 public:
  // The location of a new database made from the template.
  static std::string New(const char* from = "template1") {
    static ServerDatabases made;
    const std::string name =
        "vt_" + std::to_string(::getpid()) + "_" + std::to_string(made.m_names.size() + 1);
    Database server;
    server.Open(TestServer());
    server.ExecuteScript("CREATE DATABASE " + name + " TEMPLATE " + from + " STRATEGY FILE_COPY");
    made.m_names.push_back(name);
    return std::string(TestServer()) + " dbname=" + name;
  }

 private:
  ~ServerDatabases() {
    try {
      Database server;
      server.Open(TestServer());
      for (const std::string& name : m_names)
        server.ExecuteScript("DROP DATABASE IF EXISTS " + name + " WITH (FORCE)");
    } catch (...) {
      // The server is thrown away after the run anyway.
    }
  }
  std::vector<std::string> m_names;
};

// Where the office in folder `cwd` keeps its database: base.mdb there, or a
// database of its own on the test server, which vornal-cli started in the
// folder by these tests is given as VORNAL_DB.
inline std::string DatabaseIn(const std::string& cwd) {
  if (!OnServer()) return cwd + "/base.mdb";
  static std::map<std::string, std::string> made;
  auto [it, fresh] = made.emplace(cwd, std::string());
  if (fresh) it->second = ServerDatabases::New();
  return it->second;
}

// A new database with the program's tables: a file, or on the server.
inline DatabasePtr MakeDatabase(const std::string& location) {
  auto db = std::make_unique<Database>();
  if (IsServerLocation(location)) {
    db->Open(location);
    if (!CreateServerTables(*db)) throw std::runtime_error(location + " already has tables");
    return db;
  }
  db->Create(location);
  CreateTables(*db);
  return db;
}

// A new database whose tables are as the schema's step `version` left them,
// for a test of the steps after it: a file, or on the server.
inline DatabasePtr MakeOlderDatabase(const std::string& location, int version) {
  auto db = std::make_unique<Database>();
  if (IsServerLocation(location))
    db->Open(location);
  else
    db->Create(location);
  CreateTables(*db, version);
  return db;
}

// A database with the program's tables for one test: in memory, or a new
// one on the server.
inline std::unique_ptr<Database> MakeMemoryDatabase() {
  if (OnServer()) return MakeDatabase(ServerDatabases::New());
  auto db = std::make_unique<Database>();
  db->OpenMemory();
  CreateTables(*db);
  return db;
}

// The engine refuses, with `message`, to insert (and, asked, to update)
// rows of `table` for which `condition` on NEW holds.
inline void RefuseRows(Database& db, const std::string& table, const std::string& condition,
                       const std::string& message, bool updates = false) {
  if (db.IsServer()) {
    db.ExecuteScript(
        "CREATE FUNCTION refuse_rows() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN "
        "RAISE EXCEPTION '" +
        message + "'; END $$");
    db.ExecuteScript("CREATE TRIGGER refuse BEFORE INSERT" +
                     std::string(updates ? " OR UPDATE" : "") + " ON " + table +
                     " FOR EACH ROW WHEN (" + condition + ") EXECUTE FUNCTION refuse_rows()");
    return;
  }
  for (const char* verb : {"INSERT", "UPDATE"}) {
    if (std::string(verb) == "UPDATE" && !updates) break;
    db.ExecuteScript("CREATE TRIGGER refuse_" + std::string(verb) + " BEFORE " + verb + " ON " +
                     table + " WHEN " + condition + " BEGIN SELECT RAISE(ABORT, '" + message +
                     "'); END");
  }
}

inline void StopRefusing(Database& db, const std::string& table) {
  if (db.IsServer())
    db.ExecuteScript("DROP TRIGGER refuse ON " + table + "; DROP FUNCTION refuse_rows()");
  else
    db.ExecuteScript("DROP TRIGGER IF EXISTS refuse_INSERT; DROP TRIGGER IF EXISTS refuse_UPDATE");
}

inline void WriteFile(const std::string& path, const std::string& content) {
  std::ofstream out(path, std::ios::binary);
  out << content;
}

inline std::string ReadFile(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

}  // namespace vornal::test
