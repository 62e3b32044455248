#pragma once

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>
#include <QtTest>
#include <algorithm>
#include <functional>
#include <vector>

namespace vornal::test {

// The hooks of WhenModal and WhenShown still waiting for their window.
inline std::vector<QTimer*>& PendingHooks() {
  static std::vector<QTimer*> hooks;
  return hooks;
}

// Polls for a window until `found` returns it, then runs `action` on it once.
template <class T>
void WhenFound(std::function<T*()> found, std::function<void(T*)> action) {
  auto* timer = new QTimer(qApp);
  timer->setInterval(5);
  PendingHooks().push_back(timer);
  QObject::connect(timer, &QTimer::timeout, [timer, found, action] {
    T* window = found();
    if (!window) return;
    timer->stop();
    timer->deleteLater();
    std::erase(PendingHooks(), timer);
    action(window);
  });
  timer->start();
}

// Runs `action` on the first modal window of type T once it is running.
template <class T>
void WhenModal(std::function<void(T*)> action) {
  WhenFound<T>([] { return qobject_cast<T*>(QApplication::activeModalWidget()); },
               std::move(action));
}

// Runs `action` on the first shown top-level window of type T once it is
// shown (for windows that are not modal, such as the main window).
template <class T>
void WhenShown(std::function<void(T*)> action) {
  WhenFound<T>(
      [] {
        for (QWidget* widget : QApplication::topLevelWidgets())
          if (auto* window = qobject_cast<T*>(widget); window && window->isVisible()) return window;
        return static_cast<T*>(nullptr);
      },
      std::move(action));
}

// For a test's cleanup: a window the test waited for that never came fails
// the test, and its hook is dropped, so that it cannot act on a window of a
// later test.
inline void CheckNoHookLeft() {
  const bool left = !PendingHooks().empty();
  for (QTimer* timer : PendingHooks()) {
    timer->stop();
    timer->deleteLater();
  }
  PendingHooks().clear();
  QVERIFY2(!left, "a window the test waited for never came");
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
