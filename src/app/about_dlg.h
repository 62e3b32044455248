#pragma once

#include <QDialog>
#include <QIcon>
#include <QScopedPointer>

namespace Ui {
class CAboutDlg;
}

namespace vornal {

// "О программе...": the program's icon, name and version, and the tiny "*"
// button that opens the About-author box.
class CAboutDlg : public QDialog {
  Q_OBJECT

 public:
  explicit CAboutDlg(QWidget* parent = nullptr);
  ~CAboutDlg() override;

  // The application icon, from the program's resources.
  static QIcon AppIcon();

 private:
  void OnAuthor();

  QScopedPointer<Ui::CAboutDlg> m_ui;
};

}  // namespace vornal
