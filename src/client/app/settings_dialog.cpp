#include "app/settings_dialog.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QPushButton>
#include <QVBoxLayout>

#include "app/client_text.h"
#include "client/local_files.h"

namespace vornal {

SettingsDialog::SettingsDialog(QWidget* parent)
    : QDialog(parent),
      m_folder(new QLineEdit(this)),
      m_login(new QLineEdit(this)),
      m_interval(new QSpinBox(this)),
      m_idle(new QSpinBox(this)),
      m_startAtLogin(new QCheckBox(tr("Начинать рабочий день при входе в систему"), this)),
      m_problem(new QLabel(this)) {
  setWindowTitle(tr("Настройки vornal-client"));
  const ClientSettings settings = ReadClientSettings(ClientConfigFiles());
  m_folder->setText(QString::fromStdString(settings.folder));
  m_login->setText(QString::fromStdString(settings.login));
  m_login->setPlaceholderText(QString::fromStdString(CurrentUserName()));
  m_interval->setRange(1, 299);
  m_interval->setSuffix(tr(" с"));
  m_interval->setValue(settings.interval);
  m_idle->setRange(1, 24 * 60);
  m_idle->setSuffix(tr(" мин"));
  m_idle->setValue(settings.idleMinutes);
  m_startAtLogin->setChecked(settings.startAtLogin);
  m_problem->setWordWrap(true);
  m_problem->setStyleSheet(QStringLiteral("color: #b00020"));
  m_problem->hide();

  auto* browse = new QPushButton(tr("Обзор..."), this);
  connect(browse, &QPushButton::clicked, this, [this] {
    const QString folder =
        QFileDialog::getExistingDirectory(this, tr("Папка работника"), m_folder->text());
    if (!folder.isEmpty()) m_folder->setText(folder);
  });
  auto* folderRow = new QHBoxLayout;
  folderRow->addWidget(m_folder, 1);
  folderRow->addWidget(browse);
  auto* form = new QFormLayout;
  form->addRow(tr("Папка (%u — имя пользователя):"), folderRow);
  form->addRow(tr("Имя входа:"), m_login);
  form->addRow(tr("Событие «работаю» каждые:"), m_interval);
  form->addRow(tr("Бездействие не дольше:"), m_idle);
  form->addRow(m_startAtLogin);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  auto* layout = new QVBoxLayout(this);
  layout->addLayout(form);
  layout->addWidget(m_problem);
  layout->addWidget(buttons);
  m_folder->setMinimumWidth(fontMetrics().averageCharWidth() * 40);
}

void SettingsDialog::accept() {
  ClientSettings settings;
  settings.folder = m_folder->text().trimmed().toStdString();
  settings.login = m_login->text().trimmed().toStdString();
  settings.interval = m_interval->value();
  settings.idleMinutes = m_idle->value();
  settings.startAtLogin = m_startAtLogin->isChecked();
  const ClientSettings expanded = ExpandClientSettings(settings, CurrentUserName());
  QString problem;
  if (const auto wrong = CheckClientSettings(expanded)) {
    problem = ClientText::Problem(*wrong, expanded);
  } else {
    try {
      std::vector<std::string> defaults = ClientConfigFiles();
      defaults.pop_back();  // the user's own file
      WriteClientSettings(UserConfigFile(), settings, ReadClientSettings(defaults));
    } catch (const ClientFileError& error) {
      problem = ClientText::FileError(error.Path(), error.Error());
    }
  }
  if (!problem.isEmpty()) {
    m_problem->setText(problem);
    m_problem->show();
    return;
  }
  m_saved = expanded;
  QDialog::accept();
}

}  // namespace vornal
