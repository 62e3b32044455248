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

}  // namespace vornal
