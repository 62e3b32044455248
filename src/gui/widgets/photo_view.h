#pragma once

#include <QImage>
#include <QRect>
#include <QString>
#include <QWidget>

namespace vornal {

// Shows one picture fitted to the view, keeping its proportions, centred on
// grey. A picture that cannot be loaded shows "File not found." and falls
// back to the no-photo picture ("no_photo.bmp" in the current directory, or
// the installed one). Everything is drawn into an off-screen buffer of the
// view's size first; a repaint only copies it. A new size fits the picture
// anew.
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
  // Shows no picture: greys the view in the buffer, without a repaint.
  void Clear();

  // State for tests and owners.
  // The picture area inside the border.
  QRect ViewRect() const { return ClientRect(); }
  // Where the fitted picture stands in the buffer.
  QRect PictureRect() const { return m_shown; }
  const QImage& Picture() const { return m_picture; }
  const QImage& Buffer() const { return m_buffer; }

 protected:
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;

 private:
  QRect ClientRect() const;
  // Draws the current picture fitted into a buffer of the view's size; grey
  // without one, and the "File not found." text when the one asked for could
  // not be read.
  void ShowPicture();
  void FillView();

  QImage m_buffer;
  QImage m_picture;
  QRect m_shown;
  int m_fallbackDepth = 0;
  bool m_missing = false;  // the picture asked for could not be read
};

}  // namespace vornal
