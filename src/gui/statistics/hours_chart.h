#pragma once

#include <QChartView>
#include <QString>
#include <QStringList>

#include "stats/timesheet.h"

namespace vornal {

// The "График" tab: bars of the working time and of the task time in hours,
// per day of the month (per month of a year), of one person of a timesheet
// or of everybody together, with axis titles and a legend.
class HoursChart : public QChartView {
  Q_OBJECT

 public:
  explicit HoursChart(QWidget* parent = nullptr);

  // row: an index into sheet.rows, or -1 for everybody's total.
  void Show(const Timesheet& sheet, int row);

 protected:
  void resizeEvent(QResizeEvent* event) override;

 private:
  // Day labels in a smaller font, else every second one, when they do not
  // fit side by side, so none is cut to "…".
  void FitLabels();

  QString m_title;
  QStringList m_labels;
  int m_ticks = 5;
};

}  // namespace vornal
