#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <functional>

namespace vornal::test {

// Runs `action` on the first modal window of type T once it is running.
template <class T>
void WhenModal(std::function<void(T*)> action) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    if (auto* window = qobject_cast<T*>(QApplication::activeModalWidget())) {
      timer->stop();
      timer->deleteLater();
      action(window);
    }
  });
  timer->start();
}

// Runs `action` on the first shown top-level window of type T once it is
// shown (for windows that are not modal, such as the main window).
template <class T>
void WhenShown(std::function<void(T*)> action) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(5);
  QObject::connect(timer, &QTimer::timeout, [timer, action] {
    for (QWidget* widget : QApplication::topLevelWidgets())
      if (auto* window = qobject_cast<T*>(widget); window && window->isVisible()) {
        timer->stop();
        timer->deleteLater();
        action(window);
        return;
      }
  });
  timer->start();
}

// Makes a fresh temporary folder the current directory for its lifetime.
class ScopedCurrentDir {
 public:
  ScopedCurrentDir() : m_saved(QDir::currentPath()) { QDir::setCurrent(m_dir.path()); }
  ~ScopedCurrentDir() { QDir::setCurrent(m_saved); }
  ScopedCurrentDir(const ScopedCurrentDir&) = delete;
  ScopedCurrentDir& operator=(const ScopedCurrentDir&) = delete;

  QString Path() const { return m_dir.path(); }
  QString File(const QString& name) const { return m_dir.filePath(name); }

 private:
  QString m_saved;
  QTemporaryDir m_dir;
};

}  // namespace vornal::test
