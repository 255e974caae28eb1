// The hook on a real window: the host's requests come back through it, the
// handling runs before the host sees its new title, every message reaches
// the former procedure unchanged, and nothing thrown escapes into the host.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "pipeline/host_window_win32.h"
#include "pipeline/title_change_handler.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

struct Received {
  UINT message;
  WPARAM wParam;
  LPARAM lParam;
};
std::vector<Received> received;
std::vector<std::string> playlist;
LRESULT currentIndex = 0;

// A host window that answers the two playlist requests as the player does.
LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  // The window manager's own traffic (painting, sizing) is not of interest.
  if (message == WM_USER || message == WM_SETTEXT || message == WM_APP) {
    received.push_back({message, wParam, lParam});
  }
  if (message == WM_USER && lParam == IPC_GETLISTPOS) return currentIndex;
  if (message == WM_USER && lParam == IPC_GETPLAYLISTFILE) {
    return wParam < playlist.size() ? reinterpret_cast<LRESULT>(playlist[wParam].c_str()) : 0;
  }
  if (message == WM_APP) return 0x1234;
  return DefWindowProcA(window, message, wParam, lParam);
}

// Another module's subclass, put on after ours, passing everything on.
WNDPROC beforeLaterSubclass = nullptr;
LRESULT CALLBACK laterSubclass(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return CallWindowProcA(beforeLaterSubclass, window, message, wParam, lParam);
}

// The handling as the shell runs it: the host's answers, recorded.
struct RecordingHandling {
  explicit RecordingHandling(HWND host) : requests(host) {}
  void operator()() {
    if (fail) throw std::runtime_error("the handling failed");
    TitleChange change = handler.onTitleChange(false);
    if (change.track) paths.push_back(change.track->path);
  }
  Win32HostRequests requests;
  TitleChangeHandler handler{requests};
  std::vector<AnsiOrWide> paths;
  bool fail = false;
};

class HostWindowHookTest : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSA wc = {};
    wc.lpfnWndProc = hostProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavrikTestHost";
    RegisterClassA(&wc);
    host = CreateWindowA("TavrikTestHost", "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                         nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(host);
    playlist = {"C:\\music\\one.mp3", "C:\\music\\two.mp3"};
    currentIndex = 0;
    received.clear();
  }
  void TearDown() override {
    releaseHostWindow(host);
    DestroyWindow(host);
  }
  std::string titleOfHost() {
    char title[64] = {};
    GetWindowTextA(host, title, sizeof title);
    return title;
  }

  // Hooks the window and runs `handling` at each WM_SETTEXT.
  void hook(RecordingHandling& handling) {
    installHostWindowHook(host);
    setTitleChangeHandling([&handling] { handling(); });
  }

  HWND host = nullptr;
};

TEST_F(HostWindowHookTest, ATitleChangeRunsTheHandlingThenReachesTheHost) {
  RecordingHandling handling(host);
  hook(handling);

  LRESULT answer = SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1. one"));
  EXPECT_EQ(answer, TRUE);
  EXPECT_EQ(handling.paths, std::vector<AnsiOrWide>{"C:\\music\\one.mp3"});
  EXPECT_EQ(titleOfHost(), "1. one");
  // The requests went through the hook to the host, then the title: this
  // host knows no wide path (0), so the ANSI one is asked for.
  ASSERT_EQ(received.size(), 4u);
  EXPECT_EQ(received[0].lParam, IPC_GETLISTPOS);
  EXPECT_EQ(received[1].lParam, IPC_GETPLAYLISTFILEW);
  EXPECT_EQ(received[2].lParam, IPC_GETPLAYLISTFILE);
  EXPECT_EQ(received[2].wParam, 0u);
  EXPECT_EQ(received[3].message, static_cast<UINT>(WM_SETTEXT));

  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1. one [paused]"));
  currentIndex = 1;
  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2. two"));
  EXPECT_EQ(handling.paths, (std::vector<AnsiOrWide>{"C:\\music\\one.mp3", "C:\\music\\two.mp3"}));
  EXPECT_TRUE(releaseHostWindow(host));
}

TEST_F(HostWindowHookTest, AFailureInTheHandlingStaysInTheHookAndTheTitleStillReachesTheHost) {
  RecordingHandling handling(host);
  hook(handling);
  handling.fail = true;

  LRESULT answer = SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1. one"));
  EXPECT_EQ(answer, TRUE);
  ASSERT_FALSE(received.empty());
  EXPECT_EQ(received.back().message, static_cast<UINT>(WM_SETTEXT));
  EXPECT_EQ(titleOfHost(), "1. one");

  // The handling is ready for the next track.
  handling.fail = false;
  currentIndex = 1;
  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2. two"));
  EXPECT_EQ(handling.paths, std::vector<AnsiOrWide>{"C:\\music\\two.mp3"});
  EXPECT_EQ(titleOfHost(), "2. two");
}

