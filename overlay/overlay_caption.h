// The overlay page's side of the plug-in: what the page is to show, and the
// operations the plug-in's thread drives the page's server with. The server
// (Beast over Asio) is one implementation; the native tests have a fake.
#pragma once

#include <chrono>
#include <cstdint>
#include <memory>
#include <string>

#include "common/outcome_cell.h"
#include "cover/cover_picture.h"

namespace tavrik {

// The class the page's element carries, for the user's stylesheet.
enum class OverlayState { playing, paused, stopped, hidden };

// UTF-8 throughout, as the page is.
struct OverlayCaption {
  std::string title, artist, album, comment, genre;
  std::string html;  // what the element holds: markup of the user's template
  OverlayState state = OverlayState::stopped;
  std::int64_t changedMs = 0;  // when it last changed, in milliseconds since 1970 UTC
  // With the page's cover on: the picture (null: none), served at
  // `coverUrl`, which changes whenever the picture does.
  bool showsCover = false;
  std::shared_ptr<const CoverPicture> cover;
  std::string coverUrl;

  bool operator==(const OverlayCaption& other) const {
    return title == other.title && artist == other.artist && album == other.album && comment == other.comment &&
           genre == other.genre && html == other.html && state == other.state && changedMs == other.changedMs &&
           showsCover == other.showsCover && coverUrl == other.coverUrl;
  }
};

enum class OverlayOutcome : std::uint8_t {
  off,       // no port: no socket and no thread
  serving,   // listening; `code` holds how many pages are open
  portTaken, // another program listens on the port
  failed,    // the server could not start; `code` holds the system's error
};
using OverlayStatus = Recorded<OverlayOutcome>;

class OverlayPublisher {
 public:
  using Clock = std::chrono::steady_clock;
  virtual ~OverlayPublisher() = default;
  // A port of 0 turns the server off; another port moves it there. Never
  // waits for a page.
  virtual void configure(std::uint16_t port) = 0;
  // The caption every open page shows at once and every page opened later
  // shows first; the stylesheet's bytes served at /style.css (empty: none).
  virtual void publish(const OverlayCaption& caption, const std::string& stylesheet) = 0;
  // Closes the listener and every page by `deadline`, and takes no more.
  virtual void finish(Clock::time_point deadline) = 0;
  // From any thread, without a lock.
  virtual OverlayStatus status() const = 0;
};

}  // namespace tavrik
