#include "store/sites.h"

#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <map>

#include "store/folder_slots.h"

namespace vornal {
namespace {

constexpr const char* kDefaultSiteKey = "DefaultSite";

struct Site {
  std::string name;
  bool given = false;
};

Site& Current() {
  static Site site = [] {
    const char* variable = std::getenv("VORNAL_SITE");
    if (variable && IsSiteName(variable)) return Site{SiteName(variable), true};
    return Site{HostSite(), false};
  }();
  return site;
}

}  // namespace

bool IsSiteName(std::string_view name) {
  return !name.empty() && name.size() <= kMaxSiteName &&
         std::all_of(name.begin(), name.end(), [](char c) {
           return (c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') ||
                  c == '.' || c == '-' || c == '_';
         });
}

std::string SiteName(std::string_view name) {
  std::string out(name);
  for (char& c : out)
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
  return out;
}

std::string HostSite() {
  char host[256] = {};
  if (::gethostname(host, sizeof host - 1) != 0) return "localhost";
  std::string name(host);
  name = name.substr(0, name.find('.'));
  return IsSiteName(name) ? SiteName(name) : "localhost";
}

const std::string& CurrentSite() {
  return Current().name;
}

bool SiteWasGiven() {
  return Current().given;
}

void SetCurrentSite(std::string name) {
  Current() = {SiteName(name), true};
}

std::optional<std::string> StoredDefaultSite(Database& db) {
  Statement query = db.Prepare("SELECT Val FROM SETTING WHERE Key = ?");
  query.Bind(kDefaultSiteKey);
  if (query.Step() && IsSiteName(query.TextView(0))) return SiteName(query.TextView(0));
  return std::nullopt;
}

void StoreDefaultSite(Database& db, const std::string& site) {
  db.Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", kDefaultSiteKey, site);
}

std::string DefaultSite(Database& db) {
  // Until a site has stored folders any site may be the default: its
  // folders are the (none) stored under the plain keys.
  return StoredDefaultSite(db).value_or(CurrentSite());
}

std::string SlotKeySuffix(Database& db, const std::string& site) {
  return site == DefaultSite(db) ? std::string() : "@" + site;
}

std::vector<SiteInfo> ListSites(Database& db) {
  std::map<std::string, SiteInfo> sites;
  const std::string defaultSite = DefaultSite(db);
  sites[defaultSite].isDefault = true;
  {
    Statement slots = db.Prepare("SELECT Key, Val FROM SETTING");
    while (slots.Step()) {
      const std::optional<std::string> suffix = FolderSlotSuffix(slots.TextView(0));
      if (!suffix) continue;
      SiteInfo& site = sites[suffix->empty() ? defaultSite : suffix->substr(1)];
      if (slots.TextView(1).find_first_not_of(' ') != std::string_view::npos) ++site.folders;
    }
  }
  Statement collected =
      db.Prepare("SELECT Site, MAX(CollectedAt) FROM folder_status GROUP BY Site");
  while (collected.Step()) sites[collected.Text(0)].latestCollection = collected.Time(1);
  std::vector<SiteInfo> list;
  for (auto& [name, site] : sites) {
    site.name = name;
    list.push_back(std::move(site));
  }
  return list;
}

}  // namespace vornal
