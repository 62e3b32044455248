#include "gui/statistics/statistics_window.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateTime>
#include <QItemSelectionModel>
#include <QLabel>
#include <QMenu>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTreeWidget>
#include <array>
#include <new>
#include <optional>
#include <vector>

#include "gui/statistics/correction_dialog.h"
#include "gui/statistics/listing_model.h"
#include "gui/statistics/timesheet_window.h"
#include "gui/widgets/display_text.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/table_view.h"
#include "gui/widgets/window_state.h"
#include "stats/corrections.h"
#include "stats/period_queries.h"
#include "stats/period_tree.h"
#include "store/store_error.h"
#include "ui_statistics_window.h"

namespace vornal {
namespace {

QString ChooseUserText() {
  return StatisticsWindow::tr("--- Выберите пользователя ---");
}

// The item data of a year, month or day node: its first day, 00:00:00.
QVariant NodeData(int year, int month, int day) {
  return QDateTime(QDate(year, month, day), QTime(0, 0));
}

// The year, month (0 for a year node) and day (0 for a year or month node)
// of a tree node; nothing for the node of a tree without data.
std::optional<std::array<int, 3>> NodeParts(const QTreeWidgetItem& node) {
  const QVariant data = node.data(0, Qt::UserRole);
  if (data == QVariant(StatisticsWindow::kEmptyNodeData)) return std::nullopt;
  const QDate date = data.toDateTime().date();
  const QTreeWidgetItem* parent = node.parent();
  if (parent && parent->parent()) return std::array<int, 3>{date.year(), date.month(), date.day()};
  if (parent) return std::array<int, 3>{date.year(), date.month(), 0};
  return std::array<int, 3>{date.year(), 0, 0};
}

QTreeWidgetItem* NewNode(const QString& text, int year, int month, int day) {
  auto* item = new QTreeWidgetItem(QStringList{text});
  item->setData(0, Qt::UserRole, NodeData(year, month, day));
  return item;
}

}  // namespace

StatisticsWindow::StatisticsWindow(QWidget* parent)
    : QDialog(parent), m_ui(new Ui::StatisticsWindow), m_listing(new ListingModel(this)) {
  m_ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  // The person list is as wide as its first entry, whatever the names after it.
  m_ui->comboUsers->setMinimumContentsLength(static_cast<int>(ChooseUserText().size()));
  // Before anything is listed: the headings of the empty grid, columns of
  // 33, 23, 23, 10 and 13 characters.
  m_ui->gridStat->setModel(m_listing);
  static const int kWidths[DisplayText::kListingColumns] = {33, 23, 23, 10, 13};
  for (int column = 0; column < DisplayText::kListingColumns; ++column)
    m_ui->gridStat->SetColumnChars(column, kWidths[column]);
  m_ui->gridStat->SetEmptyText(tr("Нет данных"));
  RestoreWindowState(this, m_ui->gridStat, QStringLiteral("StatisticsWindow"));

  connect(m_ui->tree, &QTreeWidget::itemSelectionChanged, this,
          &StatisticsWindow::OnTreeSelectionChanged);
  connect(m_ui->comboUsers, &QComboBox::currentIndexChanged, this,
          &StatisticsWindow::OnPersonChosen);
  connect(m_ui->closeButton, &QPushButton::clicked, this, &StatisticsWindow::accept);
  connect(m_ui->viewButton, &QPushButton::clicked, this, &StatisticsWindow::OnView);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &StatisticsWindow::reject);
  m_ui->gridStat->setContextMenuPolicy(Qt::CustomContextMenu);
  connect(m_ui->gridStat, &QWidget::customContextMenuRequested, this,
          &StatisticsWindow::ListingMenu);
  connect(m_ui->gridStat, &QAbstractItemView::doubleClicked, this,
          [this](const QModelIndex& index) { ChangeListedRow(index.row()); });
}

StatisticsWindow::~StatisticsWindow() = default;

void StatisticsWindow::done(int result) {
  SaveWindowState(this, m_ui->gridStat, QStringLiteral("StatisticsWindow"));
  QDialog::done(result);
}

int StatisticsWindow::Exec(Database* database) {
  m_database = database;
  Initialize();
  return exec();
}

void StatisticsWindow::Initialize() {
  RunHandler([this] {
    FillUserCombo();
    FillTree({}, tr("База данных пуста"));
  });
}

void StatisticsWindow::RunHandler(const std::function<void()>& handler) {
  try {
    handler();
  } catch (const StoreError& e) {
    MessageBox::EngineError(this, e, tr("данные не показаны"));
  } catch (const std::bad_alloc&) {
    MessageBox::Stop(this, tr("Out of memory."));
  }
}

