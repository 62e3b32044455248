#pragma once

#include <QLocale>
#include <QString>

namespace vornal {

// The windows speak English under an English locale (en*) and Russian, the
// language they are written in, under any other. Installs the program's and
// Qt's own translations for that language and makes it the default locale
// for numbers and dates; a second call replaces what the first installed.
// Returns the language chosen ("en" or "ru").
QString InstallTranslations(const QLocale& system = QLocale::system());

// The language this user chose on the settings sheet: "" (as the system),
// "ru" or "en"; and the locale it stands for on a system of `system`.
QString StoredLanguage();
void StoreLanguage(const QString& language);
QLocale LanguageLocale(const QString& language, const QLocale& system = QLocale::system());

}  // namespace vornal
