#pragma once

#include <QDialog>

#include "gui/settings/folders_page.h"
#include "gui/settings/general_page.h"

class QDialogButtonBox;
class QTabWidget;

namespace vornal {

// The settings window "Настройки": the pages "Общие" and "Пути" with OK,
// Cancel, Apply and Help. It stores nothing; its caller reads page 2 after OK.
class SettingsDialog : public QDialog {
  Q_OBJECT

 public:
  explicit SettingsDialog(QWidget* parent = nullptr);
  ~SettingsDialog() override;

  GeneralPage m_generalPage;
  FoldersPage m_foldersPage;

  QTabWidget* Tabs() const { return m_tabs; }
  QDialogButtonBox* Buttons() const { return m_buttons; }

  void SetModified(bool modified);

 private:
  // Checks the opened pages; false when one refuses.
  bool ApplyPages();
  void OnOk();
  void OnApplyNow();
  void OnTabChanged(int index);

  QTabWidget* m_tabs;
  QDialogButtonBox* m_buttons;
};

}  // namespace vornal