void StatisticsWindow::FillUserCombo() {
  const std::vector<PersonEntry> people =
      m_database ? ListPeople(*m_database) : std::vector<PersonEntry>();
  // Filling the list is no person change.
  const QSignalBlocker blocker(m_ui->comboUsers);
  m_ui->comboUsers->clear();
  m_ui->comboUsers->addItem(ChooseUserText(), QVariant::fromValue<qlonglong>(0));
  for (const PersonEntry& person : people)
    m_ui->comboUsers->addItem(DisplayText::PersonEntry(person.id, person.name, person.login),
                              QVariant::fromValue<qlonglong>(person.id));
  m_ui->comboUsers->setCurrentIndex(0);
  // The open list shows long names whole.
  QAbstractItemView* list = m_ui->comboUsers->view();
  list->setMinimumWidth(list->sizeHintForColumn(0) + list->verticalScrollBar()->sizeHint().width());
}

void StatisticsWindow::FillTree(const std::string& login, const QString& emptyText) {
  const PeriodTree periods = m_database ? BuildPeriodTree(*m_database, login) : PeriodTree();
  QTreeWidgetItem* currentYear = nullptr;
  QTreeWidgetItem* currentMonth = nullptr;
  QTreeWidgetItem* lastDay = nullptr;
  {
    // Building the tree is no selection change; the latest day is selected
    // once the tree is complete.
    const QSignalBlocker blocker(m_ui->tree);
    QList<QTreeWidgetItem*> years;
    years.reserve(static_cast<qsizetype>(periods.years.size()));
    for (std::size_t y = 0; y < periods.years.size(); ++y) {
      const PeriodTree::Year& year = periods.years[y];
      QTreeWidgetItem* yearNode = NewNode(QString::number(year.year), year.year, 1, 1);
      if (static_cast<int>(y) == periods.currentYear) currentYear = yearNode;
      for (std::size_t m = 0; m < year.months.size(); ++m) {
        const PeriodTree::Month& month = year.months[m];
        QTreeWidgetItem* monthNode =
            NewNode(DisplayText::MonthName(month.month), year.year, month.month, 1);
        yearNode->addChild(monthNode);
        if (static_cast<int>(y) == periods.currentMonthYear &&
            static_cast<int>(m) == periods.currentMonth)
          currentMonth = monthNode;
        for (const int day : month.days) {
          lastDay = NewNode(QString::number(day), year.year, month.month, day);
          monthNode->addChild(lastDay);
        }
      }
      years.push_back(yearNode);
    }
    if (years.isEmpty()) {
      auto* empty = new QTreeWidgetItem(QStringList{emptyText});
      empty->setData(0, Qt::UserRole, kEmptyNodeData);
      years.push_back(empty);
    }
    m_ui->tree->addTopLevelItems(years);
    if (currentYear) currentYear->setExpanded(true);
    if (currentMonth) currentMonth->setExpanded(true);
  }
  if (lastDay) {
    m_ui->tree->setCurrentItem(lastDay);
    m_ui->tree->scrollToItem(lastDay);
  }
}

void StatisticsWindow::OnPersonChosen() {
  RunHandler([this] {
    m_listing->Clear();
    m_ui->totalsLine->clear();
    const qlonglong id = m_ui->comboUsers->currentData().toLongLong();
    {
      const QSignalBlocker blocker(m_ui->tree);
      m_ui->tree->clear();
    }
    m_login = id > 0 && m_database ? GetLoginByID(*m_database, id) : std::string();
    FillTree(m_login, tr("Нет данных"));
  });
}

void StatisticsWindow::OnTreeSelectionChanged() {
  RunHandler([this] {
    m_listing->Clear();
    m_ui->totalsLine->clear();
    const QList<QTreeWidgetItem*> selected = m_ui->tree->selectedItems();
    // Nothing chosen (Ctrl+click on the chosen node) lists nothing.
    const QTreeWidgetItem* node = selected.isEmpty() ? nullptr : selected.front();
    if (!node) return;
    const std::optional<std::array<int, 3>> parts = NodeParts(*node);
    if (!parts) return;
    const std::optional<Period> period = NodePeriod((*parts)[0], (*parts)[1], (*parts)[2]);
    if (period) ShowListing(period->start, period->end, m_login);
  });
}

void StatisticsWindow::OnView() {
  const QList<QTreeWidgetItem*> selected = m_ui->tree->selectedItems();
  const std::optional<std::array<int, 3>> parts =
      selected.isEmpty() ? std::nullopt : NodeParts(*selected.front());
  if (!parts || !m_database) {
    MessageBox::Warning(this, tr("Выберите в дереве год, месяц или день."));
    return;
  }
  TimesheetWindow window(this);
  window.Exec(m_database, (*parts)[0], (*parts)[1], (*parts)[2], m_login);
}

