#pragma once

#include <QValidator>

namespace vornal {

// Refuses an edit that makes a field's text longer than its column holds, in
// characters as the database counts them. Text set by the program is not
// checked, so a stored value is never cut.
class LengthValidator : public QValidator {
  Q_OBJECT

 public:
  LengthValidator(int maxChars, QObject* parent);

  State validate(QString& input, int& pos) const override;

 private:
  int m_maxChars;
};

}  // namespace vornal
