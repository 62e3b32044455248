#include <QFile>
#include <QLabel>
#include <QProgressBar>
#include <QtTest>

#include "gui/mainwindow/main_window.h"
#include "gui/mainwindow/process_progress_dialog.h"
#include "gui/widget_test_util.h"
#include "gui/widgets/display_text.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/table_view.h"
#include "store/people.h"
#include "test_util.h"

namespace vornal {

class ProcessCommandTest : public QObject {
  Q_OBJECT

  static const std::string& DayLines() {
    static const std::string lines = test::ReadFile(VORNAL_TEST_DATA "/intake/worked_sequence.buf");
    return lines;
  }
  // A database whose slots 1 and 10 name folders holding a buffer file.
  static void Configure(const test::ScopedCurrentDir& dir) {
    DatabasePtr db = test::MakeDatabase(kDatabaseFile);
    for (const char* slot : {"1", "10"}) {
      const std::string folder = dir.File(QStringLiteral("w") + QLatin1String(slot)).toStdString();
      QDir().mkpath(QString::fromStdString(folder));
      test::WriteFile(folder + "/main.buf", DayLines() + "2002|10|8|9|5|0|petrov|Bogus|\r\n");
      db->Execute("INSERT INTO SETTING (Key, Val) VALUES (?, ?)", std::string("Path") + slot,
                  folder);
    }
  }
  static std::int64_t LogRows() {
    const DatabasePtr db = OpenDatabase(kDatabaseFile);
    return db->QueryInt("SELECT COUNT(*) FROM LOGS").value_or(-1);
  }
  static bool BufferLeft(const test::ScopedCurrentDir& dir, const char* slot) {
    return !QDir(dir.File(QStringLiteral("w") + QLatin1String(slot))).isEmpty();
  }

 private Q_SLOTS:
  void init() {
    MessageBox::SetAutoAnswer(true);
    MessageBox::ClearHistory();
  }
  void cleanup() { test::CheckNoHookLeft(); }

  void CancelTouchesNothing() {
    test::ScopedCurrentDir dir;
    Configure(dir);
    MainWindow dlg;
    dlg.OnProcess();
    QCOMPARE(MessageBox::History().size(), 1u);
    const MessageBox::Shown& box = MessageBox::History().front();
    QCOMPARE(box.text, QStringLiteral("Это процесс может занять несколько минут.\nПродолжить?"));
    QCOMPARE(box.caption, QStringLiteral("Обработка"));
    QCOMPARE(box.icon, QMessageBox::Question);
    QCOMPARE(box.defaultButton, QMessageBox::Cancel);
    QVERIFY(QFile::exists(dir.File(QStringLiteral("w1/main.buf"))));
    QVERIFY(QFile::exists(dir.File(QStringLiteral("w10/main.buf"))));
    QCOMPARE(LogRows(), 0);
  }

  void ProcessAppliesBuffersAndRemovesThem() {
    test::ScopedCurrentDir dir;
    Configure(dir);
    {
      const DatabasePtr db = OpenDatabase(kDatabaseFile);
      db->Execute("INSERT INTO SETTING (Key, Val) VALUES ('Path3', ?)",
                  dir.File(QStringLiteral("nobody/*")).toStdString());
      InsertPerson(*db, {"Петров", "", "", "", "petrov", "", ""});
    }
    MainWindow dlg;
    QCOMPARE(dlg.Grid()->model()->index(0, 4).data().toString(), QString());
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    dlg.OnProcess();
    QCOMPARE(MessageBox::History().size(), 2u);
    const MessageBox::Shown& done = MessageBox::History().back();
    QCOMPARE(done.caption, QStringLiteral("Обработка"));
    QCOMPARE(done.icon, QMessageBox::Information);
    QCOMPARE(done.text.split(u'\n').front(), QStringLiteral("Обработка выполнена"));
    QVERIFY2(done.text.contains(QStringLiteral("Обработано файлов: 2")), qPrintable(done.text));
    // Both folders hold the same day: the second changes nothing.
    QVERIFY(done.text.contains(QStringLiteral("Пропущено строк: 7")));
    QVERIFY(done.text.contains(QStringLiteral("неизвестное или пустое имя события: 2")));
    QVERIFY(done.text.contains(QStringLiteral("уже внесены раньше: 5")));
    QVERIFY(!done.text.contains(QStringLiteral("Остановлено")));
    QVERIFY(done.text.contains(QStringLiteral("Строка 3: шаблону ") +
                               dir.File(QStringLiteral("nobody/*")) +
                               QStringLiteral(" сейчас не подходит ни одна папка")));
    // The list shows what was just collected.
    QVERIFY(dlg.Grid()->model()->index(0, 4).data().toString().startsWith(QStringLiteral(" был ")));
    QVERIFY(!BufferLeft(dir, "1"));
    QVERIFY(!BufferLeft(dir, "10"));
    QVERIFY(LogRows() > 0);
  }

