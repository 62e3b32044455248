#include <QTest>
#include <algorithm>
#include <cstdint>

#include "app/fire_static.h"

using vornal::CFireStatic;

namespace {

// Size of the flame frame of the About-author box.
constexpr int kWidth = 131;
constexpr int kHeight = 80;

// Row r of the flame, counted from the bottom.
const uchar* FlameRow(const QImage& image, int r) {
  return image.constScanLine(image.height() - 1 - r);
}

std::uint64_t HashFrame(const QImage& image, std::uint64_t hash) {
  for (int y = 0; y < image.height(); ++y) {
    const uchar* line = image.constScanLine(y);
    for (int x = 0; x < image.width(); ++x) hash = (hash ^ line[x]) * 0x100000001b3ull;
  }
  return hash;
}

void ExpectColor(const QImage& image, int index, int r, int g, int b) {
  const QRgb c = image.color(index);
  QVERIFY2(qRed(c) == r && qGreen(c) == g && qBlue(c) == b,
           qPrintable(QStringLiteral("entry %1 is (%2, %3, %4)")
                          .arg(index)
                          .arg(qRed(c))
                          .arg(qGreen(c))
                          .arg(qBlue(c))));
}

}  // namespace

class FireStaticTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { CFireStatic::SetGenerators(CFireStatic::kInitialGenerators); }

  void generatorsFollowTheirRecurrences() {
    QCOMPARE(CFireStatic::SharedRand(), 41);
    QCOMPARE(CFireStatic::SharedRand(), 18467);
    QCOMPARE(CFireStatic::SharedRand(), 6334);
    QCOMPARE(CFireStatic::OwnRand(), 0x34AF37BCu);
    QCOMPARE(CFireStatic::Generators().own, 0x34AF37BCu);
    CFireStatic::SetGenerators(CFireStatic::kInitialGenerators);
    QCOMPARE(CFireStatic::SharedRand(), 41);
  }

  void paletteGradients() {
    CFireStatic fire;
    fire.resize(8, 8);
    fire.Start(1);
    const QImage& image = fire.Image();
    QCOMPARE(image.colorCount(), 256);
    ExpectColor(image, 239, 255, 255, 255);
    ExpectColor(image, 207, 255, 255, 127);
    ExpectColor(image, 175, 255, 255, 0);
    ExpectColor(image, 143, 255, 127, 0);
    ExpectColor(image, 111, 255, 0, 0);
    ExpectColor(image, 79, 127, 0, 0);
    ExpectColor(image, 47, 0, 0, 0);
    ExpectColor(image, 16, 0, 0, 0);
    // Colours outside the gradient are kept.
    ExpectColor(image, 7, 192, 192, 192);
    ExpectColor(image, 15, 153, 153, 153);
    ExpectColor(image, 240, 0, 0, 119);
    ExpectColor(image, 246, 255, 251, 240);
    ExpectColor(image, 255, 255, 255, 255);

    fire.BuildPalette(2);
    ExpectColor(fire.Image(), 143, 127, 255, 0);
    fire.BuildPalette(3);
    ExpectColor(fire.Image(), 143, 0, 127, 255);
    fire.BuildPalette(7);
    ExpectColor(fire.Image(), 143, 255, 127, 0);
  }

  void freshPictureIsDark() {
    CFireStatic fire;
    fire.resize(kWidth, kHeight);
    fire.Start(1);
    const QImage& image = fire.Image();
    QCOMPARE(image.format(), QImage::Format_Indexed8);
    QCOMPARE(image.size(), QSize(kWidth, kHeight));
    for (int y = 0; y < kHeight; ++y) {
      const uchar* line = image.constScanLine(y);
      QVERIFY(std::all_of(line, line + kWidth, [](uchar v) { return v == 16; }));
    }
    // 131 ÷ 1.05 = 124.76, truncated.
    QCOMPARE(fire.BurnWidth(), 124);
  }

  void bottomRowBurnsInsideTheSpanOnly() {
    CFireStatic fire;
    fire.resize(kWidth, kHeight);
    fire.Start(1);
    constexpr int kFrames = 30;
    for (int i = 0; i < kFrames; ++i) fire.Step();
    const QImage& image = fire.Image();
    const int m = (kWidth - 124) / 2;
    const uchar* bottom = FlameRow(image, 0);
    for (int j = 0; j <= m; ++j) QCOMPARE(int(bottom[j]), 16);
    for (int j = m + 124; j < kWidth; ++j) QCOMPARE(int(bottom[j]), 16);
    int hot = 0;
    for (int j = m + 1; j < m + 124; ++j) hot += bottom[j] >= 200;
    QVERIFY2(hot > 100, qPrintable(QString::number(hot)));
    // Flames rise one row per frame: the rows above them are still dark.
    QVERIFY(*std::max_element(FlameRow(image, 1), FlameRow(image, 1) + kWidth) > 150);
    for (int r = kFrames + 1; r < kHeight; ++r) {
      const uchar* line = FlameRow(image, r);
      QVERIFY(std::all_of(line, line + kWidth, [](uchar v) { return v == 16; }));
    }
  }

  void indicesStayInTheGradient() {
    // Includes controls too narrow for sparks and flames one pixel wide or high.
    const QSize sizes[] = {{kWidth, kHeight}, {1, 1}, {2, 5}, {6, 3}, {7, 1}, {9, 12}, {300, 2}};
    for (const QSize& size : sizes) {
      CFireStatic fire;
      fire.resize(size);
      fire.Start(1);
      for (int i = 0; i < 200; ++i) {
        fire.Step();
        const QImage& image = fire.Image();
        for (int y = 0; y < image.height(); ++y) {
          const uchar* line = image.constScanLine(y);
          const auto [lo, hi] = std::minmax_element(line, line + image.width());
          if (*lo < 16 || *hi > 239)
            QFAIL(qPrintable(QStringLiteral("%1x%2 frame %3: index %4..%5")
                                 .arg(size.width())
                                 .arg(size.height())
                                 .arg(i)
                                 .arg(*lo)
                                 .arg(*hi)));
        }
      }
    }
  }

  void firstFramesAreTheSameInEveryRun() {
    CFireStatic fire;
    fire.resize(kWidth, kHeight);
    fire.Start(1);
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (int i = 0; i < 100; ++i) {
      fire.Step();
      hash = HashFrame(fire.Image(), hash);
    }
    QCOMPARE(hash, 0x348e77d7cec1c854ull);
    QCOMPARE(CFireStatic::Generators(), (CFireStatic::GeneratorStates{3094241433u, 2571483085u}));
  }

  void restartContinuesTheGenerators() {
    CFireStatic first;
    first.resize(kWidth, kHeight);
    first.Start(1);
    for (int i = 0; i < 5; ++i) first.Step();
    const CFireStatic::GeneratorStates after = CFireStatic::Generators();
    QVERIFY(after != CFireStatic::kInitialGenerators);

    CFireStatic second;
    second.resize(kWidth, kHeight);
    second.Start(1);
    QCOMPARE(CFireStatic::Generators(), after);
    QCOMPARE(second.Frames(), 0);
  }
};

QTEST_MAIN(FireStaticTest)
#include "fire_static_test.moc"
