#include "gui/mainwindow/new_database_dialog.h"

#include "ui_new_database_dialog.h"

namespace vornal {

NewDatabaseDialog::NewDatabaseDialog(DatabasePtr* target, std::string path, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::NewDatabaseDialog), m_target(target), m_path(std::move(path)) {
  m_ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  connect(m_ui->okButton, &QPushButton::clicked, this, &NewDatabaseDialog::accept);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &NewDatabaseDialog::reject);
}

NewDatabaseDialog::~NewDatabaseDialog() = default;

void NewDatabaseDialog::accept() {
  if (m_target && CreateDatabaseFile(*m_target, m_path, kCreateOptions) == 0) m_target->reset();
  QDialog::accept();
}

}  // namespace vornal
