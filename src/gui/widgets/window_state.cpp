#include "gui/widgets/window_state.h"

#include <QHeaderView>
#include <QSettings>
#include <QTableView>
#include <QWidget>

namespace vornal {
namespace {

QSettings ProgramSettings() {
  return QSettings(QStringLiteral("Vornal"), QStringLiteral("vornal"));
}

}  // namespace

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
