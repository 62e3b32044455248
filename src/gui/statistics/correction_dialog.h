#pragma once

#include <QDateTime>
#include <QDialog>
#include <QScopedPointer>
#include <cstdint>

#include "store/database.h"

namespace Ui {
class CorrectionDialog;
}

namespace vornal {

// Adds a finished interval of a person or changes one, always with a reason:
// OK hands the values to the core, which keeps the change in the trail of
// corrections. A refusal (an interval still going on, times that overlap
// another interval, no reason) is said and the dialog stays open.
class CorrectionDialog : public QDialog {
  Q_OBJECT

 public:
  CorrectionDialog(Database& db, QWidget* parent = nullptr);
  ~CorrectionDialog() override;

  // A new interval of the login (typed in when empty).
  void NewRow(const QString& login, const QDateTime& begin, const QDateTime& end, bool task);
  // The row with this ID, as it is now.
  void ChangeRow(std::int64_t rowId, const QString& login, const QDateTime& begin,
                 const QDateTime& end, bool task);
  // The correction made; 0 before OK.
  std::int64_t CorrectionId() const { return m_correction; }

 public Q_SLOTS:
  void accept() override;

 private:
  QScopedPointer<Ui::CorrectionDialog> m_ui;
  Database& m_db;
  std::int64_t m_rowId = 0;
  std::int64_t m_correction = 0;
};

// Removes the finished row, or undoes the latest correction of a row, after
// asking for the reason; a refusal or an engine error is said. True when
// it was done.
bool RemoveRowAsked(Database& db, std::int64_t rowId, QWidget* parent);
bool UndoLatestCorrectionAsked(Database& db, std::int64_t rowId, QWidget* parent);

}  // namespace vornal
