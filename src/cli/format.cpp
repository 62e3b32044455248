#include "cli/format.h"

namespace vornal::cli {

std::string DatabaseErrorText(const StoreError& error) {
  const std::string code = error.EngineCode().empty() ? "" : " " + error.EngineCode();
  return "database error" + code + ": " + error.what();
}

}  // namespace vornal::cli
