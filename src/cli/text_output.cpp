#include "cli/text_output.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>

#include "text/visible_text.h"

namespace vornal::cli {
namespace {

int g_stdoutError = 0;

}  // namespace

std::size_t DisplayWidth(const std::string& text) {
  std::size_t width = 0;
  for (const char c : text)
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++width;
  return width;
}

std::string Escaped(std::string_view text) {
  return VisibleText(text);
}

void WriteOut(const std::string& text) {
  if (std::fwrite(text.data(), 1, text.size(), stdout) != text.size() && !g_stdoutError)
    g_stdoutError = errno ? errno : EIO;
}

int StdoutError() {
  return g_stdoutError;
}

bool StdoutIsTerminal() {
  return ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace vornal::cli
