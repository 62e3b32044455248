#include "gui/statistics/hours_chart.h"

#include <QBarCategoryAxis>
#include <QBarSeries>
#include <QBarSet>
#include <QChart>
#include <QCursor>
#include <QGraphicsLayout>
#include <QToolTip>
#include <QValueAxis>
#include <algorithm>
#include <cstdlib>

#include "gui/widgets/display_text.h"
#include "report/timesheet_report.h"

namespace vornal {
namespace {

// The smallest size of the day labels, in points: still read at a glance.
constexpr qreal kSmallestLabel = 7;
// The least height of the chart with its title and axis titles, in pixels.
constexpr int kTitledHeight = 260;

}  // namespace

HoursChart::HoursChart(QWidget* parent) : QChartView(parent) {
  setRenderHint(QPainter::Antialiasing);
  // Room for the plot on a small screen: no frame around the chart.
  chart()->setMargins(QMargins(4, 4, 4, 4));
  chart()->setBackgroundRoundness(0);
  chart()->layout()->setContentsMargins(0, 0, 0, 0);
  // The plot's width is known once the chart is laid out.
  connect(chart(), &QChart::plotAreaChanged, this, &HoursChart::FitLabels);
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
  // Labels are fitted below, whole: never cut to "…".
  axisX->setTruncateLabels(false);
  axisX->append(categories);
  axisX->setTitleText(sheet.ByMonth() ? tr("Месяц") : tr("День"));
  target->addAxis(axisX, Qt::AlignBottom);
  series->attachAxis(axisX);
  m_labels = categories;
  auto* axisY = new QValueAxis;
  axisY->setRange(low, high > low ? high : low + 1);
  axisY->applyNiceNumbers();
  m_ticks = axisY->tickCount();
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
  m_title = tr("Часы за %1: %2").arg(TimesheetReport::PeriodText(sheet.year, sheet.month), who);
  FitLabels();
}

void HoursChart::resizeEvent(QResizeEvent* event) {
  QChartView::resizeEvent(event);
  FitLabels();
}

void HoursChart::FitLabels() {
  // A short chart (a small screen) leaves its titles to the window's heading
  // and the person's choice, and keeps its height for the bars and labels.
  const bool tall = height() >= kTitledHeight;
  chart()->setTitle(tall ? m_title : QString());
  for (QAbstractAxis* axis : chart()->axes()) axis->setTitleVisible(tall);
  // Fewer hour lines, so their labels are not crowded into "…".
  for (QAbstractAxis* axis : chart()->axes(Qt::Vertical))
    static_cast<QValueAxis*>(axis)->setTickCount(tall ? m_ticks : std::min(m_ticks, 3));
  const QList<QAbstractAxis*> axes = chart()->axes(Qt::Horizontal);
  if (axes.isEmpty() || m_labels.isEmpty()) return;
  auto* axis = static_cast<QBarCategoryAxis*>(axes.front());
  const qreal room = chart()->plotArea().width() / static_cast<qreal>(m_labels.size());
  if (room <= 0) return;
  const auto fits = [&](const QFont& font, int step) {
    const QFontMetricsF metrics(font);
    qreal widest = 0;
    for (const QString& label : m_labels)
      widest = std::max(widest, metrics.horizontalAdvance(label));
    return widest + metrics.averageCharWidth() <= room * step;
  };
  // A smaller font first, down to a readable size; then every second (third…)
  // label, the others left blank (zero-width, as the categories must differ).
  QFont font = this->font();
  int step = 1;
  for (;; ++step) {
    font = this->font();
    while (!fits(font, step) && font.pointSizeF() > kSmallestLabel)
      font.setPointSizeF(std::max(kSmallestLabel, font.pointSizeF() - 0.5));
    if (fits(font, step) || step >= m_labels.size()) break;
  }
  QStringList shown;
  for (int i = 0; i < m_labels.size(); ++i)
    shown << (i % step == 0 ? m_labels[i] : QString(i + 1, QChar(0x200B)));
  if (axis->labelsFont() != font) axis->setLabelsFont(font);
  if (axis->categories() != shown) axis->setCategories(shown);
}

}  // namespace vornal
