#pragma once

#include <QBasicTimer>
#include <QDialog>
#include <QScopedPointer>

namespace Ui {
class AuthorBox;
}

namespace vornal {

class FlameWidget;
class PhotoView;

// "Об авторе...": the author's picture ("delmo32.dll", a .bmp picture in the
// current directory, or the installed one) with red flames burning under it
// on a 33 ms timer.
class AuthorBox : public QDialog {
  Q_OBJECT

 public:
  // The identity of the flame timer and its interval.
  static constexpr int kFireTimer = 1105;
  static constexpr int kFireInterval = 33;

  explicit AuthorBox(QWidget* parent = nullptr);
  ~AuthorBox() override;

  FlameWidget* Fire() const;
  PhotoView* Photo() const;
  // kFireTimer while the flame runs, 0 once it is stopped.
  int TimerId() const { return m_timerId; }

 protected:
  void timerEvent(QTimerEvent* event) override;

 private:
  void OnTimer();
  void StopTimer();

  QScopedPointer<Ui::AuthorBox> m_ui;
  QBasicTimer m_timer;
  int m_timerId = 0;
};

}  // namespace vornal
