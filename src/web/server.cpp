#include "web/server.h"

#include <boost/asio.hpp>
#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <optional>
#include <stdexcept>
#include <thread>

namespace vornal::web {
namespace {

namespace asio = boost::asio;
namespace beast = boost::beast;
namespace http = beast::http;
using tcp = asio::ip::tcp;

constexpr std::uint32_t kHeaderLimit = 8 * 1024;
constexpr std::uint64_t kBodyLimit = 16 * 1024;

using PlainStream = beast::tcp_stream;
using TlsStream = beast::ssl_stream<beast::tcp_stream>;

template <class Stream>
class Session : public std::enable_shared_from_this<Session<Stream>> {
 public:
  template <class... StreamArgs>
  Session(const Handler& handler, std::chrono::milliseconds timeout, StreamArgs&&... args)
      : m_stream(std::forward<StreamArgs>(args)...), m_handler(handler), m_timeout(timeout) {}

  void Start() {
    if constexpr (std::is_same_v<Stream, TlsStream>) {
      beast::get_lowest_layer(m_stream).expires_after(m_timeout);
      m_stream.async_handshake(asio::ssl::stream_base::server,
                               [self = this->shared_from_this()](beast::error_code ec) {
                                 if (!ec) self->Read();
                               });
    } else {
      Read();
    }
  }

 private:
  void Read() {
    m_parser.emplace();
    m_parser->header_limit(kHeaderLimit);
    m_parser->body_limit(kBodyLimit);
    beast::get_lowest_layer(m_stream).expires_after(m_timeout);
    http::async_read(
        m_stream, m_buffer, *m_parser,
        [self = this->shared_from_this()](beast::error_code ec, std::size_t) { self->OnRead(ec); });
  }

  void OnRead(beast::error_code ec) {
    if (ec == http::error::header_limit)
      return Refuse(http::status::request_header_fields_too_large);
    if (ec == http::error::body_limit) return Refuse(http::status::payload_too_large);
    if (ec && ec.category() == http::make_error_code(http::error::end_of_stream).category() &&
        ec != http::error::end_of_stream && ec != http::error::partial_message)
      return Refuse(http::status::bad_request);
    if (ec) return Close();  // gone, timed out, or closed mid-request

    const auto& message = m_parser->get();
    HttpRequest request;
    request.method = std::string(message.method_string());
    request.target = std::string(message.target());
    request.cookie = std::string(message[http::field::cookie]);
    request.acceptLanguage = std::string(message[http::field::accept_language]);
    request.contentType = std::string(message[http::field::content_type]);
    request.body = message.body();
    request.tls = std::is_same_v<Stream, TlsStream>;
    request.acceptEncoding = std::string(message[http::field::accept_encoding]);
    beast::error_code peerError;
    const auto peer = beast::get_lowest_layer(m_stream).socket().remote_endpoint(peerError);
    if (!peerError) request.remote = peer.address().to_string();

    HttpResponse answer;
    try {
      answer = m_handler(request);
    } catch (const std::exception&) {
      answer = {500, {{"Content-Type", "text/plain; charset=utf-8"}}, "Internal error\n"};
    }
    Send(static_cast<http::status>(answer.status), std::move(answer), message.keep_alive(),
         message.version());
  }

  void Refuse(http::status status) {
    Send(status,
         {static_cast<int>(status),
          {{"Content-Type", "text/plain; charset=utf-8"}},
          std::string(http::obsolete_reason(status)) + "\n"},
         false);
  }

  void Send(http::status status, HttpResponse answer, bool keepAlive, unsigned version = 11) {
    m_response = {};
    m_response.result(status);
    // An HTTP/1.0 client that asked to keep the connection is told so.
    m_response.version(version);
    for (auto& [name, value] : answer.headers) m_response.insert(name, value);
    m_response.body() = std::move(answer.body);
    m_response.keep_alive(keepAlive);
    m_response.prepare_payload();
    beast::get_lowest_layer(m_stream).expires_after(m_timeout);
    http::async_write(
        m_stream, m_response,
        [self = this->shared_from_this(), keepAlive](beast::error_code ec, std::size_t) {
          if (ec || !keepAlive) return self->Close();
          self->Read();
        });
  }

