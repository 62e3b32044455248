#pragma once

#include <QCoreApplication>
#include <QString>

#include "client/client_settings.h"
#include "client/work_client.h"

namespace vornal {

// The client's words for the core's values, in the user's language.
class ClientText {
  Q_DECLARE_TR_FUNCTIONS(ClientText)

 public:
  static QString Problem(SettingsProblem problem, const ClientSettings& settings);
  static QString FileError(const std::string& path, int error);
  // One line per thing: the day, the task, today's time, the folder, the spool.
  static QString Status(const ClientStatus& status, const ClientSettings& settings);
  static QString DayLine(const ClientState& state);
  static QString TaskLine(const ClientState& state);
  static QString TodayLine(const ClientStatus& status);
  static QString FolderLine(const ClientStatus& status, const ClientSettings& settings);
  static QString Time(const DateTime& time);
};

// Installs the program's English translation under an English locale (en*);
// Russian, the language the program is written in, under any other.
void InstallClientTranslation();

}  // namespace vornal
