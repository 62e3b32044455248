#include "gui/widgets/photo_view.h"

#include <qdrawutil.h>
#include <QImageReader>
#include <QPainter>

#include "gui/widgets/data_files.h"

namespace vornal {
namespace {

const QColor kGrey(128, 128, 128);
constexpr int kEdge = 2;

}  // namespace

PhotoView::PhotoView(QWidget* parent) : QWidget(parent) {
  setAttribute(Qt::WA_OpaquePaintEvent);
}

void PhotoView::LoadFile(QString path) {
  SetImage(path.isEmpty() ? QImage() : ReadPicture(path));
}

QImage PhotoView::ReadPicture(const QString& path, QString* error) {
  QImageReader reader(path);
  QImage image = reader.read();
  if (image.isNull() && error) *error = reader.errorString();
  return image;
}

QString PhotoView::FileFilter() {
  QStringList patterns{QStringLiteral("*.bmp")};
  for (const QByteArray& format : QImageReader::supportedImageFormats()) {
    const QString pattern = QStringLiteral("*.") + QString::fromLatin1(format).toLower();
    if (!patterns.contains(pattern)) patterns << pattern;
  }
  return tr("Рисунки (%1)").arg(patterns.join(u' ')) + u";;" + tr("Bitmap Files (*.bmp)") + u";;" +
         tr("Все файлы (*)");
}

void PhotoView::SetImage(const QImage& image) {
  m_picture = image;
  m_missing = image.isNull();
  ShowPicture();
  if (!m_picture.isNull()) return;
  // One attempt at the fallback picture; its own failure stops here.
  if (++m_fallbackDepth == 1) LoadFile(DataFilePath(kNoPhotoPicture));
  --m_fallbackDepth;
}

void PhotoView::ShowPicture() {
  m_shown = QRect();
  FillView();
  if (m_buffer.isNull()) return;
  QPainter painter(&m_buffer);
  if (m_picture.isNull()) {
    if (m_missing) {
      painter.setFont(font());
      painter.setPen(Qt::black);
      painter.drawText(QRect(QPoint(0, 0), m_buffer.size()), Qt::AlignLeft | Qt::AlignTop,
                       tr("File not found."));
    }
    update();
    return;
  }
  // The whole picture, as large as the view allows, centred.
  const QSize size = m_picture.size().scaled(m_buffer.size(), Qt::KeepAspectRatio);
  m_shown = QRect(
      QPoint((m_buffer.width() - size.width()) / 2, (m_buffer.height() - size.height()) / 2), size);
  painter.setRenderHint(QPainter::SmoothPixmapTransform);
  painter.drawImage(m_shown, m_picture);
  update();
}

void PhotoView::Clear() {
  m_picture = QImage();
  m_shown = QRect();
  m_missing = false;
  FillView();
}

void PhotoView::FillView() {
  // The buffer is as large as the area inside the border.
  const QRect client = ClientRect();
  if (m_buffer.size() != client.size())
    m_buffer = client.isEmpty() ? QImage() : QImage(client.size(), QImage::Format_RGB32);
  if (!m_buffer.isNull()) m_buffer.fill(kGrey);
}

QRect PhotoView::ClientRect() const {
  return rect().adjusted(kEdge, kEdge, -kEdge, -kEdge);
}

void PhotoView::resizeEvent(QResizeEvent* event) {
  QWidget::resizeEvent(event);
  if (ClientRect().size() != m_buffer.size()) ShowPicture();
}

void PhotoView::paintEvent(QPaintEvent*) {
  QPainter painter(this);
  qDrawShadePanel(&painter, rect(), palette(), true, kEdge);
  if (!m_buffer.isNull()) painter.drawImage(ClientRect().topLeft(), m_buffer);
}

}  // namespace vornal
