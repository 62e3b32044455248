#include "gui/widgets/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QRegularExpression>
#include <QTranslator>
#include <memory>
#include <vector>

namespace vornal {
namespace {

constexpr const char* kContext = "CoreText";

// The core's fixed texts shown in the windows.
constexpr const char* kFixedTexts[] = {
    QT_TRANSLATE_NOOP("CoreText", "База данных пуста"),
    QT_TRANSLATE_NOOP("CoreText", "Нет данных"),
    QT_TRANSLATE_NOOP("CoreText", "Идет рабочий день"),
    QT_TRANSLATE_NOOP("CoreText", "Закончен рабочий день"),
    QT_TRANSLATE_NOOP("CoreText", " Всего отработано"),
    QT_TRANSLATE_NOOP("CoreText", " Общее рабочее время"),
    QT_TRANSLATE_NOOP("CoreText", "Событие "),
    QT_TRANSLATE_NOOP("CoreText", "Начало"),
    QT_TRANSLATE_NOOP("CoreText", "Конец"),
    QT_TRANSLATE_NOOP("CoreText", "Всего"),
};

// The core's texts with a number in them: the pattern and its translation.
struct Pattern {
  const char* regex;
  const char* text;
};
const Pattern kPatterns[] = {
    {"^Выполняется (\\d+) задание$", QT_TRANSLATE_NOOP("CoreText", "Выполняется %1 задание")},
    {"^Закончено (\\d+) задание$", QT_TRANSLATE_NOOP("CoreText", "Закончено %1 задание")},
    // A total: "3 дней 02:30", "-0 дней 00:10".
    {"^(-?\\d+) дней (\\d+:\\d\\d)$", QT_TRANSLATE_NOOP("CoreText", "%1 дней %2")},
};

std::vector<std::unique_ptr<QTranslator>>& Installed() {
  static std::vector<std::unique_ptr<QTranslator>> translators;
  return translators;
}

void Install(const QString& name, const QString& folder) {
  auto translator = std::make_unique<QTranslator>();
  if (!translator->load(name, folder)) return;
  QCoreApplication::installTranslator(translator.get());
  Installed().push_back(std::move(translator));
}

}  // namespace

QString InstallTranslations(const QLocale& system) {
  for (const auto& translator : Installed()) QCoreApplication::removeTranslator(translator.get());
  Installed().clear();
  const bool english = system.language() == QLocale::English;
  const QLocale chosen = english ? system : QLocale(QLocale::Russian, QLocale::Russia);
  QLocale::setDefault(chosen);
  const QString language = english ? QStringLiteral("en") : QStringLiteral("ru");
  // Qt's own dialogs and buttons; then the program's texts, built in.
  Install(QStringLiteral("qtbase_") + language, QLibraryInfo::path(QLibraryInfo::TranslationsPath));
  if (english) Install(QStringLiteral("vornal_en"), QStringLiteral(":/i18n"));
  return language;
}

QString CoreText(const std::string& text) {
  for (const char* fixed : kFixedTexts)
    if (text == fixed) return QCoreApplication::translate(kContext, fixed);
  const QString source = QString::fromStdString(text);
  static const std::vector<QRegularExpression> expressions = [] {
    std::vector<QRegularExpression> list;
    for (const Pattern& pattern : kPatterns) list.emplace_back(QString::fromUtf8(pattern.regex));
    return list;
  }();
  for (std::size_t i = 0; i < expressions.size(); ++i) {
    const QRegularExpressionMatch match = expressions[i].match(source);
    if (!match.hasMatch()) continue;
    QString translated = QCoreApplication::translate(kContext, kPatterns[i].text);
    for (int group = 1; group <= match.lastCapturedIndex(); ++group)
      translated = translated.arg(match.captured(group));
    return translated;
  }
  return source;
}

QString MonthNodeName(int month) {
  const QString name = QLocale().standaloneMonthName(month, QLocale::LongFormat);
  return name.left(1).toUpper() + name.mid(1);
}

}  // namespace vornal
