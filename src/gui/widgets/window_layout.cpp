#include "gui/widgets/window_layout.h"

#include <QHeaderView>
#include <QSettings>
#include <QTableView>
#include <QWidget>
#include <algorithm>

namespace vornal {
namespace {

QSettings ProgramSettings() {
  return QSettings(QStringLiteral("Vornal"), QStringLiteral("vornal"));
}

}  // namespace

void EdgeAnchors::Add(QWidget* widget, int anchors) {
  m_entries.push_back({widget, widget->geometry(), anchors});
}

void EdgeAnchors::Apply(const QSize& windowSize) const {
  const int dx = std::max(windowSize.width() - m_defaultSize.width(), 0);
  const int dy = std::max(windowSize.height() - m_defaultSize.height(), 0);
  for (const Entry& entry : m_entries) {
    QRect rect = entry.rect;
    if (entry.anchors & kMoveX) rect.translate(dx, 0);
    if (entry.anchors & kMoveY) rect.translate(0, dy);
    if (entry.anchors & kGrowX) rect.setWidth(rect.width() + dx);
    if (entry.anchors & kGrowY) rect.setHeight(rect.height() + dy);
    entry.widget->setGeometry(rect);
  }
}

void RestoreWindowState(QWidget* window, QTableView* grid, const QString& name) {
  QSettings settings = ProgramSettings();
  settings.beginGroup(name);
  const QSize size = settings.value(QStringLiteral("size")).toSize();
  if (size.isValid()) window->resize(size.expandedTo(window->minimumSize()));
  const QVariantList widths = settings.value(QStringLiteral("columns")).toList();
  // Widths saved for another set of columns are no use.
  if (widths.size() != grid->horizontalHeader()->count()) return;
  for (int col = 0; col < widths.size(); ++col) {
    const int width = widths[col].toInt();
    if (width > 0) grid->setColumnWidth(col, width);
  }
}

void SaveWindowState(const QWidget* window, const QTableView* grid, const QString& name) {
  QSettings settings = ProgramSettings();
  settings.beginGroup(name);
  settings.setValue(QStringLiteral("size"), window->size());
  QVariantList widths;
  for (int col = 0; col < grid->horizontalHeader()->count(); ++col)
    widths.push_back(grid->columnWidth(col));
  settings.setValue(QStringLiteral("columns"), widths);
}

}  // namespace vornal
