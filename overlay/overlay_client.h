// One connection to the overlay server, and what the server's thread holds
// for all of them: its request (bounded in size and time), then an answer,
// or, for /events, the page's captions until it goes away. Used by the
// server alone, on its thread.
#pragma once

#include <boost/asio.hpp>
#include <boost/beast/core.hpp>
#include <boost/beast/http.hpp>
#include <memory>
#include <set>
#include <string>

#include "overlay/overlay_caption.h"

namespace tavrik::overlay {

namespace beast = boost::beast;
namespace http = beast::http;
namespace net = boost::asio;
using tcp = net::ip::tcp;

class Client;

struct Hub {
  std::uint16_t port = 0;
  std::shared_ptr<const std::string> event, json, stylesheet;
  bool showsCover = false;
  std::shared_ptr<const CoverPicture> cover;
  std::string coverUrl;
  std::set<std::shared_ptr<Client>> clients;  // every open connection
  std::size_t pages = 0;
  OutcomeCell<OverlayOutcome>* status = nullptr;
  void recordPages() { status->record(OverlayOutcome::serving, static_cast<int>(pages)); }
};

class Client : public std::enable_shared_from_this<Client> {
 public:
  Client(tcp::socket socket, Hub& hub);
  // Reads the request and answers it.
  void start();
  // A page gets the newest caption; one not yet written is replaced.
  void send(std::shared_ptr<const std::string> event);
  void close();
  bool waiting() const { return !answered_; }

 private:
  void answer(beast::error_code error);
  void respond(http::status status, const char* type, const std::string& body, bool head,
               const char* cache = "no-store");
  void respondCover(std::string_view target, bool head);
  void becomePage();
  void writeNext();
  void readUntilGone();

  beast::tcp_stream stream_;
  Hub& hub_;
  beast::flat_buffer buffer_;
  http::request_parser<http::empty_body> parser_;
  std::shared_ptr<const std::string> next_;
  char sink_[512];
  bool answered_ = false, isPage_ = false, writing_ = false, closed_ = false;
};

}  // namespace tavrik::overlay
