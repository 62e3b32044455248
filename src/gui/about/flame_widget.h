#pragma once

#include <QImage>
#include <QList>
#include <QRgb>
#include <QWidget>
#include <cstdint>
#include <vector>

class QPainter;

namespace vornal {

// An animated flame: an 8-bit palette picture fed by a row of fuel at its
// bottom and risen one row per Step. Its two random generators are shared by
// every flame of the process and never reseeded, so each run of the program
// shows the same sequence of frames while each opening continues it.
class FlameWidget : public QWidget {
  Q_OBJECT

 public:
  // Palette indices of the flame gradient, darkest and hottest.
  static constexpr int kCold = 16;
  static constexpr int kHot = 239;

  // States of the two generators; kInitialGenerators is their state at start.
  struct GeneratorStates {
    std::uint32_t shared;
    std::uint32_t own;
    bool operator==(const GeneratorStates&) const = default;
  };
  static constexpr GeneratorStates kInitialGenerators{1u, 0x38549391u};

  explicit FlameWidget(QWidget* parent = nullptr);

  // BuildPalette(type) and InitBuffer: a dark picture of the control's size.
  // Type 2 gives green flames, 3 blue ones, anything else red-yellow ones.
  void Start(int type);
  void BuildPalette(int type);
  // Makes the picture and the fuel row for the control's current size.
  void InitBuffer();
  // Advances the picture by one frame.
  void Step();
  // Copies the picture onto `painter`; without one, onto the control at once.
  void Draw(QPainter* painter = nullptr);

  // The picture; its first scan line is the top row of the flame.
  const QImage& Image() const { return m_image; }
  int BurnWidth() const { return m_burnWidth; }
  // Frames stepped since the last InitBuffer.
  int Frames() const { return m_frames; }

  // The shared generator: 0 … 32767.
  static int SharedRand();
  // The flame's own generator: the full new state.
  static std::uint32_t OwnRand();
  static GeneratorStates Generators();
  static void SetGenerators(GeneratorStates states);

 protected:
  void paintEvent(QPaintEvent* event) override;

 private:
  int m_cooling = 5;
  int m_sparkThreshold = 385;
  int m_heatCeiling = 223;
  int m_fuelDrift = 20;
  int m_burnWidth = 0;
  int m_smoothing = 1;
  int m_spread = 1;
  int m_fuelJitter = 50;
  int m_flameHeight = 0;
  int m_frames = 0;
  std::vector<std::uint8_t> m_fuel;
  QList<QRgb> m_colors;
  QImage m_image;
};

}  // namespace vornal
