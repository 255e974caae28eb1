#include "obs/web_socket_win32.h"

#include <windows.h>
#include <winhttp.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <string>
#include <utility>
#include <vector>

#include "common/module_services_win32.h"
#include "common/unicode_codec.h"

namespace tavrik {
namespace {

using Clock = std::chrono::steady_clock;

HANDLE newEvent(bool manualReset) { return CreateEventW(nullptr, manualReset ? TRUE : FALSE, FALSE, nullptr); }

std::wstring wide(const std::string& utf8) {
  const std::u16string units = decodeUtf8(utf8);
  return std::wstring(units.begin(), units.end());
}

DWORD millisecondsUntil(Clock::time_point until) {
  const Clock::time_point now = Clock::now();
  if (until <= now) return 0;
  const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(until - now).count();
  return left >= static_cast<long long>(INFINITE) ? INFINITE - 1 : static_cast<DWORD>(left);
}

}  // namespace

// One connection's handles and what WinHTTP's callbacks report about them.
// WinHTTP may call back on its own threads until each handle's
// HANDLE_CLOSING, so the session lives until the owner and every handle
// have let go of it.
struct WinHttpWebSocket::Session {
  Session()
      : requestDone(newEvent(false)), sent(newEvent(false)), received(newEvent(false)),
        closeDone(newEvent(false)), handlesClosed(newEvent(true)) {}

  bool ready() const { return requestDone && sent && received && closeDone && handlesClosed; }

  // Each handle holds one reference from the moment it carries the
  // session as its context; the owner holds one.
  void adopt(HINTERNET handle) {
    references.fetch_add(1);
    openHandles.fetch_add(1);
    DWORD_PTR context = reinterpret_cast<DWORD_PTR>(this);
    WinHttpSetOption(handle, WINHTTP_OPTION_CONTEXT_VALUE, &context, sizeof(context));
  }
  void release() {
    if (references.fetch_sub(1) == 1) delete this;
  }

  std::atomic<long> references{1};
  std::atomic<long> openHandles{0};
  std::atomic<HINTERNET> internet{nullptr};
  std::atomic<HINTERNET> connection{nullptr};
  std::atomic<HINTERNET> request{nullptr};
  std::atomic<HINTERNET> webSocket{nullptr};

  // Set by the callback, each after it stored the result it announces.
  UniqueKernelHandle requestDone;  // the request was sent, or its answer came
  UniqueKernelHandle sent;
  UniqueKernelHandle received;
  UniqueKernelHandle closeDone;
  UniqueKernelHandle handlesClosed;
  std::atomic<DWORD> requestError{0};
  std::atomic<DWORD> sendError{0};
  std::atomic<DWORD> receiveError{0};
  std::atomic<DWORD> receivedBytes{0};
  std::atomic<int> receivedType{WINHTTP_WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE};

