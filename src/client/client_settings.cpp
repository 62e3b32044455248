#include "client/client_settings.h"

#include <pwd.h>
#include <sys/stat.h>
#include <unistd.h>

#include <charconv>
#include <cstdlib>
#include <string_view>
#include <type_traits>

#include "client/event_line.h"
#include "client/local_files.h"
#include "text/trim.h"

namespace vornal {
namespace {

std::string Environment(const char* name) {
  const char* value = std::getenv(name);
  return value ? value : "";
}

std::string Home() {
  std::string home = Environment("HOME");
  if (home.empty())
    if (const passwd* entry = ::getpwuid(::geteuid())) home = entry->pw_dir;
  return home;
}

// $NAME, or HOME/fallback when it is not set or not absolute.
std::string BaseFolder(const char* name, const char* fallback) {
  std::string value = Environment(name);
  if (value.empty() || value[0] != '/') value = Home() + "/" + fallback;
  return value;
}

int Number(std::string_view text) {
  int value = 0;
  const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
  return error == std::errc() && end == text.data() + text.size() ? value : -1;
}

}  // namespace

std::vector<std::string> ClientConfigFiles() {
  std::vector<std::string> dirs;
  std::string list = Environment("XDG_CONFIG_DIRS");
  if (list.empty()) list = "/etc/xdg";
  for (std::size_t start = 0; start <= list.size();) {
    std::size_t colon = list.find(':', start);
    if (colon == std::string::npos) colon = list.size();
    if (colon > start) dirs.insert(dirs.begin(), list.substr(start, colon - start));
    start = colon + 1;
  }
  std::vector<std::string> files;
  for (const std::string& dir : dirs) files.push_back(dir + "/Vornal/client.conf");
  files.push_back(UserConfigFile());
  return files;
}

std::string UserConfigFile() {
  return BaseFolder("XDG_CONFIG_HOME", ".config") + "/Vornal/client.conf";
}

ClientSettings ReadClientSettings(const std::vector<std::string>& files) {
  ClientSettings settings;
  for (const std::string& file : files) {
    std::string text;
    try {
      text = ReadLocal(file);
    } catch (const ClientFileError&) {
      continue;  // an unreadable defaults file is as none
    }
    std::string_view rest = text;
    while (!rest.empty()) {
      std::size_t end = rest.find('\n');
      if (end == std::string_view::npos) end = rest.size();
      const std::string_view line = Trim(rest.substr(0, end));
      rest.remove_prefix(std::min(rest.size(), end + 1));
      const std::size_t equals = line.find('=');
      if (line.empty() || line[0] == '#' || line[0] == ';' || line[0] == '[' ||
          equals == std::string_view::npos)
        continue;
      const std::string_view key = Trim(line.substr(0, equals));
      const std::string_view value = Trim(line.substr(equals + 1));
      if (key == "folder") settings.folder = value;
      if (key == "login") settings.login = value;
      if (key == "interval") settings.interval = Number(value);
      if (key == "idle_minutes") settings.idleMinutes = Number(value);
      if (key == "start_at_login") settings.startAtLogin = value == "true" || value == "1";
    }
  }
  return settings;
}

void WriteClientSettings(const std::string& path, const ClientSettings& settings,
                         const ClientSettings& defaults) {
  std::string text = "[General]\n";
  const auto key = [&](const char* name, const auto& value, const auto& fallback) {
    if (value == fallback) return;
    text += name;
    text += '=';
    if constexpr (std::is_same_v<std::decay_t<decltype(value)>, bool>)
      text += value ? "true" : "false";
    else if constexpr (std::is_same_v<std::decay_t<decltype(value)>, int>)
      text += std::to_string(value);
    else
      text += value;
    text += '\n';
  };
  key("folder", settings.folder, defaults.folder);
  key("login", settings.login, defaults.login);
  key("interval", settings.interval, defaults.interval);
  key("idle_minutes", settings.idleMinutes, defaults.idleMinutes);
  key("start_at_login", settings.startAtLogin, defaults.startAtLogin);
  MakePrivateFolder(path.substr(0, path.rfind('/')));
  ReplaceLocal(path, text);
}

ClientSettings ExpandClientSettings(ClientSettings settings, const std::string& userName) {
  for (std::size_t at = settings.folder.find("%u"); at != std::string::npos;
       at = settings.folder.find("%u", at + userName.size()))
    settings.folder.replace(at, 2, userName);
  if (settings.login.empty()) settings.login = userName;
  return settings;
}

std::string CurrentUserName() {
  if (const passwd* entry = ::getpwuid(::geteuid())) return entry->pw_name;
  return std::to_string(::geteuid());
}

std::optional<SettingsProblem> CheckClientSettings(const ClientSettings& settings) {
  if (settings.folder.empty()) return SettingsProblem::NoFolder;
  std::string folder = settings.folder;
  while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
  struct stat info {};
  // A folder that does not exist (yet), or a share that is down, is no
  // wrong setting: the events wait in the spool.
  if (::lstat(folder.c_str(), &info) == 0) {
    if (S_ISLNK(info.st_mode)) return SettingsProblem::FolderIsLink;
    if (S_ISFIFO(info.st_mode)) return SettingsProblem::FolderIsFifo;
    if (!S_ISDIR(info.st_mode)) return SettingsProblem::FolderNotFolder;
  }
  if (settings.interval < 1) return SettingsProblem::IntervalInvalid;
  if (settings.interval >= kOfficeGapSeconds) return SettingsProblem::IntervalTooLong;
  if (settings.idleMinutes < 1) return SettingsProblem::IdleInvalid;
  for (const char c : settings.login)
    if (c == '|' || static_cast<unsigned char>(c) < 0x20 || c == 0x7f)
      return SettingsProblem::LoginInvalid;
  return std::nullopt;
}

std::string ClientStateFolder() {
  return BaseFolder("XDG_STATE_HOME", ".local/state") + "/vornal";
}

std::string RuntimeFolder() {
  return Environment("XDG_RUNTIME_DIR");
}

}  // namespace vornal
