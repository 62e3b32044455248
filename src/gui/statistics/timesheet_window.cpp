#include "gui/statistics/timesheet_window.h"

#include <QApplication>
#include <QDate>
#include <QHeaderView>
#include <QInputDialog>
#include <QLineEdit>
#include <QMenu>
#include <QPrinter>
#include <QProgressDialog>
#include <QScreen>
#include <QSettings>
#include <algorithm>
#include <functional>
#include <map>
#include <new>
#include <stdexcept>

#include "forms/timesheet_codes.h"
#include "gui/statistics/calendar_dialog.h"
#include "gui/statistics/correction_dialog.h"
#include "gui/statistics/day_timeline_view.h"
#include "gui/statistics/hours_chart.h"
#include "gui/statistics/timesheet_model.h"
#include "gui/widgets/display_text.h"
#include "gui/widgets/file_dialog.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/print_dialog.h"
#include "gui/widgets/window_state.h"
#include "report/t13_report.h"
#include "report/timesheet_report.h"
#include "stats/absences.h"
#include "stats/corrections.h"
#include "stats/day_timeline.h"
#include "store/output_file.h"
#include "store/settings.h"
#include "store/store_error.h"
#include "ui_timesheet_window.h"

namespace vornal {
namespace {

const QString kSizeKey = QStringLiteral("TimesheetWindow/size");

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

DateTime FromQDate(const QDate& date) {
  return *DateTime::FromParts(date.year(), date.month(), date.day());
}

// The wait cursor for as long as the object lives.
class BusyCursor {
 public:
  BusyCursor() { QApplication::setOverrideCursor(Qt::WaitCursor); }
  ~BusyCursor() { QApplication::restoreOverrideCursor(); }
  BusyCursor(const BusyCursor&) = delete;
  BusyCursor& operator=(const BusyCursor&) = delete;
};

}  // namespace

TimesheetWindow::TimesheetWindow(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::TimesheetWindow), m_model(new TimesheetModel(this)) {
  m_ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint);
  QTableView* view = m_ui->timesheetView;
  view->setModel(m_model);
  const int cellWidth = view->fontMetrics().horizontalAdvance(QStringLiteral("188:88?")) + 6;
  view->horizontalHeader()->setDefaultSectionSize(cellWidth);
  view->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setSectionResizeMode(QHeaderView::Fixed);
  view->verticalHeader()->setDefaultSectionSize(view->fontMetrics().height() + 6);
  view->verticalHeader()->setDefaultAlignment(Qt::AlignLeft | Qt::AlignVCenter);

  // The size the operator left, else the form's, within the screen (title
  // bar and frame included) so that the buttons below stay within reach.
  const QSize size = ProgramSettings().value(kSizeKey).toSize();
  resize(SizeOnScreen(this, size.isValid() ? size : this->size()));

  connect(m_ui->closeButton, &QPushButton::clicked, this, &TimesheetWindow::accept);
  connect(m_ui->csvButton, &QPushButton::clicked, this, &TimesheetWindow::SaveCsv);
  connect(m_ui->pdfButton, &QPushButton::clicked, this, &TimesheetWindow::SavePdf);
  connect(m_ui->printButton, &QPushButton::clicked, this, &TimesheetWindow::Print);
  connect(m_ui->sheetsButton, &QPushButton::clicked, this, &TimesheetWindow::SaveSignSheets);
  connect(m_ui->officeEdit, &QLineEdit::editingFinished, this, &TimesheetWindow::StoreOfficeTitle);
  connect(m_ui->chartPerson, &QComboBox::currentIndexChanged, this, [this](int index) {
    // Everybody's total comes first when the timesheet holds everybody.
    const int row = m_login.empty() ? index - 1 : index;
    m_ui->chartView->Show(m_sheet, row);
  });
  connect(m_ui->t13Button, &QToolButton::clicked, this, &TimesheetWindow::SaveT13);
  connect(m_ui->calendarButton, &QToolButton::clicked, this, [this] {
    if (!m_database) return;
    CalendarDialog dialog(*m_database, m_sheet.year, std::max(m_sheet.month, 1), this);
    dialog.exec();
    if (dialog.Changed()) Reload();
  });
  // Absences: cells chosen in the timesheet, and its context menu.
  view->setSelectionMode(QAbstractItemView::ExtendedSelection);
  view->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(view, &QWidget::customContextMenuRequested, this, &TimesheetWindow::TimesheetMenu);
  // Corrections from the day's timeline.
  connect(m_ui->dayView, &DayTimelineView::ChangeRequested, this, &TimesheetWindow::ChangeBar);
  connect(m_ui->dayView, &DayTimelineView::AddRequested, this, &TimesheetWindow::AddBar);
  connect(m_ui->dayView, &DayTimelineView::RemoveRequested, this, [this](std::int64_t id) {
    if (m_database && RemoveRowAsked(*m_database, id, this)) Reload();
  });
  connect(m_ui->dayView, &DayTimelineView::UndoRequested, this, [this](std::int64_t id) {
    if (m_database && UndoLatestCorrectionAsked(*m_database, id, this)) Reload();
  });
  connect(m_ui->dayEdit, &QDateEdit::dateChanged, this, &TimesheetWindow::ShowDay);
  connect(m_ui->previousDayButton, &QToolButton::clicked, this,
          [this] { m_ui->dayEdit->setDate(m_ui->dayEdit->date().addDays(-1)); });
  connect(m_ui->nextDayButton, &QToolButton::clicked, this,
          [this] { m_ui->dayEdit->setDate(m_ui->dayEdit->date().addDays(1)); });
}

