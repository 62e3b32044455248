#include "app/author_dlg.h"

#include <QCoreApplication>
#include <QTimerEvent>

#include "app/fire_static.h"
#include "ui_author_dlg.h"

namespace vornal {

CAuthorDlg::CAuthorDlg(QWidget* parent) : QDialog(parent), m_ui(new Ui::CAuthorDlg) {
  m_ui->setupUi(this);
  m_photo.setObjectName(QStringLiteral("photoStatic"));
  m_photo.Create(this, m_ui->pictureFrame->geometry());
  m_photo.LoadFile(QStringLiteral("delmo32.dll"));
  Fire()->Start(1);
  m_timer.start(kFireInterval, Qt::PreciseTimer, this);
  m_nTimer = kFireTimer;
}

CAuthorDlg::~CAuthorDlg() {
  StopTimer();
}

CFireStatic* CAuthorDlg::Fire() const {
  return m_ui->fireStatic;
}

void CAuthorDlg::timerEvent(QTimerEvent* event) {
  if (m_nTimer == kFireTimer && event->timerId() == m_timer.timerId()) {
    OnTimer();
    return;
  }
  QDialog::timerEvent(event);
}

void CAuthorDlg::OnTimer() {
  Fire()->Step();
  Fire()->Draw();
  // Ticks that queued up while this frame was drawn are dropped, not replayed:
  // a late frame never brings catch-up frames after it.
  QCoreApplication::removePostedEvents(this, QEvent::Timer);
}

void CAuthorDlg::StopTimer() {
  m_timer.stop();
  m_nTimer = 0;
}

}  // namespace vornal
