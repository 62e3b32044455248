#include <QTest>
#include <algorithm>
#include <cstdint>

#include "gui/about/flame_widget.h"

using vornal::FlameWidget;

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

}  // namespace

class FlameWidgetTest : public QObject {
  Q_OBJECT

 private Q_SLOTS:
  void init() { FlameWidget::SetGenerators(FlameWidget::kInitialGenerators); }

  void generatorsFollowTheirRecurrences() {
    QCOMPARE(FlameWidget::SharedRand(), 41);
    QCOMPARE(FlameWidget::SharedRand(), 18467);
    QCOMPARE(FlameWidget::SharedRand(), 6334);
    QCOMPARE(FlameWidget::OwnRand(), 0x34AF37BCu);
    QCOMPARE(FlameWidget::Generators().own, 0x34AF37BCu);
    FlameWidget::SetGenerators(FlameWidget::kInitialGenerators);
    QCOMPARE(FlameWidget::SharedRand(), 41);
  }

  void paletteGradients() {
    FlameWidget fire;
    fire.resize(8, 8);
    fire.Start(1);
    const QImage& image = fire.Image();
    QCOMPARE(image.colorCount(), 256);
    QCOMPARE(image.color(239), qRgb(255, 255, 255));
    QCOMPARE(image.color(207), qRgb(255, 255, 127));
    QCOMPARE(image.color(175), qRgb(255, 255, 0));
    QCOMPARE(image.color(143), qRgb(255, 127, 0));
    QCOMPARE(image.color(111), qRgb(255, 0, 0));
    QCOMPARE(image.color(79), qRgb(127, 0, 0));
    QCOMPARE(image.color(47), qRgb(0, 0, 0));
    QCOMPARE(image.color(16), qRgb(0, 0, 0));
    // Colours outside the gradient are kept.
    QCOMPARE(image.color(7), qRgb(192, 192, 192));
    QCOMPARE(image.color(15), qRgb(153, 153, 153));
    QCOMPARE(image.color(240), qRgb(0, 0, 119));
    QCOMPARE(image.color(246), qRgb(255, 251, 240));
    QCOMPARE(image.color(255), qRgb(255, 255, 255));

    fire.BuildPalette(2);
    QCOMPARE(fire.Image().color(143), qRgb(127, 255, 0));
    fire.BuildPalette(3);
    QCOMPARE(fire.Image().color(143), qRgb(0, 127, 255));
    fire.BuildPalette(7);
    QCOMPARE(fire.Image().color(143), qRgb(255, 127, 0));
  }

  void freshPictureIsDark() {
    FlameWidget fire;
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
    FlameWidget fire;
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
      FlameWidget fire;
      fire.resize(size);
      fire.Start(1);
      for (int i = 0; i < 200; ++i) {
        fire.Step();
        const QImage& image = fire.Image();
        for (int y = 0; y < image.height(); ++y) {
          const uchar* line = image.constScanLine(y);
          const auto [lo, hi] = std::minmax_element(line, line + image.width());
          QVERIFY2(
              *lo >= 16 && *hi <= 239,
              qPrintable(
                  QStringLiteral("%1x%2 frame %3").arg(size.width()).arg(size.height()).arg(i)));
        }
      }
    }
  }

  void firstFramesAreTheSameInEveryRun() {
    FlameWidget fire;
    fire.resize(kWidth, kHeight);
    fire.Start(1);
    std::uint64_t hash = 0xcbf29ce484222325ull;
    for (int i = 0; i < 100; ++i) {
      fire.Step();
      hash = HashFrame(fire.Image(), hash);
    }
    // Recorded once; any change to the flame's arithmetic or its draws shows here.
    QCOMPARE(hash, 0x348e77d7cec1c854ull);
    QCOMPARE(FlameWidget::Generators(), (FlameWidget::GeneratorStates{3094241433u, 2571483085u}));
  }

  void restartContinuesTheGenerators() {
    FlameWidget first;
    first.resize(kWidth, kHeight);
    first.Start(1);
    for (int i = 0; i < 5; ++i) first.Step();
    const FlameWidget::GeneratorStates after = FlameWidget::Generators();
    QVERIFY(after != FlameWidget::kInitialGenerators);

    FlameWidget second;
    second.resize(kWidth, kHeight);
    second.Start(1);
    QCOMPARE(FlameWidget::Generators(), after);
    QCOMPARE(second.Frames(), 0);
  }
};

QTEST_MAIN(FlameWidgetTest)
#include "flame_widget_test.moc"
