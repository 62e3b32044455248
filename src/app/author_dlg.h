#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QScopedPointer>

#include "personnel/photo_static.h"

namespace Ui {
class CAuthorDlg;
}

namespace vornal {

class CFireStatic;

// "Об авторе...": the author's picture ("delmo32.dll", a .bmp picture in the
// current directory) with red flames burning under it on a 33 ms timer.
class CAuthorDlg : public QDialog {
  Q_OBJECT

 public:
  // The identity of the flame timer and its interval.
  static constexpr int kFireTimer = 1105;
  static constexpr int kFireInterval = 33;

  explicit CAuthorDlg(QWidget* parent = nullptr);
  ~CAuthorDlg() override;

  CFireStatic* Fire() const;
  CPhotoStatic* Photo() { return &m_photo; }
  // kFireTimer while the flame runs, 0 once it is stopped.
  int TimerId() const { return m_nTimer; }

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void OnTimer();
  void StopTimer();

  QScopedPointer<Ui::CAuthorDlg> m_ui;
  CPhotoStatic m_photo;
  QBasicTimer m_timer;
  int m_nTimer = 0;
};

}  // namespace vornal
