#include "gui/settings/folders_page.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QStringList>
#include <QTimer>
#include <algorithm>

#include "gui/widgets/file_dialog.h"
#include "gui/widgets/length_validator.h"
#include "gui/widgets/message_box.h"
#include "intake/folder_patterns.h"
#include "intake/folder_sweep.h"
#include "store/folder_slots.h"
#include "ui_folders_page.h"

namespace vornal {
namespace {

std::size_t Index(int row) {
  return static_cast<std::size_t>(row - 1);
}

}  // namespace

FoldersPage::FoldersPage(QWidget* parent)
    : QWidget(parent), m_ui(new Ui::FoldersPage), m_matchTimer(new QTimer(this)) {
  m_ui->setupUi(this);
  m_ui->patternHint->setText(
      tr("Можно указать шаблон: * и ? в именах папок, например /srv/work/* — "
         "собираются все подходящие папки."));
  m_ui->addRowButton->setText(tr("Добавить строку"));
  m_ui->rowsLayout->setColumnStretch(1, 1);
  m_matchTimer->setObjectName(QStringLiteral("matchTimer"));
  m_matchTimer->setSingleShot(true);
  m_matchTimer->setInterval(300);
  connect(m_matchTimer, &QTimer::timeout, this, [this] { ShowMatches(m_editedRow); });
  connect(m_ui->addRowButton, &QPushButton::clicked, this, &FoldersPage::OnAddRow);
  SetRowCount(kRows);
  BuildRows();
}

FoldersPage::~FoldersPage() = default;

void FoldersPage::SetRowCount(int rows) {
  const auto count = static_cast<std::size_t>(std::clamp(rows, kRows, kMaxFolderSlots));
  m_path.resize(count);
  m_enabled.resize(count);
  if (m_initialised) BuildRows();
}

void FoldersPage::SetSite(const QString& site, bool here) {
  m_siteHere = here;
  m_ui->siteLabel->setText(here ? tr("Площадка: %1 (этот компьютер)").arg(site)
                                : tr("Площадка: %1").arg(site));
}

void FoldersPage::BuildRows() {
  QGridLayout* layout = m_ui->rowsLayout;
  for (int row = static_cast<int>(m_rows.size()) + 1; row <= RowCount(); ++row) {
    const QString number = QString::number(row);
    Row widgets{new QCheckBox(number + u'.', m_ui->rowsWidget), new QLineEdit(m_ui->rowsWidget),
                new QLabel(m_ui->rowsWidget),
                new QPushButton(QStringLiteral("..."), m_ui->rowsWidget)};
    widgets.check->setObjectName(QStringLiteral("check") + number);
    widgets.edit->setObjectName(QStringLiteral("pathEdit") + number);
    widgets.matches->setObjectName(QStringLiteral("matchLabel") + number);
    widgets.browse->setObjectName(QStringLiteral("browseButton") + number);
    widgets.browse->setMaximumWidth(32);
    // The count's room is kept from the start, so the path does not shrink
    // when a pattern's count appears.
    const QFontMetrics metrics = widgets.matches->fontMetrics();
    widgets.matches->setMinimumWidth(
        std::max(metrics.horizontalAdvance(tr("шаблон, папок: %1").arg(9999)),
                 metrics.horizontalAdvance(tr("шаблон: папок нет"))));
    widgets.edit->setValidator(new LengthValidator(FolderPathSize(), widgets.edit));
    layout->addWidget(widgets.check, row - 1, 0);
    layout->addWidget(widgets.edit, row - 1, 1);
    layout->addWidget(widgets.matches, row - 1, 2);
    layout->addWidget(widgets.browse, row - 1, 3);
    connect(widgets.check, &QCheckBox::clicked, this, [this, row] { OnCheck(row); });
    connect(widgets.browse, &QPushButton::clicked, this, [this, row] { OnBrowse(row); });
    connect(widgets.edit, &QLineEdit::textEdited, this, [this, row] {
      if (m_matchTimer->isActive() && m_editedRow != row) ShowMatches(m_editedRow);
      m_editedRow = row;
      m_matchTimer->start();
      Q_EMIT Modified();
    });
    m_rows.push_back(widgets);
  }
  // Ten rows show without scrolling at the page's natural size; a smaller
  // window scrolls them. The note on patterns scrolls with them, below the
  // last row, so it never lies over one.
  const int rowHeight = m_rows.front().edit->sizeHint().height() + layout->verticalSpacing();
  m_ui->rowsArea->setMinimumHeight(3 * rowHeight);
}

QCheckBox* FoldersPage::Check(int row) const {
  return m_rows.at(Index(row)).check;
}

QLineEdit* FoldersPage::PathEdit(int row) const {
  return m_rows.at(Index(row)).edit;
}

QPushButton* FoldersPage::BrowseButton(int row) const {
  return m_rows.at(Index(row)).browse;
}

QLabel* FoldersPage::MatchLabel(int row) const {
  return m_rows.at(Index(row)).matches;
}

void FoldersPage::Initialize() {
  m_initialised = true;
  BuildRows();
  ShowValues();
}

void FoldersPage::ShowValues() {
  for (int row = 1; row <= RowCount(); ++row) {
    m_rows[Index(row)].edit->setText(m_path[Index(row)]);
    m_rows[Index(row)].edit->setCursorPosition(0);
    m_rows[Index(row)].check->setChecked(m_enabled[Index(row)]);
    EnableRow(row, m_enabled[Index(row)]);
    ShowMatches(row);
  }
}

void FoldersPage::ShowMatches(int row) {
  if (row < 1 || row > static_cast<int>(m_rows.size())) return;
  const std::string value = m_rows[Index(row)].edit->text().trimmed().toStdString();
  QString text;
  if (IsFolderPattern(value)) {
    const SlotFolders found = ExpandFolderValue(value);
    if (found.pattern)
      text = found.folders.empty() ? tr("шаблон: папок нет")
                                   : tr("шаблон, папок: %1").arg(found.folders.size());
  }
  m_rows[Index(row)].matches->setText(text);
}

void FoldersPage::EnableRow(int row, bool on) {
  m_rows[Index(row)].edit->setEnabled(on);
  m_rows[Index(row)].browse->setEnabled(on);
  m_rows[Index(row)].matches->setEnabled(on);
}

void FoldersPage::SyncRows() {
  if (!m_initialised) return;
  for (int row = 1; row <= RowCount(); ++row) {
    m_path[Index(row)] = m_rows[Index(row)].edit->text();
    m_enabled[Index(row)] = m_rows[Index(row)].check->isChecked();
  }
}

void FoldersPage::OnCheck(int row) {
  const bool on = m_rows[Index(row)].check->isChecked();
  EnableRow(row, on);
  if (on) m_rows[Index(row)].edit->setFocus();
  SyncRows();
  ShowValues();
  Q_EMIT Modified();
}

void FoldersPage::OnBrowse(int row) {
  // Typed text of every row is taken first, so a choice here keeps it and
  // the chooser starts at what the row shows now.
  SyncRows();
  const QString chosen =
      FileDialog::GetExistingDirectory(this, tr("Выберите каталог"), m_path[Index(row)].trimmed());
  if (chosen.isEmpty()) return;
  if (CheckFolderSlot({chosen.toStdString(), true, false}) == FolderSlotProblem::TooLong) {
    Refuse(row, TooLongText(row, chosen));
    return;
  }
  m_path[Index(row)] = chosen;
  ShowValues();
  Q_EMIT Modified();
}

void FoldersPage::OnAddRow() {
  if (RowCount() >= kMaxFolderSlots) return;
  SyncRows();
  const int row = RowCount() + 1;
  SetRowCount(row);
  m_enabled[Index(row)] = true;
  ShowValues();
  // The new row comes in sight once the rows have grown: the last is new.
  QScrollBar* bar = m_ui->rowsArea->verticalScrollBar();
  connect(
      bar, &QScrollBar::rangeChanged, this, [bar](int, int max) { bar->setValue(max); },
      Qt::SingleShotConnection);
  m_rows[Index(row)].edit->setFocus();
  Q_EMIT Modified();
}

bool FoldersPage::OnApply() {
  if (!m_initialised) return true;
  SyncRows();
  for (int row = 1; row <= RowCount(); ++row) {
    if (!m_enabled[Index(row)]) continue;
    // The path is stored without the blanks around it; check what is stored.
    const QString path = m_path[Index(row)].trimmed();
    const std::string value = path.toStdString();
    switch (CheckFolderSlot({value, true, false})) {
      case FolderSlotProblem::Empty:
        Refuse(
            row,
            tr("Строка %1: папка не указана. Укажите папку или снимите отметку строки.").arg(row));
        return false;
      case FolderSlotProblem::TooLong:
        Refuse(row, TooLongText(row, path));
        return false;
      case FolderSlotProblem::None:
        break;
    }
    // A pattern may match nothing today: the sweep notes it.
    // Another site's folders are on its own machines: none can be checked here.
    if (FolderExists(value) || IsFolderPattern(value) || !m_siteHere) continue;
    Refuse(row, tr("Строка %1: папка с таким именем не существует:\n").arg(row) + path);
    return false;
  }
  return ConfirmUntickedRemoval();
}

bool FoldersPage::ConfirmUntickedRemoval() {
  // An unticked row is not stored: its path goes once the operator agrees.
  QStringList rows;
  for (int row = 1; row <= RowCount(); ++row)
    if (!m_enabled[Index(row)] && !m_path[Index(row)].trimmed().isEmpty())
      rows << QString::number(row);
  if (rows.isEmpty()) return true;
  const QString question =
      tr("Строки без отметки не сохраняются, их пути будут удалены (строки: %1). Удалить?")
          .arg(rows.join(QStringLiteral(", ")));
  if (MessageBox::Show(this, question, MessageBox::AppTitle(), QMessageBox::Question,
                       QMessageBox::Yes | QMessageBox::No, QMessageBox::No) != QMessageBox::Yes) {
    Q_EMIT Refused();
    return false;
  }
  for (int row = 1; row <= RowCount(); ++row)
    if (!m_enabled[Index(row)]) m_path[Index(row)].clear();
  ShowValues();
  return true;
}

QString FoldersPage::TooLongText(int row, const QString& path) {
  return tr("Строка %1: путь к папке длиннее %2 символов, такой путь не сохранить.\n\n%3")
      .arg(row)
      .arg(FolderPathSize())
      .arg(path);
}

void FoldersPage::Refuse(int row, const QString& text) {
  Q_EMIT Refused();
  MessageBox::Show(this, text, QString(), QMessageBox::Critical);
  m_rows[Index(row)].edit->setFocus();
}

}  // namespace vornal
