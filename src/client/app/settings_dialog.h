#pragma once

#include <QCheckBox>
#include <QDialog>
#include <QLabel>
#include <QLineEdit>
#include <QSpinBox>

#include "client/client_settings.h"

namespace vornal {

// The worker's settings: folder ("%u" for the user name), login, go-on
// interval, idle minutes, start at session start. Shown as the files give
// them; saved to the user's own file only once they pass the check, with
// the check's message otherwise.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SettingsDialog(QWidget* parent);
  // The settings saved, expanded for this user.
  const ClientSettings& Saved() const { return m_saved; }

  void accept() override;

 private:
  QLineEdit* m_folder;
  QLineEdit* m_login;
  QSpinBox* m_interval;
  QSpinBox* m_idle;
  QCheckBox* m_startAtLogin;
  QLabel* m_problem;
  ClientSettings m_saved;
};

}  // namespace vornal
