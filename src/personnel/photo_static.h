#pragma once

#include <QImage>
#include <QString>
#include <QWidget>

namespace vornal {

// Shows one bitmap at its natural size, from its top-left corner, on grey,
// with scroll bars only when the picture is larger than the view. A picture
// that cannot be loaded shows "File not found." and falls back to
// "no_photo.bmp" in the current directory.
class CPhotoStatic : public QWidget {
  Q_OBJECT

 public:
  explicit CPhotoStatic(QWidget* parent = nullptr);

  // Places the control over `rect` (in the parent's coordinates) and shows it.
  bool Create(QWidget* parent, const QRect& rect);
  // Loads a .bmp file (absolute, or relative to the current directory).
  void LoadFile(const QString& path);
  // Makes the picture current (a null image: none) and shows it.
  void SetImage(const QImage& image);
  void Redraw();
  // Greys the view in the buffer without a repaint.
  void Clear();
};

}  // namespace vornal
