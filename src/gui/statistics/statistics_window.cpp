#include "gui/statistics/statistics_window.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDateTime>
#include <QLabel>
#include <QPushButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QStyle>
#include <QStyleOptionComboBox>
#include <QTreeWidget>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <initializer_list>
#include <memory>
#include <new>
#include <optional>
#include <vector>

#include "gui/statistics/timesheet_window.h"
#include "gui/widgets/cell_grid.h"
#include "gui/widgets/core_text_adapter.h"
#include "gui/widgets/dialog_units.h"
#include "gui/widgets/language.h"
#include "gui/widgets/message_box.h"
#include "gui/widgets/window_layout.h"
#include "stats/period_queries.h"
#include "stats/period_tree.h"
#include "store/store_error.h"
#include "ui_statistics_window.h"

namespace vornal {
namespace {

QString ChooseUserText() {
  return StatisticsWindow::tr("--- Выберите пользователя ---");
}

QString FromStd(const std::string& text) {
  return QString::fromStdString(text);
}

// The item data of a year, month or day node: its first day, 00:00:00.
QVariant NodeData(int year, int month, int day) {
  return QDateTime(QDate(year, month, day), QTime(0, 0));
}

// The listing's texts, made for the rows drawn: a year of everybody is a
// million rows.
class ListingSource : public CellSource {
 public:
  explicit ListingSource(StatGrid grid) : m_grid(std::move(grid)) {}
  int RowCount() const override { return m_grid.RowCount(); }
  // Event names, headers and totals come in Russian from the core; logins
  // stay as they are.
  QString Text(int row, int col) const override {
    const std::string cell = m_grid.Cell(row, col);
    const int listed = static_cast<int>(m_grid.Listing().rows.size());
    const bool login = col == StatGrid::kColumns - 1 && row > 0 && row <= listed;
    return login ? FromStd(cell) : CoreText(cell);
  }
  const StatGrid& Grid() const { return m_grid; }

 private:
  StatGrid m_grid;
};

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
    : QDialog(parent), m_ui(new Ui::StatisticsWindow) {
  m_ui->setupUi(this);
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint |
                 Qt::WindowSystemMenuHint | Qt::WindowMaximizeButtonHint |
                 Qt::WindowCloseButtonHint);
  m_staticTotal = m_ui->staticTotal;
  m_staticWorked = m_ui->staticWorked;
  m_tree = m_ui->tree;
  m_comboUsers = m_ui->comboUsers;
  m_gridStat = m_ui->gridStat;
  PlaceControls();
  SetGridDesign();
  RestoreWindowState(this, m_gridStat, QStringLiteral("StatisticsWindow"));

  connect(m_tree, &QTreeWidget::itemSelectionChanged, this,
          &StatisticsWindow::OnTreeSelectionChanged);
  connect(m_comboUsers, &QComboBox::currentIndexChanged, this, &StatisticsWindow::OnPersonChosen);
  connect(m_ui->closeButton, &QPushButton::clicked, this, &StatisticsWindow::accept);
  connect(m_ui->viewButton, &QPushButton::clicked, this, &StatisticsWindow::OnView);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &StatisticsWindow::reject);
}

StatisticsWindow::~StatisticsWindow() = default;

