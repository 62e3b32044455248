#pragma once

#include <QDialog>
#include <QScopedPointer>
#include <QString>

#include "store/people.h"

namespace Ui {
class PersonEditor;
}

namespace vornal {

class PhotoView;

// The editor of one person's seven values, with a preview of the photo. The
// caller sets the values before the modal run and reads them after OK; the
// editor never touches the database.
class PersonEditor : public QDialog {
  Q_OBJECT

 public:
  explicit PersonEditor(QWidget* parent = nullptr);
  ~PersonEditor() override;

  // The values shown when the editor opens; after OK, the values typed.
  void SetValues(const PersonValues& values) { m_values = values; }
  const PersonValues& Values() const { return m_values; }

  PhotoView* Photo() const { return m_photo; }

 public Q_SLOTS:
  // Refuses while the full name or the login is empty.
  void accept() override;
  void OnBrowse();

 protected:
  void showEvent(QShowEvent* event) override;

 private:
  void Initialize();

  QScopedPointer<Ui::PersonEditor> m_ui;
  PersonValues m_values;
  PhotoView* m_photo;
  bool m_initialized = false;
};

}  // namespace vornal
