#pragma once

#include <QDialog>
#include <QIcon>
#include <QScopedPointer>

namespace Ui {
class AboutBox;
}

namespace vornal {

// "О программе...": the program's icon, name and version, and the tiny "*"
// button that opens the About-author box.
class AboutBox : public QDialog {
  Q_OBJECT

 public:
  explicit AboutBox(QWidget* parent = nullptr);
  ~AboutBox() override;

  // The application icon, from the program's resources.
  static QIcon AppIcon();

 private:
  void OnAuthor();

  QScopedPointer<Ui::AboutBox> m_ui;
};

}  // namespace vornal
