#pragma once

#include <QScopedPointer>
#include <QString>
#include <QWidget>

class QComboBox;
class QLineEdit;
class QSpinBox;

namespace Ui {
class GeneralPage;
}

namespace vornal {

// The "Общие" page: the office's title for the printed forms and the quiet
// period of the intake, both kept in the database, and the windows'
// language, kept for this user and taken at the next start. The caller sets
// the values before the sheet runs and reads them after OK or Apply.
class GeneralPage : public QWidget {
  Q_OBJECT

 public:
  explicit GeneralPage(QWidget* parent = nullptr);
  ~GeneralPage() override;

  void SetOfficeTitle(const QString& title);
  QString OfficeTitle() const;
  void SetQuietPeriod(int seconds);
  int QuietPeriod() const;
  // "" (as the system), "ru" or "en".
  void SetLanguage(const QString& language);
  QString Language() const;

  QLineEdit* OfficeEdit() const;
  QSpinBox* QuietSpin() const;
  QComboBox* LanguageCombo() const;

 Q_SIGNALS:
  // The operator changed something: the sheet enables Apply.
  void Modified();

 private:
  QScopedPointer<Ui::GeneralPage> m_ui;
};

}  // namespace vornal
