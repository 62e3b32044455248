#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "store/database.h"
#include "text/date_time.h"

namespace vornal {

// A site is an office, or a collector machine: a database shared by several
// keeps the working folders of each, and each collector collects only its
// own site's. A site's name is 1 to 64 letters, digits, '.', '-' or '_',
// compared in lower case (as host names are).
inline constexpr std::size_t kMaxSiteName = 64;
bool IsSiteName(std::string_view name);
// The name as stored and compared: ASCII letters in lower case.
std::string SiteName(std::string_view name);

// This machine's site when none is given: its host name up to the first
// dot, or "localhost" when that is no site name.
std::string HostSite();
// The site of this run: what SetCurrentSite set (--site), else the
// environment variable VORNAL_SITE, else HostSite().
const std::string& CurrentSite();
// True once SetCurrentSite or VORNAL_SITE named the site.
bool SiteWasGiven();
// Set once at start-up, before any database is opened; a valid site name.
void SetCurrentSite(std::string name);

// The database's default site: the first site that stored folders in it,
// or the site that first opened a database from before sites (which had
// folders). Its folders are the SETTING rows "Path1", "Path2", ... as they
// always were; other sites' are "Path1@site", ... so that an older version
// of the program still sees (only) the default site's folders. A database
// whose folders no site has stored yet has none: any site is its default.
std::string DefaultSite(Database& db);
std::optional<std::string> StoredDefaultSite(Database& db);
// Names the default site; run in the transaction that stores its folders.
void StoreDefaultSite(Database& db, const std::string& site);
// The key suffix of a site's slots in SETTING: "" for the default site,
// "@name" for any other.
std::string SlotKeySuffix(Database& db, const std::string& site);

// A site the database knows: one that has folders, or results of
// collections, or is the default.
struct SiteInfo {
  std::string name;
  int folders = 0;  // slots that hold a folder or pattern
  bool isDefault = false;
  std::optional<DateTime> latestCollection;  // of any of its folders
};
// By name.
std::vector<SiteInfo> ListSites(Database& db);

}  // namespace vornal
