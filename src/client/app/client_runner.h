#pragma once

#include <QFileSystemWatcher>
#include <QObject>
#include <QTimer>

#include "client/work_client.h"

namespace vornal {

// Keeps the working day going in a running program: writes the go-on
// events when they are due (one timer, armed for the next one), follows
// the state that a command changes (the state folder is watched), and
// passes the session's activity on to the client.
class ClientRunner : public QObject {
  Q_OBJECT

 public:
  ClientRunner(WorkClient& client, const Clock& clock, QObject* parent = nullptr);

  // The session starts: a stale day is closed, the day opened as configured.
  void Begin();
  // Active while unlocked, not idle and awake.
  void SetActive(bool active);
  // Writes go-on events now, for what is open (the screen is locked or the
  // machine goes to sleep: the time up to now counts).
  void Mark();
  // The session ends: the task and the day are stopped.
  void End();
  // Writes what is due now and arms the timer for the next.
  void Tick();
  void Reconfigure(ClientSettings settings);
  WorkClient& Client() { return m_client; }

 Q_SIGNALS:
  // The state may have changed (for the tray's menu and icon).
  void Changed();
  // A step failed: the message says what and where.
  void Failed(const QString& message);

 private:
  template <class Step>
  void Run(Step step);
  void Arm();

  WorkClient& m_client;
  const Clock& m_clock;
  QTimer m_timer;
  QFileSystemWatcher m_watch;
};

}  // namespace vornal
