#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <QString>
#include <functional>

#include "store/people.h"

class QLabel;
class QLineEdit;

namespace Ui {
class PersonEditor;
}

namespace vornal {

class PhotoView;

// The editor of one person's values, with a preview of the photo. The
// caller sets the values before the modal run and reads them after OK; the
// editor never touches the database. Each field takes at most its column's
// size.
class PersonEditor : public QDialog {
  Q_OBJECT

 public:
  // Stores the values; false keeps the editor open with them (the commit has
  // told the operator why).
  using Commit = std::function<bool(const PersonValues&)>;

  explicit PersonEditor(QWidget* parent = nullptr);
  ~PersonEditor() override;

  // The values shown when the editor opens; after OK, the values typed.
  void SetValues(const PersonValues& values) { m_values = values; }
  const PersonValues& Values() const { return m_values; }
  // Runs on OK once the values pass their checks; without one OK just closes.
  void SetCommit(Commit commit) { m_commit = std::move(commit); }

  PhotoView* Photo() const;
  void FocusField(PersonField field);

 public Q_SLOTS:
  // Refuses while the full name or the login is empty or blank, or a value
  // is longer than its column, or the commit refuses.
  void accept() override;
  void OnBrowse();
  void OnClearPhoto();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Initialize();
  QLineEdit* Edit(PersonField field) const;
  QLabel* Label(PersonField field) const;

  QScopedPointer<Ui::PersonEditor> m_ui;
  PersonValues m_values;
  Commit m_commit;
  bool m_initialized = false;
};

}  // namespace vornal
