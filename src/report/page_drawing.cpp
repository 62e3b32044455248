#include "report/page_drawing.h"

#include <QFontMetricsF>
#include <QPainter>

#include "text/date_time.h"
#include "text/visible_text.h"

namespace vornal::report {

QString Hours(qint64 seconds) {
  return QString::fromStdString(HoursText(seconds));
}

QString Shown(const std::string& text) {
  return QString::fromStdString(VisibleText(text));
}

QFont Font(int size, bool bold) {
  QFont font(QStringLiteral("DejaVu Sans"));
  font.setPixelSize(size);
  font.setBold(bold);
  return font;
}

void Text(QPainter& painter, const QRectF& rect, const QString& text, int align,
          const QFont& font) {
  painter.setFont(font);
  const QRectF inner = rect.adjusted(1.5, 0, -1.5, 0);
  const qreal width = QFontMetricsF(font).horizontalAdvance(text);
  if (width <= inner.width() || inner.width() <= 0) {
    painter.drawText(inner, align | Qt::AlignVCenter, text);
    return;
  }
  painter.save();
  painter.translate(inner.left(), inner.top());
  painter.scale(inner.width() / width, 1);
  painter.drawText(QRectF(0, 0, width, inner.height()), Qt::AlignLeft | Qt::AlignVCenter, text);
  painter.restore();
}

void Cell(QPainter& painter, const QRectF& rect, const QString& text, int align, const QFont& font,
          const QColor& shade) {
  if (shade.isValid()) painter.fillRect(rect, shade);
  painter.drawRect(rect);
  Text(painter, rect, text, align, font);
}

void Elided(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font) {
  painter.setFont(font);
  const QRectF inner = rect.adjusted(1.5, 0, -1.5, 0);
  painter.drawText(inner, Qt::AlignLeft | Qt::AlignVCenter,
                   QFontMetricsF(font).elidedText(text, Qt::ElideRight, inner.width()));
}

}  // namespace vornal::report
