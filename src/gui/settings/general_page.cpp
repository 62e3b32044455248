#include "gui/settings/general_page.h"

#include <QComboBox>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>

#include "gui/widgets/length_validator.h"
#include "ui_general_page.h"

namespace vornal {
namespace {

// The office title's column, in characters.
constexpr int kOfficeTitleSize = 255;
// A day at most: a file quiet longer than that is long finished.
constexpr int kMaxQuietPeriod = 86400;

}  // namespace

GeneralPage::GeneralPage(QWidget* parent) : QWidget(parent), m_ui(new Ui::GeneralPage) {
  m_ui->setupUi(this);
  m_ui->officeEdit->setValidator(new LengthValidator(kOfficeTitleSize, m_ui->officeEdit));
  m_ui->quietSpin->setRange(0, kMaxQuietPeriod);
  m_ui->quietSpin->setSuffix(tr(" с"));
  m_ui->languageCombo->addItem(tr("как в системе"), QString());
  m_ui->languageCombo->addItem(QStringLiteral("Русский"), QStringLiteral("ru"));
  m_ui->languageCombo->addItem(QStringLiteral("English"), QStringLiteral("en"));
  m_ui->languageCombo->setToolTip(tr("Окна будут на этом языке после перезапуска программы."));
  connect(m_ui->officeEdit, &QLineEdit::textEdited, this, &GeneralPage::Modified);
  connect(m_ui->quietSpin, &QSpinBox::valueChanged, this, &GeneralPage::Modified);
  connect(m_ui->languageCombo, &QComboBox::activated, this, &GeneralPage::Modified);
}

GeneralPage::~GeneralPage() = default;

void GeneralPage::SetOfficeTitle(const QString& title) {
  m_ui->officeEdit->setText(title);
}

QString GeneralPage::OfficeTitle() const {
  return m_ui->officeEdit->text().trimmed();
}

void GeneralPage::SetQuietPeriod(int seconds) {
  const QSignalBlocker blocker(m_ui->quietSpin);
  m_ui->quietSpin->setValue(seconds);
}

int GeneralPage::QuietPeriod() const {
  return m_ui->quietSpin->value();
}

void GeneralPage::SetLanguage(const QString& language) {
  m_ui->languageCombo->setCurrentIndex(std::max(0, m_ui->languageCombo->findData(language)));
}

QString GeneralPage::Language() const {
  return m_ui->languageCombo->currentData().toString();
}

QLineEdit* GeneralPage::OfficeEdit() const {
  return m_ui->officeEdit;
}

QSpinBox* GeneralPage::QuietSpin() const {
  return m_ui->quietSpin;
}

QComboBox* GeneralPage::LanguageCombo() const {
  return m_ui->languageCombo;
}

}  // namespace vornal
