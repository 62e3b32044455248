#pragma once

#include <string>
#include <vector>

#include "store/database.h"

namespace vornal {

// What the program does that needs more than reading.
enum class Action {
  Collect,         // the intake: intervals, its ledger, lines kept aside, results
  EditPeople,      // add, change, remove people
  EditSettings,    // working folders, the quiet period, the office's title
  RetryKeptAside,  // apply this site's kept-aside lines (a collection of them)
  ClearKeptAside,  // forget kept-aside lines: an operator's
  Correct,         // add, change, remove finished work rows, with the trail
  EditTimesheet,   // absences and the working calendar
};

// The connection may not do `action`: its role (on a server) lacks a
// privilege on a table (on the rows of a site, when given), or the file was
// opened read-only (empty role). Thrown before anything is changed; a
// read-only failure (NotPermitted) to callers that do not look closer. The
// description is a sentence for the command line.
class MissingRight : public StoreError {
 public:
  MissingRight(Action action, std::string role, std::string privilege = {}, std::string table = {},
               std::string site = {});
  Action WhatAction() const { return m_action; }
  const std::string& Role() const { return m_role; }
  const std::string& Privilege() const { return m_privilege; }  // "INSERT"
  const std::string& Table() const { return m_table; }
  const std::string& Site() const { return m_site; }

 private:
  Action m_action;
  std::string m_role;
  std::string m_privilege;
  std::string m_table;
  std::string m_site;
};

// The role of a server's connection; empty for a file.
std::string CurrentRole(Database& db);

// Throws MissingRight unless the connection may do `action`: on a server,
// the role has every privilege it needs (has_table_privilege, and the
// sequences of the tables it adds rows to); a file, unless opened
// read-only. One round trip.
void RequireRight(Database& db, Action action);

// Least privilege on a server's database, for roles its administrator has
// made: a viewer reads; a collector of a site also collects (intervals, the
// intake's ledger, lines kept aside, the folders' results) and takes its
// own site's kept-aside lines out when it retries them; an operator also
// edits people and settings and clears kept-aside lines. A role may be
// given twice (an operator desk that collects).
struct RoleGrant {
  enum class Kind { Viewer, Collector, Operator };
  Kind kind = Kind::Viewer;
  std::string role;
  std::string site;  // a collector's
};

// The statements for the open database; a file has no roles
// (std::invalid_argument).
std::string RoleGrantsSql(Database& db, const std::vector<RoleGrant>& grants);
// Runs them in one transaction and checks with the server what each role
// may do now (has_table_privilege): a grant that did not take (the caller
// does not own the tables) throws MissingRight for that role, and nothing
// is granted.
void GrantRoles(Database& db, const std::vector<RoleGrant>& grants);

}  // namespace vornal
