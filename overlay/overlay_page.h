// What the overlay server says, free of any socket: which of its few answers
// a request gets, the page itself, and the caption as JSON and as an event.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "overlay/overlay_caption.h"

namespace tavrik {

enum class OverlayRoute {
  page,         // GET or HEAD /
  events,       // GET /events: the captions as Server-Sent Events
  captionJson,  // GET or HEAD /caption.json
  stylesheet,   // GET or HEAD /style.css, when the user has one
  cover,        // GET or HEAD /cover (any query), while there is a picture
  forbidden,    // a Host that is not this server's own: DNS rebinding
  notFound,     // every other method and path
};

// The request's path is taken as it stands, never decoded and never a file
// name: only these five exist. The Host must be "127.0.0.1:PORT" or
// "localhost:PORT" (any case), so that a web page elsewhere that has its
// name resolve to this machine cannot read the page.
OverlayRoute routeOf(std::string_view method, std::string_view target, std::string_view host, std::uint16_t port,
                     bool hasStylesheet, bool hasCover = false);

// The page: transparent, one element with the caption, the user's
// stylesheet, and a script that replaces the element's content as each
// event comes (EventSource reconnects by itself when the player restarts).
// With the cover, an image beside the element, hidden while there is no
// picture; a new picture is loaded before the caption changes, so that the
// two change together.
const std::string& overlayPage(bool withCover = false);

// {"title":…,"artist":…,"album":…,"comment":…,"genre":…,"text":…,
//  "state":…,"changed":…} on one line, with "cover": its address or null
// while the page shows the cover; ill-formed UTF-8 becomes U+FFFD.
std::string captionJson(const OverlayCaption& caption);
const char* stateName(OverlayState state);

// One Server-Sent Event carrying the caption's JSON.
std::string captionEvent(const OverlayCaption& caption);

}  // namespace tavrik
