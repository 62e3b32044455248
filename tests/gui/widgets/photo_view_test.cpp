#include "gui/widgets/photo_view.h"

#include <QFile>
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

  // Every picture is shown whole, as large as the view allows, centred on
  // grey; a new size fits it anew.
  void PicturesAreFittedKeepingTheirProportions() {
    PhotoView photo;
    photo.resize(kClient + QSize(4, 4));
    photo.show();
    QVERIFY(QTest::qWaitForWindowExposed(&photo));
    photo.Clear();
    QCOMPARE(photo.ViewRect().size(), kClient);
    const QRgb grey = qRgb(128, 128, 128);

    photo.SetImage(Picture(240, 300));
    QCOMPARE(photo.PictureRect(), QRect(QPoint(0, 0), kClient));

    // Wide: grey bands above and below.
    photo.SetImage(Picture(240, 100));
    QCOMPARE(photo.PictureRect(), QRect(0, 50, 120, 50));
    QCOMPARE(photo.Buffer().pixel(60, 10), grey);
    QVERIFY(photo.Buffer().pixel(60, 75) != grey);

    // Small: grown to the view's width.
    photo.SetImage(Picture(10, 10));
    QCOMPARE(photo.PictureRect(), QRect(0, 15, 120, 120));

    photo.SetImage(Picture(240, 300));
    photo.resize(kClient + QSize(29, 4));
    QTRY_COMPARE(photo.Buffer().size(), kClient + QSize(25, 0));
    QCOMPARE(photo.PictureRect(), QRect(QPoint(12, 0), kClient));
    QCOMPARE(photo.Buffer().pixel(5, 75), grey);
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
    QVERIFY(!photo.PictureRect().isEmpty());

    // Clear greys the buffer; what is on screen changes at the next repaint.
    photo.Clear();
    QCOMPARE(photo.Buffer().pixel(0, 0), qRgb(128, 128, 128));
  }
};

}  // namespace vornal

QTEST_MAIN(vornal::PhotoViewTest)
#include "photo_view_test.moc"
