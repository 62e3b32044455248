#pragma once

namespace vornal {

class CServerDlg;

// The application object: prepares what the program needs, then runs the
// main window modally; the end of that run ends the program. Construct it
// after the QApplication.
class CServerApp {
 public:
  CServerApp();
  virtual ~CServerApp();
  CServerApp(const CServerApp&) = delete;
  CServerApp& operator=(const CServerApp&) = delete;

  // Runs the program. Always false: nothing is left to run afterwards.
  bool InitInstance();

  // The main window while it runs, otherwise none.
  CServerDlg* MainWindow() const { return m_pMainWnd; }

  static constexpr const char* kFacilityFailure = "Windows sockets initialization failed.";

 protected:
  // False when something the program cannot run without is missing.
  virtual bool PrepareFacilities();

 private:
  CServerDlg* m_pMainWnd = nullptr;
};

}  // namespace vornal
