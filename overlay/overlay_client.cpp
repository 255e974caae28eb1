#include "overlay/overlay_client.h"

#include "overlay/overlay_page.h"
#include "overlay/overlay_server.h"

namespace tavrik::overlay {

Client::Client(tcp::socket socket, Hub& hub)
    : stream_(std::move(socket)), hub_(hub), buffer_(OverlayServer::kMaxRequestBytes) {
  parser_.header_limit(static_cast<std::uint32_t>(OverlayServer::kMaxRequestBytes));
}

// The request's line and headers only: no path takes a body, and one that
// comes is never read.
void Client::start() {
  stream_.expires_after(OverlayServer::kRequestTime);
  http::async_read_header(stream_, buffer_, parser_,
                          [self = shared_from_this()](beast::error_code error, std::size_t) { self->answer(error); });
}

void Client::send(std::shared_ptr<const std::string> event) {
  if (!isPage_ || closed_) return;
  next_ = std::move(event);
  if (!writing_) writeNext();
}

void Client::close() {
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

void Client::answer(beast::error_code error) {
  answered_ = true;
  // Too long, too slow, or no HTTP at all: no answer is owed.
  if (error) return close();
  const auto& request = parser_.get();
  const bool head = request.method() == http::verb::head;
  switch (routeOf(request.method_string(), request.target(), request[http::field::host], hub_.port,
                  hub_.stylesheet && !hub_.stylesheet->empty(), hub_.showsCover && hub_.cover)) {
    case OverlayRoute::page:
      return respond(http::status::ok, "text/html; charset=utf-8", overlayPage(hub_.showsCover), head);
    case OverlayRoute::cover:
      return respondCover(request.target(), head);
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

void Client::respondCover(std::string_view target, bool head) {
  // The page asks by the picture's own address, which names its bytes: that
  // one may be kept. Another picture's address is no longer served, so that
  // no browser keeps a picture under a name that is not its own.
  if (target == "/cover") return respond(http::status::ok, hub_.cover->type.c_str(), hub_.cover->bytes, head);
  if (target != hub_.coverUrl) return respond(http::status::not_found, "", "", head);
  respond(http::status::ok, hub_.cover->type.c_str(), hub_.cover->bytes, head, "max-age=86400");
}

void Client::respond(http::status status, const char* type, const std::string& body, bool head, const char* cache) {
  auto response = std::make_shared<http::response<http::string_body>>(status, 11);
  response->set(http::field::cache_control, cache);
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

void Client::becomePage() {
  isPage_ = true;
  ++hub_.pages;
  hub_.recordPages();
  stream_.expires_never();
  readUntilGone();
  // The page reconnects half a second after the player restarted.
  next_ = std::make_shared<const std::string>(
      "HTTP/1.1 200 OK\r\nContent-Type: text/event-stream; charset=utf-8\r\nCache-Control: no-store\r\n"
      "X-Content-Type-Options: nosniff\r\n\r\nretry: 500\n\n" +
      *hub_.event);
  writeNext();
}

void Client::writeNext() {
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
// send is thrown away. Read from the socket itself: the stream's time limit
// is for writes, and a page may rightly stay silent for hours.
void Client::readUntilGone() {
  stream_.socket().async_read_some(net::buffer(sink_), [self = shared_from_this()](beast::error_code error, std::size_t) {
    if (error) return self->close();
    self->readUntilGone();
  });
}

}  // namespace tavrik::overlay
