#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

class QScrollBar;

namespace vornal {

// Shows one picture at its natural size, from its top-left corner, on grey,
// with scroll bars only when the picture is larger than the view. A picture
// that cannot be loaded shows "File not found." and falls back to the
// no-photo picture ("no_photo.bmp" in the current directory, or the installed
// one). Everything is drawn into an off-screen buffer of the view's size
// first; a repaint only copies it. A new size shows the picture anew from
// its top-left corner.
class PhotoView : public QWidget {
  Q_OBJECT

 public:
  explicit PhotoView(QWidget* parent = nullptr);

  // Loads a picture file (absolute, or relative to the current directory).
  void LoadFile(QString path);
  // Reads a picture in any format Qt reads; a null image, and the reason in
  // `error`, when the file is none.
  static QImage ReadPicture(const QString& path, QString* error = nullptr);
  // The file chooser's filter for those formats, BMP first.
  static QString FileFilter();
  // Makes the picture current (a null image: none) and shows it.
  void SetImage(const QImage& image);
  // Draws the picture into the buffer at the scroll offsets and repaints.
  void Redraw();
  // Shows no picture: greys the view in the buffer, without a repaint.
  void Clear();

  // Page step of both scroll bars, in pixels.
  static constexpr int kPageStep = 20;

  // State for tests and owners.
  int HorizontalOffset() const { return m_offsetX; }
  int VerticalOffset() const { return m_offsetY; }
  // The visible picture area inside the border, without the scroll bars.
  QRect ViewRect() const { return m_view; }
  const QImage& Picture() const { return m_picture; }
  const QImage& Buffer() const { return m_buffer; }
  QScrollBar* HorizontalBar() const { return m_hBar; }
  QScrollBar* VerticalBar() const { return m_vBar; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect ClientRect() const;
  // Lays the current picture out in a view of the widget's size, from its
  // top-left corner; grey without one, and the "File not found." text when
  // the one asked for could not be read.
  void ShowPicture();
  void FillView();
  void ShowBars();
  // Applies a scroll bar action to one offset; returns the new offset.
  int Scroll(int action, int offset, int pictureSize, int viewSize, int position) const;

  QScrollBar* m_hBar;
  QScrollBar* m_vBar;
  QImage m_buffer;
  QImage m_picture;
  QRect m_view;
  int m_barThickness = 0;
  int m_offsetX = 0;
  int m_offsetY = 0;
  int m_fallbackDepth = 0;
  bool m_missing = false;  // the picture asked for could not be read
};

}  // namespace vornal
