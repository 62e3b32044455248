#pragma once

#include <QScopedPointer>
#include <QString>
#include <QWidget>
#include <array>

class QCheckBox;
class QLineEdit;
class QPushButton;

namespace Ui {
class FoldersPage;
}

namespace vornal {

// The "Пути" page: ten working folders, each switched on by its check box,
// typed or chosen with "...". The caller sets the values before the sheet
// runs and reads them after OK; the page checks that every switched-on
// row names a folder that exists and that its path can be stored.
class FoldersPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRows = 10;

  explicit FoldersPage(QWidget* parent = nullptr);
  ~FoldersPage() override;

  // Row k (1 to 10) is index k - 1.
  std::array<QString, kRows> m_path;
  std::array<bool, kRows> m_enabled{};

  // Shows the values; runs when the page is first opened. A page never
  // opened keeps its values as set and is not checked.
  void Initialize();
  bool IsInitialised() const { return m_initialised; }

  // Handlers of row k (1 to 10).
  void OnCheck(int row);
  void OnBrowse(int row);
  // Takes the controls into the values, then refuses with a message and the
  // focus on the first switched-on row whose path is empty, too long to store
  // or no folder that can be entered.
  bool OnApply();

  // Copies every row's controls into the values.
  void SyncRows();

  QCheckBox* Check(int row) const;
  QLineEdit* PathEdit(int row) const;
  QPushButton* BrowseButton(int row) const;

 Q_SIGNALS:
  // The operator changed something: the sheet enables Apply.
  void Modified();
  // A check failed: the sheet brings this page to the front.
  void Refused();

 private:
  // Tells why row k is refused and puts the focus in its path.
  void Refuse(int row, const QString& text);
  static QString TooLongText(int row, const QString& path);
  // Copies the values into every row's controls.
  void ShowValues();
  void EnableRow(int row, bool on);

  QScopedPointer<Ui::FoldersPage> m_ui;
  std::array<QCheckBox*, kRows> m_checks{};
  std::array<QLineEdit*, kRows> m_edits{};
  std::array<QPushButton*, kRows> m_buttons{};
  bool m_initialised = false;
};

}  // namespace vornal
