#include "gui/widgets/length_validator.h"

#include "text/utf8.h"

namespace vornal {

LengthValidator::LengthValidator(int maxChars, QObject* parent)
    : QValidator(parent), m_maxChars(maxChars) {}

QValidator::State LengthValidator::validate(QString& input, int& /*pos*/) const {
  return Utf8Length(input.toStdString()) <= static_cast<std::size_t>(m_maxChars) ? Acceptable
                                                                                 : Invalid;
}

}  // namespace vornal
