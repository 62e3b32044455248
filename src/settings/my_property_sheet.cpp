#include "settings/my_property_sheet.h"

#include <QDialogButtonBox>
#include <QPushButton>
#include <QTabWidget>
#include <QVBoxLayout>

namespace vornal {

CMyPropertySheet::CMyPropertySheet(QWidget* parent)
    : QDialog(parent), m_tabs(new QTabWidget(this)), m_buttons(new QDialogButtonBox(this)) {
  setObjectName(QStringLiteral("settingsSheet"));
  setWindowTitle(QStringLiteral("Настройки"));
  m_tabs->setObjectName(QStringLiteral("tabs"));
  m_tabs->addTab(&m_page1, m_page1.windowTitle());
  m_tabs->addTab(&m_page2, m_page2.windowTitle());
  m_tabs->setCurrentIndex(0);

  m_buttons->setObjectName(QStringLiteral("buttons"));
  m_buttons->setStandardButtons(QDialogButtonBox::Ok | QDialogButtonBox::Cancel |
                                QDialogButtonBox::Apply | QDialogButtonBox::Help);
  m_buttons->button(QDialogButtonBox::Ok)->setText(QStringLiteral("OK"));
  m_buttons->button(QDialogButtonBox::Cancel)->setText(QStringLiteral("Отмена"));
  m_buttons->button(QDialogButtonBox::Apply)->setText(QStringLiteral("Применить"));
  m_buttons->button(QDialogButtonBox::Help)->setText(QStringLiteral("Справка"));
  // There is no help to show.
  m_buttons->button(QDialogButtonBox::Help)->setEnabled(false);
  SetModified(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_tabs);
  layout->addWidget(m_buttons);

  connect(m_buttons->button(QDialogButtonBox::Ok), &QPushButton::clicked, this,
          &CMyPropertySheet::OnOk);
  connect(m_buttons->button(QDialogButtonBox::Cancel), &QPushButton::clicked, this,
          &CMyPropertySheet::reject);
  connect(m_buttons->button(QDialogButtonBox::Apply), &QPushButton::clicked, this,
          &CMyPropertySheet::OnApplyNow);
  connect(m_tabs, &QTabWidget::currentChanged, this, &CMyPropertySheet::OnTabChanged);
  connect(&m_page2, &CMyPropertyPage2::Modified, this, [this] { SetModified(true); });
  connect(&m_page2, &CMyPropertyPage2::Refused, this,
          [this] { m_tabs->setCurrentWidget(&m_page2); });
}

CMyPropertySheet::~CMyPropertySheet() {
  // The pages are members: take them out of the tabs before they go.
  m_tabs->removeTab(1);
  m_tabs->removeTab(0);
  m_page1.setParent(nullptr);
  m_page2.setParent(nullptr);
}

void CMyPropertySheet::SetModified(bool modified) {
  m_buttons->button(QDialogButtonBox::Apply)->setEnabled(modified);
}

void CMyPropertySheet::OnTabChanged(int index) {
  if (m_tabs->widget(index) == &m_page2 && !m_page2.IsInitialised()) m_page2.OnInitDialog();
}

bool CMyPropertySheet::ApplyPages() {
  return m_page2.OnApply();
}

void CMyPropertySheet::OnOk() {
  if (ApplyPages()) accept();
}

void CMyPropertySheet::OnApplyNow() {
  if (ApplyPages()) SetModified(false);
}

}  // namespace vornal
