#pragma once

#include <QString>
#include <deque>

class QWidget;

namespace vornal {

// The file and folder choosers of the program. Each remembers the process's
// current directory and restores it afterwards. Tests queue the next answers
// (an empty text is a cancelled chooser).
class FileDialog {
 public:
  // A file that exists, or empty when cancelled; the chooser opens in
  // `directory` (empty: the current directory).
  static QString GetOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix, const QString& directory = {});
  // A file to write, proposing `initial` (a name or a path) and adding the
  // suffix when none is typed; empty when cancelled. The chooser asks before
  // replacing a file.
  static QString GetSaveFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix, const QString& initial);
  // A folder, preselecting `initial`; empty when cancelled.
  static QString GetExistingDirectory(QWidget* parent, const QString& title,
                                      const QString& initial);

  static void SetNextFileName(const QString& path);
  static void SetNextDirectory(const QString& path);
  static void ClearAnswers();
  // The folder the last file chooser was asked to open in.
  static const QString& LastDirectory() { return s_lastDirectory; }

 private:
  static std::deque<QString> s_files;
  static std::deque<QString> s_directories;
  static QString s_lastDirectory;
};

}  // namespace vornal
