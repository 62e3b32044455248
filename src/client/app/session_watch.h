#pragma once

#include <QDBusConnection>
#include <QDBusUnixFileDescriptor>
#include <QObject>
#include <QTimer>
#include <QVariantMap>

#include <optional>

#include "client/work_client.h"

namespace vornal {

// Follows the session through D-Bus: logind's session (LockedHint,
// IdleHint), its manager (PrepareForSleep, PrepareForShutdown) and the
// session's screensaver (org.freedesktop.ScreenSaver ActiveChanged). The
// session is active while the screen is unlocked, the user has not been
// idle for the configured minutes and the machine is awake. A delay
// inhibitor of logind holds shutdown and sleep until the client has
// written what it must.
//
// logind is looked for on the system bus, or on the bus whose address
// VORNAL_LOGIND_BUS names; the screensaver on the session bus. Where
// neither answers, the session counts as active throughout.
class SessionWatch : public QObject {
  Q_OBJECT

 public:
  SessionWatch(const Clock& clock, int idleMinutes, QObject* parent = nullptr);

  void Start();
  bool Active() const { return m_active; }
  // True while logind says the user is idle (for however long).
  bool Idle() const { return m_idleSince.has_value(); }
  // True while a delay inhibitor is held.
  bool Inhibiting() const { return m_inhibitor.isValid(); }

 public Q_SLOTS:
  // Looks again whether the user has been idle long enough.
  void CheckIdle();

 Q_SIGNALS:
  void ActiveChanged(bool active);
  // The screen is being locked or the machine put to sleep: a go-on event
  // now marks the end of the work.
  void Leaving();
  // Logout or shutdown: write the stops now.
  void Ending();

 private Q_SLOTS:
  void OnSessionProperties(const QString& interface, const QVariantMap& changed,
                           const QStringList& invalidated);
  void OnPrepareForSleep(bool start);
  void OnPrepareForShutdown(bool start);
  void OnScreenSaver(bool active);

 private:
  QString SessionPath();
  void Inhibit();
  void SetIdle(bool idle);
  void Update();

  const Clock& m_clock;
  int m_idleMinutes;
  QDBusConnection m_logind;
  QString m_sessionPath;
  QDBusUnixFileDescriptor m_inhibitor;
  QTimer m_idleTimer;
  bool m_locked = false;
  bool m_screenSaver = false;
  bool m_asleep = false;
  std::optional<DateTime> m_idleSince;
  bool m_active = true;
};

}  // namespace vornal
