#pragma once

#include <string>

#include "store/store_error.h"

namespace vornal::cli {

// The command line's words for the values the core hands over: every text
// vornal-cli prints about the data is made here.

// "database error 26: file is not a database": the engine's own code, when
// it gave one, and its message.
std::string DatabaseErrorText(const StoreError& error);

}  // namespace vornal::cli