  void Close() {
    if constexpr (std::is_same_v<Stream, TlsStream>) {
      beast::get_lowest_layer(m_stream).expires_after(std::chrono::seconds(2));
      m_stream.async_shutdown([self = this->shared_from_this()](beast::error_code) {
        beast::error_code ignored;
        beast::get_lowest_layer(self->m_stream).socket().close(ignored);
      });
    } else {
      beast::error_code ignored;
      m_stream.socket().shutdown(tcp::socket::shutdown_both, ignored);
      m_stream.socket().close(ignored);
    }
  }

  Stream m_stream;
  const Handler& m_handler;
  std::chrono::milliseconds m_timeout;
  beast::flat_buffer m_buffer;
  std::optional<http::request_parser<http::string_body>> m_parser;
  http::response<http::string_body> m_response;
};

}  // namespace

struct HttpServer::State {
  ServerOptions options;
  Handler handler;
  std::optional<asio::ssl::context> tls;  // outlives the connections that use it
  asio::io_context io;
  tcp::acceptor acceptor{io};

  void Accept() {
    acceptor.async_accept(asio::make_strand(io), [this](beast::error_code ec, tcp::socket socket) {
      if (ec == asio::error::operation_aborted) return;
      if (!ec) {
        if (tls)
          std::make_shared<Session<TlsStream>>(handler, options.requestTimeout, std::move(socket),
                                               *tls)
              ->Start();
        else
          std::make_shared<Session<PlainStream>>(handler, options.requestTimeout, std::move(socket))
              ->Start();
      }
      Accept();
    });
  }
};

HttpServer::HttpServer(const ServerOptions& options, Handler handler)
    : m_state(std::make_unique<State>()) {
  m_state->options = options;
  m_state->handler = std::move(handler);
  if (!options.certificateFile.empty() || !options.keyFile.empty()) {
    auto& tls = m_state->tls.emplace(asio::ssl::context::tls_server);
    tls.set_options(asio::ssl::context::default_workarounds | asio::ssl::context::no_sslv2 |
                    asio::ssl::context::no_sslv3 | asio::ssl::context::no_tlsv1 |
                    asio::ssl::context::no_tlsv1_1);
    try {
      tls.use_certificate_chain_file(options.certificateFile);
      tls.use_private_key_file(options.keyFile, asio::ssl::context::pem);
    } catch (const boost::system::system_error& e) {
      throw std::runtime_error("cannot use the certificate " + options.certificateFile +
                               " and key " + options.keyFile + ": " + e.what());
    }
  }
  beast::error_code ec;
  const auto address = asio::ip::make_address(options.address, ec);
  if (ec) throw std::runtime_error("not an IP address: " + options.address);
  const tcp::endpoint endpoint(address, options.port);
  auto& acceptor = m_state->acceptor;
  acceptor.open(endpoint.protocol(), ec);
  if (!ec) acceptor.set_option(asio::socket_base::reuse_address(true), ec);
  if (!ec) acceptor.bind(endpoint, ec);
  if (!ec) acceptor.listen(asio::socket_base::max_listen_connections, ec);
  if (ec)
    throw std::runtime_error("cannot listen on " + options.address + ":" +
                             std::to_string(options.port) + ": " + ec.message());
}

HttpServer::~HttpServer() = default;

unsigned short HttpServer::Port() const {
  return m_state->acceptor.local_endpoint().port();
}

void HttpServer::Run(bool handleSignals) {
  asio::signal_set signals(m_state->io);
  if (handleSignals) {
    signals.add(SIGINT);
    signals.add(SIGTERM);
    signals.async_wait([this](beast::error_code, int) { Stop(); });
  }
  m_state->Accept();
  std::vector<std::thread> threads;
  for (int i = 1; i < m_state->options.threads; ++i)
    threads.emplace_back([this] { m_state->io.run(); });
  m_state->io.run();
  for (std::thread& thread : threads) thread.join();
}

void HttpServer::Stop() {
  asio::post(m_state->io, [this] { m_state->io.stop(); });
}

}  // namespace vornal::web
