#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <string>

#include "store/schema.h"

namespace Ui {
class CNewDatabaseDlg;
}

namespace vornal {

// The notice that the database file is missing. OK creates the file into the
// caller's database pointer; Esc or the close box creates nothing.
class CNewDatabaseDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CNewDatabaseDlg(QWidget* parent = nullptr);
  ~CNewDatabaseDlg() override;

  // The caller's database pointer, set when the file is created.
  DatabasePtr* m_ppDB = nullptr;
  // The file to create.
  std::string m_strPath;

 public Q_SLOTS:
  void accept() override;

 private:
  QScopedPointer<Ui::CNewDatabaseDlg> m_ui;
};

}  // namespace vornal
