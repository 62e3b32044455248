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
  // A .bmp file that exists, or empty when cancelled.
  static QString GetOpenFileName(QWidget* parent, const QString& title, const QString& filter,
                                 const QString& defaultSuffix);
  // A folder, preselecting `initial`; empty when cancelled.
  static QString GetExistingDirectory(QWidget* parent, const QString& title,
                                      const QString& initial);

  static void SetNextFileName(const QString& path);
  static void SetNextDirectory(const QString& path);
  static void ClearAnswers();

 private:
  static std::deque<QString> s_files;
  static std::deque<QString> s_directories;
};

}  // namespace vornal
