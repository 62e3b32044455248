#pragma once

#include <QDialog>
#include <atomic>
#include <mutex>
#include <string>

#include "intake/folder_sweep.h"

class QLabel;
class QProgressBar;
class QPushButton;
class QTimer;

namespace vornal {

// Runs the Process sweep on a worker thread, with its own connection to the
// database file, while this modal window shows the folder, its main.buf and
// the events applied so far. "Остановить" stops the sweep between files.
class ProcessProgressDialog : public QDialog {
  Q_OBJECT

 public:
  explicit ProcessProgressDialog(QWidget* parent = nullptr);
  ~ProcessProgressDialog() override;

  // Sweeps the folders of the database at `databasePath` and returns what
  // was done; the sweep's exception, if any, is thrown again here.
  SweepSummary Run(const std::string& databasePath);

  // Asks the sweep to stop after the file it is reading.
  void RequestStop();
  bool StopRequested() const { return m_stop.load(); }

 protected:
  // Esc and the close box ask to stop; the window closes when the sweep ends.
  void reject() override;

 private:
  bool OnProgress(const SweepProgress& progress);
  void ShowProgress();

  QLabel* m_countLabel;
  QProgressBar* m_foldersBar;
  QLabel* m_folderLabel;
  QLabel* m_fileLabel;
  QLabel* m_eventsLabel;
  QPushButton* m_stopButton;
  QTimer* m_timer;

  std::mutex m_mutex;
  SweepProgress m_progress;  // guarded by m_mutex
  bool m_fresh = false;      // guarded by m_mutex
  std::atomic<bool> m_stop{false};
  bool m_finished = false;
};

}  // namespace vornal