TEST_F(HostWindowHookTest, HookingTwiceHooksOnceAndTheHostStillAnswers) {
  RecordingHandling handling(host);
  hook(handling);
  installHostWindowHook(host);  // a second init would do this
  EXPECT_EQ(SendMessageA(host, WM_APP, 0, 0), 0x1234) << "a hook in front of itself never returns";
  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1. one"));
  EXPECT_EQ(handling.paths, std::vector<AnsiOrWide>{"C:\\music\\one.mp3"}) << "the handling ran once";
  EXPECT_TRUE(releaseHostWindow(host));
  EXPECT_EQ(GetWindowLongPtrA(host, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&hostProcedure));
}

TEST_F(HostWindowHookTest, OtherMessagesPassUnchangedWithTheirAnswers) {
  installHostWindowHook(host);
  EXPECT_EQ(SendMessageA(host, WM_APP, 7, 9), 0x1234);
  ASSERT_EQ(received.size(), 1u);
  EXPECT_EQ(received[0].message, static_cast<UINT>(WM_APP));
  EXPECT_EQ(received[0].wParam, 7u);
  EXPECT_EQ(received[0].lParam, 9);
  // Without a handler a title change only reaches the host.
  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("x"));
  EXPECT_EQ(received.size(), 2u);
  EXPECT_TRUE(releaseHostWindow(host));
}

TEST_F(HostWindowHookTest, ReleasingRestoresOnlyWhileTheHookIsStillTheProcedure) {
  installHostWindowHook(host);
  EXPECT_TRUE(releaseHostWindow(host));
  EXPECT_EQ(GetWindowLongPtrA(host, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&hostProcedure));

  RecordingHandling handling(host);
  hook(handling);
  beforeLaterSubclass = reinterpret_cast<WNDPROC>(
      SetWindowLongPtrA(host, GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(&laterSubclass)));
  EXPECT_FALSE(releaseHostWindow(host));
  EXPECT_EQ(GetWindowLongPtrA(host, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&laterSubclass));
  EXPECT_EQ(SendMessageA(host, WM_APP, 0, 0), 0x1234) << "the chain still works";
  // What stays in the chain only passes messages on: the pipeline has stopped.
  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1. one"));
  EXPECT_TRUE(handling.paths.empty());
  EXPECT_EQ(titleOfHost(), "1. one");
}

// A host whose main window is a Unicode window, answering the wide path.
const wchar_t kWidePath[] = L"C:\\\uC74C\uC545\\Beyonc\u00E9.mp3";
LRESULT CALLBACK unicodeHostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && lParam == IPC_GETLISTPOS) return 0;
  if (message == WM_USER && lParam == IPC_GETPLAYLISTFILEW) return reinterpret_cast<LRESULT>(kWidePath);
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST(HostWindowHookOnAUnicodeWindow, TheHostsTitleArrivesWholeAndTheHookLeavesAsItCame) {
  WNDCLASSW wc = {};
  wc.lpfnWndProc = unicodeHostProcedure;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TavrikUnicodeTestHost";
  RegisterClassW(&wc);
  HWND host = CreateWindowW(wc.lpszClassName, L"host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                            nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(host);
  ASSERT_TRUE(IsWindowUnicode(host));
  RecordingHandling handling(host);
  installHostWindowHook(host);
  setTitleChangeHandling([&handling] { handling(); });
  EXPECT_TRUE(IsWindowUnicode(host)) << "the hook must not make the host's window an ANSI one";

  // "Beyoncé", Hangul, "♡" and an emoji: none of them is in code page 932.
  const wchar_t* title = L"1. Beyonc\u00E9 \uD55C\uAD6D\uC5B4 \u2661 \U0001F3B5 - Winamp";
  SendMessageW(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title));
  wchar_t shown[128] = {};
  GetWindowTextW(host, shown, 128);
  EXPECT_EQ(std::wstring(shown), title);
  EXPECT_EQ(handling.paths, std::vector<AnsiOrWide>{reinterpret_cast<const char16_t*>(kWidePath)});

  EXPECT_TRUE(releaseHostWindow(host));
  EXPECT_EQ(GetWindowLongPtrW(host, GWLP_WNDPROC), reinterpret_cast<LONG_PTR>(&unicodeHostProcedure));
  EXPECT_TRUE(IsWindowUnicode(host));
  DestroyWindow(host);
}

}  // namespace
}  // namespace tavrik
