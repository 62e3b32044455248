#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include "gui/about/about_box.h"
#include "gui/about/author_box.h"
#include "gui/about/flame_widget.h"
#include "test_util.h"

using vornal::AboutBox;
using vornal::AuthorBox;
using vornal::FlameWidget;

class AboutBoxTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  // The box loads "delmo32.dll" from the current directory: run where there is none.
  void initTestCase() { QVERIFY(QDir::setCurrent(QString::fromStdString(m_dir.Path().string()))); }

  void aboutBoxOpensTheAuthorBox() {
    AboutBox about;
    QCOMPARE(about.windowTitle(), QStringLiteral("О программе..."));
    QCOMPARE(about.findChild<QLabel*>(QStringLiteral("versionLabel"))->text(),
             QStringLiteral("Vornal Version 1.0"));
    QVERIFY(!about.findChild<QLabel*>(QStringLiteral("iconLabel"))->pixmap().isNull());
    QVERIFY(!AboutBox::AppIcon().isNull());
    auto* star = about.findChild<QPushButton*>(QStringLiteral("authorButton"));
    QVERIFY(star);
    QCOMPARE(star->text(), QStringLiteral("*"));
    QVERIFY(star->isFlat());

    QString seenTitle;
    int seenTimer = 0;
    bool closedByOk = false;
    QTimer::singleShot(0, this, [&] {
      if (auto* author = qobject_cast<AuthorBox*>(QApplication::activeModalWidget())) {
        seenTitle = author->windowTitle();
        seenTimer = author->TimerId();
        author->findChild<QPushButton*>(QStringLiteral("okButton"))->click();
        closedByOk = !author->isVisible();
        author->reject();
      }
    });
    about.show();
    star->click();
    QCOMPARE(seenTitle, QStringLiteral("Об авторе..."));
    QCOMPARE(seenTimer, 1105);
    QVERIFY(closedByOk);

    // Enter presses the default OK, which closes the box.
    QVERIFY(QTest::qWaitForWindowExposed(&about));
    QTest::keyClick(&about, Qt::Key_Return);
    QVERIFY(!about.isVisible());
    QCOMPARE(about.result(), int(QDialog::Accepted));
  }

  void authorBoxLaysOutPictureAndFlame() {
    AuthorBox dlg;
    const QWidget* frame = dlg.findChild<QWidget*>(QStringLiteral("pictureFrame"));
    QCOMPARE(dlg.Photo()->geometry(), frame->geometry());
    QCOMPARE(dlg.Photo()->parentWidget(), &dlg);
    FlameWidget* fire = dlg.Fire();
    QCOMPARE(fire->objectName(), QStringLiteral("flame"));
    // The flame sits under the picture, overlapping its lowest rows.
    QVERIFY(fire->y() < frame->geometry().bottom());
    QVERIFY(fire->geometry().bottom() > frame->geometry().bottom());
    QCOMPARE(fire->Image().size(), fire->size());
    QVERIFY(!dlg.findChild<QPushButton*>(QStringLiteral("cancelButton"))->isVisibleTo(&dlg));

    // The picture is a BMP file despite its name.
    QVERIFY(
        QFile::copy(QStringLiteral(VORNAL_RES_DIR "/delmo32.bmp"), QStringLiteral("delmo32.dll")));
    AuthorBox withPicture;
    QFile::remove(QStringLiteral("delmo32.dll"));
    QCOMPARE(withPicture.Photo()->Picture().size(),
             QImage(QStringLiteral(VORNAL_RES_DIR "/delmo32.bmp")).size());
  }

  void timerRunsWhileTheBoxLivesAndDropsLateTicks() {
    FlameWidget::GeneratorStates before{};
    {
      AuthorBox dlg;
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
      before = FlameWidget::Generators();
    }
    // Once the box is gone nothing advances the flame any more.
    QTest::qWait(100);
    QCOMPARE(FlameWidget::Generators(), before);

    // Reopening continues the generators where the last box left them.
    AuthorBox again;
    QCOMPARE(FlameWidget::Generators(), before);
    QCOMPARE(again.Fire()->Frames(), 0);
    again.show();
    QTRY_VERIFY_WITH_TIMEOUT(again.Fire()->Frames() >= 1, 2000);
    QVERIFY(FlameWidget::Generators() != before);
  }

 private:
  vornal::test::TempDir m_dir;
};

QTEST_MAIN(AboutBoxTest)
#include "about_box_test.moc"
