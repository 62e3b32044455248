#pragma once

#include <QColor>
#include <QFont>
#include <QRectF>
#include <QString>
#include <string>

class QPainter;

namespace vornal::report {

// What the forms draw their cells and texts with. Pages are laid out in
// points (1/72 inch) from the paintable area's top left.

// A span of time as the forms write it (HoursText).
QString Hours(qint64 seconds);
// A text of the data as it may be shown: nothing in it reorders or hides
// the text around it.
QString Shown(const std::string& text);

QFont Font(int size, bool bold = false);

enum Align { kLeft = Qt::AlignLeft, kCenter = Qt::AlignHCenter, kRight = Qt::AlignRight };

// A text in a rectangle, vertically centred; squeezed sideways when it is
// wider than the rectangle, so no figure is ever cut.
void Text(QPainter& painter, const QRectF& rect, const QString& text, int align, const QFont& font);
// A cell of a table: its frame, its shade and its text.
void Cell(QPainter& painter, const QRectF& rect, const QString& text, int align, const QFont& font,
          const QColor& shade = QColor());
// A text that may be longer than the rectangle: cut with an ellipsis.
void Elided(QPainter& painter, const QRectF& rect, const QString& text, const QFont& font);

}  // namespace vornal::report
