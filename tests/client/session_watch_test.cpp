#include <QDBusAbstractAdaptor>
#include <QDBusConnection>
#include <QDBusMessage>
#include <QDBusObjectPath>
#include <QDBusUnixFileDescriptor>
#include <QProcess>
#include <QThread>
#include <QtTest>

#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include "app/client_runner.h"
#include "app/session_watch.h"
#include "client/client_test_util.h"
#include "client/local_files.h"
#include "test_util.h"

namespace vornal {
namespace {

const QString kSessionPath = QStringLiteral("/org/freedesktop/login1/session/c1");

// logind's manager as the client uses it: the session's path, and delay
// inhibitors whose other end the test watches.
class StandInManager : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Manager")

 public:
  // True while the latest inhibitor handed out is held by someone.
  bool Held() {
    if (m_inhibitor < 0) return false;
    pollfd fd{m_inhibitor, POLLIN, 0};
    return ::poll(&fd, 1, 0) == 0;
  }
  int taken = 0;

 public Q_SLOTS:
  QDBusObjectPath GetSession(const QString&) { return QDBusObjectPath(kSessionPath); }
  QDBusObjectPath GetSessionByPID(uint) { return QDBusObjectPath(kSessionPath); }
  QDBusUnixFileDescriptor Inhibit(const QString& what, const QString&, const QString&,
                                  const QString& mode) {
    int ends[2];
    if (what != QLatin1String("shutdown:sleep") || mode != QLatin1String("delay") ||
        ::pipe2(ends, O_CLOEXEC) != 0)
      return {};
    if (m_inhibitor >= 0) ::close(m_inhibitor);
    m_inhibitor = ends[0];
    ++taken;
    QDBusUnixFileDescriptor handed(ends[1]);
    ::close(ends[1]);
    return handed;
  }

 Q_SIGNALS:
  void PrepareForSleep(bool start);
  void PrepareForShutdown(bool start);

 private:
  int m_inhibitor = -1;
};

class StandInSession : public QObject {
  Q_OBJECT
  Q_CLASSINFO("D-Bus Interface", "org.freedesktop.login1.Session")
  Q_PROPERTY(bool LockedHint MEMBER m_locked)
  Q_PROPERTY(bool IdleHint MEMBER m_idle)

 public:
  bool m_locked = false;
  bool m_idle = false;
};

// A private bus, started for the test, and the stand-ins on it, served
// on a thread of their own so that the client's calls are answered.
class Bus {
 public:
  Bus() {
    m_daemon.start(QStringLiteral("dbus-daemon"),
                   {QStringLiteral("--session"), QStringLiteral("--nofork"),
                    QStringLiteral("--print-address=1")});
    if (!m_daemon.waitForStarted(10000) || !m_daemon.waitForReadyRead(10000))
      qFatal("dbus-daemon did not start: %s", qPrintable(m_daemon.errorString()));
    address = QString::fromLatin1(m_daemon.readLine()).trimmed();
    qputenv("DBUS_SESSION_BUS_ADDRESS", address.toLatin1());
    qputenv("VORNAL_LOGIND_BUS", address.toLatin1());
    connection = std::make_unique<QDBusConnection>(
        QDBusConnection::connectToBus(address, QStringLiteral("stand-ins")));
    if (!connection->registerService(QStringLiteral("org.freedesktop.login1")) ||
        !connection->registerService(QStringLiteral("org.freedesktop.ScreenSaver")) ||
        !connection->registerObject(
            QStringLiteral("/org/freedesktop/login1"), &manager,
            QDBusConnection::ExportAllSlots | QDBusConnection::ExportAllSignals) ||
        !connection->registerObject(kSessionPath, &session, QDBusConnection::ExportAllProperties))
      qFatal("the stand-ins could not be registered");
    m_thread.start();
    manager.moveToThread(&m_thread);
    session.moveToThread(&m_thread);
  }
  ~Bus() {
    connection->unregisterObject(QStringLiteral("/org/freedesktop/login1"));
    connection->unregisterObject(kSessionPath);
    // Deleted in their own thread, as it ends.
    manager.deleteLater();
    session.deleteLater();
    m_thread.quit();
    m_thread.wait();
    m_daemon.terminate();
    m_daemon.waitForFinished();
  }

  void Send(const QString& path, const QString& interface, const QString& name,
            const QVariantList& arguments) {
    QDBusMessage message = QDBusMessage::createSignal(path, interface, name);
    message.setArguments(arguments);
    connection->send(message);
  }
  void SessionHint(const QString& hint, const QVariant& value) {
    Send(kSessionPath, QStringLiteral("org.freedesktop.DBus.Properties"),
         QStringLiteral("PropertiesChanged"),
         {QStringLiteral("org.freedesktop.login1.Session"), QVariantMap{{hint, value}},
          QStringList()});
  }
  void ManagerSignal(const QString& name, bool start) {
    Send(QStringLiteral("/org/freedesktop/login1"),
         QStringLiteral("org.freedesktop.login1.Manager"), name, {start});
  }
  void ScreenSaver(bool active) {
    Send(QStringLiteral("/org/freedesktop/ScreenSaver"),
         QStringLiteral("org.freedesktop.ScreenSaver"), QStringLiteral("ActiveChanged"), {active});
  }

