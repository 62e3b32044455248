#include "gui/widgets/core_text_adapter.h"

namespace vornal {

std::string OpenFailureText(const StoreError& error) {
  return std::string("Couldn't open database--Exception: ") + error.what();
}

std::string OpenOutOfMemoryText() {
  return "Failed to open database--Memory exception thrown.";
}

std::string CreateFailureText(const StoreError& error) {
  return std::string("Couldn't create database--Exception: ") + error.what();
}

std::string CreateOutOfMemoryText() {
  return "Failed to create database--Memory exception thrown.";
}

std::string CreateTablesFailureText(const StoreError& error) {
  return std::string("Couldn't append TableDef--Exception: ") + error.what();
}

}  // namespace vornal
