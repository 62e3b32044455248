#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>

#include "web/server.h"

namespace vornal::web {

struct SiteOptions {
  std::string location;  // the database, opened read-only
  std::chrono::seconds sessionIdle{std::chrono::hours(2)};
  std::chrono::seconds sessionLife{std::chrono::hours(12)};
  // Cookies only over HTTPS, also when TLS ends at a reverse proxy.
  bool secureCookie = false;
  // The clock of sessions and of the wrong-password limit.
  std::function<std::chrono::steady_clock::time_point()> clock = std::chrono::steady_clock::now;
};

// The web view: sessions, accounts, the pages and files, and a cache of
// rendered timesheets that lives until the data changes. Handle is called
// from several threads at once.
class WebSite {
 public:
  explicit WebSite(SiteOptions options);
  ~WebSite();
  WebSite(const WebSite&) = delete;
  WebSite& operator=(const WebSite&) = delete;

  HttpResponse Handle(const HttpRequest& request);

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace vornal::web