  QString address;
  StandInManager& manager = *new StandInManager;
  StandInSession& session = *new StandInSession;
  std::unique_ptr<QDBusConnection> connection;

 private:
  QProcess m_daemon;
  QThread m_thread;
};

int Lines(const std::string& path) {
  const std::string text = ReadLocal(path);
  return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

}  // namespace

class SessionWatchTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The screen locked (logind or the screensaver), the user idle for the
  // set minutes and the machine asleep each stop the go-on events; the
  // end of each writes one at once. Shutdown writes the stops while the
  // delay inhibitor holds it, then lets it go; so does logout. All on the
  // test's clock.
  void LockIdleSleepAndShutdown() {
    Bus bus;
    test::TempDir dir;
    QDir().mkdir(QString::fromStdString(dir.File("w")));
    const std::string buffer = dir.File("w/main.buf");
    test::TestClock clock(*DateTime::FromParts(2026, 11, 2, 9, 0));
    ClientSettings settings;
    settings.folder = dir.File("w");
    settings.login = "ivanov";
    settings.idleMinutes = 5;
    WorkClient client(settings, dir.File("state"), clock);
    ClientRunner runner(client, clock);
    SessionWatch watch(clock, settings.idleMinutes);
    connect(&watch, &SessionWatch::Leaving, &runner, &ClientRunner::Mark);
    connect(&watch, &SessionWatch::ActiveChanged, &runner, &ClientRunner::SetActive);
    connect(&watch, &SessionWatch::Ending, &runner, &ClientRunner::End);
    watch.Start();
    runner.Begin();
    QVERIFY(watch.Active());
    QTRY_VERIFY(bus.manager.Held());
    QCOMPARE(Lines(buffer), 1);  // the day, opened at the session's start

    // Locking and sleep mark the time up to them with a go-on; idle time
    // is not marked.
    const auto quietWhile = [&](auto begin, auto end, bool marked = true) {
      clock.Advance(30);
      const std::string mark = EventLine(clock.Now(), "ivanov", WorkEvent::WorkingDay);
      begin();
      QTRY_VERIFY(!watch.Active());
      QCOMPARE(ReadLocal(buffer).ends_with(mark), marked);
      const int before = Lines(buffer);
      clock.Advance(600);
      runner.Tick();
      QCOMPARE(Lines(buffer), before);
      end();
      QTRY_VERIFY(watch.Active());
      QCOMPARE(Lines(buffer), before + 1);
    };
    quietWhile([&] { bus.SessionHint(QStringLiteral("LockedHint"), true); },
               [&] { bus.SessionHint(QStringLiteral("LockedHint"), false); });
    quietWhile([&] { bus.ScreenSaver(true); }, [&] { bus.ScreenSaver(false); });
    quietWhile(
        [&] {
          bus.SessionHint(QStringLiteral("IdleHint"), true);
          QTRY_VERIFY(watch.Idle());
          clock.Advance(4 * 60);
          runner.Tick();  // under the set minutes: still counted
          watch.CheckIdle();
          QVERIFY(watch.Active());
          clock.Advance(60);
          watch.CheckIdle();
        },
        [&] { bus.SessionHint(QStringLiteral("IdleHint"), false); }, false);
    quietWhile(
        [&] {
          bus.ManagerSignal(QStringLiteral("PrepareForSleep"), true);
          QTRY_VERIFY(!bus.manager.Held());
        },
        [&] { bus.ManagerSignal(QStringLiteral("PrepareForSleep"), false); });
    QTRY_VERIFY(bus.manager.Held());
    QCOMPARE(bus.manager.taken, 2);

    // Logout: logind marks the session as closing.
    bus.SessionHint(QStringLiteral("State"), QStringLiteral("closing"));
    QTRY_VERIFY(!client.Status().state.daySince);
    QVERIFY(ReadLocal(buffer).ends_with("|ivanov|StopWDay|\n"));
    QCOMPARE(client.StartTask(), WorkClient::Outcome::Done);

    bus.ManagerSignal(QStringLiteral("PrepareForShutdown"), true);
    QTRY_VERIFY(!bus.manager.Held());
    const std::string lines = ReadLocal(buffer);
    QVERIFY(lines.ends_with("|ivanov|StopWork|\n" +
                            EventLine(clock.Now(), "ivanov", WorkEvent::StopWDay)));
    QVERIFY(!client.Status().state.daySince);
  }
};

}  // namespace vornal

QTEST_GUILESS_MAIN(vornal::SessionWatchTest)
#include "session_watch_test.moc"
