#pragma once

#include <QAbstractScrollArea>
#include <vector>

#include "stats/day_timeline.h"

namespace vornal {

// A day as a timeline: the hours along the top, a lane per person, bars for
// the working-day rows and, inside them, narrower bars for the task rows.
// The hours stay in sight while the lanes scroll; a bar's times show in its
// tooltip.
class DayTimelineView : public QAbstractScrollArea {
  Q_OBJECT

 public:
  explicit DayTimelineView(QWidget* parent = nullptr);

  void SetLanes(std::vector<DayLane> lanes);
  const std::vector<DayLane>& Lanes() const { return m_lanes; }

  QSize sizeHint() const override;

 protected:
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