void StatisticsWindow::PlaceControls() {
  // The default size is the smallest; the tree and the grid grow with the
  // window, the person list and the buttons keep to their edges.
  const QSize defaultSize(DluToPixelsX(461), DluToPixelsY(222));
  setMinimumSize(defaultSize);
  setMaximumSize(QWIDGETSIZE_MAX, QWIDGETSIZE_MAX);
  resize(defaultSize);
  struct Placement {
    QWidget* widget;
    QRect rect;
  };
  const Placement placements[] = {
      {m_tree, DluRect(7, 7, 130, 178)},
      {m_comboUsers, DluRect(233, 15, 125, 80)},
      // The tree and the grid leave room under them for the line of totals,
      // as wide as the window: a year of everybody has long totals.
      {m_gridStat, DluRect(144, 35, 310, 150)},
      {m_ui->totalsLine, DluRect(7, 187, 447, 10)},
      {m_ui->workedCaption, DluRect(7, 196, 72, 8)},
      {m_staticWorked, DluRect(99, 196, 46, 8)},
      {m_ui->totalCaption, DluRect(7, 207, 72, 8)},
      {m_staticTotal, DluRect(99, 207, 46, 8)},
      {m_ui->closeButton, DluRect(404, 201, 50, 14)},
      {m_ui->helpButton, DluRect(294, 201, 50, 14)},
      {m_ui->viewButton, DluRect(349, 201, 50, 14)},
      {m_ui->cancelButton, DluRect(147, 201, 50, 14)},
  };
  for (const Placement& placement : placements) placement.widget->setGeometry(placement.rect);
  // The template's height of the drop-down list is that of its open list. Its
  // width is widened when this font does not fit the first entry.
  QStyleOptionComboBox option;
  option.initFrom(m_comboUsers);
  const QSize fitting = m_comboUsers->style()->sizeFromContents(
      QStyle::CT_ComboBox, &option,
      QSize(m_comboUsers->fontMetrics().horizontalAdvance(ChooseUserText()), 0), m_comboUsers);
  m_comboUsers->resize(std::max(m_comboUsers->width(), fitting.width()),
                       m_comboUsers->sizeHint().height());

  m_anchors.SetDefaultSize(defaultSize);
  using A = EdgeAnchors::Anchor;
  m_anchors.Add(m_tree, A::kGrowY);
  m_anchors.Add(m_gridStat, A::kGrowX | A::kGrowY);
  m_anchors.Add(m_ui->totalsLine, A::kMoveY | A::kGrowX);
  for (QWidget* widget :
       std::initializer_list<QWidget*>{m_ui->workedCaption, m_staticWorked, m_ui->totalCaption,
                                       m_staticTotal, m_ui->cancelButton})
    m_anchors.Add(widget, A::kMoveY);
  for (QWidget* widget :
       std::initializer_list<QWidget*>{m_ui->closeButton, m_ui->helpButton, m_ui->viewButton})
    m_anchors.Add(widget, A::kMoveX | A::kMoveY);
}

void StatisticsWindow::resizeEvent(QResizeEvent* event) {
  QDialog::resizeEvent(event);
  m_anchors.Apply(size());
}

void StatisticsWindow::done(int result) {
  SaveWindowState(this, m_gridStat, QStringLiteral("StatisticsWindow"));
  QDialog::done(result);
}

void StatisticsWindow::SetGridDesign() {
  const QString headers[StatGrid::kColumns] = {tr("Событие"), tr("Начало"), tr("Конец"),
                                               tr("Всего"), tr("Работник")};
  static const int kWidths[StatGrid::kColumns] = {33, 23, 23, 10, 13};
  m_gridStat->SetColumnCount(StatGrid::kColumns);
  m_gridStat->SetRowCount(2);
  m_gridStat->SetFixedRows(1);
  m_gridStat->SetFixedCols(0);
  for (int col = 0; col < StatGrid::kColumns; ++col) {
    m_gridStat->SetCellText(0, col, headers[col]);
    m_gridStat->SetColumnWidthChars(col, kWidths[col]);
  }
}

int StatisticsWindow::Exec(Database* database) {
  m_database = database;
  Initialize();
  return exec();
}

