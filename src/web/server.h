#pragma once

#include <chrono>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace vornal::web {

// One request as the handler sees it: the parts the pages use.
struct HttpRequest {
  std::string method;
  std::string target;  // path and query as sent
  std::string cookie;
  std::string acceptLanguage;
  std::string contentType;
  std::string body;
  std::string remote;  // the peer's address
  bool tls = false;
  std::string acceptEncoding;
};

struct HttpResponse {
  int status = 200;
  std::vector<std::pair<std::string, std::string>> headers;
  std::string body;
};

using Handler = std::function<HttpResponse(const HttpRequest&)>;

struct ServerOptions {
  std::string address = "127.0.0.1";
  unsigned short port = 8080;  // 0: any free port (Port() tells which)
  int threads = 4;
  // A request must arrive whole within this time after the connection opens
  // or the previous answer went out; a slow or silent client is dropped.
  std::chrono::milliseconds requestTimeout{10000};
  std::string certificateFile;  // both given: TLS
  std::string keyFile;
};

// An HTTP/1.1 server (Boost.Beast) that hands each request to the handler on
// one of its threads. Requests are limited: headers to 8 KiB, bodies to
// 16 KiB; a request over a limit or malformed gets 400 or 431 and the
// connection is closed.
class HttpServer {
 public:
  // Binds and listens; throws std::runtime_error with the reason (address
  // taken, certificate unreadable).
  HttpServer(const ServerOptions& options, Handler handler);
  ~HttpServer();
  HttpServer(const HttpServer&) = delete;
  HttpServer& operator=(const HttpServer&) = delete;

  unsigned short Port() const;
  // Serves until Stop (or SIGINT/SIGTERM when handleSignals).
  void Run(bool handleSignals);
  void Stop();

 private:
  struct State;
  std::unique_ptr<State> m_state;
};

}  // namespace vornal::web
