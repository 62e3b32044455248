#include <QLabel>
#include <QLineEdit>
#include <QToolButton>
#include <QtTest>

#include <filesystem>

#include "app/client_runner.h"
#include "app/settings_dialog.h"
#include "app/tray.h"
#include "client/client_test_util.h"
#include "client/local_files.h"
#include "test_util.h"

namespace vornal {

namespace fs = std::filesystem;

class TrayTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // Where there is no tray, the window's buttons do what the menu's items
  // do, enabled as the state allows, and its text follows the state.
  void WindowActsAndFollowsTheState() {
    test::TempDir dir;
    fs::create_directory(dir.File("w"));
    test::TestClock clock(*DateTime::FromParts(2026, 11, 2, 9, 0));
    ClientSettings settings;
    settings.folder = dir.File("w");
    settings.login = "ivanov";
    WorkClient client(settings, dir.File("state"), clock);
    ClientRunner runner(client, clock);
    bool quit = false;
    TrayFront front(runner, [&] { quit = true; });
    QWidget* window = front.Window();
    QVERIFY(window);
    const auto button = [&](const QString& text) {
      for (auto* found : window->findChildren<QToolButton*>())
        if (found->text() == text) return found;
      return static_cast<QToolButton*>(nullptr);
    };
    QToolButton* startTask = button(QStringLiteral("Начать задание"));
    QToolButton* stopDay = button(QStringLiteral("Закончить рабочий день"));
    QVERIFY(startTask && stopDay);
    QVERIFY(!stopDay->isEnabled());
    startTask->click();
    QVERIFY(client.Status().state.taskSince);
    QVERIFY(!startTask->isEnabled());
    QVERIFY(stopDay->isEnabled());
    QVERIFY(window->findChild<QLabel*>()->text().contains(QStringLiteral("Задание: открыто с")));
    stopDay->click();
    QVERIFY(!client.Status().state.daySince);
    window->close();
    QVERIFY(quit);
  }

  // Wrong settings are refused in the dialog with the check's message, and
  // nothing is saved; right ones are saved for this user.
  void SettingsRefusedWithAMessage() {
    test::TempDir dir;
    qputenv("XDG_CONFIG_HOME", dir.File("config").c_str());
    qputenv("XDG_CONFIG_DIRS", dir.File("none").c_str());
    fs::create_directory_symlink(dir.Path(), dir.File("link"));
    SettingsDialog dialog(nullptr);
    auto* folder = dialog.findChildren<QLineEdit*>().at(0);
    folder->setText(QString::fromStdString(dir.File("link")));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Rejected));
    const auto labels = dialog.findChildren<QLabel*>();
    QVERIFY(std::any_of(labels.begin(), labels.end(), [](QLabel* label) {
      return label->text().contains(QStringLiteral("символическая ссылка"));
    }));
    QVERIFY(!fs::exists(UserConfigFile()));
    folder->setText(QString::fromStdString(dir.Path().string()) + QStringLiteral("/%u"));
    dialog.accept();
    QCOMPARE(dialog.result(), int(QDialog::Accepted));
    QCOMPARE(dialog.Saved().folder, dir.Path().string() + "/" + CurrentUserName());
    QVERIFY(ReadLocal(UserConfigFile()).find("folder=" + dir.Path().string() + "/%u\n") !=
            std::string::npos);
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::TrayTest)
#include "tray_test.moc"
