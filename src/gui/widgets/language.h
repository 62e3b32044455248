#pragma once

#include <QLocale>
#include <QString>
#include <string>

namespace vornal {

// The windows speak English under an English locale (en*) and Russian, the
// language they are written in, under any other. Installs the program's and
// Qt's own translations for that language and makes it the default locale
// for numbers and dates; a second call replaces what the first installed.
// Returns the language chosen ("en" or "ru").
QString InstallTranslations(const QLocale& system = QLocale::system());

// The Russian texts the core makes for the windows (grid cells, tree nodes),
// in the windows' language; other texts unchanged.
QString CoreText(const std::string& text);

// A month's name as the period tree shows it, in the windows' language.
QString MonthNodeName(int month);

}  // namespace vornal
