// What a client of the overlay page sends, parsed as the server parses it
// (Beast's request parser, the header only, within the server's bound) and
// then routed; and the caption made of any texts.
// Input: a request's bytes, NUL, then texts for a caption cut at NUL bytes.
// Properties:
// - no request, however garbled, long or cut into pieces, breaks the parse;
// - only GET or HEAD of the page's own four paths, to its own Host, is
//   answered with anything but 404 or 403, and /events only for GET;
// - the caption's JSON, of any bytes, is JSON on one line with every field.
#include <boost/beast/http.hpp>
#include <cstddef>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <string>

#include "fuzz_check.h"
#include "overlay/overlay_page.h"

namespace {

namespace http = boost::beast::http;
constexpr std::uint16_t kPort = 1608;
constexpr std::size_t kBound = 8192;

bool ownHost(std::string_view host) {
  auto is = [&](std::string_view name) {
    if (host.size() != name.size() + 5) return false;
    for (std::size_t i = 0; i < name.size(); ++i)
      if (std::tolower(static_cast<unsigned char>(host[i])) != name[i]) return false;
    return host.substr(name.size()) == ":1608";
  };
  return is("127.0.0.1") || is("localhost");
}

// Fed as the network gives it, in pieces, from a buffer that holds at most
// the server's bound: nothing past it is ever read.
void routeRequest(std::string_view bytes, std::size_t piece) {
  http::request_parser<http::empty_body> parser;
  parser.header_limit(kBound);
  bytes = bytes.substr(0, kBound);
  boost::beast::error_code error;
  std::size_t taken = 0, arrived = 0;
  while (!parser.is_header_done() && arrived < bytes.size()) {
    arrived = std::min(bytes.size(), arrived + piece);
    const std::size_t used = parser.put(boost::asio::buffer(bytes.data() + taken, arrived - taken), error);
    taken += used;
    if (error == http::error::need_more) continue;
    if (error) return;
  }
  if (!parser.is_header_done()) return;
  const auto& request = parser.get();
  const std::string_view method = request.method_string(), target = request.target();
  const std::string_view host = request[http::field::host];
  const tavrik::OverlayRoute route = tavrik::routeOf(method, target, host, kPort, true);
  if (!ownHost(host)) {
    fuzz::expect(route == tavrik::OverlayRoute::forbidden, "a foreign Host is forbidden");
    return;
  }
  if (route == tavrik::OverlayRoute::notFound) return;
  fuzz::expect(method == "GET" || method == "HEAD", "GET and HEAD only");
  fuzz::expect(target == "/" || target == "/events" || target == "/caption.json" || target == "/style.css",
               "its own paths only");
  if (route == tavrik::OverlayRoute::events) fuzz::expect(method == "GET", "events for GET only");
}

void captionOfAnyBytes(const std::vector<std::string>& texts) {
  tavrik::OverlayCaption caption;
  caption.title = texts[0];
  caption.artist = texts[1];
  caption.html = texts[2];
  caption.state = static_cast<tavrik::OverlayState>(texts[3].size() % 4);
  const std::string json = tavrik::captionJson(caption);
  fuzz::expect(json.find('\n') == std::string::npos, "one line");
  const nlohmann::json parsed = nlohmann::json::parse(json, nullptr, false);
  fuzz::expect(parsed.is_object() && parsed.size() == 8, "JSON with every field");
  fuzz::expect(parsed["state"] == tavrik::stateName(caption.state), "the state");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  const std::string_view input = fuzz::bytesOf(data, size);
  const std::size_t nul = std::min(input.find('\0'), input.size());
  // The first byte says how the request arrives: in pieces of 1 to 256 bytes.
  const std::size_t piece = size ? data[0] % 256 + 1 : 1;
  routeRequest(input.substr(0, nul), piece);
  captionOfAnyBytes(fuzz::nulSeparated(nul < input.size() ? input.substr(nul + 1) : std::string_view(), 4));
  return 0;
}
