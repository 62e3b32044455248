#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "app/about_dlg.h"
#include "app/author_dlg.h"
#include "app/fire_static.h"
#include "test_util.h"

using vornal::CAboutDlg;
using vornal::CAuthorDlg;
using vornal::CFireStatic;

class AboutTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The box loads "delmo32.dll" from the current directory: run where there is none.
  void initTestCase() { QVERIFY(QDir::setCurrent(QString::fromStdString(m_dir.Path().string()))); }

  void aboutBoxOpensTheAuthorBox() {
    CAboutDlg about;
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе..."));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(),
             QStringLiteral("Vornal Version 1.0"));
    QVERIFY(!about.findChild<QLabel*>(QStringLiteral("iconLabel"))->pixmap().isNull());
    QVERIFY(!CAboutDlg::AppIcon().isNull());
    auto* star = about.findChild<QPushButton*>(QStringLiteral("authorButton"));
    QVERIFY(star);
    QCOMPARE(star->text(), QStringLiteral("*"));
    QVERIFY(star->isFlat());

    QString seenTitle;
    int seenTimer = 0;
    QTimer::singleShot(0, this, [&] {
      if (auto* author = qobject_cast<CAuthorDlg*>(QApplication::activeModalWidget())) {
        seenTitle = author->windowTitle();
        seenTimer = author->TimerId();
        author->accept();
      }
    });
    about.show();
    star->click();
    QCOMPARE(seenTitle, QStringLiteral("Об авторе..."));
    QCOMPARE(seenTimer, 1105);
  }

  void authorBoxLaysOutPictureAndFlame() {
    CAuthorDlg dlg;
    const QWidget* frame = dlg.findChild<QWidget*>(QStringLiteral("pictureFrame"));
    QCOMPARE(dlg.Photo()->geometry(), frame->geometry());
    QCOMPARE(dlg.Photo()->parentWidget(), &dlg);
    CFireStatic* fire = dlg.Fire();
    QCOMPARE(fire->objectName(), QStringLiteral("fireStatic"));
    // The flame sits under the picture, overlapping its lowest rows.
    QVERIFY(fire->y() < frame->geometry().bottom());
    QVERIFY(fire->geometry().bottom() > frame->geometry().bottom());
    QCOMPARE(fire->Image().size(), fire->size());
    QVERIFY(!dlg.findChild<QPushButton*>(QStringLiteral("cancelButton"))->isVisibleTo(&dlg));
  }

  void timerRunsWhileTheBoxLivesAndDropsLateTicks() {
    CFireStatic::GeneratorStates before{};
    {
      CAuthorDlg dlg;
      QCOMPARE(dlg.TimerId(), 1105);
      dlg.show();
      QTRY_VERIFY_WITH_TIMEOUT(dlg.Fire()->Frames() >= 3, 2000);

      // A frame held up for 400 ms is followed by one frame, not by the
      // twelve ticks that were missed.
      QThread::msleep(400);
      const int frames = dlg.Fire()->Frames();
      QElapsedTimer clock;
      clock.start();
      QTest::qWait(100);
      const qint64 elapsed = clock.elapsed();
      const int gained = dlg.Fire()->Frames() - frames;
      QVERIFY2(gained <= elapsed / 33 + 2,
               qPrintable(QStringLiteral("%1 frames in %2 ms").arg(gained).arg(elapsed)));
      before = CFireStatic::Generators();
    }
    // Once the box is gone nothing advances the flame any more.
    QTest::qWait(100);
    QCOMPARE(CFireStatic::Generators(), before);

    // Reopening continues the generators where the last box left them.
    CAuthorDlg again;
    QCOMPARE(CFireStatic::Generators(), before);
    QCOMPARE(again.Fire()->Frames(), 0);
    again.show();
    QTRY_VERIFY_WITH_TIMEOUT(again.Fire()->Frames() >= 1, 2000);
    QVERIFY(CFireStatic::Generators() != before);
  }

 private:
  vornal::test::TempDir m_dir;
};

QTEST_MAIN(AboutTest)
#include "about_test.moc"
