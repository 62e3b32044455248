#pragma once

#include <QString>

class QTableView;
class QWidget;

namespace vornal {

// A window's size and a grid's column widths, kept between starts in the
// program's settings (organisation "Vornal", application "vornal") under
// the window's name.
void RestoreWindowState(QWidget* window, QTableView* grid, const QString& name);
void SaveWindowState(const QWidget* window, const QTableView* grid, const QString& name);

}  // namespace vornal
