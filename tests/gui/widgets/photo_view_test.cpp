#include "gui/widgets/photo_view.h"

#include <QFile>
#include <QScrollBar>
#include <QStyle>
#include <QtTest>
#include <memory>

#include "gui/widget_test_util.h"

namespace vornal {

class PhotoViewTest : public QObject {
  Q_OBJECT

  // A control of 120 x 150 pixels inside its border.
  static constexpr QSize kClient{120, 150};

  static QImage Picture(int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    for (int y = 0; y < height; ++y)
      for (int x = 0; x < width; ++x) image.setPixel(x, y, qRgb(x % 256, y % 256, 7));
    return image;
  }

  QWidget m_parent;
  std::unique_ptr<test::ScopedCurrentDir> m_dir;

 private Q_SLOTS:
  void init() { m_dir = std::make_unique<test::ScopedCurrentDir>(); }
  void cleanup() { m_dir.reset(); }

  void PicturesThatFitShowNoBars() {
    PhotoView photo(&m_parent);
    photo.resize(kClient + QSize(4, 4));
    photo.Clear();
    const QRect client = photo.ViewRect();
    QCOMPARE(client.size(), kClient);

    photo.SetImage(Picture(kClient.width(), kClient.height()));
    QVERIFY(!photo.HorizontalBar()->isVisibleTo(&photo));
    QVERIFY(!photo.VerticalBar()->isVisibleTo(&photo));
    QCOMPARE(photo.ViewRect(), client);

    // Smaller than the view: the rest of the view stays grey.
    photo.SetImage(Picture(10, 10));
    QCOMPARE(photo.Buffer().pixel(9, 9), Picture(10, 10).pixel(9, 9));
    QCOMPARE(photo.Buffer().pixel(50, 50), qRgb(128, 128, 128));
  }

  void WidePictureShowsHorizontalBarAndPagesByTwentyClamped() {
    PhotoView photo(&m_parent);
    photo.resize(kClient + QSize(4, 4));
    const int bar = photo.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &photo);
    photo.SetImage(Picture(kClient.width() + 25, 40));
    QVERIFY(photo.HorizontalBar()->isVisibleTo(&photo));
    QVERIFY(!photo.VerticalBar()->isVisibleTo(&photo));
    QCOMPARE(photo.ViewRect().height(), kClient.height() - bar);
    QCOMPARE(photo.ViewRect().width(), kClient.width());

    photo.HorizontalBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(photo.HorizontalOffset(), 20);
    photo.HorizontalBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(photo.HorizontalOffset(), 25);
    QCOMPARE(photo.HorizontalBar()->value(), 25);
    QCOMPARE(photo.Buffer().pixel(0, 0), qRgb(25, 0, 7));

    photo.HorizontalBar()->triggerAction(QAbstractSlider::SliderSingleStepSub);
    QCOMPARE(photo.HorizontalOffset(), 24);
    photo.HorizontalBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    photo.HorizontalBar()->triggerAction(QAbstractSlider::SliderPageStepSub);
    QCOMPARE(photo.HorizontalOffset(), 0);
    photo.HorizontalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(photo.HorizontalOffset(), 25);

    // A new picture starts at the top-left corner with no stale bars.
    photo.SetImage(Picture(10, 10));
    QCOMPARE(photo.HorizontalOffset(), 0);
    QVERIFY(!photo.HorizontalBar()->isVisibleTo(&photo));
    QCOMPARE(photo.ViewRect().size(), kClient);
  }

  void BarsThatTakeRoomBringTheOtherBar() {
    PhotoView photo(&m_parent);
    photo.resize(kClient + QSize(4, 4));
    const int bar = photo.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &photo);

