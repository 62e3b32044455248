#include "gui/widgets/print_dialog.h"

#include <QPrintDialog>
#include <QPrinter>

namespace vornal {

std::deque<QString> PrintDialog::s_answers;

bool PrintDialog::Exec(QWidget* parent, QPrinter& printer) {
  if (!s_answers.empty()) {
    const QString answer = s_answers.front();
    s_answers.pop_front();
    if (answer.isEmpty()) return false;
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(answer);
    return true;
  }
  QPrintDialog dialog(&printer, parent);
  return dialog.exec() == QDialog::Accepted;
}

void PrintDialog::SetNextAnswer(const QString& pdfPath) {
  s_answers.push_back(pdfPath);
}

void PrintDialog::ClearAnswers() {
  s_answers.clear();
}

}  // namespace vornal
