#pragma once

#include <QValidator>

class QLineEdit;

namespace vornal {

// Keeps a field's text within what its column holds, in characters as the
// database counts them: an edit that makes it longer keeps the allowed part
// of what was typed or pasted, and a tooltip at the field says how much was
// cut. Text set by the program is not checked, so a stored value is never
// cut.
class LengthValidator : public QValidator {
  Q_OBJECT

 public:
  LengthValidator(int maxChars, QLineEdit* edit);

  State validate(QString& input, int& pos) const override;

  // What the last cut said; empty when nothing was cut.
  const QString& CutText() const { return m_cutText; }

 private:
  int m_maxChars;
  QLineEdit* m_edit;
  mutable QString m_cutText;
};

}  // namespace vornal
