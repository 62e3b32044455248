// vornal-client: the worker's side. Without a command, the tray program (or
// a small window where the desktop has no tray); with one, a command for
// scripts, terminals and machines without a desktop.
#include <QApplication>
#include <QCoreApplication>
#include <QMessageBox>
#include <QSocketNotifier>

#include <sys/socket.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <optional>

#include "app/client_runner.h"
#include "app/client_text.h"
#include "app/session_watch.h"
#include "app/tray.h"
#include "client/local_files.h"
#include "client/session_lock.h"

namespace vornal {
namespace {

void Print(std::FILE* stream, const QString& text) {
  std::fputs(text.toLocal8Bit().constData(), stream);
  if (!text.endsWith(QLatin1Char('\n'))) std::fputc('\n', stream);
}

QString Usage() {
  return QCoreApplication::translate(
      "main",
      "Использование: vornal-client [КОМАНДА]\n"
      "Без команды — значок в области уведомлений (или окно, если её нет).\n"
      "Команды:\n"
      "  start-day   начать рабочий день\n"
      "  stop-day    закончить рабочий день (и задание)\n"
      "  start-task  начать задание (и рабочий день, если он не начат)\n"
      "  stop-task   закончить задание\n"
      "  status      что открыто, с какого времени, сколько событий ждёт отправки\n"
      "  run         вести рабочий день без окна, пока не остановят\n"
      "Настройки: ~/.config/Vornal/client.conf (по умолчанию /etc/xdg/Vornal/client.conf).");
}

// The settings as the client uses them, or a message of what is wrong.
std::optional<ClientSettings> LoadSettings(QString& problem) {
  const ClientSettings settings =
      ExpandClientSettings(ReadClientSettings(ClientConfigFiles()), CurrentUserName());
  if (const auto wrong = CheckClientSettings(settings)) {
    problem = ClientText::Problem(*wrong, settings) + QLatin1Char('\n') +
              QCoreApplication::translate("main", "Файл настроек: %1")
                  .arg(QString::fromStdString(UserConfigFile()));
    return std::nullopt;
  }
  return settings;
}

// Writes the stops and quits on SIGTERM, SIGINT and SIGHUP: the signal is
// passed through a socket pair to the event loop.
int g_signalSocket[2] = {-1, -1};
void OnSignal(int) {
  const char byte = 1;
  [[maybe_unused]] const ssize_t sent = ::write(g_signalSocket[0], &byte, 1);
}
void QuitOnSignals(const std::function<void()>& quit) {
  if (::socketpair(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0, g_signalSocket) != 0) return;
  auto* notifier =
      new QSocketNotifier(g_signalSocket[1], QSocketNotifier::Read, QCoreApplication::instance());
  QObject::connect(notifier, &QSocketNotifier::activated, [quit] {
    char byte;
    [[maybe_unused]] const ssize_t got = ::read(g_signalSocket[1], &byte, 1);
    quit();
  });
  struct sigaction action {};
  action.sa_handler = OnSignal;
  action.sa_flags = SA_RESTART;
  for (const int signal : {SIGTERM, SIGINT, SIGHUP}) ::sigaction(signal, &action, nullptr);
}

// The running program: one per session, the day kept going until the
// session ends or the program is stopped.
int Run(const ClientSettings& settings, bool withWindows) {
  std::string lockFolder = RuntimeFolder();
  if (lockFolder.empty()) lockFolder = ClientStateFolder();
  MakePrivateFolder(lockFolder);
  const auto lock = SessionLock::Take(lockFolder);
  if (!lock) {
    const QString message = QCoreApplication::translate(
                                "main", "vornal-client уже работает в этом сеансе (процесс %1).")
                                .arg(SessionLock::Holder(lockFolder));
    Print(stderr, message);
    if (withWindows) QMessageBox::information(nullptr, QStringLiteral("vornal-client"), message);
    return 2;
  }
  const MachineClock clock;
  WorkClient client(settings, ClientStateFolder(), clock);
  ClientRunner runner(client, clock);
  SessionWatch watch(clock, settings.idleMinutes);
  QObject::connect(&watch, &SessionWatch::Leaving, &runner, &ClientRunner::Mark);
  QObject::connect(&watch, &SessionWatch::ActiveChanged, &runner, &ClientRunner::SetActive);
  QObject::connect(&watch, &SessionWatch::Ending, &runner, &ClientRunner::End);
  QObject::connect(&runner, &ClientRunner::Changed, &watch, &SessionWatch::CheckIdle);
  const auto quit = [&runner] {
    runner.End();
    QCoreApplication::exit(0);  // not quit(): that would close the window again
  };
  QuitOnSignals(quit);
  std::optional<TrayFront> front;
  if (withWindows) {
    front.emplace(runner, quit);
  } else {
    QObject::connect(&runner, &ClientRunner::Failed,
                     [](const QString& message) { Print(stderr, message); });
  }
  watch.Start();
  runner.Begin();
  return QCoreApplication::exec();
}

int Command(const QString& command) {
  QString problem;
  const auto settings = LoadSettings(problem);
  if (!settings) {
    Print(stderr, problem);
    return 2;
  }
  if (command == QLatin1String("run")) return Run(*settings, false);
  const MachineClock clock;
  WorkClient client(*settings, ClientStateFolder(), clock);
  using Outcome = WorkClient::Outcome;
  const auto say = [](Outcome outcome, const char* done, const char* nothing) {
    Print(stdout, QCoreApplication::translate("main", outcome == Outcome::Done ? done : nothing));
    return outcome == Outcome::Done ? 0 : 1;
  };
  if (command == QLatin1String("start-day"))
    return say(client.StartDay(), QT_TRANSLATE_NOOP("main", "Рабочий день начат."),
               QT_TRANSLATE_NOOP("main", "Рабочий день уже начат."));
  if (command == QLatin1String("stop-day"))
    return say(client.StopDay(), QT_TRANSLATE_NOOP("main", "Рабочий день закончен."),
               QT_TRANSLATE_NOOP("main", "Рабочий день не начат."));
  if (command == QLatin1String("start-task"))
    return say(client.StartTask(), QT_TRANSLATE_NOOP("main", "Задание начато."),
               QT_TRANSLATE_NOOP("main", "Задание уже начато."));
  if (command == QLatin1String("stop-task"))
    return say(client.StopTask(), QT_TRANSLATE_NOOP("main", "Задание закончено."),
               QT_TRANSLATE_NOOP("main", "Задание не начато."));
  Print(stdout, ClientText::Status(client.Status(), *settings));
  return 0;
}

bool IsCommand(const QString& word) {
  for (const char* command : {"start-day", "stop-day", "start-task", "stop-task", "status", "run"})
    if (word == QLatin1String(command)) return true;
  return false;
}

}  // namespace
}  // namespace vornal

int main(int argc, char** argv) {
  using namespace vornal;
  const QString word = argc > 1 ? QString::fromLocal8Bit(argv[1]) : QString();
  if (argc > 2 || (!word.isEmpty() && !IsCommand(word))) {
    QCoreApplication app(argc, argv);
    InstallClientTranslation();
    if (word == QLatin1String("--version")) {
      std::printf("vornal-client %s\n", VORNAL_VERSION);
      return 0;
    }
    const bool help = word == QLatin1String("--help") || word == QLatin1String("-h");
    Print(help ? stdout : stderr, Usage());
    return help ? 0 : 2;
  }
  try {
    if (!word.isEmpty()) {
      QCoreApplication app(argc, argv);
      InstallClientTranslation();
      return Command(word);
    }
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    InstallClientTranslation();
    for (;;) {
      QString problem;
      if (const auto settings = LoadSettings(problem)) return Run(*settings, true);
      if (!TrayFront::ShowProblem(problem)) return 2;
    }
  } catch (const ClientFileError& error) {
    Print(stderr, ClientText::FileError(error.Path(), error.Error()));
    return 2;
  }
}
