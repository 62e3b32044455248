#include "intake/folder_patterns.h"

#include <dirent.h>
#include <fnmatch.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <set>
#include <system_error>

#include "intake/folder_sweep.h"

namespace vornal {
namespace {

bool HasWildcard(std::string_view name) {
  return name.find_first_of("*?[") != std::string_view::npos;
}

std::string Join(const std::string& prefix, const std::string& name) {
  if (prefix.empty()) return name;
  if (prefix.back() == '/') return prefix + name;
  return prefix + "/" + name;
}

// The folder's path as the sweep names it: without trailing blanks and
// slashes ("/" stays).
std::string FolderPath(std::string path) {
  while (!path.empty() && path.back() == ' ') path.pop_back();
  while (path.size() > 1 && path.back() == '/') path.pop_back();
  return path;
}

std::vector<std::string> Names(const std::string& path) {
  std::vector<std::string> names;
  std::size_t start = 0;
  while (start <= path.size()) {
    std::size_t end = path.find('/', start);
    if (end == std::string::npos) end = path.size();
    if (end > start) names.push_back(path.substr(start, end - start));
    start = end + 1;
  }
  return names;
}

// Adds `path` to the folders when it is a folder and no link; a link to a
// folder is noted.
void TakeWorkerFolder(const std::string& path, std::vector<std::string>& folders,
                      SlotFolders& result) {
  struct stat info {};
  if (::lstat(path.c_str(), &info) != 0) return;
  if (S_ISDIR(info.st_mode)) {
    folders.push_back(path);
  } else if (S_ISLNK(info.st_mode)) {
    struct stat target {};
    if (::stat(path.c_str(), &target) == 0 && S_ISDIR(target.st_mode)) result.links.push_back(path);
  }
}

}  // namespace

bool IsFolderPattern(std::string_view value) {
  return HasWildcard(value);
}

SlotFolders ExpandFolderValue(const std::string& value) {
  SlotFolders result;
  const std::string path = FolderPath(value);
  std::vector<std::string> found;
  if (FolderExists(path)) {
    found.push_back(path);
  } else if (IsFolderPattern(path)) {
    result.pattern = true;
    found.push_back(path.front() == '/' ? "/" : "");
    bool worker = false;
    for (const std::string& name : Names(path)) {
      std::vector<std::string> next;
      if (!HasWildcard(name)) {
        for (const std::string& prefix : found) {
          if (worker)
            TakeWorkerFolder(Join(prefix, name), next, result);
          else
            next.push_back(Join(prefix, name));
        }
      } else {
        worker = true;
        for (const std::string& prefix : found) {
          DIR* listing = ::opendir(prefix.empty() ? "." : prefix.c_str());
          if (!listing) {
            if (errno != ENOENT && errno != ENOTDIR)
              result.unreadable.emplace_back(prefix, std::generic_category().message(errno));
            continue;
          }
          while (const dirent* entry = ::readdir(listing)) {
            const std::string entryName = entry->d_name;
            if (entryName == "." || entryName == ".." ||
                ::fnmatch(name.c_str(), entryName.c_str(), FNM_PERIOD) != 0)
              continue;
            TakeWorkerFolder(Join(prefix, entryName), next, result);
          }
          ::closedir(listing);
        }
      }
      found = std::move(next);
    }
  }
  std::sort(found.begin(), found.end());
  std::sort(result.links.begin(), result.links.end());
  for (const std::string& folder : found) {
    struct stat info {};
    if (!FolderExists(folder) || ::stat(folder.c_str(), &info) != 0) continue;
    result.folders.push_back(
        {folder, static_cast<std::uint64_t>(info.st_dev), static_cast<std::uint64_t>(info.st_ino)});
  }
  return result;
}

OfficeFolders ResolveFolderSlots(const FolderSlots& slots) {
  OfficeFolders office;
  std::set<std::pair<std::uint64_t, std::uint64_t>> seen;
  for (std::size_t i = 0; i < slots.size(); ++i) {
    if (!slots[i].enabled) continue;
    const int slot = static_cast<int>(i + 1);
    const SlotFolders found = ExpandFolderValue(slots[i].path);
    if (found.folders.empty() && found.unreadable.empty())
      office.notes.push_back({found.pattern ? SlotNote::Kind::NoMatch : SlotNote::Kind::NoFolder,
                              slot,
                              slots[i].path,
                              {}});
    for (const std::string& link : found.links)
      office.notes.push_back({SlotNote::Kind::Link, slot, link, {}});
    for (const auto& [folder, why] : found.unreadable)
      office.notes.push_back({SlotNote::Kind::Unreadable, slot, folder, why});
    for (const FolderMatch& match : found.folders)
      if (seen.insert({match.device, match.inode}).second)
        office.folders.push_back({slot, match, found.pattern});
  }
  return office;
}

}  // namespace vornal
