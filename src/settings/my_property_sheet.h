#pragma once

#include <QDialog>

#include "settings/my_property_page1.h"
#include "settings/my_property_page2.h"

class QDialogButtonBox;
class QTabWidget;

namespace vornal {

// The settings window "Настройки": the pages "Общие" and "Пути" with OK,
// Cancel, Apply and Help. It stores nothing; its caller reads page 2 after OK.
class CMyPropertySheet : public QDialog {
  Q_OBJECT

 public:
  explicit CMyPropertySheet(QWidget* parent = nullptr);
  ~CMyPropertySheet() override;

  CMyPropertyPage1 m_page1;
  CMyPropertyPage2 m_page2;

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
