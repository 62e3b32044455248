#include "gui/statistics/hours_chart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QValueAxis>
#include <algorithm>

#include "gui/widgets/display_text.h"
#include "report/timesheet_report.h"

namespace vornal {

HoursChart::HoursChart(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
  chart()->legend()->setVisible(true);
  chart()->legend()->setAlignment(Qt::AlignBottom);
  chart()->setAnimationOptions(QChart::NoAnimation);
}

void HoursChart::Show(const Timesheet& sheet, int row) {
  QChart* target = chart();
  target->removeAllSeries();
  for (QAbstractAxis* axis : target->axes()) {
    target->removeAxis(axis);
    delete axis;
  }
  const bool everybody = row < 0 || row >= static_cast<int>(sheet.rows.size());
  const std::vector<DayWork>& cells =
      everybody ? sheet.columnTotals : sheet.rows[static_cast<std::size_t>(row)].cells;

  auto* work = new QBarSet(DisplayText::FamilySeries(false));
  auto* tasks = new QBarSet(DisplayText::FamilySeries(true));
  QStringList categories;
  double low = 0, high = 0;
  for (int column = 0; column < sheet.ColumnCount(); ++column) {
    const DayWork& cell = cells[static_cast<std::size_t>(column)];
    const double workHours = static_cast<double>(cell.work) / 3600;
    const double taskHours = static_cast<double>(cell.tasks) / 3600;
    *work << workHours;
    *tasks << taskHours;
    low = std::min({low, workHours, taskHours});
    high = std::max({high, workHours, taskHours});
    categories << TimesheetReport::ColumnTitle(sheet, column);
  }
  auto* series = new QBarSeries;
  series->append(work);
  series->append(tasks);
  target->addSeries(series);

  auto* axisX = new QBarCategoryAxis;
  axisX->append(categories);
  axisX->setTitleText(sheet.ByMonth() ? tr("Месяц") : tr("День"));
  target->addAxis(axisX, Qt::AlignBottom);
  series->attachAxis(axisX);
  auto* axisY = new QValueAxis;
  axisY->setRange(low, high > low ? high : low + 1);
  axisY->applyNiceNumbers();
  axisY->setLabelFormat(QStringLiteral("%.0f"));
  axisY->setTitleText(tr("Часы"));
  target->addAxis(axisY, Qt::AlignLeft);
  series->attachAxis(axisY);

  const QString who = everybody
                          ? tr("все работники")
                          : TimesheetReport::PersonText(sheet.rows[static_cast<std::size_t>(row)]);
  target->setTitle(
      tr("Часы за %1: %2").arg(TimesheetReport::PeriodText(sheet.year, sheet.month), who));
}

}  // namespace vornal
