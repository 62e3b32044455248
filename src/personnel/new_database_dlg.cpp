#include "personnel/new_database_dlg.h"

#include "ui_new_database_dlg.h"

namespace vornal {

CNewDatabaseDlg::CNewDatabaseDlg(QWidget* parent) : QDialog(parent), m_ui(new Ui::CNewDatabaseDlg) {
  m_ui->setupUi(this);
  setWindowFlag(Qt::WindowContextHelpButtonHint, false);
  connect(m_ui->okButton, &QPushButton::clicked, this, &CNewDatabaseDlg::accept);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &CNewDatabaseDlg::reject);
}

CNewDatabaseDlg::~CNewDatabaseDlg() = default;

void CNewDatabaseDlg::accept() {
  if (m_ppDB && CreateDatabaseFile(*m_ppDB, m_strPath, kCreateOptions) == 0) m_ppDB->reset();
  QDialog::accept();
}

}  // namespace vornal
