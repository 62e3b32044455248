#include "gui/widgets/length_validator.h"

#include "store/schema.h"

namespace vornal {

LengthValidator::LengthValidator(int maxChars, QObject* parent)
    : QValidator(parent), m_maxChars(maxChars) {}

QValidator::State LengthValidator::validate(QString& input, int& /*pos*/) const {
  return TextLength(input.toStdString()) <= static_cast<std::size_t>(m_maxChars) ? Acceptable
                                                                                 : Invalid;
}

}  // namespace vornal
