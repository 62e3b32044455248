#pragma once

#include <QAction>
#include <QLabel>
#include <QMenu>
#include <QObject>
#include <QPointer>
#include <QPushButton>
#include <QSystemTrayIcon>
#include <QWidget>

#include <functional>
#include <memory>

#include "app/client_runner.h"

namespace vornal {

// The worker's tray icon and its menu: start and stop the day and a task,
// the time worked today, the folder and whether events wait, settings and
// quit. The icon's colour says the state: grey no day, green a day, blue a
// task, orange events waiting in the spool. Where the desktop has no tray,
// a small window offers the same.
class TrayFront : public QObject {
  Q_OBJECT

 public:
  TrayFront(ClientRunner& runner, std::function<void()> quit);
  ~TrayFront() override;

  // Wrong settings at start: says what is wrong and offers the settings.
  // True when the worker saved new settings.
  static bool ShowProblem(const QString& problem);
  // The icon for a state, as the tray and the window show it.
  static QIcon StateIcon(const ClientStatus& status);

  QMenu* Menu() { return m_menu.get(); }
  QWidget* Window() { return m_window.get(); }

 protected:
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void Refresh();
  void Act(WorkClient::Outcome (WorkClient::*step)());
  void OpenSettings();

  ClientRunner& m_runner;
  std::function<void()> m_quit;
  std::unique_ptr<QMenu> m_menu;
  std::unique_ptr<QSystemTrayIcon> m_tray;
  std::unique_ptr<QWidget> m_window;
  QAction* m_startDay = nullptr;
  QAction* m_stopDay = nullptr;
  QAction* m_startTask = nullptr;
  QAction* m_stopTask = nullptr;
  QAction* m_today = nullptr;
  QAction* m_folder = nullptr;
  QLabel* m_windowText = nullptr;
};

}  // namespace vornal
