#include "app/client_text.h"

#include <QLibraryInfo>
#include <QLocale>
#include <QTranslator>

#include <cstring>

namespace vornal {

QString ClientText::Problem(SettingsProblem problem, const ClientSettings& settings) {
  const QString folder = QString::fromStdString(settings.folder);
  switch (problem) {
    case SettingsProblem::NoFolder:
      return tr("Папка работника не задана: укажите её в настройках (folder=).");
    case SettingsProblem::FolderIsLink:
      return tr("Папка %1 — символическая ссылка: укажите саму папку.").arg(folder);
    case SettingsProblem::FolderIsFifo:
      return tr("%1 — канал (FIFO), а не папка.").arg(folder);
    case SettingsProblem::FolderNotFolder:
      return tr("%1 — не папка.").arg(folder);
    case SettingsProblem::IntervalTooLong:
      return tr("Интервал %1 с слишком велик: он должен быть меньше 300 секунд (пяти минут).")
          .arg(settings.interval);
    case SettingsProblem::IntervalInvalid:
      return tr("Интервал должен быть числом секунд от 1 до 299.");
    case SettingsProblem::IdleInvalid:
      return tr("Время бездействия должно быть числом минут не меньше 1.");
    case SettingsProblem::LoginInvalid:
      return tr("Имя входа не может содержать «|» или управляющие символы.");
  }
  return {};
}

QString ClientText::FileError(const std::string& path, int error) {
  return tr("Не удалось записать %1: %2")
      .arg(QString::fromStdString(path), QString::fromLocal8Bit(std::strerror(error)));
}

QString ClientText::Time(const DateTime& time) {
  return QString::fromStdString(time.Format("%d.%m.%Y %H:%M:%S"));
}

QString ClientText::DayLine(const ClientState& state) {
  return state.daySince ? tr("Рабочий день: открыт с %1").arg(Time(*state.daySince))
                        : tr("Рабочий день: не начат");
}

QString ClientText::TaskLine(const ClientState& state) {
  return state.taskSince ? tr("Задание: открыто с %1").arg(Time(*state.taskSince))
                         : tr("Задание: нет");
}

QString ClientText::TodayLine(const ClientStatus& status) {
  return tr("Отработано сегодня: %1 (задания %2)")
      .arg(QString::fromStdString(HoursText(status.today.work)),
           QString::fromStdString(HoursText(status.today.tasks)));
}

QString ClientText::FolderLine(const ClientStatus& status, const ClientSettings& settings) {
  const QString folder = QString::fromStdString(settings.folder);
  QString line =
      status.state.folderError
          ? tr("Папка: %1 — недоступна (%2)")
                .arg(folder, QString::fromLocal8Bit(std::strerror(status.state.folderError)))
          : tr("Папка: %1 — записано").arg(folder);
  if (status.waiting > 0)
    line += QLatin1Char('\n') + tr("В очереди событий: %1").arg(status.waiting);
  return line;
}

QString ClientText::Status(const ClientStatus& status, const ClientSettings& settings) {
  return DayLine(status.state) + '\n' + TaskLine(status.state) + '\n' + TodayLine(status) + '\n' +
         FolderLine(status, settings) + '\n';
}

void InstallClientTranslation() {
  const bool english = QLocale::system().name().startsWith(QLatin1String("en"));
  auto* translator = new QTranslator(QCoreApplication::instance());
  // Qt's own buttons (Cancel, ...) speak Russian from Qt's translations.
  if (english ? translator->load(QStringLiteral(":/i18n/vornal-client_en.qm"))
              : translator->load(QLocale(QLocale::Russian), QStringLiteral("qtbase"),
                                 QStringLiteral("_"),
                                 QLibraryInfo::path(QLibraryInfo::TranslationsPath)))
    QCoreApplication::installTranslator(translator);
}

}  // namespace vornal
