#include "gui/widgets/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QSettings>

#include <QTranslator>
#include <memory>
#include <vector>
#include "gui/widgets/window_state.h"

namespace vornal {
namespace {

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

QString StoredLanguage() {
  return ProgramSettings().value(QStringLiteral("language")).toString();
}

void StoreLanguage(const QString& language) {
  ProgramSettings().setValue(QStringLiteral("language"), language);
}

QLocale LanguageLocale(const QString& language, const QLocale& system) {
  if (language == QStringLiteral("ru")) return QLocale(QLocale::Russian, QLocale::Russia);
  if (language == QStringLiteral("en") && system.language() != QLocale::English)
    return QLocale(QLocale::English, QLocale::UnitedStates);
  return system;
}

}  // namespace vornal
