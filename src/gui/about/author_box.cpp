#include "gui/about/author_box.h"

#include <QCoreApplication>
#include <QPushButton>
#include <QTimerEvent>

#include "gui/about/flame_widget.h"
#include "gui/widgets/data_files.h"
#include "gui/widgets/photo_view.h"
#include "ui_author_box.h"

namespace vornal {

AuthorBox::AuthorBox(QWidget* parent) : QDialog(parent), m_ui(new Ui::AuthorBox) {
  m_ui->setupUi(this);
  connect(m_ui->okButton, &QPushButton::clicked, this, &AuthorBox::accept);
  connect(m_ui->cancelButton, &QPushButton::clicked, this, &AuthorBox::reject);
  Photo()->LoadFile(DataFilePath(kAuthorPicture));
  Fire()->Start(1);
  m_timer.start(kFireInterval, Qt::PreciseTimer, this);
  m_timerId = kFireTimer;
}

AuthorBox::~AuthorBox() {
  StopTimer();
}

PhotoView* AuthorBox::Photo() const {
  return m_ui->photo;
}

FlameWidget* AuthorBox::Fire() const {
  return m_ui->flame;
}

void AuthorBox::timerEvent(QTimerEvent* event) {
  if (m_timerId == kFireTimer && event->timerId() == m_timer.timerId()) {
    OnTimer();
    return;
  }
  QDialog::timerEvent(event);
}

void AuthorBox::OnTimer() {
  Fire()->Step();
  Fire()->Draw();
  // Ticks that queued up while this frame was drawn are dropped, not replayed:
  // a late frame never brings catch-up frames after it.
  QCoreApplication::removePostedEvents(this, QEvent::Timer);
}

void AuthorBox::StopTimer() {
  m_timer.stop();
  m_timerId = 0;
}

}  // namespace vornal
