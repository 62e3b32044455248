#pragma once

#include <QtGlobal>

namespace vornal {

class MainWindow;

// The application object: prepares what the program needs, then shows the
// main window and runs the event loop until it closes. Construct it
// after the QApplication.
class Application {
 public:
  Application();
  virtual ~Application();
  Application(const Application&) = delete;
  Application& operator=(const Application&) = delete;

  // Runs the program. Always false: nothing is left to run afterwards.
  bool Run();

  // The main window while it runs, otherwise none.
  MainWindow* Window() const { return m_mainWindow; }

  static constexpr const char* kFacilityFailure =
      QT_TRANSLATE_NOOP("vornal::Application", "Windows sockets initialization failed.");

 protected:
  // False when something the program cannot run without is missing.
  virtual bool PrepareFacilities();

 private:
  MainWindow* m_mainWindow = nullptr;
};

}  // namespace vornal