TimesheetWindow::~TimesheetWindow() {
  // The table's model outlives m_sheet: its view goes with the window's children.
  m_model->SetTimesheet(nullptr);
}

int TimesheetWindow::Exec(Database* database, int year, int month, int day,
                          const std::string& login) {
  if (!Load(database, year, month, day, login)) return Rejected;
  return exec();
}

bool TimesheetWindow::Guarded(const std::function<void()>& step) {
  try {
    step();
    return true;
  } catch (const StoreError& e) {
    MessageBox::Stop(
        this, tr("Не удалось прочитать базу данных.") + QLatin1Char('\n') + FromStd(e.what()));
  } catch (const std::bad_alloc&) {
    MessageBox::Stop(this, tr("Не хватает памяти."));
  }
  return false;
}

bool TimesheetWindow::Load(Database* database, int year, int month, int day,
                           const std::string& login) {
  m_database = database;
  m_login = login;
  if (!m_database) return false;
  // A day is shown beside its month's timesheet.
  std::optional<Timesheet> sheet;
  std::optional<DateTime> lastDay;
  {
    const BusyCursor busy;
    // A year of everybody is a million rows: a progress bar, and a way out.
    QProgressDialog progress(tr("Табель считается…"), tr("Отмена"), 0, 1, this);
    progress.setWindowModality(Qt::WindowModal);
    progress.setMinimumDuration(400);
    progress.setAutoReset(false);
    const auto step = [&progress](int done, int days) {
      progress.setMaximum(days);
      progress.setValue(done);
      return !progress.wasCanceled();
    };
    if (!Guarded([&] {
          sheet = BuildTimesheet(*m_database, year, month, login, step);
          if (sheet && day == 0) {
            const DateTime first = sheet->ColumnDate(0);
            const DateTime last = month == 0 ? *DateTime::FromParts(year, 12, 31)
                                             : first.AddDays(sheet->ColumnCount() - 1);
            lastDay = LastDayWithRows(*m_database, first, last, login);
          }
          m_storedOffice = FromStd(LoadOfficeTitle(*m_database));
          if (sheet && month > 0) m_t13 = *BuildT13Sheet(*m_database, year, month, login);
        }))
      return false;
  }
  if (!sheet) return false;
  m_sheet = std::move(*sheet);
  m_model->SetTimesheet(&m_sheet);
  if (month > 0) m_model->SetMarks(&m_t13);
  m_ui->t13Button->setEnabled(month > 0);
  // Columns as wide as their totals (a year of everybody runs to seven
  // figures of hours), in the totals row's bold font.
  QTableView* view = m_ui->timesheetView;
  QFont bold = view->font();
  bold.setBold(true);
  const QFontMetrics metrics(bold);
  const int totalsRow = m_model->rowCount() - 1;
  for (int column = 0; column < m_model->columnCount(); ++column) {
    const QString widest = m_model->index(totalsRow, column).data().toString();
    int width = std::max(view->horizontalHeader()->defaultSectionSize(),
                         metrics.horizontalAdvance(widest) + 12);
    // A month's cells may hold an absence's code beside the hours, and its
    // norm columns have their headings' width.
    if (month > 0) {
      width = std::max(
          width, metrics.horizontalAdvance(
                     m_model->headerData(column, Qt::Horizontal, Qt::DisplayRole).toString()) +
                     12);
      for (int row = 0; row < totalsRow; ++row)
        width = std::max(width, view->fontMetrics().horizontalAdvance(
                                    m_model->index(row, column).data().toString()) +
                                    12);
    }
    view->setColumnWidth(column, width);
  }

  const QString period = TimesheetReport::PeriodText(m_sheet.year, m_sheet.month);
  const QString who = login.empty() || m_sheet.rows.empty()
                          ? tr("все работники")
                          : TimesheetReport::PersonText(m_sheet.rows.front());
  setWindowTitle(tr("Табель за %1").arg(period));
  m_ui->periodLabel->setText(tr("Табель за %1: %2").arg(period, who));
  m_ui->officeEdit->setText(m_storedOffice);

  {
    const QSignalBlocker blocker(m_ui->chartPerson);
    m_ui->chartPerson->clear();
    if (login.empty()) m_ui->chartPerson->addItem(tr("Все работники"));
    for (const Timesheet::Row& row : m_sheet.rows)
      m_ui->chartPerson->addItem(TimesheetReport::PersonText(row));
    m_ui->chartPerson->setCurrentIndex(0);
  }
  m_ui->chartView->Show(m_sheet, login.empty() ? -1 : 0);

  const QDate first(year, month == 0 ? 1 : month, 1);
  const QDate last = month == 0 ? QDate(year, 12, 31) : first.addDays(first.daysInMonth() - 1);
  QDate shown = day > 0 ? QDate(year, month, day) : first;
  if (lastDay) shown = QDate(lastDay->Year(), lastDay->Month(), lastDay->Day());
  {
    const QSignalBlocker blocker(m_ui->dayEdit);
    m_ui->dayEdit->setDateRange(first, last);
    m_ui->dayEdit->setDate(shown);
  }
  ShowDay(shown);
  m_ui->tabs->setCurrentWidget(day > 0 ? m_ui->dayTab : m_ui->timesheetTab);
  m_ui->timesheetView->setFocus();
  return true;
}

