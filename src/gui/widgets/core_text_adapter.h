#pragma once

#include <string>

#include "store/store_error.h"

namespace vornal {

// Texts the core made for the windows until the windows write their own:
// each function formats the core's values exactly as the core used to. To
// be replaced by the windows' tr() texts.

// "Couldn't open database--Exception: file is not a database".
std::string OpenFailureText(const StoreError& error);
// "Failed to open database--Memory exception thrown."
std::string OpenOutOfMemoryText();
// "Couldn't create database--Exception: ...", and out of memory.
std::string CreateFailureText(const StoreError& error);
std::string CreateOutOfMemoryText();
// "Couldn't append TableDef--Exception: ...": the tables of a new database
// could not be made.
std::string CreateTablesFailureText(const StoreError& error);

}  // namespace vornal
