#include "gui/widgets/length_validator.h"

#include <QLineEdit>
#include <QToolTip>

#include "text/utf8.h"

namespace vornal {

LengthValidator::LengthValidator(int maxChars, QLineEdit* edit)
    : QValidator(edit), m_maxChars(maxChars), m_edit(edit) {}

QValidator::State LengthValidator::validate(QString& input, int& pos) const {
  const std::size_t length = Utf8Length(input.toStdString());
  const auto max = static_cast<std::size_t>(m_maxChars);
  if (length <= max) return Acceptable;
  // What was just typed or pasted ends at the cursor: its tail goes, code
  // point by code point, and from the end when the cursor has too little
  // before it.
  std::size_t excess = length - max;
  const std::size_t cut = excess;
  while (excess > 0 && pos > 0) {
    const int width =
        pos > 1 && input.at(pos - 1).isLowSurrogate() && input.at(pos - 2).isHighSurrogate() ? 2
                                                                                             : 1;
    input.remove(pos - width, width);
    pos -= width;
    --excess;
  }
  while (excess > 0 && !input.isEmpty()) {
    const bool pair = input.size() > 1 && input.back().isLowSurrogate() &&
                      input.at(input.size() - 2).isHighSurrogate();
    input.chop(pair ? 2 : 1);
    --excess;
  }
  m_cutText =
      tr("Поле вмещает не больше %1 символов: лишние (%2) не вставлены.").arg(m_maxChars).arg(cut);
  QToolTip::showText(m_edit->mapToGlobal(QPoint(0, m_edit->height())), m_cutText, m_edit);
  return Acceptable;
}

}  // namespace vornal