QDate TimesheetWindow::ShownDay() const {
  return m_ui->dayEdit->date();
}

void TimesheetWindow::ShowDay(const QDate& day) {
  if (!m_database || !day.isValid()) return;
  std::vector<DayLane> lanes;
  if (Guarded([&] { lanes = BuildDayTimeline(*m_database, FromQDate(day), m_login); })) {
    const int people = static_cast<int>(std::count_if(
        lanes.begin(), lanes.end(), [](const DayLane& lane) { return !lane.bars.empty(); }));
    m_ui->dayLabel->setText(tr("%1, работников с записями: %2")
                                .arg(TimesheetReport::WeekdayName(day.dayOfWeek() - 1))
                                .arg(people));
    m_ui->dayView->SetLanes(std::move(lanes));
  }
  m_ui->previousDayButton->setEnabled(day > m_ui->dayEdit->minimumDate());
  m_ui->nextDayButton->setEnabled(day < m_ui->dayEdit->maximumDate());
}

void TimesheetWindow::Reload() {
  const QDate day = ShownDay();
  const int tab = m_ui->tabs->currentIndex();
  const int month = m_sheet.month;
  if (!Load(m_database, m_sheet.year, month, month ? day.day() : 0, m_login)) return;
  if (!month) m_ui->dayEdit->setDate(day);
  m_ui->tabs->setCurrentIndex(tab);
}

void TimesheetWindow::ChangeBar(const DayLane& lane, const DayLane::Bar& bar) {
  if (!m_database) return;
  if (!bar.finished) {
    MessageBox::Warning(
        this, DisplayText::CorrectionRefusalText(CorrectionRefused(CorrectionRefusal::Unfinished)));
    return;
  }
  const QDateTime midnight(ShownDay(), QTime(0, 0));
  CorrectionDialog dialog(*m_database, this);
  dialog.ChangeRow(bar.id, FromStd(lane.login), midnight.addSecs(bar.begin),
                   midnight.addSecs(bar.fullEnd), bar.task);
  if (dialog.exec() == Accepted) Reload();
}

void TimesheetWindow::AddBar(const QString& login, int seconds) {
  if (!m_database) return;
  const QDateTime begin = QDateTime(ShownDay(), QTime(0, 0)).addSecs(seconds);
  CorrectionDialog dialog(*m_database, this);
  dialog.NewRow(login, begin, begin.addSecs(3600), false);
  if (dialog.exec() == Accepted) Reload();
}

