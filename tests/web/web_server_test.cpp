#include "web/server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <boost/asio/ssl.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <boost/beast/ssl.hpp>
#include <filesystem>
#include <thread>

namespace vornal::web {
namespace {

// A server on a free port of the loopback with a handler that answers the
// target it was asked for, run on its own thread for one test.
class ServerTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ServerOptions options;
    options.port = 0;
    options.threads = 2;
    options.requestTimeout = std::chrono::milliseconds(600);
    m_server = std::make_unique<HttpServer>(options, [](const HttpRequest& request) {
      return HttpResponse{200, {{"Content-Type", "text/plain"}}, "got " + request.target};
    });
    m_thread = std::thread([this] { m_server->Run(false); });
  }
  void TearDown() override {
    m_server->Stop();
    m_thread.join();
  }

  int Connect() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(m_server->Port());
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    EXPECT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
    timeval wait{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    return fd;
  }
  // Sends the bytes and reads until the server closes (or 5 s pass).
  std::string Exchange(const std::string& request) {
    const int fd = Connect();
    EXPECT_EQ(send(fd, request.data(), request.size(), MSG_NOSIGNAL),
              static_cast<ssize_t>(request.size()));
    std::string answer;
    char buffer[4096];
    ssize_t got;
    while ((got = recv(fd, buffer, sizeof buffer, 0)) > 0)
      answer.append(buffer, static_cast<std::size_t>(got));
    close(fd);
    return answer;
  }

  std::unique_ptr<HttpServer> m_server;
  std::thread m_thread;
};

const std::string kGood = "GET /x HTTP/1.1\r\nHost: a\r\nConnection: close\r\n\r\n";

TEST_F(ServerTest, BadRequestsAreRefusedAndServingGoesOn) {
  EXPECT_EQ(Exchange(kGood).rfind("HTTP/1.1 200", 0), 0u);
  const std::string longHeader =
      "GET / HTTP/1.1\r\nHost: a\r\nX-Long: " + std::string(20000, 'a') + "\r\n\r\n";
  EXPECT_EQ(Exchange(longHeader).rfind("HTTP/1.1 431", 0), 0u);
  EXPECT_EQ(Exchange("GARBAGE\r\n\r\n").rfind("HTTP/1.1 400", 0), 0u);
  EXPECT_EQ(Exchange("POST / HTTP/1.1\r\nHost: a\r\nContent-Length: 99999999\r\n\r\n")
                .rfind("HTTP/1.1 413", 0),
            0u);
  const char* bad[] = {"\x16\x03\x01\x02\x00\r\n\r\n", "GET\r\n\r\n", "GET / HTTP/9.9\r\n\r\n",
                       "GET / HTTP/1.1\r\nHost a\r\n\r\n",
                       "GET / HTTP/1.1\r\nTransfer-Encoding: chunked\r\n\r\nzz\r\n"};
  for (int i = 0; i < 10000; ++i) {
    const int fd = Connect();
    const std::string request = bad[i % std::size(bad)];
    send(fd, request.data(), request.size(), MSG_NOSIGNAL);
    close(fd);
  }
  EXPECT_EQ(Exchange(kGood), Exchange(kGood));
  EXPECT_NE(Exchange(kGood).find("got /x"), std::string::npos);
}

TEST_F(ServerTest, ASlowClientIsDropped) {
  const int fd = Connect();
  const auto start = std::chrono::steady_clock::now();
  // One byte at a time, never a whole request: the connection is closed
  // once the request's time is over, not kept while bytes trickle in.
  char answer = 0;
  bool closed = false;
  for (const char c : kGood) {
    if (send(fd, &c, 1, MSG_NOSIGNAL) != 1) {
      closed = true;
      break;
    }
    pollfd poll_fd{fd, POLLIN, 0};
    if (poll(&poll_fd, 1, 150) > 0 && recv(fd, &answer, 1, 0) <= 0) {
      closed = true;
      break;
    }
  }
  close(fd);
  EXPECT_TRUE(closed);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
  EXPECT_NE(Exchange(kGood).find("got /x"), std::string::npos);
}

}  // namespace
}  // namespace vornal::web

namespace vornal::web {
namespace {

// One request over TLS to a server with a new self-signed certificate.
TEST(TlsServerTest, ServesOverTlsOnly) {
  namespace asio = boost::asio;
  namespace beast = boost::beast;
  char folder[] = "/tmp/vornal-tls-XXXXXX";
  ASSERT_TRUE(mkdtemp(folder));
  const std::string cert = std::string(folder) + "/cert.pem",
                    key = std::string(folder) + "/key.pem";
  ASSERT_EQ(std::system(("openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 "
                         "-nodes -subj /CN=localhost -days 1 -keyout " +
                         key + " -out " + cert + " 2>/dev/null")
                            .c_str()),
            0);
  ServerOptions options;
  options.port = 0;
  options.threads = 1;
  options.certificateFile = cert;
  options.keyFile = key;
  HttpServer server(options, [](const HttpRequest& request) {
    return HttpResponse{200, {}, request.tls ? "tls" : "plain"};
  });
  std::thread thread([&] { server.Run(false); });

  asio::io_context io;
  asio::ssl::context tls(asio::ssl::context::tls_client);
  tls.load_verify_file(cert);
  beast::ssl_stream<beast::tcp_stream> stream(io, tls);
  stream.set_verify_mode(asio::ssl::verify_peer);
  beast::get_lowest_layer(stream).connect({asio::ip::make_address("127.0.0.1"), server.Port()});
  stream.handshake(asio::ssl::stream_base::client);
  beast::http::request<beast::http::empty_body> request(beast::http::verb::get, "/", 11);
  request.set(beast::http::field::host, "localhost");
  beast::http::write(stream, request);
  beast::flat_buffer buffer;
  beast::http::response<beast::http::string_body> response;
  beast::http::read(stream, buffer, response);
  EXPECT_EQ(response.body(), "tls");
  beast::error_code ignored;
  beast::get_lowest_layer(stream).socket().close(ignored);

  // Plain HTTP to the TLS port gets no page.
  const int fd = socket(AF_INET, SOCK_STREAM, 0);
  sockaddr_in address{};
  address.sin_family = AF_INET;
  address.sin_port = htons(server.Port());
  address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
  ASSERT_EQ(connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address), 0);
  timeval wait{5, 0};
  setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
  send(fd, kGood.data(), kGood.size(), MSG_NOSIGNAL);
  char answer[64] = {};
  recv(fd, answer, sizeof answer - 1, 0);
  close(fd);
  EXPECT_EQ(std::string(answer).find("HTTP/1.1 200"), std::string::npos);

  server.Stop();
  thread.join();
  std::filesystem::remove_all(folder);
}

}  // namespace
}  // namespace vornal::web
