#pragma once

#include <string>
#include <string_view>

namespace vornal {

// The key under which logins are compared, grouped and looked up: the login
// with full Unicode case folding (a Cyrillic login in capitals and in small
// letters share one key; "Straße" and "STRASSE" too). Logins are stored as typed; the key is
// kept beside them in the LoginKey columns of LOGS and HUMAN. Bytes that are
// no valid UTF-8 are kept as they are.
std::string LoginKey(std::string_view login);

// The key under which a search finds a text: its LoginKey with ё read as е,
// as Russian readers take them alike.
std::string SearchKey(std::string_view text);

}  // namespace vornal