void TimesheetWindow::TimesheetMenu(const QPoint& at) {
  if (!m_database || m_sheet.ByMonth()) return;
  const QModelIndexList cells = m_ui->timesheetView->selectionModel()->selectedIndexes();
  const bool any = std::any_of(cells.begin(), cells.end(), [this](const QModelIndex& cell) {
    return cell.row() < static_cast<int>(m_sheet.rows.size()) &&
           cell.column() < m_sheet.ColumnCount();
  });
  if (!any) return;
  QMenu menu(this);
  QMenu* codes = menu.addMenu(tr("Неявка"));
  for (const TimesheetCode& code : TimesheetCodes())
    if (code.absence)
      codes->addAction(DisplayText::TimesheetCodeItem(code.number),
                       [this, number = code.number] { SetAbsence(number); });
  menu.addAction(tr("Очистить неявку"), [this] { SetAbsence(0); });
  menu.exec(m_ui->timesheetView->viewport()->mapToGlobal(at));
}

void TimesheetWindow::SetAbsence(int code) {
  // Each person's chosen days, as runs of days in a row.
  std::map<int, std::vector<int>> days;
  for (const QModelIndex& cell : m_ui->timesheetView->selectionModel()->selectedIndexes())
    if (cell.row() < static_cast<int>(m_sheet.rows.size()) && cell.column() < m_sheet.ColumnCount())
      days[cell.row()].push_back(cell.column());
  std::string note;
  if (code) {
    // The field holds no more than the store keeps, so a long note is cut
    // while typed instead of refused afterwards.
    QInputDialog prompt(this);
    prompt.setWindowTitle(DisplayText::TimesheetCodeItem(code));
    prompt.setLabelText(tr("Примечание:"));
    prompt.setInputMode(QInputDialog::TextInput);
    if (auto* field = prompt.findChild<QLineEdit*>()) field->setMaxLength(kLongestAbsenceNote);
    if (prompt.exec() != QDialog::Accepted) return;
    note = prompt.textValue().toStdString();
  }
  bool done = false;
  try {
    Transaction transaction(*m_database);
    for (auto& [row, columns] : days) {
      std::sort(columns.begin(), columns.end());
      const std::string& login = m_sheet.rows[static_cast<std::size_t>(row)].login;
      for (std::size_t i = 0; i < columns.size();) {
        std::size_t j = i;
        while (j + 1 < columns.size() && columns[j + 1] == columns[j] + 1) ++j;
        const DateTime first = m_sheet.ColumnDate(columns[i]);
        const DateTime last = m_sheet.ColumnDate(columns[j]);
        if (code)
          SetAbsences(*m_database, login, first, last, code, note);
        else
          ClearAbsences(*m_database, login, first, last);
        i = j + 1;
      }
    }
    transaction.Commit();
    done = true;
  } catch (const std::invalid_argument& e) {
    MessageBox::Warning(this, FromStd(e.what()));
  } catch (const StoreError& e) {
    MessageBox::EngineError(this, e, tr("неявки не изменены"));
  }
  if (done) Reload();
}

void TimesheetWindow::SaveT13() {
  StoreOfficeTitle();
  if (m_sheet.ByMonth()) return;
  const QString path = FileDialog::GetSaveFileName(
      this, tr("Сохранить табель по форме Т-13"), tr("Документы PDF (*.pdf)"),
      QStringLiteral("pdf"), SuggestedName(tr("т-13"), QStringLiteral("pdf")));
  if (path.isEmpty()) return;
  const T13Report report(m_t13,
                         {m_ui->officeEdit->text(), QString(), QString(), QDate::currentDate()});
  if (Write(path, report.Pdf())) Saved(path);
}

void TimesheetWindow::StoreOfficeTitle() {
  const QString title = m_ui->officeEdit->text().trimmed();
  if (!m_database || title == m_storedOffice) return;
  try {
    SaveOfficeTitle(*m_database, title.toStdString());
    m_storedOffice = title;
  } catch (const StoreError& e) {
    MessageBox::Warning(this, tr("Не удалось сохранить название организации; оно будет только "
                                 "в этих печатных формах.") +
                                  QLatin1Char('\n') + FromStd(e.what()));
    // Asked once: the text stays for this window's forms.
    m_storedOffice = title;
  }
}

