#include "gui/statistics/timesheet_model.h"

#include <QBrush>
#include <QColor>
#include <QFont>
#include <QStringList>
#include <unordered_map>

#include "gui/widgets/display_text.h"
#include "report/timesheet_report.h"
#include "text/login_key.h"

namespace vornal {
namespace {

constexpr int kTotalColumns = 3;  // days, work, tasks
constexpr int kNormColumns = 2;   // norm, difference
const QColor kAbsence(255, 244, 200);
const QColor kFlagged(255, 205, 205);

}  // namespace

TimesheetModel::TimesheetModel(QObject* parent) : QAbstractTableModel(parent) {}

void TimesheetModel::SetTimesheet(const Timesheet* sheet) {
  beginResetModel();
  m_sheet = sheet;
  m_marks = nullptr;
  m_rowMarks.clear();
  endResetModel();
}

void TimesheetModel::SetMarks(const T13Sheet* marks) {
  beginResetModel();
  m_marks = marks && m_sheet && !m_sheet->ByMonth() ? marks : nullptr;
  m_rowMarks.assign(m_sheet ? m_sheet->rows.size() : 0, nullptr);
  if (m_marks) {
    std::unordered_map<std::string, const T13Row*> byKey;
    for (const T13Row& row : m_marks->rows) byKey.emplace(LoginKey(row.login), &row);
    for (std::size_t i = 0; i < m_rowMarks.size(); ++i) {
      const auto found = byKey.find(LoginKey(m_sheet->rows[i].login));
      if (found != byKey.end()) m_rowMarks[i] = found->second;
    }
  }
  endResetModel();
}

const T13Row* TimesheetModel::Marks(int row) const {
  if (row < 0 || row >= static_cast<int>(m_rowMarks.size())) return nullptr;
  return m_rowMarks[static_cast<std::size_t>(row)];
}

bool TimesheetModel::DayOff(int column) const {
  if (m_marks && column < static_cast<int>(m_marks->calendar.size()))
    return !m_marks->calendar[static_cast<std::size_t>(column)].Working();
  return m_sheet->IsWeekend(column);
}

int TimesheetModel::rowCount(const QModelIndex& parent) const {
  if (parent.isValid() || !m_sheet) return 0;
  return static_cast<int>(m_sheet->rows.size()) + 1;
}

int TimesheetModel::columnCount(const QModelIndex& parent) const {
  if (parent.isValid() || !m_sheet) return 0;
  return m_sheet->ColumnCount() + kTotalColumns + (m_marks ? kNormColumns : 0);
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
  const T13Row* marks = Marks(row);
  if (column < columns) {
    QString text = DisplayText::WorkCell(Cells(row)[static_cast<std::size_t>(column)]);
    if (!marks) return text;
    const T13Day& day = marks->days[static_cast<std::size_t>(column)];
    if (day.absence)
      text = DisplayText::CodeLetters(day.absence) + (text.isEmpty() ? QString() : u' ' + text);
    if (day.Flagged()) text += u'!';
    if (!day.correction.empty()) text += u'*';
    return text;
  }
  if (column >= columns + kTotalColumns) {
    if (!marks) return {};
    return column == columns + kTotalColumns ? DisplayText::Hours(marks->norm)
                                             : DisplayText::Hours(marks->Difference());
  }
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
      if (const T13Row* marks = Marks(row); marks && column < columns) {
        const T13Day& day = marks->days[static_cast<std::size_t>(column)];
        if (day.Flagged()) return QBrush(kFlagged);
        if (day.absence) return QBrush(kAbsence);
      }
      if (column < columns && DayOff(column)) return QBrush(QColor(226, 226, 226));
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
      QStringList tip;
      if (cell.HasWork()) tip << DisplayText::WorkTip(cell);
      if (const T13Row* marks = Marks(row)) {
        const T13Day& day = marks->days[static_cast<std::size_t>(column)];
        if (day.absence) {
          QString absence = DisplayText::TimesheetCodeItem(day.absence);
          if (!day.absenceNote.empty())
            absence += QStringLiteral(" (") + QString::fromStdString(day.absenceNote) + u')';
          tip << absence;
        }
        if (!day.correction.empty()) tip << DisplayText::CorrectedTip(day.correction);
      }
      if (tip.isEmpty()) return {};
      return tip.join(u'\n');
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
  if (section == columns + 2) return DisplayText::TimesheetHeading(DisplayText::Heading::Tasks);
  return DisplayText::TimesheetHeading(section == columns + kTotalColumns
                                           ? DisplayText::Heading::Norm
                                           : DisplayText::Heading::Difference);
}

}  // namespace vornal
