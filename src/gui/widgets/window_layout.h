#pragma once

#include <QList>
#include <QRect>
#include <QSize>
#include <QString>

class QTableView;
class QWidget;

namespace vornal {

// Keeps a window's controls where its form puts them as the window grows
// beyond its default size: each control moves with the right and/or bottom
// edge, or stretches with it. At the default size nothing moves.
class EdgeAnchors {
 public:
  enum Anchor {
    kFixed = 0,
    kMoveX = 1,  // follows the right edge
    kMoveY = 2,  // follows the bottom edge
    kGrowX = 4,  // widens with the window
    kGrowY = 8,  // grows taller with the window
  };

  // Remembers the control's geometry now as its place at `defaultSize`.
  void Add(QWidget* widget, int anchors);
  // Places every control for the window's size; smaller than the default
  // counts as the default.
  void Apply(const QSize& windowSize) const;
  void SetDefaultSize(const QSize& size) { m_defaultSize = size; }

 private:
  struct Entry {
    QWidget* widget;
    QRect rect;
    int anchors;
  };
  QList<Entry> m_entries;
  QSize m_defaultSize;
};

// A window's size and a grid's column widths, kept between starts in the
// program's settings (organisation "Vornal", application "vornal") under
// the window's name.
void RestoreWindowState(QWidget* window, QTableView* grid, const QString& name);
void SaveWindowState(const QWidget* window, const QTableView* grid, const QString& name);

}  // namespace vornal
