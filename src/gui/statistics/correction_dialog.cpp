#include "gui/statistics/correction_dialog.h"

#include <QInputDialog>

#include "gui/widgets/display_text.h"
#include "gui/widgets/message_box.h"
#include "stats/corrections.h"
#include "ui_correction_dialog.h"

namespace vornal {
namespace {

DateTime FromQt(const QDateTime& time) {
  const QDate date = time.date();
  const QTime clock = time.time();
  return DateTime::FromParts(date.year(), date.month(), date.day(), clock.hour(), clock.minute(),
                             clock.second())
      .value_or(DateTime());
}

// Runs a correction; a refusal or an engine error is said. True when done.
template <class Step>
bool Corrected(QWidget* parent, Step step) {
  try {
    step();
    return true;
  } catch (const CorrectionRefused& e) {
    MessageBox::Warning(parent, DisplayText::CorrectionRefusalText(e));
  } catch (const StoreError& e) {
    MessageBox::EngineError(parent, e, DisplayText::NothingCorrected());
  }
  return false;
}

// The reason for a removal or an undo; nothing when the operator cancels.
std::optional<QString> AskReason(QWidget* parent, const QString& title) {
  bool ok = false;
  const QString reason = QInputDialog::getText(parent, title, DisplayText::ReasonPrompt(),
                                               QLineEdit::Normal, QString(), &ok);
  if (!ok) return std::nullopt;
  return reason;
}

}  // namespace

CorrectionDialog::CorrectionDialog(Database& db, QWidget* parent)
    : QDialog(parent), m_ui(new Ui::CorrectionDialog), m_db(db) {
  m_ui->setupUi(this);
}

CorrectionDialog::~CorrectionDialog() = default;

void CorrectionDialog::NewRow(const QString& login, const QDateTime& begin, const QDateTime& end,
                              bool task) {
  m_rowId = 0;
  setWindowTitle(tr("Добавление интервала"));
  m_ui->loginEdit->setText(login);
  m_ui->loginEdit->setReadOnly(!login.isEmpty());
  m_ui->beginEdit->setDateTime(begin);
  m_ui->endEdit->setDateTime(end);
  m_ui->kindBox->setCurrentIndex(task ? 1 : 0);
  (login.isEmpty() ? m_ui->loginEdit : m_ui->reasonEdit)->setFocus();
}

void CorrectionDialog::ChangeRow(std::int64_t rowId, const QString& login, const QDateTime& begin,
                                 const QDateTime& end, bool task) {
  NewRow(login, begin, end, task);
  m_rowId = rowId;
  setWindowTitle(tr("Исправление интервала"));
  m_ui->loginEdit->setReadOnly(true);
}

void CorrectionDialog::accept() {
  const bool task = m_ui->kindBox->currentIndex() == 1;
  const WorkEvent event = task ? WorkEvent::StopWork : WorkEvent::StopWDay;
  const DateTime begin = FromQt(m_ui->beginEdit->dateTime());
  const DateTime end = FromQt(m_ui->endEdit->dateTime());
  const std::string reason = m_ui->reasonEdit->text().toStdString();
  const bool done = Corrected(this, [&] {
    m_correction = m_rowId ? ChangeWorkRow(m_db, m_rowId, event, begin, end, reason)
                           : AddWorkRow(m_db, m_ui->loginEdit->text().toStdString(), event, begin,
                                        end, reason);
  });
  if (done) QDialog::accept();
}

bool RemoveRowAsked(Database& db, std::int64_t rowId, QWidget* parent) {
  const std::optional<QString> reason = AskReason(parent, DisplayText::RemoveRowTitle());
  return reason && Corrected(parent, [&] { RemoveWorkRow(db, rowId, reason->toStdString()); });
}

bool UndoLatestCorrectionAsked(Database& db, std::int64_t rowId, QWidget* parent) {
  std::optional<Correction> latest;
  if (!Corrected(parent, [&] { latest = LatestCorrectionOf(db, rowId); }) || !latest) return false;
  const std::optional<QString> reason = AskReason(parent, DisplayText::UndoTitle());
  return reason &&
         Corrected(parent, [&] { UndoCorrection(db, latest->id, reason->toStdString()); });
}

}  // namespace vornal
