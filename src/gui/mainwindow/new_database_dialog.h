#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <string>

#include "store/schema.h"

namespace Ui {
class NewDatabaseDialog;
}

namespace vornal {

// The notice that the database file is missing. OK creates the file into the
// caller's database pointer; Esc or the close box creates nothing.
class NewDatabaseDialog : public QDialog {
  Q_OBJECT

 public:
  // OK creates `path` into `target`.
  NewDatabaseDialog(DatabasePtr* target, std::string path, QWidget* parent = nullptr);
  ~NewDatabaseDialog() override;

 public Q_SLOTS:
  void accept() override;

 private:
  QScopedPointer<Ui::NewDatabaseDialog> m_ui;
  DatabasePtr* m_target;
  std::string m_path;
};

}  // namespace vornal
