// vornal-web: the read-only web view of the database.
#include <CLI/CLI.hpp>
#include <QGuiApplication>
#include <cstdio>
#include <exception>

#include "store/schema.h"
#include "store/store_error.h"
#include "web/server.h"
#include "web/site.h"

int main(int argc, char** argv) {
  using namespace vornal;
  CLI::App app("vornal-web: the read-only web view of the Vornal database", "vornal-web");
  std::string location, listen = "127.0.0.1:8080", certificate, key;
  int threads = 4, timeout = 10;
  bool secureCookie = false;
  app.add_option("--db", location,
                 "the database: a file, or a PostgreSQL URI (VORNAL_DB, base.mdb)");
  app.add_option("--listen", listen, "ADDRESS:PORT to serve on (127.0.0.1:8080)");
  app.add_option("--tls-cert", certificate, "PEM certificate chain: serve HTTPS")
      ->check(CLI::ExistingFile);
  app.add_option("--tls-key", key, "PEM private key of the certificate")->check(CLI::ExistingFile);
  app.add_flag("--secure-cookie", secureCookie,
               "mark the session cookie Secure (HTTPS ends at a reverse proxy)");
  app.add_option("--threads", threads, "threads that answer requests (4)")
      ->check(CLI::Range(1, 64));
  app.add_option("--timeout", timeout, "seconds a client has to send a whole request (10)")
      ->check(CLI::Range(1, 3600));
  CLI11_PARSE(app, argc, argv);
  if (certificate.empty() != key.empty()) {
    std::fprintf(stderr, "vornal-web: --tls-cert and --tls-key go together\n");
    return 2;
  }
  if (!location.empty()) SetDatabaseLocation(location);

  web::ServerOptions server;
  const std::size_t colon = listen.rfind(':');
  try {
    if (colon == std::string::npos) throw std::invalid_argument(listen);
    server.address = listen.substr(0, colon);
    if (server.address.size() > 2 && server.address.front() == '[')
      server.address = server.address.substr(1, server.address.size() - 2);
    const int port = std::stoi(listen.substr(colon + 1));
    if (port < 0 || port > 65535) throw std::out_of_range(listen);
    server.port = static_cast<unsigned short>(port);
  } catch (const std::exception&) {
    std::fprintf(stderr, "vornal-web: --listen wants ADDRESS:PORT, not '%s'\n", listen.c_str());
    return 2;
  }
  server.threads = threads;
  server.requestTimeout = std::chrono::seconds(timeout);
  server.certificateFile = certificate;
  server.keyFile = key;

  // PDF files are drawn with Qt Gui, on the offscreen platform: no display.
  int qtArgc = 3;
  char name[] = "vornal-web", option[] = "-platform", platform[] = "offscreen";
  char* qtArgv[] = {name, option, platform, nullptr};
  QGuiApplication qt(qtArgc, qtArgv);

  try {
    Database db;
    db.OpenReadOnly(DatabaseLocation());
    if (!db.HasTable("logs") || db.Connection().SchemaVersion() < kSchemaVersion) {
      std::fprintf(stderr,
                   "vornal-web: %s is not a Vornal database of this version; 'vornal-cli check' "
                   "brings it up to date\n",
                   db.Description().c_str());
      return 1;
    }
  } catch (const StoreError& e) {
    std::fprintf(stderr, "vornal-web: cannot open %s: %s\n", DatabaseLocation().c_str(), e.what());
    return 1;
  }
  try {
    web::SiteOptions options;
    options.location = DatabaseLocation();
    options.secureCookie = secureCookie;
    web::WebSite site(options);
    web::HttpServer http(server,
                         [&site](const web::HttpRequest& request) { return site.Handle(request); });
    std::printf("vornal-web: serving %s on %s://%s:%u\n", DatabaseLocation().c_str(),
                certificate.empty() ? "http" : "https", server.address.c_str(), http.Port());
    std::fflush(stdout);
    http.Run(true);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "vornal-web: %s\n", e.what());
    return 1;
  }
  return 0;
}
