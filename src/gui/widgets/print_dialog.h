#pragma once

#include <QString>
#include <deque>

class QPrinter;
class QWidget;

namespace vornal {

// The print dialog of the program. Tests queue the next answers: a PDF file
// to print into, or an empty text for a cancelled dialog.
class PrintDialog {
 public:
  // Lets the operator choose the printer and its settings; false when
  // cancelled.
  static bool Exec(QWidget* parent, QPrinter& printer);

  static void SetNextAnswer(const QString& pdfPath);
  static void ClearAnswers();

 private:
  static std::deque<QString> s_answers;
};

}  // namespace vornal
