#pragma once

#include <QSettings>
#include <QString>

class QTableView;
class QWidget;

namespace vornal {

// A window's size and a grid's column widths, kept between starts in the
// program's settings (organisation "Vornal", application "vornal") under
// the window's name.
void RestoreWindowState(QWidget* window, QTableView* grid, const QString& name);
void SaveWindowState(const QWidget* window, const QTableView* grid, const QString& name);

// The program's settings of this user: ~/.config/Vornal/vornal.conf.
QSettings ProgramSettings();
// A size for the window within its screen's free area, its title bar and
// frame included, and not below its smallest layout.
QSize SizeOnScreen(const QWidget* window, const QSize& size);

}  // namespace vornal
