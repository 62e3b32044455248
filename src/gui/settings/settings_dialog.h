#pragma once

#include <QDialog>
#include <functional>

#include "gui/settings/folders_page.h"
#include "gui/settings/general_page.h"

class QDialogButtonBox;
class QTabWidget;

namespace vornal {

// The settings window "Настройки": the pages "Общие" and "Пути" with OK,
// Cancel, Apply and Help. It stores nothing itself; its caller reads page 2 in
// the commit or after OK.
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
  // Runs on OK and Apply once the pages accept; false keeps the sheet open
  // (the commit has told the operator why). Without one OK just closes.
  void SetCommit(std::function<bool()> commit) { m_commit = std::move(commit); }

 private:
  // Checks the opened pages; false when one refuses.
  bool ApplyPages();
  void OnOk();
  void OnApplyNow();
  void OnTabChanged(int index);

  QTabWidget* m_tabs;
  QDialogButtonBox* m_buttons;
  std::function<bool()> m_commit;
};

}  // namespace vornal
