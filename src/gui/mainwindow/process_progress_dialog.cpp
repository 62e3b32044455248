#include "gui/mainwindow/process_progress_dialog.h"

#include <QLabel>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>
#include <QTimer>
#include <QVBoxLayout>
#include <algorithm>
#include <exception>
#include <thread>

namespace vornal {
namespace {

QString Elided(const QLabel* label, const QString& text) {
  return label->fontMetrics().elidedText(text, Qt::ElideMiddle, label->width());
}

}  // namespace

ProcessProgressDialog::ProcessProgressDialog(QWidget* parent)
    : QDialog(parent),
      m_countLabel(new QLabel(this)),
      m_foldersBar(new QProgressBar(this)),
      m_folderLabel(new QLabel(this)),
      m_fileLabel(new QLabel(this)),
      m_eventsLabel(new QLabel(this)),
      m_stopButton(new QPushButton(tr("Остановить"), this)),
      m_timer(new QTimer(this)) {
  setObjectName(QStringLiteral("processProgress"));
  setWindowTitle(tr("Обработка"));
  setWindowFlags(Qt::Dialog | Qt::CustomizeWindowHint | Qt::WindowTitleHint);
  setMinimumWidth(460);
  m_countLabel->setObjectName(QStringLiteral("countLabel"));
  m_foldersBar->setObjectName(QStringLiteral("foldersBar"));
  m_folderLabel->setObjectName(QStringLiteral("folderLabel"));
  m_fileLabel->setObjectName(QStringLiteral("fileLabel"));
  m_eventsLabel->setObjectName(QStringLiteral("eventsLabel"));
  m_stopButton->setObjectName(QStringLiteral("stopButton"));
  for (QLabel* label : {m_folderLabel, m_fileLabel})
    label->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
  m_foldersBar->setRange(0, 1);
  m_foldersBar->setValue(0);
  m_foldersBar->setTextVisible(false);

  auto* layout = new QVBoxLayout(this);
  layout->addWidget(m_countLabel);
  layout->addWidget(m_foldersBar);
  layout->addWidget(m_folderLabel);
  layout->addWidget(m_fileLabel);
  layout->addWidget(m_eventsLabel);
  auto* buttons = new QHBoxLayout;
  buttons->addStretch();
  buttons->addWidget(m_stopButton);
  layout->addLayout(buttons);

  m_countLabel->setText(tr("Папки: подсчёт..."));
  // Shown until the sweep names its first folder and file.
  m_folderLabel->setText(tr("Папка: ") + tr("открывается база данных..."));
  m_fileLabel->setText(tr("Файл: ") + tr("ещё не выбран"));
  m_eventsLabel->setText(tr("Внесено событий: 0"));

  connect(m_stopButton, &QPushButton::clicked, this, &ProcessProgressDialog::RequestStop);
  connect(m_timer, &QTimer::timeout, this, &ProcessProgressDialog::ShowProgress);
}

ProcessProgressDialog::~ProcessProgressDialog() = default;

SweepSummary ProcessProgressDialog::Run(const std::string& databasePath) {
  SweepSummary summary;
  std::exception_ptr error;
  m_finished = false;
  std::thread worker([this, &summary, &error, databasePath] {
    // The worker touches no widget; it leaves its progress under the lock
    // and asks the window's thread to close the window when done.
    try {
      Database db;
      db.Open(databasePath);
      SweepOptions options;
      options.progress = [this](const SweepProgress& p) { return OnProgress(p); };
      summary = ProcessFolders(db, options);
    } catch (...) {
      error = std::current_exception();
    }
    QMetaObject::invokeMethod(
        this,
        [this] {
          m_finished = true;
          m_timer->stop();
          done(QDialog::Accepted);
        },
        Qt::QueuedConnection);
  });
  m_timer->start(100);
  exec();
  worker.join();
  if (error) std::rethrow_exception(error);
  return summary;
}

bool ProcessProgressDialog::OnProgress(const SweepProgress& progress) {
  {
    std::lock_guard lock(m_mutex);
    m_progress = progress;
    m_fresh = true;
  }
  return !m_stop.load();
}

void ProcessProgressDialog::ShowProgress() {
  SweepProgress progress;
  {
    std::lock_guard lock(m_mutex);
    if (!m_fresh) return;
    progress = m_progress;
    m_fresh = false;
  }
  const QLocale locale;
  m_countLabel->setText(
      tr("Папка %1 из %2")
          .arg(locale.toString(progress.folderNumber), locale.toString(progress.folderCount)));
  m_foldersBar->setRange(0, std::max(progress.folderCount, 1));
  m_foldersBar->setValue(std::min(progress.folderNumber, progress.folderCount));
  m_folderLabel->setText(
      Elided(m_folderLabel, tr("Папка: ") + QString::fromStdString(progress.folder)));
  // Every file read is a worker's main.buf, whatever name it was claimed under.
  m_fileLabel->setText(tr("Файл: ") +
                       (progress.file.empty() ? tr("ещё не выбран") : QStringLiteral("main.buf")));
  m_eventsLabel->setText(tr("Внесено событий: ") +
                         locale.toString(static_cast<qlonglong>(progress.eventsApplied)));
}

void ProcessProgressDialog::RequestStop() {
  m_stop = true;
  m_stopButton->setEnabled(false);
  m_stopButton->setText(tr("Остановка после текущего файла..."));
}

void ProcessProgressDialog::reject() {
  if (!m_finished) RequestStop();
}

}  // namespace vornal
