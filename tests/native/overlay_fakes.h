// A stand-in for the overlay page's server: it records what the plug-in's
// thread asked of it.
#pragma once

#include <mutex>
#include <vector>

#include "overlay/overlay_caption.h"

namespace tavrik::testing {

class FakeOverlay : public OverlayPublisher {
 public:
  void configure(std::uint16_t port) override {
    std::lock_guard<std::mutex> lock(mutex_);
    ports_.push_back(port);
  }
  void publish(const OverlayCaption& caption, const std::string& stylesheet) override {
    std::lock_guard<std::mutex> lock(mutex_);
    captions_.push_back(caption);
    stylesheets_.push_back(stylesheet);
  }
  void finish(Clock::time_point) override {
    std::lock_guard<std::mutex> lock(mutex_);
    finished_ = true;
  }
  OverlayStatus status() const override { return {}; }

  std::vector<std::uint16_t> ports() {
    std::lock_guard<std::mutex> lock(mutex_);
    return ports_;
  }
  std::vector<OverlayCaption> captions() {
    std::lock_guard<std::mutex> lock(mutex_);
    return captions_;
  }
  std::vector<std::string> stylesheets() {
    std::lock_guard<std::mutex> lock(mutex_);
    return stylesheets_;
  }
  bool finished() {
    std::lock_guard<std::mutex> lock(mutex_);
    return finished_;
  }

 private:
  std::mutex mutex_;
  std::vector<std::uint16_t> ports_;
  std::vector<OverlayCaption> captions_;
  std::vector<std::string> stylesheets_;
  bool finished_ = false;
};

}  // namespace tavrik::testing
