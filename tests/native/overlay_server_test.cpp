// The overlay server itself on this machine's loopback, natively: the page,
// the caption and the stylesheet to its own Host only; what is no request of
// a page refused or bounded; events to every open page at once, the current
// caption first; a page that never reads dropped without slowing anyone;
// a taken port told; off and finish leave no socket.
#include "overlay/overlay_server.h"

#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <chrono>
#include <string>
#include <thread>
#include <vector>

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// A socket of the test's own, closed with it.
class Socket {
 public:
  explicit Socket(std::uint16_t port, int receiveBuffer = 0) : fd_(::socket(AF_INET, SOCK_STREAM, 0)) {
    if (receiveBuffer) setsockopt(fd_, SOL_SOCKET, SO_RCVBUF, &receiveBuffer, sizeof receiveBuffer);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(port);
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    connected_ = ::connect(fd_, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0;
  }
  ~Socket() { ::close(fd_); }
  bool connected() const { return connected_; }
  // False once the server no longer takes bytes.
  bool send(const std::string& bytes) {
    return ::send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
  }
  // What comes until `until` holds of it, the server closes, or `limit` passes.
  std::string receive(std::chrono::milliseconds limit, const std::function<bool(const std::string&)>& until = {}) {
    const Clock::time_point end = Clock::now() + limit;
    while (Clock::now() < end && !(until && until(received_))) {
      pollfd ready{fd_, POLLIN, 0};
      if (::poll(&ready, 1, 20) <= 0) continue;
      char buffer[4096];
      const ssize_t got = ::recv(fd_, buffer, sizeof buffer, 0);
      if (got <= 0) {
        closedByServer_ = true;
        break;
      }
      received_.append(buffer, static_cast<std::size_t>(got));
    }
    return received_;
  }
  bool closedByServer() const { return closedByServer_; }

 private:
  int fd_;
  bool connected_ = false;
  bool closedByServer_ = false;
  std::string received_;
};

std::uint16_t freePort() {
  static std::uint16_t next = static_cast<std::uint16_t>(20000 + getpid() % 20000);
  return next++;
}

std::string request(const std::string& line, std::uint16_t port, const std::string& host = "") {
  return line + "\r\nHost: " + (host.empty() ? "127.0.0.1:" + std::to_string(port) : host) + "\r\n\r\n";
}

std::string statusOf(const std::string& response) { return response.substr(0, response.find("\r\n")); }

auto has(const std::string& text) {
  return [text](const std::string& received) { return received.find(text) != std::string::npos; };
}

class OverlayServerTest : public ::testing::Test {
 protected:
  OverlayServerTest() {
    caption.html = "<em>Tom &amp; Jerry</em>";
    caption.title = "Tom & Jerry";
    caption.state = OverlayState::playing;
    server.publish(caption, "#caption { color: red; }");
    server.configure(port);
  }
  ~OverlayServerTest() override { server.finish(Clock::now() + 2s); }
  std::string ask(const std::string& line, const std::string& host = "") {
    Socket socket(port);
    EXPECT_TRUE(socket.send(request(line, port, host)));
    return socket.receive(2s);
  }
  std::string eventWith(const std::string& text) { return "\"text\":\"" + text + "\""; }

