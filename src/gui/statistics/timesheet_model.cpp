#include "gui/statistics/timesheet_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>

#include "gui/widgets/display_text.h"
#include "report/timesheet_report.h"

namespace vornal {
namespace {

constexpr int kTotalColumns = 3;  // days, work, tasks

}  // namespace

TimesheetModel::TimesheetModel(QObject* parent) : QAbstractTableModel(parent) {}

void TimesheetModel::SetTimesheet(const Timesheet* sheet) {
  beginResetModel();
  m_sheet = sheet;
  endResetModel();
}

int TimesheetModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !m_sheet) return 0;
  return static_cast<int>(m_sheet->rows.size()) + 1;
}

int TimesheetModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || !m_sheet) return 0;
  return m_sheet->ColumnCount() + kTotalColumns;
}

const std::vector<DayWork>& TimesheetModel::Cells(int row) const {
  if (row < static_cast<int>(m_sheet->rows.size()))
    return m_sheet->rows[static_cast<std::size_t>(row)].cells;
  return m_sheet->columnTotals;
}

const DayWork& TimesheetModel::Total(int row) const {
  if (row < static_cast<int>(m_sheet->rows.size()))
    return m_sheet->rows[static_cast<std::size_t>(row)].total;
  return m_sheet->total;
}

QString TimesheetModel::Text(int row, int column) const {
  const int columns = m_sheet->ColumnCount();
  if (column < columns) return DisplayText::WorkCell(Cells(row)[static_cast<std::size_t>(column)]);
  const DayWork& total = Total(row);
  if (column == columns) return QString::number(total.days);
  if (column == columns + 1) return DisplayText::WorkHours(total);
  return DisplayText::TaskHours(total);
}

QVariant TimesheetModel::data(const QModelIndex& index, int role) const {
  if (!m_sheet || !index.isValid()) return {};
  const int row = index.row();
  const int column = index.column();
  const int columns = m_sheet->ColumnCount();
  const bool totalsRow = row == static_cast<int>(m_sheet->rows.size());
  switch (role) {
    case Qt::DisplayRole:
      return Text(row, column);
    case Qt::TextAlignmentRole:
      return QVariant::fromValue(
          Qt::Alignment((column < columns ? Qt::AlignHCenter : Qt::AlignRight) | Qt::AlignVCenter));
    case Qt::BackgroundRole:
      if (column < columns && m_sheet->IsWeekend(column)) return QBrush(QColor(226, 226, 226));
      if (totalsRow || column >= columns) return QBrush(QColor(242, 242, 242));
      return {};
    case Qt::FontRole:
      if (totalsRow) {
        QFont font;
        font.setBold(true);
        return font;
      }
      return {};
    case Qt::ToolTipRole: {
      if (column >= columns) return {};
      const DayWork& cell = Cells(row)[static_cast<std::size_t>(column)];
      if (!cell.HasWork()) return {};
      return DisplayText::WorkTip(cell);
    }
    default:
      return {};
  }
}

QVariant TimesheetModel::headerData(int section, Qt::Orientation orientation, int role) const {
  if (!m_sheet) return {};
  if (orientation == Qt::Vertical && section < static_cast<int>(m_sheet->rows.size())) {
    // A long name would widen the row headings until no day is in sight:
    // it is cut, and shown whole in the tooltip.
    const QString person =
        TimesheetReport::PersonText(m_sheet->rows[static_cast<std::size_t>(section)]);
    if (role == Qt::ToolTipRole) return person;
    if (role != Qt::DisplayRole) return {};
    if (person.size() <= kHeadingChars) return person;
    return QString(person.left(kHeadingChars - 1).trimmed() + u'…');
  }
  if (role != Qt::DisplayRole) return {};
  if (orientation == Qt::Vertical)
    return DisplayText::TimesheetHeading(DisplayText::Heading::Total);
  const int columns = m_sheet->ColumnCount();
  if (section < columns) {
    const QString title = TimesheetReport::ColumnTitle(*m_sheet, section);
    if (m_sheet->ByMonth()) return title;
    return QString(title + QLatin1Char('\n') +
                   TimesheetReport::WeekdayShortName(WeekdayOf(m_sheet->ColumnDate(section))));
  }
  if (section == columns) return DisplayText::TimesheetHeading(DisplayText::Heading::Days);
  if (section == columns + 1) return DisplayText::TimesheetHeading(DisplayText::Heading::Work);
  return DisplayText::TimesheetHeading(DisplayText::Heading::Tasks);
}

}  // namespace vornal
