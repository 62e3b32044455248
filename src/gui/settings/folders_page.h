#pragma once

#include <QScopedPointer>
#include <QString>
#include <QWidget>
#include <vector>

class QCheckBox;
class QLabel;
class QLineEdit;
class QPushButton;
class QTimer;

namespace Ui {
class FoldersPage;
}

namespace vornal {

// The "Пути" page: the working folders, one row each, switched on by its
// check box, typed or chosen with "...". A row may hold a pattern (a shell
// wildcard in a folder name); beside it the page says how many folders it
// matches now. Ten rows at least, more as stored or added with
// "Добавить строку". The caller sets the values before the sheet runs and
// reads them after OK; the page checks that every switched-on row names a
// folder that exists, or is a pattern, and that its path can be stored.
class FoldersPage : public QWidget {
  Q_OBJECT

 public:
  static constexpr int kRows = 10;

  explicit FoldersPage(QWidget* parent = nullptr);
  ~FoldersPage() override;

  // Row k (from 1) is index k - 1; both hold RowCount() values.
  std::vector<QString> m_path;
  std::vector<bool> m_enabled;
  int RowCount() const { return static_cast<int>(m_path.size()); }
  // Sets the number of rows (at least kRows); new rows are empty and off.
  void SetRowCount(int rows);
  // The site whose folders the rows are; `here` when it is this machine's
  // own, whose folders must exist (another site's may be on its machines).
  void SetSite(const QString& site, bool here);

  // Shows the values; runs when the page is first opened. A page never
  // opened keeps its values as set and is not checked.
  void Initialize();
  bool IsInitialised() const { return m_initialised; }

  // Handlers of row k.
  void OnCheck(int row);
  void OnBrowse(int row);
  // Appends a switched-on row and puts the focus in it.
  void OnAddRow();
  // Takes the controls into the values, then refuses with a message and the
  // focus on the first switched-on row whose path is empty, too long to store,
  // or no pattern and no folder that can be entered (this machine's site
  // only: another site's folders are on its own machines); then asks before
  // unticked rows lose their paths.
  bool OnApply();

  // Copies every row's controls into the values.
  void SyncRows();

  QCheckBox* Check(int row) const;
  QLineEdit* PathEdit(int row) const;
  QPushButton* BrowseButton(int row) const;
  // What the row's pattern matches now; empty for a plain folder.
  QLabel* MatchLabel(int row) const;

 Q_SIGNALS:
  // The operator changed something: the sheet enables Apply.
  void Modified();
  // A check failed: the sheet brings this page to the front.
  void Refused();

 private:
  // Asks before the paths of unticked rows are dropped; they are cleared
  // when the operator agrees.
  bool ConfirmUntickedRemoval();
  // Tells why row k is refused and puts the focus in its path.
  void Refuse(int row, const QString& text);
  static QString TooLongText(int row, const QString& path);
  struct Row {
    QCheckBox* check;
    QLineEdit* edit;
    QLabel* matches;
    QPushButton* browse;
  };
  // Makes the widgets of rows up to RowCount().
  void BuildRows();
  // Copies the values into every row's controls.
  void ShowValues();
  void EnableRow(int row, bool on);
  void ShowMatches(int row);

  QScopedPointer<Ui::FoldersPage> m_ui;
  std::vector<Row> m_rows;
  QTimer* m_matchTimer;
  int m_editedRow = 0;
  bool m_initialised = false;
  bool m_siteHere = true;
};

}  // namespace vornal