  // Touched by WinHTTP only while an operation is pending; by the owner
  // only when none is.
  std::string sendBuffer;
  std::vector<char> receiveBuffer = std::vector<char>(16384);
  bool sendPending = false;
  bool receivePending = false;
  bool closePending = false;
  bool peerClosed = false;
  std::string partial;  // the fragments of a message so far
};

namespace {

using Session = WinHttpWebSocket::Session;

void CALLBACK onWinHttpEvent(HINTERNET handle, DWORD_PTR context, DWORD status, LPVOID info, DWORD) {
  auto* session = reinterpret_cast<Session*>(context);
  if (!session) return;
  switch (status) {
    case WINHTTP_CALLBACK_STATUS_SENDREQUEST_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_HEADERS_AVAILABLE:
      session->requestError = 0;
      SetEvent(session->requestDone.get());
      break;
    case WINHTTP_CALLBACK_STATUS_WRITE_COMPLETE:
      session->sendError = 0;
      SetEvent(session->sent.get());
      break;
    case WINHTTP_CALLBACK_STATUS_READ_COMPLETE: {
      const auto* read = static_cast<const WINHTTP_WEB_SOCKET_STATUS*>(info);
      session->receiveError = 0;
      session->receivedBytes = read ? read->dwBytesTransferred : 0;
      session->receivedType = read ? read->eBufferType : WINHTTP_WEB_SOCKET_CLOSE_BUFFER_TYPE;
      SetEvent(session->received.get());
      break;
    }
    case WINHTTP_CALLBACK_STATUS_CLOSE_COMPLETE:
    case WINHTTP_CALLBACK_STATUS_SHUTDOWN_COMPLETE:
      SetEvent(session->closeDone.get());
      break;
    case WINHTTP_CALLBACK_STATUS_REQUEST_ERROR: {
      if (handle != session->webSocket.load()) {
        const auto* result = static_cast<const WINHTTP_ASYNC_RESULT*>(info);
        session->requestError = result && result->dwError ? result->dwError : ERROR_WINHTTP_INTERNAL_ERROR;
        SetEvent(session->requestDone.get());
        break;
      }
      const auto* result = static_cast<const WINHTTP_WEB_SOCKET_ASYNC_RESULT*>(info);
      const DWORD error =
          result && result->AsyncResult.dwError ? result->AsyncResult.dwError : ERROR_WINHTTP_INTERNAL_ERROR;
      const auto operation = result ? result->Operation : WINHTTP_WEB_SOCKET_RECEIVE_OPERATION;
      if (operation == WINHTTP_WEB_SOCKET_SEND_OPERATION) {
        session->sendError = error;
        SetEvent(session->sent.get());
      } else if (operation == WINHTTP_WEB_SOCKET_RECEIVE_OPERATION) {
        session->receiveError = error;
        SetEvent(session->received.get());
      } else {
        SetEvent(session->closeDone.get());
      }
      break;
    }
    case WINHTTP_CALLBACK_STATUS_HANDLE_CLOSING:
      if (session->openHandles.fetch_sub(1) == 1) SetEvent(session->handlesClosed.get());
      session->release();
      break;
    default:
      break;
  }
}

// Waits for `done`, or the interrupt, or (when given) the wake, until
// `until`.
WebSocketWait waitFor(HANDLE done, HANDLE interrupt, HANDLE wake, Clock::time_point until) {
  HANDLE handles[3] = {done, interrupt, wake};
  const DWORD count = wake ? 3 : 2;
  const DWORD result = WaitForMultipleObjects(count, handles, FALSE, millisecondsUntil(until));
  if (result == WAIT_OBJECT_0) return WebSocketWait::done;
  if (result == WAIT_OBJECT_0 + 1 || result == WAIT_OBJECT_0 + 2) return WebSocketWait::interrupted;
  if (result == WAIT_TIMEOUT) return WebSocketWait::timedOut;
  return WebSocketWait::failed;
}

void closeHandle(std::atomic<HINTERNET>& handle) {
  if (HINTERNET h = handle.exchange(nullptr)) WinHttpCloseHandle(h);
}

}  // namespace

WinHttpWebSocket::WinHttpWebSocket() : interrupt_(newEvent(true)), wake_(newEvent(false)) {}

WinHttpWebSocket::~WinHttpWebSocket() { close(Limit(0)); }

WebSocketWait WinHttpWebSocket::connect(const std::string& host, std::uint16_t port, const std::string& subprotocol,
                                        Limit limit) {
  close(Limit(0));
  const Clock::time_point until = Clock::now() + limit;
  if (!interrupt_ || !wake_) return WebSocketWait::failed;
  auto* session = new Session;
  session_ = session;
  if (!session->ready()) {
    close(Limit(0));
    return WebSocketWait::failed;
  }
  auto failed = [this](WebSocketWait why) {
    close(Limit(0));
    return why == WebSocketWait::done ? WebSocketWait::failed : why;
  };

  // No proxy: the output talks to the configured address and no other.
  HINTERNET internet = WinHttpOpen(L"gen_tavrik", WINHTTP_ACCESS_TYPE_NO_PROXY, WINHTTP_NO_PROXY_NAME,
                                   WINHTTP_NO_PROXY_BYPASS, WINHTTP_FLAG_ASYNC);
  if (!internet) return failed(WebSocketWait::failed);
  session->internet = internet;
  session->adopt(internet);
  if (WinHttpSetStatusCallback(internet, onWinHttpEvent,
                               WINHTTP_CALLBACK_FLAG_ALL_COMPLETIONS | WINHTTP_CALLBACK_FLAG_HANDLES,
                               0) == WINHTTP_INVALID_STATUS_CALLBACK)
    return failed(WebSocketWait::failed);

  HINTERNET connection = WinHttpConnect(internet, wide(host).c_str(), port, 0);
  if (!connection) return failed(WebSocketWait::failed);
  session->connection = connection;
  session->adopt(connection);

  HINTERNET request = WinHttpOpenRequest(connection, L"GET", L"/", nullptr, WINHTTP_NO_REFERER,
                                         WINHTTP_DEFAULT_ACCEPT_TYPES, 0);
  if (!request) return failed(WebSocketWait::failed);
  session->request = request;
  session->adopt(request);
  DWORD noRedirects = WINHTTP_DISABLE_REDIRECTS;
  // WinHTTP's own limits too, so that a peer that accepts and never answers
  // does not keep a request of ours open inside WinHTTP after we gave up.
  DWORD answerLimit = millisecondsUntil(until);
  if (!WinHttpSetOption(request, WINHTTP_OPTION_UPGRADE_TO_WEB_SOCKET, nullptr, 0) ||
      !WinHttpSetOption(request, WINHTTP_OPTION_DISABLE_FEATURE, &noRedirects, sizeof(noRedirects)) ||
      !WinHttpSetOption(request, WINHTTP_OPTION_CONNECT_TIMEOUT, &answerLimit, sizeof(answerLimit)) ||
      !WinHttpSetOption(request, WINHTTP_OPTION_RECEIVE_RESPONSE_TIMEOUT, &answerLimit, sizeof(answerLimit)))
    return failed(WebSocketWait::failed);

  const std::wstring header = L"Sec-WebSocket-Protocol: " + wide(subprotocol);
  if (!WinHttpSendRequest(request, header.c_str(), static_cast<DWORD>(-1L), WINHTTP_NO_REQUEST_DATA, 0, 0,
                          reinterpret_cast<DWORD_PTR>(session)))
    return failed(WebSocketWait::failed);
  WebSocketWait wait = waitFor(session->requestDone.get(), interrupt_.get(), nullptr, until);
  if (wait != WebSocketWait::done || session->requestError != 0) return failed(wait);

  if (!WinHttpReceiveResponse(request, nullptr)) return failed(WebSocketWait::failed);
  wait = waitFor(session->requestDone.get(), interrupt_.get(), nullptr, until);
  if (wait != WebSocketWait::done || session->requestError != 0) return failed(wait);

  DWORD statusCode = 0;
  DWORD size = sizeof(statusCode);
  if (!WinHttpQueryHeaders(request, WINHTTP_QUERY_STATUS_CODE | WINHTTP_QUERY_FLAG_NUMBER, WINHTTP_HEADER_NAME_BY_INDEX,
                           &statusCode, &size, WINHTTP_NO_HEADER_INDEX) ||
      statusCode != HTTP_STATUS_SWITCH_PROTOCOLS)
    return failed(WebSocketWait::notWebSocket);

  HINTERNET webSocket = WinHttpWebSocketCompleteUpgrade(request, reinterpret_cast<DWORD_PTR>(session));
  if (!webSocket) return failed(WebSocketWait::notWebSocket);
  session->webSocket = webSocket;
  session->adopt(webSocket);
  closeHandle(session->request);
  return WebSocketWait::done;
}

WebSocketWait WinHttpWebSocket::send(const std::string& text, Limit limit) {
  const Clock::time_point until = Clock::now() + limit;
  Session* session = session_;
  if (!session || !session->webSocket || session->sendPending || session->peerClosed) return WebSocketWait::failed;
  session->sendBuffer = text;
  session->sendPending = true;
  if (WinHttpWebSocketSend(session->webSocket, WINHTTP_WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE,
                           session->sendBuffer.empty() ? nullptr : session->sendBuffer.data(),
                           static_cast<DWORD>(session->sendBuffer.size())) != NO_ERROR) {
    session->sendPending = false;
    return WebSocketWait::failed;
  }
  const WebSocketWait wait = waitFor(session->sent.get(), interrupt_.get(), nullptr, until);
  if (wait != WebSocketWait::done) return wait;
  session->sendPending = false;
  return session->sendError == 0 ? WebSocketWait::done : WebSocketWait::failed;
}

WebSocketReceived WinHttpWebSocket::receive(Limit limit, bool wakeable) {
  const Clock::time_point until = Clock::now() + limit;
  WebSocketReceived received;
  Session* session = session_;
  if (!session || !session->webSocket || session->peerClosed) return received;
  for (;;) {
    if (!session->receivePending) {
      if (WinHttpWebSocketReceive(session->webSocket, session->receiveBuffer.data(),
                                  static_cast<DWORD>(session->receiveBuffer.size()), nullptr,
                                  nullptr) != NO_ERROR)
        return received;
      session->receivePending = true;
    }
    received.wait = waitFor(session->received.get(), interrupt_.get(), wakeable ? wake_.get() : nullptr, until);
    if (received.wait != WebSocketWait::done) return received;
    session->receivePending = false;
    if (session->receiveError != 0) {
      received.wait = WebSocketWait::failed;
      return received;
    }
    const DWORD bytes = std::min<DWORD>(session->receivedBytes, static_cast<DWORD>(session->receiveBuffer.size()));
    if (session->partial.size() + bytes > kWebSocketMaxMessage) {
      session->partial.clear();
      session->partial.shrink_to_fit();
      received.wait = WebSocketWait::tooLarge;
      return received;
    }
    switch (session->receivedType.load()) {
      case WINHTTP_WEB_SOCKET_UTF8_FRAGMENT_BUFFER_TYPE:
        session->partial.append(session->receiveBuffer.data(), bytes);
        continue;
      case WINHTTP_WEB_SOCKET_UTF8_MESSAGE_BUFFER_TYPE:
        session->partial.append(session->receiveBuffer.data(), bytes);
        received.text = std::move(session->partial);
        session->partial.clear();
        return received;
      case WINHTTP_WEB_SOCKET_CLOSE_BUFFER_TYPE: {
        session->peerClosed = true;
        USHORT code = 0;
        char reason[WINHTTP_WEB_SOCKET_MAX_CLOSE_REASON_LENGTH] = {};
        DWORD reasonLength = 0;
        if (WinHttpWebSocketQueryCloseStatus(session->webSocket, &code, reason, sizeof(reason), &reasonLength) ==
            NO_ERROR)
          received.closeCode = code;
        received.wait = WebSocketWait::closed;
        return received;
      }
      default:
        // OBS speaks JSON in text messages only; anything binary is not
        // for this client.
        session->partial.clear();
        continue;
    }
  }
}

void WinHttpWebSocket::close(Limit limit) {
  Session* session = std::exchange(session_, nullptr);
  if (!session) return;
  const Clock::time_point until = Clock::now() + limit;
  if (HINTERNET webSocket = session->webSocket.load(); webSocket && limit.count() > 0 && !session->sendPending) {
    // Sends the close frame without waiting for the peer's answer, which a
    // hung OBS never gives.
    if (WinHttpWebSocketShutdown(webSocket, WINHTTP_WEB_SOCKET_SUCCESS_CLOSE_STATUS, nullptr, 0) == NO_ERROR)
      WaitForSingleObject(session->closeDone.get(), millisecondsUntil(until));
  }
  // Closing a handle cancels what is pending on it: its callbacks still
  // come, to a session that lives until the last of them.
  closeHandle(session->webSocket);
  closeHandle(session->request);
  closeHandle(session->connection);
  closeHandle(session->internet);
  // A moment for the last callbacks, even past the limit, but not past an
  // interrupt: quit's deadline is then at hand. A handle still open after
  // it may call back at any time (WinHTTP under Wine keeps a request to a
  // peer that never answers until its own time-out): this module then stays
  // loaded for the rest of the process, so that no callback runs code that
  // is gone.
  constexpr DWORD kCallbacksEnd = 100;
  if (session->openHandles.load() > 0) {
    const bool interrupted = WaitForSingleObject(interrupt_.get(), 0) == WAIT_OBJECT_0;
    const DWORD wait = interrupted ? millisecondsUntil(until) : std::max(millisecondsUntil(until), kCallbacksEnd);
    if (WaitForSingleObject(session->handlesClosed.get(), wait) != WAIT_OBJECT_0) pinThisModule();
  }
  session->release();
}

void WinHttpWebSocket::interrupt() { SetEvent(interrupt_.get()); }
void WinHttpWebSocket::clearInterrupt() { ResetEvent(interrupt_.get()); }
void WinHttpWebSocket::wake() { SetEvent(wake_.get()); }

}  // namespace tavrik
