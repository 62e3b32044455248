#pragma once

#include <optional>
#include <string>
#include <vector>

namespace vornal {

// What the worker's client is told: where to write, as whom, how often.
struct ClientSettings {
  std::string folder;  // "%u" stands for the user name
  std::string login;   // the user name when empty
  int interval = 60;   // seconds between go-on events
  int idleMinutes = 10;
  bool startAtLogin = true;  // open the day when the session starts
};

// The settings files, weakest first: each of $XDG_CONFIG_DIRS (default
// /etc/xdg) from the last to the first, then $XDG_CONFIG_HOME (default
// ~/.config), each with "/Vornal/client.conf".
std::vector<std::string> ClientConfigFiles();
// The user's own file, the last of those.
std::string UserConfigFile();

// Reads the files in order, each key of a later one over an earlier one.
// The form is that of an INI file: "key=value" lines, "[section]" and
// "#" or ";" comments ignored. Keys: folder, login, interval, idle_minutes,
// start_at_login (true or false). A value that is no number leaves the
// number invalid (-1), so that the check names it.
ClientSettings ReadClientSettings(const std::vector<std::string>& files);
// Writes the user's file (replacing it as a whole) with the keys whose
// values differ from `defaults` (what the other files give), so that the
// administrator's later changes to the rest still reach this user.
void WriteClientSettings(const std::string& path, const ClientSettings& settings,
                         const ClientSettings& defaults);

// The settings as the client uses them: "%u" in the folder and an empty
// login replaced by the user name.
ClientSettings ExpandClientSettings(ClientSettings settings, const std::string& userName);
// The name of the user the process runs as.
std::string CurrentUserName();

// What is wrong with settings (expanded), the first thing found.
enum class SettingsProblem {
  NoFolder,         // no folder set
  FolderIsLink,     // the folder is a symbolic link
  FolderIsFifo,     // the folder is a FIFO
  FolderNotFolder,  // the folder is some other kind of file
  IntervalTooLong,  // at or over the office's five minutes
  IntervalInvalid,  // not a number of seconds of at least 1
  IdleInvalid,      // not a number of minutes of at least 1
  LoginInvalid,     // holds "|", a line end or other control characters
};
std::optional<SettingsProblem> CheckClientSettings(const ClientSettings& settings);

// Where the client keeps its state, spool and log: $XDG_STATE_HOME/vornal
// (default ~/.local/state/vornal).
std::string ClientStateFolder();
// The session's runtime folder ($XDG_RUNTIME_DIR), empty when not set.
std::string RuntimeFolder();

}  // namespace vornal
