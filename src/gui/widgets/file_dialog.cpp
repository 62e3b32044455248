#include "gui/widgets/file_dialog.h"

#include <QDir>
#include <QFileDialog>
#include <optional>

namespace vornal {
namespace {

// Restores the process's current directory when it goes out of scope.
class CurrentDirectoryGuard {
 public:
  CurrentDirectoryGuard() : m_saved(QDir::currentPath()) {}
  ~CurrentDirectoryGuard() { QDir::setCurrent(m_saved); }
  CurrentDirectoryGuard(const CurrentDirectoryGuard&) = delete;
  CurrentDirectoryGuard& operator=(const CurrentDirectoryGuard&) = delete;

 private:
  QString m_saved;
};

// The first queued answer, taken off the queue; nothing when there is none.
std::optional<QString> TakeAnswer(std::deque<QString>& answers) {
  if (answers.empty()) return std::nullopt;
  QString answer = answers.front();
  answers.pop_front();
  return answer;
}

}  // namespace

std::deque<QString> FileDialog::s_files;
std::deque<QString> FileDialog::s_directories;
QString FileDialog::s_lastDirectory;

QString FileDialog::GetOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix, const QString& directory) {
  CurrentDirectoryGuard guard;
  s_lastDirectory = directory;
  if (auto answer = TakeAnswer(s_files)) return *answer;
  QFileDialog dialog(parent, title, directory, filter);
  dialog.setAcceptMode(QFileDialog::AcceptOpen);
  dialog.setFileMode(QFileDialog::ExistingFile);
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.setOption(QFileDialog::ReadOnly, false);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

QString FileDialog::GetSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                    const QString& defaultSuffix, const QString& initial) {
  CurrentDirectoryGuard guard;
  if (auto answer = TakeAnswer(s_files)) return *answer;
  QFileDialog dialog(parent, title, QString(), filter);
  dialog.setAcceptMode(QFileDialog::AcceptSave);
  dialog.setFileMode(QFileDialog::AnyFile);
  dialog.setDefaultSuffix(defaultSuffix);
  dialog.selectFile(initial);
  if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return {};
  return QDir::toNativeSeparators(dialog.selectedFiles().first());
}

QString FileDialog::GetExistingDirectory(QWidget* parent, const QString& title,
                                         const QString& initial) {
  CurrentDirectoryGuard guard;
  if (auto answer = TakeAnswer(s_directories)) return *answer;
  return QFileDialog::getExistingDirectory(parent, title, initial, QFileDialog::ShowDirsOnly);
}

void FileDialog::SetNextFileName(const QString& path) {
  s_files.push_back(path);
}

void FileDialog::SetNextDirectory(const QString& path) {
  s_directories.push_back(path);
}

void FileDialog::ClearAnswers() {
  s_files.clear();
  s_directories.clear();
  s_lastDirectory.clear();
}

}  // namespace vornal