  std::uint16_t port = freePort();
  OverlayCaption caption;
  OverlayServer server;
};

TEST_F(OverlayServerTest, ThePageTheCaptionAndTheStylesheetToItsOwnHostOnly) {
  ASSERT_EQ(server.status().outcome, OverlayOutcome::serving);
  const std::string page = ask("GET / HTTP/1.1");
  EXPECT_EQ(statusOf(page), "HTTP/1.1 200 OK");
  EXPECT_NE(page.find("Content-Type: text/html; charset=utf-8"), std::string::npos);
  EXPECT_NE(page.find("id=\"caption\""), std::string::npos);
  EXPECT_NE(ask("GET /caption.json HTTP/1.1").find("\"title\":\"Tom & Jerry\""), std::string::npos);
  EXPECT_NE(ask("GET /style.css HTTP/1.1", "localhost:" + std::to_string(port)).find("color: red"),
            std::string::npos);
  const std::string head = ask("HEAD / HTTP/1.1");
  EXPECT_EQ(statusOf(head), "HTTP/1.1 200 OK");
  EXPECT_EQ(head.find("<div"), std::string::npos) << "HEAD has no body";
  EXPECT_NE(head.find("Content-Length: " + std::to_string(page.size() - page.find("\r\n\r\n") - 4)), std::string::npos);

  EXPECT_EQ(statusOf(ask("GET / HTTP/1.1", "evil.example:" + std::to_string(port))), "HTTP/1.1 403 Forbidden");
  EXPECT_EQ(statusOf(ask("GET / HTTP/1.1", "127.0.0.1:" + std::to_string(port + 1))), "HTTP/1.1 403 Forbidden");
  for (const char* line : {"GET /../gen_tavrik.ini HTTP/1.1", "GET /%2e%2e/ HTTP/1.1", "POST / HTTP/1.1",
                           "GET /gen_tavrik.ini HTTP/1.1", "DELETE /caption.json HTTP/1.1"}) {
    EXPECT_EQ(statusOf(ask(line)), "HTTP/1.1 404 Not Found") << line;
  }
}

TEST_F(OverlayServerTest, TheCoverByItsOwnAddressKeptByTheBrowserAndNoOtherPicturesAddress) {
  EXPECT_EQ(statusOf(ask("GET /cover HTTP/1.1")), "HTTP/1.1 404 Not Found") << "the page shows no cover";
  caption.showsCover = true;
  server.publish(caption, "");
  EXPECT_NE(ask("GET / HTTP/1.1").find("<img id=\"cover\""), std::string::npos);
  EXPECT_EQ(statusOf(ask("GET /cover HTTP/1.1")), "HTTP/1.1 404 Not Found") << "no picture yet";

  caption.cover = std::make_shared<const CoverPicture>(CoverPicture{std::string("\xFF\xD8\xFF\xE0jpeg", 8), "image/jpeg"});
  caption.coverUrl = "/cover?0123456789abcdef";
  server.publish(caption, "");
  const std::string own = ask("GET /cover?0123456789abcdef HTTP/1.1");
  EXPECT_EQ(statusOf(own), "HTTP/1.1 200 OK");
  EXPECT_NE(own.find("Content-Type: image/jpeg"), std::string::npos);
  EXPECT_NE(own.find("Cache-Control: max-age=86400"), std::string::npos);
  EXPECT_EQ(own.substr(own.size() - 8), std::string("\xFF\xD8\xFF\xE0jpeg", 8));
  const std::string current = ask("GET /cover HTTP/1.1");
  EXPECT_EQ(statusOf(current), "HTTP/1.1 200 OK");
  EXPECT_NE(current.find("Cache-Control: no-store"), std::string::npos) << "for other widgets: never kept";
  EXPECT_EQ(statusOf(ask("GET /cover?fedcba9876543210 HTTP/1.1")), "HTTP/1.1 404 Not Found")
      << "an older picture's address is not given this picture";
  EXPECT_NE(ask("GET /caption.json HTTP/1.1").find("\"cover\":\"/cover?0123456789abcdef\""), std::string::npos);
}

TEST_F(OverlayServerTest, WhatIsNoRequestOfAPageIsClosedWithinItsBounds) {
  {
    // A header of 1 MiB: the server stops taking it after its bound.
    Socket socket(port);
    socket.send("GET / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nX-Big: ");
    std::size_t sent = 0;
    const std::string chunk(16384, 'a');
    while (sent < 1024 * 1024 && socket.send(chunk)) sent += chunk.size();
    // Loopback's buffers may take it all; the server still ends the
    // connection at its bound, with no answer.
    const std::string answer = socket.receive(2s);
    EXPECT_EQ(answer.find("200 OK"), std::string::npos);
    EXPECT_TRUE(socket.closedByServer());
  }
  {
    // A body where none belongs is never read: the answer is the path's.
    Socket socket(port);
    socket.send("POST / HTTP/1.1\r\nHost: 127.0.0.1:" + std::to_string(port) + "\r\nContent-Length: 5\r\n\r\nhello");
    EXPECT_EQ(statusOf(socket.receive(2s)), "HTTP/1.1 404 Not Found");
    EXPECT_TRUE(socket.closedByServer());
  }
  {
    // A request that never ends is given up after the request time.
    Socket socket(port);
    socket.send("GET / HTTP/1.1\r\n");
    const Clock::time_point start = Clock::now();
    socket.receive(OverlayServer::kRequestTime + 2s);
    EXPECT_TRUE(socket.closedByServer());
    EXPECT_LT(Clock::now() - start, OverlayServer::kRequestTime + 1s);
  }
  {
    // Held connections beyond the bound are closed at once, and a page
    // still gets its answer once they have gone.
    std::vector<std::unique_ptr<Socket>> held;
    for (int i = 0; i < 40; ++i) {
      held.push_back(std::make_unique<Socket>(port));
      held.back()->send("GET / HTTP/1.1\r\n");
    }
    int closedAtOnce = 0;
    for (auto& socket : held) {
      socket->receive(50ms);
      closedAtOnce += socket->closedByServer() ? 1 : 0;
    }
    EXPECT_GE(closedAtOnce, 40 - static_cast<int>(OverlayServer::kMaxWaiting));
    held.clear();
    EXPECT_EQ(statusOf(ask("GET / HTTP/1.1")), "HTTP/1.1 200 OK");
  }
}

TEST_F(OverlayServerTest, EveryOpenPageGetsTheCurrentCaptionFirstThenEachNewOneAtOnce) {
  Socket first(port), second(port);
  first.send(request("GET /events HTTP/1.1", port));
  second.send(request("GET /events HTTP/1.1", port));
  EXPECT_NE(first.receive(2s, has(eventWith("<em>Tom &amp; Jerry</em>"))).find("text/event-stream"), std::string::npos);
  second.receive(2s, has(eventWith("<em>Tom &amp; Jerry</em>")));
  for (int i = 0; i < 50 && server.status().code != 2; ++i) std::this_thread::sleep_for(10ms);
  EXPECT_EQ(server.status().code, 2) << "two pages open";

  caption.html = "\xE6\x9D\xB1\xE4\xBA\xAC";
  const Clock::time_point sent = Clock::now();
  server.publish(caption, "");
  EXPECT_NE(first.receive(2s, has(eventWith(caption.html))).find(eventWith(caption.html)), std::string::npos);
  EXPECT_LT(Clock::now() - sent, 200ms);
  EXPECT_NE(second.receive(2s, has(eventWith(caption.html))).find(eventWith(caption.html)), std::string::npos);
  EXPECT_EQ(statusOf(ask("GET /style.css HTTP/1.1")), "HTTP/1.1 404 Not Found") << "the stylesheet was taken away";
}

TEST_F(OverlayServerTest, APageStaysOpenPastTheWriteTimeAndGetsTheNextCaptionOnTheSameConnection) {
  Socket page(port);
  page.send(request("GET /events HTTP/1.1", port));
  page.receive(2s, has("retry:"));
  std::this_thread::sleep_for(OverlayServer::kWriteTime + 1s);
  caption.html = "later";
  server.publish(caption, "");
  const std::string received = page.receive(2s, has(eventWith("later")));
  EXPECT_NE(received.find(eventWith("later")), std::string::npos);
  EXPECT_FALSE(page.closedByServer()) << "a quiet page was dropped";
  EXPECT_EQ(server.status().code, 1);
}

TEST_F(OverlayServerTest, APageThatNeverReadsIsDroppedAndNeverSlowsTheOthersOrFinish) {
  Socket stuck(port, 4096);
  stuck.send(request("GET /events HTTP/1.1", port));
  Socket reader(port);
  reader.send(request("GET /events HTTP/1.1", port));
  reader.receive(2s, has("retry:"));
  // Large captions fill what the stuck page's socket holds.
  for (int i = 0; i < 60; ++i) {
    caption.html = std::to_string(i) + std::string(60000, 'x');
    const Clock::time_point start = Clock::now();
    server.publish(caption, "");
    EXPECT_LT(Clock::now() - start, 50ms) << "publish waited for a page";
    reader.receive(2s, has("\"text\":\"" + std::to_string(i) + "x"));
  }
  caption.html = "last";
  server.publish(caption, "");
  EXPECT_NE(reader.receive(2s, has(eventWith("last"))).find(eventWith("last")), std::string::npos);
  const Clock::time_point start = Clock::now();
  server.finish(Clock::now() + 2s);
  EXPECT_LT(Clock::now() - start, 2s);
  EXPECT_EQ(Socket(port).connected(), false) << "no listener after finish";
}

TEST_F(OverlayServerTest, MorePagesThanTheBoundAreTurnedAway) {
  std::vector<std::unique_ptr<Socket>> pages;
  for (std::size_t i = 0; i < OverlayServer::kMaxPages; ++i) {
    pages.push_back(std::make_unique<Socket>(port));
    pages.back()->send(request("GET /events HTTP/1.1", port));
    pages.back()->receive(2s, has("retry:"));
  }
  Socket oneMore(port);
  oneMore.send(request("GET /events HTTP/1.1", port));
  EXPECT_EQ(statusOf(oneMore.receive(2s)), "HTTP/1.1 503 Service Unavailable");
  pages.pop_back();
  Socket again(port);
  again.send(request("GET /events HTTP/1.1", port));
  EXPECT_NE(again.receive(2s, has("retry:")).find("text/event-stream"), std::string::npos) << "a place came free";
}

TEST(OverlayServerPorts, ATakenPortIsToldAndOffLeavesNoSocket) {
  const std::uint16_t port = freePort();
  OverlayServer first;
  first.configure(port);
  ASSERT_EQ(first.status().outcome, OverlayOutcome::serving);
  OverlayServer second;
  second.configure(port);
  EXPECT_EQ(second.status().outcome, OverlayOutcome::portTaken);
  first.configure(0);
  EXPECT_EQ(first.status().outcome, OverlayOutcome::off);
  EXPECT_FALSE(Socket(port).connected());
  second.configure(port);
  EXPECT_EQ(second.status().outcome, OverlayOutcome::serving) << "a taken port is tried again";
  second.finish(Clock::now() + 1s);
  second.configure(port);
  EXPECT_FALSE(Socket(port).connected()) << "nothing after finish";
}

}  // namespace
}  // namespace tavrik
