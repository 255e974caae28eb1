// The overlay page's server: HTTP on 127.0.0.1 only, Boost.Beast over Asio
// on a thread of its own, which exists only while a port is set. Every
// client is taken as possibly hostile: its request is bounded in size and in
// time, pages and waiting clients are bounded in number, and a page that
// does not read is dropped rather than waited for. The plug-in's thread
// hands it captions and never waits for a page.
#pragma once

#include <chrono>
#include <cstddef>
#include <memory>
#include <mutex>

#include "overlay/overlay_caption.h"

namespace tavrik {

class OverlayServer final : public OverlayPublisher {
 public:
  // Pages open at once; one more is answered 503.
  static constexpr std::size_t kMaxPages = 16;
  // Clients whose request has not come yet; one more is closed at once.
  static constexpr std::size_t kMaxWaiting = 8;
  // A request's line and headers together.
  static constexpr std::size_t kMaxRequestBytes = 8192;
  // How long a client may take to send its request, and a page to take one
  // caption.
  static constexpr std::chrono::seconds kRequestTime{3};
  static constexpr std::chrono::seconds kWriteTime{5};

  OverlayServer();
  ~OverlayServer() override;
  OverlayServer(const OverlayServer&) = delete;
  OverlayServer& operator=(const OverlayServer&) = delete;

  void configure(std::uint16_t port) override;
  void publish(const OverlayCaption& caption, const std::string& stylesheet) override;
  void finish(Clock::time_point deadline) override;
  OverlayStatus status() const override { return status_.load(); }

  struct Running;

 private:
  void start(std::uint16_t port);
  void stop(Clock::time_point deadline);

  std::mutex mutex_;
  std::unique_ptr<Running> running_;
  std::uint16_t port_ = 0;
  bool finished_ = false;
  // The newest, for pages opened later and for a server started later.
  OverlayCaption caption_;
  std::string stylesheet_;
  OutcomeCell<OverlayOutcome> status_;
};

}  // namespace tavrik
