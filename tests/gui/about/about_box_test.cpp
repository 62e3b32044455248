#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <QTimerEvent>

#include "gui/about/about_box.h"
#include "gui/about/author_box.h"
#include "gui/about/flame_widget.h"
#include "gui/widgets/photo_view.h"
#include "test_util.h"

using vornal::AboutBox;
using vornal::AuthorBox;
using vornal::FlameWidget;

// Notes the id of the timer that ticks for a box.
class TimerSpy : public QObject {
 public:
  TimerSpy(QObject* watched, int* timer) : m_timer(timer) { watched->installEventFilter(this); }
  bool eventFilter(QObject*, QEvent* event) override {
    if (event->type() == QEvent::Timer) *m_timer = static_cast<QTimerEvent*>(event)->timerId();
    return false;
  }

 private:
  int* m_timer;
};

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
    dlg.show();
    QVERIFY(QTest::qWaitForWindowExposed(&dlg));
    const QRect picture = dlg.Photo()->geometry();
    QCOMPARE(dlg.Photo()->objectName(), QStringLiteral("photo"));
    FlameWidget* fire = dlg.Fire();
    QCOMPARE(fire->objectName(), QStringLiteral("flame"));
    // The flame sits under the picture, overlapping its lowest rows.
    QVERIFY(fire->y() < picture.bottom());
    QVERIFY(fire->geometry().bottom() > picture.bottom());
    QVERIFY(qAbs(fire->geometry().center().x() - picture.center().x()) <= 1);
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

  // The box's timer drives the flame while the box lives; ticks that queued
  // up while a frame was drawn bring one frame, not one each.
  void timerRunsWhileTheBoxLivesAndDropsLateTicks() {
    FlameWidget::GeneratorStates before{};
    {
      AuthorBox dlg;
      QCOMPARE(dlg.TimerId(), 1105);
      int timer = 0;
      TimerSpy spy(&dlg, &timer);
      dlg.show();
      QTRY_VERIFY_WITH_TIMEOUT(timer != 0 && dlg.Fire()->Frames() >= 1, 2000);

      const int frames = dlg.Fire()->Frames();
      for (int i = 0; i < 12; ++i) QCoreApplication::postEvent(&dlg, new QTimerEvent(timer));
      QCoreApplication::sendPostedEvents(&dlg, QEvent::Timer);
      QCOMPARE(dlg.Fire()->Frames(), frames + 1);
      before = FlameWidget::Generators();
    }
    // Once the box is gone nothing advances the flame any more.
    QCoreApplication::processEvents();
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
