#pragma once

#include <QRect>

namespace vornal {

// Window layouts are given in dialog units of an 8-point font at 96 dpi: a
// horizontal unit is 1.5 pixels, a vertical one 1.625 (a quarter of the
// average character width, an eighth of the character height).
constexpr int DluToPixelsX(int dlu) {
  return (dlu * 3 + 1) / 2;
}
constexpr int DluToPixelsY(int dlu) {
  return (dlu * 13 + 4) / 8;
}

inline QRect DluRect(int x, int y, int width, int height) {
  return {DluToPixelsX(x), DluToPixelsY(y), DluToPixelsX(width), DluToPixelsY(height)};
}

}  // namespace vornal
