#include "overlay/overlay_page.h"

#include <nlohmann/json.hpp>

#include "common/ascii.h"

namespace tavrik {
namespace {

bool isOwnHost(std::string_view host, std::uint16_t port) {
  const std::string suffix = ":" + std::to_string(port);
  if (host.size() <= suffix.size() || host.substr(host.size() - suffix.size()) != suffix) return false;
  const std::string_view name = host.substr(0, host.size() - suffix.size());
  return name == "127.0.0.1" || equalsIgnoringAsciiCase(name, std::string_view("localhost"));
}

}  // namespace

OverlayRoute routeOf(std::string_view method, std::string_view target, std::string_view host, std::uint16_t port,
                     bool hasStylesheet, bool hasCover) {
  if (!isOwnHost(host, port)) return OverlayRoute::forbidden;
  const bool get = method == "GET";
  if (!get && method != "HEAD") return OverlayRoute::notFound;
  if (target == "/") return OverlayRoute::page;
  if (target == "/events" && get) return OverlayRoute::events;
  if (target == "/caption.json") return OverlayRoute::captionJson;
  if (target == "/style.css" && hasStylesheet) return OverlayRoute::stylesheet;
  // The query only tells the browser that the picture changed.
  if ((target == "/cover" || target.substr(0, 7) == "/cover?") && hasCover) return OverlayRoute::cover;
  return OverlayRoute::notFound;
}

const std::string& overlayPage(bool withCover) {
  // The element is replaced whole at each caption: a class the stylesheet
  // animates on (playing, paused, stopped, hidden) restarts with it.
  static const std::string head = R"(<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<title>gen_tavrik</title>
<style>html, body { background: transparent; margin: 0; }</style>
<link rel="stylesheet" href="/style.css">
</head>
<body>
)";
  static const std::string tail = R"(</script>
</body>
</html>
)";
  static const std::string page = head + R"(<div id="caption" class="caption stopped"></div>
<script>
const caption = document.getElementById("caption");
const events = new EventSource("/events");
events.onmessage = (event) => {
  const shown = JSON.parse(event.data);
  caption.innerHTML = shown.text;
  caption.className = "caption " + shown.state;
};
)" + tail;
  // The newest event wins: a picture still loading for an older one is
  // dropped when it arrives.
  static const std::string pageWithCover = head + R"(<img id="cover" class="cover" alt="" hidden>
<div id="caption" class="caption stopped"></div>
<script>
const caption = document.getElementById("caption");
const cover = document.getElementById("cover");
let newest = 0;
function show(shown, picture) {
  caption.innerHTML = shown.text;
  caption.className = "caption " + shown.state;
  cover.className = "cover " + shown.state;
  if (picture) {
    cover.src = picture;
    cover.hidden = false;
  } else {
    cover.hidden = true;
    cover.removeAttribute("src");
  }
}
const events = new EventSource("/events");
events.onmessage = (event) => {
  const shown = JSON.parse(event.data);
  const number = ++newest;
  if (!shown.cover || shown.cover === cover.getAttribute("src")) return show(shown, shown.cover);
  const next = new Image();
  next.onload = () => { if (number === newest) show(shown, shown.cover); };
  next.onerror = () => { if (number === newest) show(shown, null); };
  next.src = shown.cover;
};
)" + tail;
  return withCover ? pageWithCover : page;
}

const char* stateName(OverlayState state) {
  switch (state) {
    case OverlayState::playing:
      return "playing";
    case OverlayState::paused:
      return "paused";
    case OverlayState::stopped:
      return "stopped";
    case OverlayState::hidden:
      return "hidden";
  }
  return "stopped";
}

std::string captionJson(const OverlayCaption& caption) {
  nlohmann::ordered_json json = {{"title", caption.title},     {"artist", caption.artist},
                                       {"album", caption.album},     {"comment", caption.comment},
                                       {"genre", caption.genre},     {"text", caption.html},
                                       {"state", stateName(caption.state)}, {"changed", caption.changedMs}};
  if (caption.showsCover) {
    json["cover"] = caption.cover ? nlohmann::ordered_json(caption.coverUrl) : nlohmann::ordered_json(nullptr);
  }
  return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string captionEvent(const OverlayCaption& caption) { return "data: " + captionJson(caption) + "\n\n"; }

}  // namespace tavrik
