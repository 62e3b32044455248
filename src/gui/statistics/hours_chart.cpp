#include "gui/statistics/hours_chart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCursor>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cstdlib>

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
  // The bar under the pointer says its day (month) and its hours.
  connect(series, &QBarSeries::hovered, this,
          [categories, title = axisX->titleText()](bool on, int index, QBarSet* set) {
            if (!on || index < 0 || index >= categories.size()) {
              QToolTip::hideText();
              return;
            }
            const qint64 minutes = qRound64(set->at(index) * 60);
            QToolTip::showText(QCursor::pos(),
                               QStringLiteral("%1 %2\n%3: %4:%5")
                                   .arg(title, categories[index], set->label())
                                   .arg(minutes / 60)
                                   .arg(std::abs(minutes % 60), 2, 10, QLatin1Char('0')));
          });

  const QString who = everybody
                          ? tr("все работники")
                          : TimesheetReport::PersonText(sheet.rows[static_cast<std::size_t>(row)]);
  target->setTitle(
      tr("Часы за %1: %2").arg(TimesheetReport::PeriodText(sheet.year, sheet.month), who));
  FitLabels();
}

void HoursChart::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  FitLabels();
}

void HoursChart::FitLabels() {
  const QList<QAbstractAxis*> axes = chart()->axes(Qt::Horizontal);
  if (axes.isEmpty()) return;
  auto* axis = static_cast<QBarCategoryAxis*>(axes.front());
  if (axis->count() == 0) return;
  const QFontMetrics metrics(axis->labelsFont());
  int widest = 0;
  for (const QString& label : axis->categories())
    widest = std::max(widest, metrics.horizontalAdvance(label));
  // The plot is not laid out before the first show: the view's width less
  // the value axis is near enough.
  const qreal plot = chart()->plotArea().width() > 0 ? chart()->plotArea().width() : width() * 0.8;
  const bool fit = plot / axis->count() >= widest + metrics.averageCharWidth();
  axis->setLabelsAngle(fit ? 0 : -90);
}

}  // namespace vornal
