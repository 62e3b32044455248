#include "gui/mainwindow/new_database_dialog.h"

#include <QApplication>

#include "gui/widgets/message_box.h"
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
  if (m_target) {
    m_target->reset();
    try {
      auto db = std::make_unique<Database>();
      db->Create(m_path);
      *m_target = std::move(db);
    } catch (const StoreError& e) {
      MessageBox::Warning(
          QApplication::activeWindow(),
          tr("Couldn't create database--Exception: %1").arg(QString::fromStdString(e.what())));
    } catch (const std::bad_alloc&) {
      MessageBox::Warning(QApplication::activeWindow(),
                          tr("Failed to create database--Memory exception thrown."));
    }
  }
  QDialog::accept();
}

}  // namespace vornal
