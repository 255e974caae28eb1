#include "overlay/overlay_server.h"

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <future>
#include <set>
#include <thread>

#include "overlay/overlay_page.h"

namespace tavrik {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

#ifdef _WIN32
// Winsock is started when the server starts, never from the loader's lock
// while the DLL is being loaded, where Asio's own object would start it:
// this one is made first and tells Asio that we see to it.
__attribute__((init_priority(101))) static net::detail::winsock_init<>::manual winsockStartedByUs;
#endif

namespace {

class Client;

// What the server's thread holds: touched on that thread only.
struct Hub {
  std::uint16_t port = 0;
  std::shared_ptr<const std::string> event, json, stylesheet;
  std::set<std::shared_ptr<Client>> clients;  // every open connection
  std::size_t pages = 0;
  OutcomeCell<OverlayOutcome>* status = nullptr;
  void recordPages() { status->record(OverlayOutcome::serving, static_cast<int>(pages)); }
};

// One connection: its request, then an answer, or, for /events, the page's
// captions until it goes away.
class Client : public std::enable_shared_from_this<Client> {
 public:
  Client(tcp::socket socket, Hub& hub) : stream_(std::move(socket)), hub_(hub) {
    parser_.header_limit(static_cast<std::uint32_t>(OverlayServer::kMaxRequestBytes));
  }

  // The request's line and headers only: no path takes a body, and one that
  // comes is never read.
  void start() {
    stream_.expires_after(OverlayServer::kRequestTime);
    http::async_read_header(stream_, buffer_, parser_,
                            [self = shared_from_this()](beast::error_code error, std::size_t) { self->answer(error); });
  }

  // A page gets the newest caption; one not yet written is replaced.
  void send(std::shared_ptr<const std::string> event) {
    if (!isPage_ || closed_) return;
    next_ = std::move(event);
    if (!writing_) writeNext();
  }

  void close() {
    if (closed_) return;
    closed_ = true;
    beast::error_code ignored;
    stream_.socket().shutdown(tcp::socket::shutdown_both, ignored);
    stream_.socket().close(ignored);
    auto self = shared_from_this();
    hub_.clients.erase(self);
    if (isPage_) {
      --hub_.pages;
      hub_.recordPages();
    }
  }

  bool waiting() const { return !answered_; }

 private:
  void answer(beast::error_code error) {
    answered_ = true;
    // Too long, too slow, or no HTTP at all: no answer is owed.
    if (error) return close();
    const auto& request = parser_.get();
    const bool head = request.method() == http::verb::head;
    switch (routeOf(request.method_string(), request.target(), request[http::field::host], hub_.port,
                    hub_.stylesheet && !hub_.stylesheet->empty())) {
      case OverlayRoute::page:
        return respond(http::status::ok, "text/html; charset=utf-8", overlayPage(), head);
      case OverlayRoute::captionJson:
        return respond(http::status::ok, "application/json; charset=utf-8", *hub_.json, head);
      case OverlayRoute::stylesheet:
        return respond(http::status::ok, "text/css; charset=utf-8", *hub_.stylesheet, head);
      case OverlayRoute::events:
        if (hub_.pages >= OverlayServer::kMaxPages) return respond(http::status::service_unavailable, "", "", false);
        return becomePage();
      case OverlayRoute::forbidden:
        return respond(http::status::forbidden, "", "", head);
      case OverlayRoute::notFound:
        return respond(http::status::not_found, "", "", head);
    }
  }

  void respond(http::status status, const char* type, const std::string& body, bool head) {
    auto response = std::make_shared<http::response<http::string_body>>(status, 11);
    response->set(http::field::cache_control, "no-store");
    response->set("X-Content-Type-Options", "nosniff");
    if (*type) response->set(http::field::content_type, type);
    response->keep_alive(false);
    response->content_length(body.size());
    if (!head) response->body() = body;
    auto serializer = std::make_shared<http::response_serializer<http::string_body>>(*response);
    // A HEAD answer has the headers of the GET one and no body.
    if (head) serializer->split(true);
    stream_.expires_after(OverlayServer::kWriteTime);
    auto done = [self = shared_from_this(), response, serializer](beast::error_code, std::size_t) { self->close(); };
    if (head) {
      http::async_write_header(stream_, *serializer, done);
    } else {
      http::async_write(stream_, *serializer, done);
    }
  }

  void becomePage() {
    isPage_ = true;
    ++hub_.pages;
    hub_.recordPages();
    stream_.expires_never();
    // The page reconnects half a second after the player restarted.
    next_ = std::make_shared<const std::string>(
        "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\nCache-Control: no-store\r\n"
        "X-Content-Type-Options: nosniff\r\n\r\nretry: 500\n\n" +
        *hub_.event);
    writeNext();
    readUntilGone();
  }

  void writeNext() {
    writing_ = true;
    std::shared_ptr<const std::string> data = std::move(next_);
    stream_.expires_after(OverlayServer::kWriteTime);
    net::async_write(stream_, net::buffer(*data), [self = shared_from_this(), data](beast::error_code error, std::size_t) {
      self->writing_ = false;
      if (error) return self->close();
      self->stream_.expires_never();
      if (self->next_) self->writeNext();
    });
  }

  // A page sends nothing; reading tells when it has gone. Whatever it does
  // send is thrown away.
  void readUntilGone() {
    stream_.async_read_some(net::buffer(sink_), [self = shared_from_this()](beast::error_code error, std::size_t) {
      if (error) return self->close();
      self->readUntilGone();
    });
  }

