#include "gui/settings/folders_page.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>

#include "gui/widgets/file_dialog.h"
#include "gui/widgets/length_validator.h"
#include "gui/widgets/message_box.h"
#include "intake/folder_sweep.h"
#include "store/folder_slots.h"
#include "ui_folders_page.h"

namespace vornal {
namespace {

std::size_t Index(int row) {
  return static_cast<std::size_t>(row - 1);
}

}  // namespace

FoldersPage::FoldersPage(QWidget* parent) : QWidget(parent), m_ui(new Ui::FoldersPage) {
  m_ui->setupUi(this);
  for (int row = 1; row <= kRows; ++row) {
    const QString number = QString::number(row);
    m_checks[Index(row)] = findChild<QCheckBox*>(QStringLiteral("check") + number);
    m_edits[Index(row)] = findChild<QLineEdit*>(QStringLiteral("pathEdit") + number);
    m_buttons[Index(row)] = findChild<QPushButton*>(QStringLiteral("browseButton") + number);
    connect(m_checks[Index(row)], &QCheckBox::clicked, this, [this, row] { OnCheck(row); });
    connect(m_buttons[Index(row)], &QPushButton::clicked, this, [this, row] { OnBrowse(row); });
    connect(m_edits[Index(row)], &QLineEdit::textEdited, this, &FoldersPage::Modified);
    m_edits[Index(row)]->setValidator(new LengthValidator(FolderPathSize(), this));
  }
}

FoldersPage::~FoldersPage() = default;

QCheckBox* FoldersPage::Check(int row) const {
  return m_checks[Index(row)];
}

QLineEdit* FoldersPage::PathEdit(int row) const {
  return m_edits[Index(row)];
}

QPushButton* FoldersPage::BrowseButton(int row) const {
  return m_buttons[Index(row)];
}

void FoldersPage::Initialize() {
  m_initialised = true;
  ShowValues();
}

void FoldersPage::ShowValues() {
  for (int row = 1; row <= kRows; ++row) {
    m_edits[Index(row)]->setText(m_path[Index(row)]);
    m_edits[Index(row)]->setCursorPosition(0);
    m_checks[Index(row)]->setChecked(m_enabled[Index(row)]);
    EnableRow(row, m_enabled[Index(row)]);
  }
}

void FoldersPage::EnableRow(int row, bool on) {
  m_edits[Index(row)]->setEnabled(on);
  m_buttons[Index(row)]->setEnabled(on);
}

void FoldersPage::SyncRows() {
  if (!m_initialised) return;
  for (int row = 1; row <= kRows; ++row) {
    m_path[Index(row)] = m_edits[Index(row)]->text();
    m_enabled[Index(row)] = m_checks[Index(row)]->isChecked();
  }
}

void FoldersPage::OnCheck(int row) {
  const bool on = m_checks[Index(row)]->isChecked();
  EnableRow(row, on);
  if (on) m_edits[Index(row)]->setFocus();
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

bool FoldersPage::OnApply() {
  if (!m_initialised) return true;
  SyncRows();
  for (int row = 1; row <= kRows; ++row) {
    if (!m_enabled[Index(row)]) continue;
    // The path is stored without the blanks around it; check what is stored.
    const QString path = m_path[Index(row)].trimmed();
    switch (CheckFolderSlot({path.toStdString(), true, false})) {
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
    if (FolderExists(path.toStdString())) continue;
    Refuse(row, tr("Папка с таким именем не существует:\n") + path);
    return false;
  }
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
  m_edits[Index(row)]->setFocus();
}

}  // namespace vornal
