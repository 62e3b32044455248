#include "gui/about/flame_widget.h"

#include <QPaintEvent>
#include <QPainter>
#include <algorithm>
#include <array>

namespace vornal {

namespace {

std::uint32_t g_sharedState = FlameWidget::kInitialGenerators.shared;
std::uint32_t g_ownState = FlameWidget::kInitialGenerators.own;

// Colours kept outside the flame gradient (entries 0 … 15 and 240 … 255).
constexpr std::array<QRgb, 16> kLowColors = {
    qRgb(0, 0, 0),       qRgb(128, 0, 0),     qRgb(0, 128, 0),     qRgb(128, 128, 0),
    qRgb(0, 0, 128),     qRgb(128, 0, 128),   qRgb(0, 128, 128),   qRgb(192, 192, 192),
    qRgb(192, 220, 192), qRgb(166, 202, 240), qRgb(238, 238, 238), qRgb(221, 221, 221),
    qRgb(204, 204, 204), qRgb(187, 187, 187), qRgb(170, 170, 170), qRgb(153, 153, 153)};
constexpr std::array<QRgb, 16> kHighColors = {
    qRgb(0, 0, 119),     qRgb(0, 0, 102),   qRgb(0, 0, 85),      qRgb(0, 0, 68),
    qRgb(0, 0, 51),      qRgb(0, 0, 34),    qRgb(255, 251, 240), qRgb(160, 160, 164),
    qRgb(128, 128, 128), qRgb(255, 0, 0),   qRgb(0, 255, 0),     qRgb(255, 255, 0),
    qRgb(0, 0, 255),     qRgb(255, 0, 255), qRgb(0, 255, 255),   qRgb(255, 255, 255)};

int Channel(int start, int k) {
  return std::clamp(start - 4 * k, 0, 255);
}

}  // namespace

int FlameWidget::SharedRand() {
  g_sharedState = g_sharedState * 214013u + 2531011u;
  return static_cast<int>((g_sharedState >> 16) & 0x7FFFu);
}

std::uint32_t FlameWidget::OwnRand() {
  g_ownState = g_ownState * 1664525u + 1013904223u;
  return g_ownState;
}

FlameWidget::GeneratorStates FlameWidget::Generators() {
  return {g_sharedState, g_ownState};
}

void FlameWidget::SetGenerators(GeneratorStates states) {
  g_sharedState = states.shared;
  g_ownState = states.own;
}

FlameWidget::FlameWidget(QWidget* parent) : QWidget(parent) {
  // The picture covers the whole control; nothing needs erasing beneath it.
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void FlameWidget::Start(int type) {
  BuildPalette(type);
  InitBuffer();
}

void FlameWidget::BuildPalette(int type) {
  // Qt has no logical palettes: the colour table alone gives the colours, so
  // there is nothing to realise when the system palette changes.
  m_colors.resize(256);
  std::copy(kLowColors.begin(), kLowColors.end(), m_colors.begin());
  std::copy(kHighColors.begin(), kHighColors.end(), m_colors.begin() + 240);
  int r0 = 767, g0 = 511, b0 = 255;
  if (type == 2) {
    r0 = 511, g0 = 767, b0 = 255;
  } else if (type == 3) {
    r0 = 255, g0 = 511, b0 = 767;
  }
  for (int k = 0; k <= kHot - kCold; ++k)
    m_colors[kHot - k] = qRgb(Channel(r0, k), Channel(g0, k), Channel(b0, k));
  if (!m_image.isNull()) m_image.setColorTable(m_colors);
}

void FlameWidget::InitBuffer() {
  m_image = QImage();
  m_fuel.clear();
  m_frames = 0;
  const int w = width();
  const int h = height();
  if (m_flameHeight == 0) m_flameHeight = h;
  // w ÷ 1.05 truncated, in exact integer arithmetic.
  if (m_burnWidth == 0) m_burnWidth = w * 20 / 21;
  if (w <= 0 || h <= 0) return;
  m_burnWidth = std::clamp(m_burnWidth, 0, w - 1);
  m_fuel.assign(static_cast<std::size_t>(w), kCold);
  m_image = QImage(w, h, QImage::Format_Indexed8);
  if (m_colors.size() != 256) BuildPalette(1);
  m_image.setColorTable(m_colors);
  m_image.fill(kCold);
}

void FlameWidget::Step() {
  if (m_image.isNull()) return;
  const int w = m_image.width();
  const int h = m_image.height();
  const int bw = m_burnWidth;
  const int s = m_spread;
  const int m = (w - bw) / 2;
  const int e = m + bw + 1;
  const qsizetype stride = m_image.bytesPerLine();
  uchar* const bits = m_image.bits();
  // Row 0 of the flame is the bottom scan line of the image.
  const auto row = [&](int r) { return bits + static_cast<qsizetype>(h - 1 - r) * stride; };
  std::uint8_t* const fuel = m_fuel.data();

  uchar* const bottom = row(0);
  for (int j = 0; j < w; ++j) {
    if (j < m + s || j >= e - s) fuel[j] = kCold;
    bottom[j] = fuel[j];
  }

  // Top row first, so that each row takes the previous frame's row below it.
  const auto spreadRange = static_cast<std::uint32_t>(s + 1);
  const auto coolingRange = static_cast<std::uint32_t>(m_cooling + 1);
  for (int c = std::min(m_flameHeight, h - 1); c >= 1; --c) {
    const uchar* const src = row(c - 1);
    uchar* const dst = row(c);
    const bool leftToRight = SharedRand() % 2 == 0;
    for (int k = 0; k < w; ++k) {
      const int j = leftToRight ? k : w - 1 - k;
      const std::uint32_t a = OwnRand();
      const std::uint32_t b = OwnRand();
      const std::uint32_t g = OwnRand();
      const int d = static_cast<int>((a >> 5) % spreadRange);
      const int q = static_cast<int>((b >> 5) % coolingRange);
      const int v = std::max(src[j] - q, kCold);
      const int x = (g & 0x20u) ? j + d : j - d;
      if (x >= 0 && x < w) dst[x] = static_cast<uchar>(v);
    }
  }

  if (SharedRand() % (400 - m_sparkThreshold) == 0) {
    const int r2 = SharedRand();
    // A spark needs more than five burning columns to land in.
    if (bw > 5) std::fill_n(fuel + m + r2 % (bw - 5), 5, kHot);
  }

  const int top = kCold + m_heatCeiling;
  for (int j = m; j < e; ++j) {
    if (fuel[j] >= top) {
      fuel[j] = static_cast<std::uint8_t>(top);
      continue;
    }
    const int t = fuel[j] + SharedRand() % m_fuelJitter + 1 + m_fuelDrift - m_fuelJitter / 2;
    fuel[j] = static_cast<std::uint8_t>(std::clamp(t, kCold, top));
  }

  // A running average in place: each column already sees its new left neighbour.
  const int radius = m_smoothing;
  if (radius >= 1) {
    for (int j = m + radius; j < e - radius; ++j) {
      int sum = 0;
      for (int i = j - radius; i <= j + radius; ++i) sum += fuel[i];
      fuel[j] = static_cast<std::uint8_t>(sum / (2 * radius + 1));
    }
  }
  ++m_frames;
}

void FlameWidget::Draw(QPainter* painter) {
  if (m_image.isNull() || m_colors.size() != 256) return;
  if (painter) {
    painter->drawImage(0, 0, m_image);
  } else {
    repaint();
  }
}

void FlameWidget::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  Draw(&painter);
}

}  // namespace vornal
