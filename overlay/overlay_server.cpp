#include "overlay/overlay_server.h"

#include <future>
#include <thread>

#include "overlay/overlay_client.h"
#include "overlay/overlay_page.h"

namespace tavrik {

using namespace overlay;

#ifdef _WIN32
// Winsock is started when the server starts, never from the loader's lock
// while the DLL is being loaded, where Asio's own object would start it:
// this one is made first and tells Asio that we see to it.
__attribute__((init_priority(101))) static net::detail::winsock_init<>::manual winsockStartedByUs;
#endif

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
  running->hub.showsCover = caption_.showsCover;
  running->hub.cover = caption_.cover;
  running->hub.coverUrl = caption_.coverUrl;
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
    running.reset();
#ifdef _WIN32
    WSACleanup();
#endif
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
  net::post(running_->io, [&hub, event, json, css, showsCover = caption.showsCover, cover = caption.cover,
                             coverUrl = caption.coverUrl] {
    hub.event = event;
    hub.json = json;
    hub.stylesheet = css;
    hub.showsCover = showsCover;
    hub.cover = cover;
    hub.coverUrl = coverUrl;
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