void StatisticsWindow::ShowListing(const DateTime& start, const DateTime& end,
                                   const std::string& login) {
  if (!m_database) return;
  m_listing->SetListing(ListPeriod(*m_database, start, end, login));
  std::unordered_map<std::int64_t, std::string> corrections;
  for (CorrectionMark& mark : CorrectionMarks(*m_database, start, end, login))
    corrections[mark.rowId] = std::move(mark.reason);
  m_listing->SetCorrections(std::move(corrections));
  // The totals stand in the listing's last column, often out of view: the
  // line under it shows them always.
  const PeriodListing& listing = m_listing->Listing();
  m_ui->totalsLine->setText(
      tr("Всего отработано: %1      Общее рабочее время: %2")
          .arg(DisplayText::Total(listing.taskTotal), DisplayText::Total(listing.dayTotal)));
  // The first listed row is chosen, when there is one.
  if (m_listing->ListedRows() > 0) {
    const QModelIndex first = m_listing->index(0, 0);
    m_ui->gridStat->selectionModel()->setCurrentIndex(
        first, QItemSelectionModel::ClearAndSelect | QItemSelectionModel::Rows);
    // Into view down, not across: the columns stay where the operator left them.
    const int across = m_ui->gridStat->horizontalScrollBar()->value();
    m_ui->gridStat->scrollTo(first);
    m_ui->gridStat->horizontalScrollBar()->setValue(across);
  }
}

void StatisticsWindow::ChangeListedRow(int row) {
  const ListedRow* listed = m_listing->RowAt(row);
  if (!listed || !m_database) return;
  if ((listed->label != RowLabel::DayDone && listed->label != RowLabel::TaskDone) ||
      listed->begin == ListedRow::kNoTime || listed->end == ListedRow::kNoTime) {
    CorrectionRefused refusal(listed->label == RowLabel::Unknown ? CorrectionRefusal::NotWorkEvent
                                                                 : CorrectionRefusal::Unfinished);
    MessageBox::Warning(this, DisplayText::CorrectionRefusalText(refusal));
    return;
  }
  const auto time = [](std::int64_t seconds) {
    const DateTime at = DateTime::FromSeconds(seconds);
    return QDateTime(QDate(at.Year(), at.Month(), at.Day()),
                     QTime(at.Hour(), at.Minute(), at.Second()));
  };
  CorrectionDialog dialog(*m_database, this);
  dialog.ChangeRow(listed->id, QString::fromStdString(m_listing->Listing().Login(*listed)),
                   time(listed->begin), time(listed->end), IsTaskLabel(listed->label));
  if (dialog.exec() == Accepted) OnTreeSelectionChanged();
}

void StatisticsWindow::AddRow() {
  if (!m_database) return;
  const ListedRow* listed = m_listing->RowAt(m_ui->gridStat->currentIndex().row());
  QDateTime begin = QDateTime::currentDateTime();
  begin.setTime(QTime(9, 0));
  CorrectionDialog dialog(*m_database, this);
  dialog.NewRow(QString::fromStdString(listed ? m_listing->Listing().Login(*listed) : m_login),
                begin, begin.addSecs(8 * 3600), false);
  if (dialog.exec() == Accepted) OnTreeSelectionChanged();
}

void StatisticsWindow::ListingMenu(const QPoint& at) {
  if (!m_database) return;
  const int row = m_ui->gridStat->indexAt(at).row();
  const ListedRow* listed = m_listing->RowAt(row);
  QMenu menu(this);
  if (listed) {
    const std::int64_t id = listed->id;
    menu.addAction(tr("Исправить интервал…"), [this, row] { ChangeListedRow(row); });
    QAction* remove = menu.addAction(tr("Удалить интервал…"), [this, id] {
      if (RemoveRowAsked(*m_database, id, this)) OnTreeSelectionChanged();
    });
    remove->setEnabled(listed->label == RowLabel::DayDone || listed->label == RowLabel::TaskDone);
    menu.addAction(tr("Отменить последнее исправление…"), [this, id] {
      if (UndoLatestCorrectionAsked(*m_database, id, this)) OnTreeSelectionChanged();
    });
    menu.addSeparator();
  }
  menu.addAction(tr("Добавить интервал…"), [this] { AddRow(); });
  menu.exec(m_ui->gridStat->viewport()->mapToGlobal(at));
}

}  // namespace vornal
