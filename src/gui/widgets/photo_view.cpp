#include "gui/widgets/photo_view.h"

#include <qdrawutil.h>
#include <QImageReader>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>

#include "gui/widgets/data_files.h"

namespace vornal {
namespace {

const QColor kGrey(128, 128, 128);
constexpr int kEdge = 2;

}  // namespace

PhotoView::PhotoView(QWidget* parent)
    : QWidget(parent),
      m_hBar(new QScrollBar(Qt::Horizontal, this)),
      m_vBar(new QScrollBar(Qt::Vertical, this)) {
  m_hBar->setObjectName(QStringLiteral("photoHorizontalBar"));
  m_vBar->setObjectName(QStringLiteral("photoVerticalBar"));
  m_hBar->hide();
  m_vBar->hide();
  setAttribute(Qt::WA_OpaquePaintEvent);
  m_barThickness = style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
  connect(m_hBar, &QAbstractSlider::actionTriggered, this, [this](int action) {
    m_offsetX =
        Scroll(action, m_offsetX, m_picture.width(), m_view.width(), m_hBar->sliderPosition());
    m_hBar->setSliderPosition(m_offsetX);
    Redraw();
  });
  connect(m_vBar, &QAbstractSlider::actionTriggered, this, [this](int action) {
    m_offsetY =
        Scroll(action, m_offsetY, m_picture.height(), m_view.height(), m_vBar->sliderPosition());
    m_vBar->setSliderPosition(m_offsetY);
    Redraw();
  });
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
  m_offsetX = 0;
  m_offsetY = 0;
  m_hBar->setRange(0, 0);
  m_vBar->setRange(0, 0);
  m_hBar->hide();
  m_vBar->hide();
  m_view = ClientRect();
  FillView();
  if (m_picture.isNull()) {
    if (m_missing && !m_buffer.isNull()) {
      QPainter painter(&m_buffer);
      painter.setFont(font());
      painter.setPen(Qt::black);
      painter.drawText(QRect(QPoint(0, 0), m_buffer.size()), Qt::AlignLeft | Qt::AlignTop,
                       tr("File not found."));
    }
    update();
    return;
  }
  ShowBars();
  Redraw();
}

// Lays out the view for the current picture and shows the bars it needs.
void PhotoView::ShowBars() {
  const int w = m_picture.width();
  const int h = m_picture.height();
  bool fitsAcross = w <= m_view.width();
  if (!fitsAcross) m_view.setBottom(m_view.bottom() - m_barThickness);
  const bool fitsDown = h <= m_view.height();
  if (!fitsDown) {
    m_view.setRight(m_view.right() - m_barThickness);
    if (fitsAcross && w > m_view.width()) {
      // The vertical bar took the room the picture needed: the horizontal bar
      // is needed too, and must not cover the picture's last rows.
      fitsAcross = false;
      m_view.setBottom(m_view.bottom() - m_barThickness);
    }
  }
  const QRect client = ClientRect();
  if (!fitsAcross) {
    m_hBar->setRange(0, w - m_view.width());
    m_hBar->setPageStep(m_view.width());
    m_hBar->setSingleStep(1);
    m_hBar->setValue(0);
    m_hBar->setGeometry(client.left(), client.top() + m_view.height(), m_view.width(),
                        m_barThickness);
    m_hBar->show();
  }
  if (!fitsDown) {
    m_vBar->setRange(0, h - m_view.height());
    m_vBar->setPageStep(m_view.height());
    m_vBar->setSingleStep(1);
    m_vBar->setValue(0);
    m_vBar->setGeometry(client.left() + m_view.width(), client.top(), m_barThickness,
                        m_view.height());
    m_vBar->show();
  }
}

void PhotoView::Redraw() {
  if (!m_buffer.isNull() && !m_picture.isNull()) {
    QPainter painter(&m_buffer);
    painter.setCompositionMode(QPainter::CompositionMode_Source);
    painter.drawImage(QPoint(-m_offsetX, -m_offsetY), m_picture);
  }
  update();
}

void PhotoView::Clear() {
  m_picture = QImage();
  m_missing = false;
  FillView();
}

void PhotoView::FillView() {
  // The buffer is as large as the area inside the border.
  const QRect client = ClientRect();
  if (m_buffer.size() != client.size()) {
    m_buffer = client.isEmpty() ? QImage() : QImage(client.size(), QImage::Format_RGB32);
    m_view = client;
  }
  if (m_buffer.isNull()) return;
  QPainter painter(&m_buffer);
  painter.fillRect(QRect(QPoint(0, 0), m_view.size()), kGrey);
}

int PhotoView::Scroll(int action, int offset, int pictureSize, int viewSize, int position) const {
  switch (action) {
    case QAbstractSlider::SliderSingleStepSub:
      offset -= 1;
      break;
    case QAbstractSlider::SliderSingleStepAdd:
      offset += 1;
      break;
    case QAbstractSlider::SliderPageStepSub:
      offset -= kPageStep;
      break;
    case QAbstractSlider::SliderPageStepAdd:
      offset += kPageStep;
      break;
    case QAbstractSlider::SliderMove:
      offset = position;
      break;
    case QAbstractSlider::SliderToMinimum:
      offset = 0;
      break;
    case QAbstractSlider::SliderToMaximum:
      offset = pictureSize - viewSize;
      break;
    default:
      break;
  }
  offset = std::max(offset, 0);
  return std::min(offset, pictureSize - viewSize);
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
  if (m_buffer.isNull()) return;
  const QRect client = ClientRect();
  painter.drawImage(client.topLeft(), m_buffer, QRect(QPoint(0, 0), m_view.size()));
  // The corner between the two bars.
  if (m_hBar->isVisible() && m_vBar->isVisible())
    painter.fillRect(client.left() + m_view.width(), client.top() + m_view.height(), m_barThickness,
                     m_barThickness, palette().window());
}

}  // namespace vornal