bool StatisticsWindow::Initialize() {
  RunHandler([this] {
    FillUserCombo();
    FillTree({}, CoreText(kTreeEmptyEverybody));
  });
  return true;
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
  const QSignalBlocker blocker(m_comboUsers);
  m_comboUsers->clear();
  m_comboUsers->addItem(ChooseUserText());
  for (const PersonEntry& person : people) m_comboUsers->addItem(FromStd(PersonListText(person)));
  m_comboUsers->setCurrentIndex(0);
  // The open list shows long names whole.
  QAbstractItemView* list = m_comboUsers->view();
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
    const QSignalBlocker blocker(m_tree);
    QList<QTreeWidgetItem*> years;
    years.reserve(static_cast<qsizetype>(periods.years.size()));
    for (std::size_t y = 0; y < periods.years.size(); ++y) {
      const PeriodTree::Year& year = periods.years[y];
      QTreeWidgetItem* yearNode = NewNode(FromStd(YearNodeText(year.year)), year.year, 1, 1);
      if (static_cast<int>(y) == periods.currentYear) currentYear = yearNode;
      for (std::size_t m = 0; m < year.months.size(); ++m) {
        const PeriodTree::Month& month = year.months[m];
        QTreeWidgetItem* monthNode = NewNode(MonthNodeName(month.month), year.year, month.month, 1);
        yearNode->addChild(monthNode);
        if (static_cast<int>(y) == periods.currentMonthYear &&
            static_cast<int>(m) == periods.currentMonth)
          currentMonth = monthNode;
        for (const int day : month.days) {
          lastDay = NewNode(FromStd(DayNodeText(day)), year.year, month.month, day);
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
    m_tree->addTopLevelItems(years);
    if (currentYear) currentYear->setExpanded(true);
    if (currentMonth) currentMonth->setExpanded(true);
  }
  if (lastDay) {
    m_tree->setCurrentItem(lastDay);
    m_tree->scrollToItem(lastDay);
  }
}

void StatisticsWindow::OnPersonChosen() {
  RunHandler([this] {
    m_gridStat->Clear();
    m_ui->totalsLine->clear();
    // The leading number of the shown text, read as atoi reads it.
    const std::string text = m_comboUsers->currentText().toStdString();
    const long long id = std::strtoll(text.c_str(), nullptr, 10);
    {
      const QSignalBlocker blocker(m_tree);
      m_tree->clear();
    }
    m_login = id > 0 && m_database ? GetLoginByID(*m_database, id) : std::string();
    FillTree(m_login, CoreText(kTreeEmptyLogin));
  });
}

void StatisticsWindow::OnTreeSelectionChanged() {
  RunHandler([this] {
    m_gridStat->Clear();
    m_ui->totalsLine->clear();
    const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
    const QTreeWidgetItem* node = selected.isEmpty() ? nullptr : selected.front();
    if (!node) {
      MessageBox::Error(
          this, tr("Error in func ShowListing() StatisticsWindow, please report developer"));
      return;
    }
    const std::optional<std::array<int, 3>> parts = NodeParts(*node);
    if (!parts) return;
    const std::optional<Period> period = NodePeriod((*parts)[0], (*parts)[1], (*parts)[2]);
    if (period) ShowListing(period->start, period->end, m_login);
  });
}

void StatisticsWindow::OnView() {
  const QList<QTreeWidgetItem*> selected = m_tree->selectedItems();
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
  auto source = std::make_unique<ListingSource>(BuildStatGrid(*m_database, start, end, login));
  const int rowCount = source->RowCount();
  const std::string taskTotal = FormatTotal(source->Grid().Listing().taskTotal);
  const std::string dayTotal = FormatTotal(source->Grid().Listing().dayTotal);
  m_gridStat->Clear();
  m_gridStat->SetColumnCount(StatGrid::kColumns);
  m_gridStat->SetSource(std::move(source));
  // The totals stand in the grid's last column, often out of view: the line
  // under the grid shows them always.
  m_ui->totalsLine->setText(tr("Всего отработано: %1      Общее рабочее время: %2")
                                .arg(CoreText(taskTotal), CoreText(dayTotal)));
  // Header, listed rows, two totals rows and the empty last row: without a
  // listed row there is no row 1 to select.
  if (rowCount > 4) {
    m_gridStat->SetCurrentRow(1);
    m_gridStat->SetCurrentColumn(StatGrid::kColumns - 1);
    m_gridStat->SetSelectionEndRow(1);
    m_gridStat->SetSelectionEndColumn(0);
  }
}

}  // namespace vornal
