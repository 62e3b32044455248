#pragma once

#include <QAbstractScrollArea>
#include <vector>

#include "stats/day_timeline.h"

namespace vornal {

// A day as a timeline: the hours along the top, a lane per person, bars for
// the working-day rows and, inside them, narrower bars for the task rows.
// The hours stay in sight while the lanes scroll; a bar's times show in its
// tooltip. A corrected bar has a frame and its correction's reason in the
// tooltip. Double-clicking a bar, or its context menu, asks for a
// correction; the window that holds the view makes it.
class DayTimelineView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit DayTimelineView(QWidget* parent = nullptr);

  void SetLanes(std::vector<DayLane> lanes);
  const std::vector<DayLane>& Lanes() const { return m_lanes; }

  QSize sizeHint() const override;

  // The bar under a point of the viewport (a task inside its working day
  // first): its lane's index and the bar; nothing when there is none.
  struct Hit {
    int lane = -1;
    const DayLane::Bar* bar = nullptr;
  };
  Hit HitAt(const QPoint& point) const;

 Q_SIGNALS:
  // A finished row to change, remove, or whose latest correction to undo;
  // a new row for the lane's login beginning at the time of day (seconds).
  void ChangeRequested(const vornal::DayLane& lane, const vornal::DayLane::Bar& bar);
  void RemoveRequested(std::int64_t rowId);
  void UndoRequested(std::int64_t rowId);
  void AddRequested(const QString& login, int seconds);

 protected:
  void contextMenuEvent(QContextMenuEvent* event) override;
  void mouseDoubleClickEvent(QMouseEvent* event) override;
  void paintEvent(QPaintEvent* event) override;
  void resizeEvent(QResizeEvent* event) override;
  bool viewportEvent(QEvent* event) override;

 private:
  int LaneHeight() const;
  int RulerHeight() const;
  int NameWidth() const;
  // The x of a time of day (seconds) in the viewport.
  double X(int seconds) const;
  void UpdateScrollBar();

  std::vector<DayLane> m_lanes;
};

}  // namespace vornal
