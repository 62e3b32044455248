#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <QString>

namespace Ui {
class CUserDialog;
}

namespace vornal {

class CPhotoStatic;

// The editor of one person's seven values, with a preview of the photo. The
// caller sets the values before the modal run and reads them after OK; the
// dialog never touches the database.
class CUserDialog : public QDialog {
  Q_OBJECT

 public:
  explicit CUserDialog(QWidget* parent = nullptr);
  ~CUserDialog() override;

  QString m_strName;
  QString m_strLogin;
  QString m_strAge;
  QString m_strProf;
  QString m_strTel;
  QString m_strEmail;
  QString m_strPhoto;

  CPhotoStatic* Photo() const { return m_photo; }

 public Q_SLOTS:
  // Refuses while the full name or the login is empty.
  void accept() override;
  void OnBrowse();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void OnInitDialog();

  QScopedPointer<Ui::CUserDialog> m_ui;
  CPhotoStatic* m_photo;
  bool m_initialized = false;
};

}  // namespace vornal