  void EngineErrorShowsTheStopBoxAndAppliesNothing() {
    test::ScopedCurrentDir dir;
    Configure(dir);
    {
      const DatabasePtr db = OpenDatabase(kDatabaseFile);
      db->ExecuteScript("DROP TABLE logs");
    }
    MainWindow dlg;
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    dlg.OnProcess();
    QCOMPARE(MessageBox::History().size(), 2u);
    const MessageBox::Shown& stop = MessageBox::History().back();
    QCOMPARE(stop.icon, QMessageBox::Critical);
    QVERIFY2(stop.text.contains(QStringLiteral("logs"), Qt::CaseInsensitive),
             qPrintable(stop.text));
    QVERIFY(BufferLeft(dir, "1"));
    QVERIFY(BufferLeft(dir, "10"));
  }

  // Another program holds the database: the progress box names the folder
  // while the sweep waits, then the refusal is explained in Russian.
  void BusyDatabaseIsExplainedAndKeepsTheFiles() {
    test::ScopedCurrentDir dir;
    Configure(dir);
    Database holder;
    holder.Open(dir.File(QStringLiteral("base.mdb")).toStdString());
    Transaction hold(holder);
    QString folderShown, fileShown;
    bool fileBar = true;
    test::WhenModal<ProcessProgressDialog>([&](ProcessProgressDialog* progress) {
      QTimer::singleShot(1000, progress, [&, progress] {
        folderShown = progress->findChild<QLabel*>(QStringLiteral("folderLabel"))->text();
        fileShown = progress->findChild<QLabel*>(QStringLiteral("fileLabel"))->text();
        fileBar = progress->findChildren<QProgressBar*>().size() > 1;
      });
    });
    MainWindow dlg;
    MessageBox::SetNextAnswer(QMessageBox::Ok);
    dlg.OnProcess();
    QVERIFY2(folderShown.endsWith(QStringLiteral("/w1")), qPrintable(folderShown));
    // The worker's file, not the name it was claimed under; no bar that
    // cannot move.
    QCOMPARE(fileShown, QStringLiteral("Файл: main.buf"));
    QVERIFY(!fileBar);
    QCOMPARE(MessageBox::History().size(), 2u);
    const QString text = MessageBox::History().back().text;
    QVERIFY2(text.startsWith(QStringLiteral(
                 "База данных занята другой программой; файлы оставлены до следующей обработки.")),
             qPrintable(text));
    QVERIFY(text.endsWith(QStringLiteral("\n\ndatabase is locked")));
    QVERIFY(BufferLeft(dir, "1"));
    QVERIFY(BufferLeft(dir, "10"));
  }

  void StopEndsTheSweepBetweenFiles() {
    test::ScopedCurrentDir dir;
    Configure(dir);
    ProcessProgressDialog progress;
    progress.RequestStop();
    const SweepSummary summary = progress.Run(dir.File(QStringLiteral("base.mdb")).toStdString());
    QVERIFY(summary.cancelled);
    QVERIFY(summary.filesProcessed <= 1);
    QCOMPARE(summary.foldersLeft + static_cast<int>(summary.folders.size()), 2);
    QVERIFY(summary.foldersLeft >= 1);
    // The report says it was stopped, and what was and was not collected.
    const QString report = DisplayText::ProcessReport(summary);
    QVERIFY2(report.startsWith(QStringLiteral("Обработка остановлена оператором.")),
             qPrintable(report));
    QVERIFY(report.contains(QStringLiteral("не собрано: %1").arg(summary.foldersLeft)));
    QVERIFY(QFile::exists(dir.File(QStringLiteral("w10/main.buf"))));
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::ProcessCommandTest)
#include "process_command_test.moc"
