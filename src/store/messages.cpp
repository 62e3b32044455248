#include "store/messages.h"

#include <cstdio>

namespace vornal {
namespace {

MessageSink& Sink() {
  static MessageSink sink;
  return sink;
}

}  // namespace

MessageSink SetMessageSink(MessageSink sink) {
  MessageSink previous = std::move(Sink());
  Sink() = std::move(sink);
  return previous;
}

void ReportMessage(const std::string& text) {
  if (Sink())
    Sink()(text);
  else
    std::fprintf(stderr, "%s\n", text.c_str());
}

}  // namespace vornal
