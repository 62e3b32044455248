#include "gui/widgets/window_state.h"

#include <QGuiApplication>
#include <QHeaderView>
#include <QScreen>
#include <QSettings>
#include <QTableView>
#include <QWidget>

namespace vornal {

QSettings ProgramSettings() {
  return QSettings(QStringLiteral("Vornal"), QStringLiteral("vornal"));
}

QSize SizeOnScreen(const QWidget* window, const QSize& size) {
  const QScreen* screen = window->screen() ? window->screen() : QGuiApplication::primaryScreen();
  if (!screen) return size;
  // Before the window is shown its frame is not known: a title bar's worth.
  const QSize frame =
      window->isVisible() ? window->frameGeometry().size() - window->size() : QSize(16, 48);
  return size.boundedTo(screen->availableGeometry().size() - frame)
      .expandedTo(window->minimumSizeHint());
}

void RestoreWindowState(QWidget* window, QTableView* grid, const QString& name) {
  QSettings settings = ProgramSettings();
  settings.beginGroup(name);
  const QSize size = settings.value(QStringLiteral("size")).toSize();
  // A size saved on a larger screen, or at a smaller scale, comes back
  // within this one; so does a natural size larger than the screen.
  window->resize(SizeOnScreen(
      window, size.isValid() ? size.expandedTo(window->minimumSize()) : window->sizeHint()));
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
