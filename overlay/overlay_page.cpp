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
                     bool hasStylesheet) {
  if (!isOwnHost(host, port)) return OverlayRoute::forbidden;
  const bool get = method == "GET";
  if (!get && method != "HEAD") return OverlayRoute::notFound;
  if (target == "/") return OverlayRoute::page;
  if (target == "/events" && get) return OverlayRoute::events;
  if (target == "/caption.json") return OverlayRoute::captionJson;
  if (target == "/style.css" && hasStylesheet) return OverlayRoute::stylesheet;
  return OverlayRoute::notFound;
}

const std::string& overlayPage() {
  // The element is replaced whole at each caption: a class the stylesheet
  // animates on (playing, paused, stopped, hidden) restarts with it.
  static const std::string page = R"(<!DOCTYPE html>
<html lang="ja">
<head>
<meta charset="utf-8">
<title>gen_tavrik</title>
<style>html, body { background: transparent; margin: 0; }</style>
<link rel="stylesheet" href="/style.css">
</head>
<body>
<div id="caption" class="caption stopped"></div>
<script>
const caption = document.getElementById("caption");
const events = new EventSource("/events");
events.onmessage = (event) => {
  const shown = JSON.parse(event.data);
  caption.innerHTML = shown.text;
  caption.className = "caption " + shown.state;
};
</script>
</body>
</html>
)";
  return page;
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
  const nlohmann::ordered_json json = {{"title", caption.title},     {"artist", caption.artist},
                                       {"album", caption.album},     {"comment", caption.comment},
                                       {"genre", caption.genre},     {"text", caption.html},
                                       {"state", stateName(caption.state)}, {"changed", caption.changedMs}};
  return json.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
}

std::string captionEvent(const OverlayCaption& caption) { return "data: " + captionJson(caption) + "\n\n"; }

}  // namespace tavrik
