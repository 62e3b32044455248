#include "gui/settings/settings_dialog.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vornal {

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)), m_buttons(new QDialogButtonBox(this)) {
  setObjectName(QStringLiteral("settingsSheet"));
  setWindowTitle(tr("Настройки"));
  m_tabs->setObjectName(QStringLiteral("tabs"));
  m_tabs->addTab(&m_generalPage, m_generalPage.windowTitle());
  m_tabs->addTab(&m_foldersPage, m_foldersPage.windowTitle());
  m_tabs->setCurrentIndex(0);

  m_buttons->setObjectName(QStringLiteral("buttons"));
  m_buttons->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                QDialogButtonBox::Apply | QDialogButtonBox::Help);
  m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  m_buttons->button(QDialogButtonBox::Cancel)->setText(tr("Отмена"));
  m_buttons->button(QDialogButtonBox::Apply)->setText(tr("Применить"));
  m_buttons->button(QDialogButtonBox::Help)->setText(tr("Справка"));
  // There is no help to show.
  m_buttons->button(QDialogButtonBox::Help)->setEnabled(false);
  SetModified(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addWidget(m_buttons);

  connect(m_buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this,
          &SettingsDialog::OnOk);
  connect(m_buttons->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this,
          &SettingsDialog::reject);
  connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
          &SettingsDialog::OnApplyNow);
  connect(m_tabs, &QTabWidget::currentChanged, this, &SettingsDialog::OnTabChanged);
  connect(&m_foldersPage, &FoldersPage::Modified, this, [this] { SetModified(true); });
  connect(&m_generalPage, &GeneralPage::Modified, this, [this] { SetModified(true); });
  connect(&m_foldersPage, &FoldersPage::Refused, this,
          [this] { m_tabs->setCurrentWidget(&m_foldersPage); });
}

SettingsDialog::~SettingsDialog() {
  // The pages are members: take them out of the tabs before they go.
  m_tabs->removeTab(1);
  m_tabs->removeTab(0);
  m_generalPage.setParent(nullptr);
  m_foldersPage.setParent(nullptr);
}

void SettingsDialog::SetModified(bool modified) {
  m_buttons->button(QDialogButtonBox::Apply)->setEnabled(modified);
}

void SettingsDialog::OnTabChanged(int index) {
  if (m_tabs->widget(index) == &m_foldersPage && !m_foldersPage.IsInitialised())
    m_foldersPage.Initialize();
}

bool SettingsDialog::ApplyPages() {
  return m_foldersPage.OnApply();
}

void SettingsDialog::OnOk() {
  if (ApplyPages() && (!m_commit || m_commit())) accept();
}

void SettingsDialog::OnApplyNow() {
  // Apply saves what OK would save and leaves the sheet open.
  if (ApplyPages() && (!m_commit || m_commit())) SetModified(false);
}

}  // namespace vornal