    // Wider than the view, and taller than the view less the horizontal bar.
    photo.SetImage(Picture(kClient.width() + 5, kClient.height() - bar + 3));
    QVERIFY(photo.HorizontalBar()->isVisibleTo(&photo));
    QVERIFY(photo.VerticalBar()->isVisibleTo(&photo));
    QCOMPARE(photo.ViewRect().size(), kClient - QSize(bar, bar));
    photo.VerticalBar()->triggerAction(QAbstractSlider::SliderPageStepAdd);
    QCOMPARE(photo.VerticalOffset(), 3);

    // Narrow enough for the view but not beside a vertical bar: both bars,
    // and every row of the picture can still be scrolled into view.
    photo.SetImage(Picture(kClient.width() - 3, kClient.height() + 10));
    QVERIFY(photo.HorizontalBar()->isVisibleTo(&photo));
    QVERIFY(photo.VerticalBar()->isVisibleTo(&photo));
    QCOMPARE(photo.ViewRect().size(), kClient - QSize(bar, bar));
    photo.VerticalBar()->triggerAction(QAbstractSlider::SliderToMaximum);
    QCOMPARE(photo.VerticalOffset(), 10 + bar);
  }

  // A new size lays the picture out anew: what did not fit across now does.
  void ANewSizeShowsThePictureAnew() {
    PhotoView photo;
    photo.resize(kClient + QSize(4, 4));
    photo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&photo));
    photo.SetImage(Picture(kClient.width() + 25, 40));
    QVERIFY(photo.HorizontalBar()->isVisibleTo(&photo));
    photo.resize(kClient + QSize(29, 4));
    QTRY_COMPARE(photo.Buffer().size(), kClient + QSize(25, 0));
    QVERIFY(!photo.HorizontalBar()->isVisibleTo(&photo));
    QCOMPARE(photo.ViewRect().size(), kClient + QSize(25, 0));
    QCOMPARE(photo.Buffer().pixel(kClient.width() + 24, 0), qRgb(kClient.width() + 24, 0, 7));
  }

  void MissingPictureShowsTextThenFallsBackOnce() {
    test::ScopedCurrentDir& dir = *m_dir;
    PhotoView photo(&m_parent);
    photo.resize(kClient + QSize(4, 4));

    // No fallback file: the text stays on grey.
    photo.LoadFile(QString());
    QVERIFY(photo.Picture().isNull());
    bool text = false;
    for (int y = 0; y < 16 && !text; ++y)
      for (int x = 0; x < 60 && !text; ++x)
        text = photo.Buffer().pixel(x, y) != qRgb(128, 128, 128);
    QVERIFY(text);

    // The installed picture, from the system's data folders...
    QTemporaryDir share;
    QVERIFY(QDir(share.path()).mkpath(QStringLiteral("vornal")));
    QVERIFY(Picture(7, 5).save(share.filePath(QStringLiteral("vornal/no_photo.bmp")), "BMP"));
    const QByteArray dataDirs = qgetenv("XDG_DATA_DIRS");
    qputenv("XDG_DATA_DIRS", QFile::encodeName(share.path()));
    photo.LoadFile(QString());
    QCOMPARE(photo.Picture().size(), QSize(7, 5));

    // ...unless the current directory has its own copy.
    QVERIFY(QFile::copy(QStringLiteral(VORNAL_RES_DIR "/no_photo.bmp"), dir.File("no_photo.bmp")));
    const QImage fallback(dir.File("no_photo.bmp"));
    photo.LoadFile(QString());
    QCOMPARE(photo.Picture().size(), fallback.size());
    qputenv("XDG_DATA_DIRS", dataDirs);
    photo.LoadFile(dir.File("missing.bmp"));
    QCOMPARE(photo.Picture().size(), fallback.size());
    QCOMPARE(photo.Buffer().pixel(0, 0), fallback.pixel(0, 0));

    // Clear greys the buffer; what is on screen changes at the next repaint.
    photo.Clear();
    QCOMPARE(photo.Buffer().pixel(0, 0), qRgb(128, 128, 128));
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::PhotoViewTest)
#include "photo_view_test.moc"
