#include "gui/widgets/table_view.h"

#include <QAbstractItemDelegate>
#include <QHeaderView>
#include <QHelpEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

namespace vornal {

TableView::TableView(QWidget* parent) : QTableView(parent) {
  setSelectionBehavior(QAbstractItemView::SelectRows);
  setSelectionMode(QAbstractItemView::SingleSelection);
  setEditTriggers(QAbstractItemView::NoEditTriggers);
  setWordWrap(false);
  setTabKeyNavigation(false);
  verticalHeader()->hide();
  // Fixed heights let the view draw only the rows in sight, however many.
  verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 4);
  horizontalHeader()->setHighlightSections(false);
  horizontalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);
}

void TableView::SetShownRows(int rows) {
  m_shownRows = rows;
  updateGeometry();
}

void TableView::SetColumnChars(int column, int chars) {
  const int margins = 2 * (style()->pixelMetric(QStyle::PM_FocusFrameHMargin, nullptr, this) + 1);
  setColumnWidth(column, fontMetrics().averageCharWidth() * chars + margins);
}

bool TableView::ShowsWhole(const QModelIndex& index) const {
  if (!index.isValid() || index.data().toString().isEmpty()) return true;
  QStyleOptionViewItem option;
  initViewItemOption(&option);
  return itemDelegateForIndex(index)->sizeHint(option, index).width() <=
         columnWidth(index.column());
}

void TableView::SetEmptyText(const QString& text) {
  m_emptyText = text;
  viewport()->update();
}

QString TableView::ShownEmptyText() const {
  return model() && model()->rowCount() == 0 ? m_emptyText : QString();
}

void TableView::paintEvent(QPaintEvent* event) {
  QTableView::paintEvent(event);
  const QString text = ShownEmptyText();
  if (text.isEmpty()) return;
  QPainter painter(viewport());
  painter.setPen(palette().color(QPalette::Disabled, QPalette::Text));
  const int margin = fontMetrics().averageCharWidth();
  painter.drawText(viewport()->rect().adjusted(margin, 0, -margin, 0),
                   Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, u' ' + text);
}

QSize TableView::sizeHint() const {
  int width = 2 * frameWidth() + verticalScrollBar()->sizeHint().width();
  for (int column = 0; column < horizontalHeader()->count(); ++column)
    if (!isColumnHidden(column)) width += columnWidth(column);
  const int height = 2 * frameWidth() + horizontalHeader()->sizeHint().height() +
                     m_shownRows * verticalHeader()->defaultSectionSize();
  return {width, height};
}

bool TableView::viewportEvent(QEvent* event) {
  if (event->type() != QEvent::ToolTip) return QTableView::viewportEvent(event);
  const auto* help = static_cast<QHelpEvent*>(event);
  const QModelIndex index = indexAt(help->pos());
  if (ShowsWhole(index))
    QToolTip::hideText();
  else
    QToolTip::showText(help->globalPos(), index.data().toString(), viewport(), visualRect(index));
  return true;
}

}  // namespace vornal