QString TimesheetWindow::SuggestedName(const QString& what, const QString& suffix) const {
  QString period = QString::number(m_sheet.year);
  if (m_sheet.month > 0)
    period += QStringLiteral("-%1").arg(m_sheet.month, 2, 10, QLatin1Char('0'));
  return QStringLiteral("%1-%2.%3").arg(what, period, suffix);
}

void TimesheetWindow::Saved(const QString& path) {
  m_ui->statusLabel->setText(tr("Сохранено: %1").arg(path));
}

bool TimesheetWindow::Write(const QString& path, const QByteArray& bytes) {
  QString reason;
  try {
    if (bytes.isEmpty()) {
      reason = tr("Не удалось нарисовать страницы.");
    } else {
      WriteOutputFile(path.toStdString(),
                      std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
      return true;
    }
  } catch (const OutputError& e) {
    switch (e.GetReason()) {
      case OutputError::Reason::Database:
        reason = tr("Это файл самой базы данных; выберите другое имя.");
        break;
      case OutputError::Reason::Link:
        reason = tr("Это символическая ссылка; выберите сам файл.");
        break;
      case OutputError::Reason::NotRegular:
        reason = tr("Это не обычный файл, а папка, устройство или канал.");
        break;
      case OutputError::Reason::Exists:
      case OutputError::Reason::System:
        reason = FromStd(e.Detail());
        break;
    }
  }
  MessageBox::Warning(this, tr("Не удалось сохранить файл %1:\n%2").arg(path, reason));
  return false;
}

void TimesheetWindow::SaveCsv() {
  StoreOfficeTitle();
  const QString path = FileDialog::GetSaveFileName(
      this, tr("Сохранить табель в CSV"), tr("Таблицы CSV (*.csv)"), QStringLiteral("csv"),
      SuggestedName(tr("табель"), QStringLiteral("csv")));
  if (path.isEmpty()) return;
  const std::string csv = DisplayText::TimesheetCsv(m_sheet);
  if (Write(path, QByteArray::fromStdString(csv))) Saved(path);
}

void TimesheetWindow::SavePdf() {
  StoreOfficeTitle();
  const QString path = FileDialog::GetSaveFileName(
      this, tr("Сохранить табель в PDF"), tr("Документы PDF (*.pdf)"), QStringLiteral("pdf"),
      SuggestedName(tr("табель"), QStringLiteral("pdf")));
  if (path.isEmpty()) return;
  if (Write(path, TimesheetReport(m_sheet, m_ui->officeEdit->text()).TimesheetPdf())) Saved(path);
}

void TimesheetWindow::SaveSignSheets() {
  StoreOfficeTitle();
  const QString path = FileDialog::GetSaveFileName(
      this, tr("Сохранить листы на подпись"), tr("Документы PDF (*.pdf)"), QStringLiteral("pdf"),
      SuggestedName(tr("листы-на-подпись"), QStringLiteral("pdf")));
  if (path.isEmpty()) return;
  if (Write(path, TimesheetReport(m_sheet, m_ui->officeEdit->text()).SignSheetsPdf())) Saved(path);
}

void TimesheetWindow::Print() {
  StoreOfficeTitle();
  QPrinter printer(QPrinter::HighResolution);
  printer.setPageOrientation(QPageLayout::Landscape);
  // The print dialog suggests the name with ".pdf" added: without a
  // trailing dot ("… г.").
  QString name = windowTitle();
  while (name.endsWith(u'.')) name.chop(1);
  printer.setDocName(name);
  if (!PrintDialog::Exec(this, printer)) return;
  const TimesheetReport report(m_sheet, m_ui->officeEdit->text());
  // Printing into a file writes it as every file is written: whole, and
  // never over the database or a device.
  if (printer.outputFormat() == QPrinter::PdfFormat && !printer.outputFileName().isEmpty()) {
    const QString path = printer.outputFileName();
    if (Write(path, report.TimesheetPdf(printer.pageLayout().pageSize()))) Saved(path);
    return;
  }
  if (!report.PaintTimesheet(printer)) {
    MessageBox::Warning(this, tr("Не удалось напечатать табель: принтер не готов."));
    return;
  }
  m_ui->statusLabel->setText(tr("Табель отправлен на печать."));
}

void TimesheetWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  // On a narrow screen the names give up room to the days: cut further,
  // whole in their tooltip.
  m_ui->timesheetView->verticalHeader()->setMaximumWidth(std::max(80, width() / 3));
}

void TimesheetWindow::done(int result) {
  ProgramSettings().setValue(kSizeKey, size());
  QDialog::done(result);
}

}  // namespace vornal
