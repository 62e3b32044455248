#pragma once

#include <functional>
#include <string>

namespace vornal {

// Where the store's notices to the operator go. The program routes them to
// message boxes; tests read them; the default writes them to stderr.
using MessageSink = std::function<void(const std::string&)>;

// Installs a sink and returns the one it replaces.
MessageSink SetMessageSink(MessageSink sink);
void ReportMessage(const std::string& text);

// Installs a sink for the lifetime of the object.
class ScopedMessageSink {
 public:
  explicit ScopedMessageSink(MessageSink sink) : m_previous(SetMessageSink(std::move(sink))) {}
  ~ScopedMessageSink() { SetMessageSink(std::move(m_previous)); }
  ScopedMessageSink(const ScopedMessageSink&) = delete;
  ScopedMessageSink& operator=(const ScopedMessageSink&) = delete;

 private:
  MessageSink m_previous;
};

}  // namespace vornal
