#include "app/session_watch.h"

#include <QDBusArgument>
#include <QDBusInterface>
#include <QDBusReply>

#include <unistd.h>

namespace vornal {
namespace {

const QString kLogind = QStringLiteral("org.freedesktop.login1");
const QString kManagerPath = QStringLiteral("/org/freedesktop/login1");
const QString kManager = QStringLiteral("org.freedesktop.login1.Manager");
const QString kSession = QStringLiteral("org.freedesktop.login1.Session");
const QString kProperties = QStringLiteral("org.freedesktop.DBus.Properties");
const QString kScreenSaver = QStringLiteral("org.freedesktop.ScreenSaver");

QDBusConnection LogindBus() {
  const QByteArray address = qgetenv("VORNAL_LOGIND_BUS");
  if (address.isEmpty()) return QDBusConnection::systemBus();
  return QDBusConnection::connectToBus(QString::fromLocal8Bit(address),
                                       QStringLiteral("vornal-logind"));
}

}  // namespace

SessionWatch::SessionWatch(const Clock& clock, int idleMinutes, QObject* parent)
    : QObject(parent), m_clock(clock), m_idleMinutes(idleMinutes), m_logind(LogindBus()) {
  m_idleTimer.setSingleShot(true);
  connect(&m_idleTimer, &QTimer::timeout, this, &SessionWatch::CheckIdle);
}

void SessionWatch::Start() {
  if (m_logind.isConnected()) {
    m_sessionPath = SessionPath();
    if (!m_sessionPath.isEmpty()) {
      m_logind.connect(kLogind, m_sessionPath, kProperties, QStringLiteral("PropertiesChanged"),
                       this, SLOT(OnSessionProperties(QString, QVariantMap, QStringList)));
      QDBusInterface properties(kLogind, m_sessionPath, kProperties, m_logind);
      const QDBusReply<QVariantMap> all = properties.call(QStringLiteral("GetAll"), kSession);
      if (all.isValid()) OnSessionProperties(kSession, all.value(), {});
    }
    m_logind.connect(kLogind, kManagerPath, kManager, QStringLiteral("PrepareForSleep"), this,
                     SLOT(OnPrepareForSleep(bool)));
    m_logind.connect(kLogind, kManagerPath, kManager, QStringLiteral("PrepareForShutdown"), this,
                     SLOT(OnPrepareForShutdown(bool)));
    Inhibit();
  }
  QDBusConnection session = QDBusConnection::sessionBus();
  if (session.isConnected()) {
    for (const QString& path :
         {QStringLiteral("/org/freedesktop/ScreenSaver"), QStringLiteral("/ScreenSaver")})
      session.connect(kScreenSaver, path, kScreenSaver, QStringLiteral("ActiveChanged"), this,
                      SLOT(OnScreenSaver(bool)));
  }
}

// The session this program runs in; for a user service, which runs outside
// any session, the user's graphical session (the User's Display).
QString SessionWatch::SessionPath() {
  QDBusInterface manager(kLogind, kManagerPath, kManager, m_logind);
  const QByteArray id = qgetenv("XDG_SESSION_ID");
  const QDBusReply<QDBusObjectPath> session =
      id.isEmpty() ? manager.call(QStringLiteral("GetSessionByPID"), quint32(::getpid()))
                   : manager.call(QStringLiteral("GetSession"), QString::fromLocal8Bit(id));
  if (session.isValid()) return session.value().path();
  const QDBusReply<QDBusObjectPath> user =
      manager.call(QStringLiteral("GetUser"), quint32(::getuid()));
  if (!user.isValid()) return {};
  QDBusInterface properties(kLogind, user.value().path(), kProperties, m_logind);
  const QDBusReply<QDBusVariant> display =
      properties.call(QStringLiteral("Get"), QStringLiteral("org.freedesktop.login1.User"),
                      QStringLiteral("Display"));
  if (!display.isValid()) return {};
  const QDBusArgument value = display.value().variant().value<QDBusArgument>();
  QString displayId;
  QDBusObjectPath path;
  value.beginStructure();
  value >> displayId >> path;
  value.endStructure();
  return displayId.isEmpty() ? QString() : path.path();
}

void SessionWatch::Inhibit() {
  QDBusInterface manager(kLogind, kManagerPath, kManager, m_logind);
  const QDBusReply<QDBusUnixFileDescriptor> fd = manager.call(
      QStringLiteral("Inhibit"), QStringLiteral("shutdown:sleep"), QStringLiteral("vornal-client"),
      tr("Запись конца рабочего дня"), QStringLiteral("delay"));
  if (fd.isValid()) m_inhibitor = fd.value();
}

void SessionWatch::OnSessionProperties(const QString& interface, const QVariantMap& changed,
                                       const QStringList&) {
  if (interface != kSession) return;
  if (changed.contains(QStringLiteral("LockedHint")))
    m_locked = changed.value(QStringLiteral("LockedHint")).toBool();
  // logind marks a session that is being logged out as closing.
  if (changed.value(QStringLiteral("State")).toString() == QLatin1String("closing"))
    Q_EMIT Ending();
  if (changed.contains(QStringLiteral("IdleHint")))
    SetIdle(changed.value(QStringLiteral("IdleHint")).toBool());
  Update();
}

void SessionWatch::SetIdle(bool idle) {
  if (idle == m_idleSince.has_value()) return;
  if (!idle) {
    m_idleSince.reset();
    m_idleTimer.stop();
    return;
  }
  m_idleSince = m_clock.Now();
  m_idleTimer.start(m_idleMinutes * 60 * 1000);
}

void SessionWatch::CheckIdle() {
  Update();
}

void SessionWatch::OnPrepareForSleep(bool start) {
  m_asleep = start;
  Update();
  if (start)
    m_inhibitor = {};  // written what was due: the machine may sleep
  else
    Inhibit();
}

void SessionWatch::OnPrepareForShutdown(bool start) {
  if (!start) return;
  Q_EMIT Ending();
  m_inhibitor = {};
}

void SessionWatch::OnScreenSaver(bool active) {
  m_screenSaver = active;
  Update();
}

void SessionWatch::Update() {
  const bool idle =
      m_idleSince && m_clock.Now().SecondsSince(*m_idleSince) >= std::int64_t{m_idleMinutes} * 60;
  const bool active = !m_locked && !m_screenSaver && !m_asleep && !idle;
  if (active == m_active) return;
  m_active = active;
  // Locked or going to sleep (the delay inhibitor holds it): the time up
  // to now was worked. Idle time was not.
  if (!active && !idle) Q_EMIT Leaving();
  Q_EMIT ActiveChanged(active);
}

}  // namespace vornal
