#include "gui/statistics/calendar_dialog.h"

#include <QHeaderView>
#include <QMenu>
#include <set>
#include <stdexcept>

#include "gui/widgets/display_text.h"
#include "gui/widgets/message_box.h"
#include "report/timesheet_report.h"
#include "stats/timesheet.h"
#include "ui_calendar_dialog.h"

namespace vornal {

CalendarDialog::CalendarDialog(Database& db, int year, int month, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::CalendarDialog), m_db(db) {
  m_ui->setupUi(this);
  QTableWidget* table = m_ui->daysTable;
  table->setColumnCount(4);
  table->setHorizontalHeaderLabels({tr("Дата"), tr("День недели"), tr("Вид дня"), tr("Часы")});
  table->horizontalHeader()->setSectionResizeMode(QHeaderView::Stretch);
  table->verticalHeader()->hide();
  connect(table, &QWidget::customContextMenuRequested, this, &CalendarDialog::Menu);
  connect(m_ui->previousButton, &QToolButton::clicked, this, [this] {
    ShowMonth(m_month == 1 ? m_year - 1 : m_year, m_month == 1 ? 12 : m_month - 1);
  });
  connect(m_ui->nextButton, &QToolButton::clicked, this, [this] {
    ShowMonth(m_month == 12 ? m_year + 1 : m_year, m_month == 12 ? 1 : m_month + 1);
  });
  ShowMonth(year, month);
}

CalendarDialog::~CalendarDialog() = default;

bool CalendarDialog::ShowMonth(int year, int month) {
  const std::optional<DateTime> first = DateTime::FromParts(year, month, 1);
  if (!first) return false;
  try {
    m_days = ReadCalendar(m_db, *first, first->AddDays(DateTime::DaysInMonth(year, month) - 1));
  } catch (const StoreError& e) {
    MessageBox::EngineError(this, e, QString());
    return false;
  }
  m_year = year;
  m_month = month;
  m_ui->monthLabel->setText(TimesheetReport::MonthName(month) + u' ' + QString::number(year));
  QTableWidget* table = m_ui->daysTable;
  table->setRowCount(static_cast<int>(m_days.size()));
  int working = 0;
  for (int row = 0; row < table->rowCount(); ++row) {
    const CalendarDay& day = m_days[static_cast<std::size_t>(row)];
    working += day.Working();
    const QString texts[] = {
        QString::fromStdString(day.date.Format("%d.%m.%Y")),
        TimesheetReport::WeekdayName(WeekdayOf(day.date)),
        DisplayText::DayKindName(day.kind) + (day.changed ? tr(" (изменён)") : QString()),
        day.Working() ? DisplayText::Hours(day.normSeconds) : QString()};
    for (int column = 0; column < 4; ++column) {
      auto* item = new QTableWidgetItem(texts[column]);
      if (!day.Working()) item->setBackground(QColor(226, 226, 226));
      if (day.changed) {
        QFont font = item->font();
        font.setBold(true);
        item->setFont(font);
      }
      table->setItem(row, column, item);
    }
  }
  m_ui->normLabel->setText(tr("Норма месяца: %1 ч в %2 рабочих днях")
                               .arg(DisplayText::Hours(NormSeconds(m_days)))
                               .arg(working));
  return true;
}

void CalendarDialog::Menu(const QPoint& at) {
  if (m_ui->daysTable->selectionModel()->selectedRows().isEmpty()) return;
  QMenu menu(this);
  menu.addAction(tr("Рабочий день"), [this] { SetChosen(DayKind::Work); });
  menu.addAction(tr("Сокращённый день"), [this] { SetChosen(DayKind::Short); });
  menu.addAction(tr("Выходной"), [this] { SetChosen(DayKind::Off); });
  menu.addSeparator();
  menu.addAction(tr("Как по умолчанию"), [this] { SetChosen(std::nullopt); });
  menu.exec(m_ui->daysTable->viewport()->mapToGlobal(at));
}

void CalendarDialog::SetChosen(std::optional<DayKind> kind) {
  std::set<int> rows;
  for (const QModelIndex& index : m_ui->daysTable->selectionModel()->selectedRows())
    rows.insert(index.row());
  try {
    if (kind) {
      std::vector<CalendarChange> changes;
      for (const int row : rows)
        changes.push_back({m_days[static_cast<std::size_t>(row)].date, *kind, std::nullopt});
      SetCalendarDays(m_db, changes);
    } else {
      Transaction transaction(m_db);
      for (const int row : rows) ClearCalendarDay(m_db, m_days[static_cast<std::size_t>(row)].date);
      transaction.Commit();
    }
    m_changed = true;
  } catch (const StoreError& e) {
    MessageBox::EngineError(this, e, tr("календарь не изменён"));
  } catch (const std::invalid_argument& e) {
    MessageBox::Warning(this, QString::fromStdString(e.what()));
  }
  ShowMonth(m_year, m_month);
}

}  // namespace vornal