  beast::tcp_stream stream_;
  Hub& hub_;
  beast::flat_buffer buffer_{OverlayServer::kMaxRequestBytes};
  http::request_parser<http::empty_body> parser_;
  std::shared_ptr<const std::string> next_;
  char sink_[512];
  bool answered_ = false, isPage_ = false, writing_ = false, closed_ = false;
};

}  // namespace

struct OverlayServer::Running {
  net::io_context io{1};
  tcp::acceptor acceptor{io};
  Hub hub;
  std::thread thread;
  std::future<void> ended;

  void accept() {
    acceptor.async_accept([this](beast::error_code error, tcp::socket socket) {
      if (error == net::error::operation_aborted) return;
      if (!error) {
        std::size_t waiting = 0;
        for (const auto& client : hub.clients) waiting += client->waiting() ? 1 : 0;
        if (waiting < kMaxWaiting) {
          auto client = std::make_shared<Client>(std::move(socket), hub);
          hub.clients.insert(client);
          client->start();
        }
        // Else the socket closes as it goes out of scope.
      }
      accept();
    });
  }

  void closeAll() {
    beast::error_code ignored;
    acceptor.close(ignored);
    std::set<std::shared_ptr<Client>> clients = hub.clients;
    for (const auto& client : clients) client->close();
  }
};

OverlayServer::OverlayServer() = default;

OverlayServer::~OverlayServer() {
  try {
    finish(Clock::now() + std::chrono::seconds(1));
  } catch (...) {
  }
}

void OverlayServer::configure(std::uint16_t port) {
  std::lock_guard<std::mutex> lock(mutex_);
  if (finished_) return;
  // A port that was taken is tried again with each caption: it may be free now.
  if (port == port_ && status_.load().outcome != OverlayOutcome::portTaken) return;
  stop(Clock::now() + std::chrono::seconds(1));
  port_ = port;
  if (port == 0) {
    status_.record(OverlayOutcome::off);
    return;
  }
  start(port);
}

void OverlayServer::start(std::uint16_t port) {
#ifdef _WIN32
  WSADATA winsock;
  if (const int error = WSAStartup(MAKEWORD(2, 2), &winsock)) return status_.record(OverlayOutcome::failed, error);
#endif
  auto running = std::make_unique<Running>();
  beast::error_code error;
  running->acceptor.open(tcp::v4(), error);
#ifdef _WIN32
  // No other program may take the port from under us, nor we from another.
  if (!error) running->acceptor.set_option(net::detail::socket_option::boolean<SOL_SOCKET, SO_EXCLUSIVEADDRUSE>(true), error);
#endif
  if (!error) running->acceptor.bind(tcp::endpoint(net::ip::address_v4::loopback(), port), error);
  if (!error) running->acceptor.listen(16, error);
  if (error) {
    status_.record(error == net::error::address_in_use || error == net::error::access_denied
                       ? OverlayOutcome::portTaken
                       : OverlayOutcome::failed,
                   error.value());
#ifdef _WIN32
    WSACleanup();
#endif
    return;
  }
  running->hub.port = port;
  running->hub.status = &status_;
  running->hub.event = std::make_shared<const std::string>(captionEvent(caption_));
  running->hub.json = std::make_shared<const std::string>(captionJson(caption_));
  running->hub.stylesheet = std::make_shared<const std::string>(stylesheet_);
  running->hub.recordPages();
  running->accept();
  std::promise<void> ended;
  running->ended = ended.get_future();
  try {
    net::io_context& io = running->io;
    running->thread = std::thread([&io, ended = std::move(ended)]() mutable {
      // Nothing may escape a thread's function: the process would end.
      for (;;) {
        try {
          io.run();
          break;
        } catch (...) {
        }
      }
      ended.set_value();
    });
  } catch (const std::system_error& e) {
    status_.record(OverlayOutcome::failed, e.code().value());
    return;
  }
  running_ = std::move(running);
}

void OverlayServer::stop(Clock::time_point deadline) {
  if (!running_) return;
  Running& running = *running_;
  net::post(running.io, [&running] { running.closeAll(); });
  // Closed sockets end their operations at once; a thread still busy by
  // the deadline is stopped between two handlers.
  if (running.ended.wait_until(deadline) != std::future_status::ready) running.io.stop();
  running.thread.join();
  running_.reset();
#ifdef _WIN32
  WSACleanup();
#endif
}

void OverlayServer::publish(const OverlayCaption& caption, const std::string& stylesheet) {
  std::lock_guard<std::mutex> lock(mutex_);
  caption_ = caption;
  stylesheet_ = stylesheet;
  if (!running_) return;
  auto event = std::make_shared<const std::string>(captionEvent(caption));
  auto json = std::make_shared<const std::string>(captionJson(caption));
  auto css = std::make_shared<const std::string>(stylesheet);
  Hub& hub = running_->hub;
  net::post(running_->io, [&hub, event, json, css] {
    hub.event = event;
    hub.json = json;
    hub.stylesheet = css;
    std::set<std::shared_ptr<Client>> clients = hub.clients;
    for (const auto& client : clients) client->send(event);
  });
}

void OverlayServer::finish(Clock::time_point deadline) {
  std::lock_guard<std::mutex> lock(mutex_);
  finished_ = true;
  stop(deadline);
}

}  // namespace tavrik
