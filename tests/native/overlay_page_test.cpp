// What the overlay server answers, free of sockets: only its own four paths,
// only to its own Host, never a path taken as a file; and the caption as the
// page and other widgets read it.
#include "overlay/overlay_page.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

namespace tavrik {
namespace {

constexpr std::uint16_t kPort = 1608;

OverlayRoute get(const std::string& target, const std::string& host = "127.0.0.1:1608", bool style = true) {
  return routeOf("GET", target, host, kPort, style);
}

TEST(OverlayRoutes, ItsOwnPathsOnlyAndNoPathIsEverAFile) {
  EXPECT_EQ(get("/"), OverlayRoute::page);
  EXPECT_EQ(get("/events"), OverlayRoute::events);
  EXPECT_EQ(get("/caption.json"), OverlayRoute::captionJson);
  EXPECT_EQ(get("/style.css"), OverlayRoute::stylesheet);
  EXPECT_EQ(get("/style.css", "127.0.0.1:1608", false), OverlayRoute::notFound) << "no stylesheet set";
  for (const char* other : {"/../gen_tavrik.ini", "/%2e%2e/", "/%2e%2e/gen_tavrik.ini", "/gen_tavrik.ini", "//",
                            "/events/", "/index.html", "/?x=1", "", "*", "http://127.0.0.1:1608/",
                            "/caption.json/..", "/STYLE.CSS", "/style.css%00.ini"}) {
    EXPECT_EQ(get(other), OverlayRoute::notFound) << other;
  }
}

TEST(OverlayRoutes, GetAndHeadOnlyAndNoEventsForHead) {
  EXPECT_EQ(routeOf("HEAD", "/", "127.0.0.1:1608", kPort, false), OverlayRoute::page);
  EXPECT_EQ(routeOf("HEAD", "/caption.json", "127.0.0.1:1608", kPort, false), OverlayRoute::captionJson);
  EXPECT_EQ(routeOf("HEAD", "/events", "127.0.0.1:1608", kPort, false), OverlayRoute::notFound);
  for (const char* method : {"POST", "PUT", "DELETE", "OPTIONS", "get", "CONNECT", ""}) {
    EXPECT_EQ(routeOf(method, "/", "127.0.0.1:1608", kPort, false), OverlayRoute::notFound) << method;
  }
}

TEST(OverlayRoutes, AHostThatIsNotThisServersOwnIsForbidden) {
  EXPECT_EQ(get("/", "localhost:1608"), OverlayRoute::page);
  EXPECT_EQ(get("/", "LocalHost:1608"), OverlayRoute::page);
  for (const char* host : {"", "127.0.0.1", "localhost", "127.0.0.1:1609", "127.0.0.1:16080", "evil.example:1608",
                           "127.0.0.1.evil.example:1608", "localhost.:1608", "[::1]:1608", "0.0.0.0:1608",
                           "127.0.0.2:1608", " 127.0.0.1:1608", "127.0.0.1:1608 ", "x127.0.0.1:1608"}) {
    EXPECT_EQ(get("/", host), OverlayRoute::forbidden) << host;
    EXPECT_EQ(get("/caption.json", host), OverlayRoute::forbidden) << host;
  }
}

TEST(OverlayCaptionJson, HoldsTheTagsTheTextTheStateAndWhenAndStaysJsonForAnyBytes) {
  OverlayCaption caption;
  caption.title = "Rock & Roll <Live>";
  caption.artist = "\xE6\xAD\x8C\xE6\x89\x8B";
  caption.html = "<em>Rock &amp; Roll &lt;Live&gt;</em>";
  caption.state = OverlayState::paused;
  caption.changedMs = 1796184000123;
  const auto json = nlohmann::json::parse(captionJson(caption));
  EXPECT_EQ(json["title"], caption.title);
  EXPECT_EQ(json["artist"], caption.artist);
  EXPECT_EQ(json["album"], "");
  EXPECT_EQ(json["text"], caption.html);
  EXPECT_EQ(json["state"], "paused");
  EXPECT_EQ(json["changed"], 1796184000123);

  caption.genre = "bad \xFF utf-8";
  EXPECT_EQ(nlohmann::json::parse(captionJson(caption))["genre"], "bad \xEF\xBF\xBD utf-8");
  const std::string event = captionEvent(caption);
  EXPECT_EQ(event.rfind("data: {", 0), 0u);
  EXPECT_EQ(event.substr(event.size() - 2), "\n\n");
  EXPECT_EQ(event.find('\n'), event.size() - 2) << "one line of data: a line break would end the event";
}

TEST(OverlayPageTest, OneCaptionElementTheStylesheetAndTheEvents) {
  const std::string& page = overlayPage();
  EXPECT_NE(page.find("<meta charset=\"utf-8\">"), std::string::npos);
  EXPECT_NE(page.find("id=\"caption\""), std::string::npos);
  EXPECT_NE(page.find("href=\"/style.css\""), std::string::npos);
  EXPECT_NE(page.find("new EventSource(\"/events\")"), std::string::npos);
  EXPECT_NE(page.find("background: transparent"), std::string::npos);
}

}  // namespace
}  // namespace tavrik
