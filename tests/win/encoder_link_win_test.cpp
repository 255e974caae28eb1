// The delivery into a real encoder-shaped program running beside the test:
// the stand-in encoder logs every message its windows get from outside.
#include <gtest/gtest.h>

#include <atomic>
#include <sstream>
#include <thread>
#include <vector>

#include "common/file_system_win32.h"
#include "common/win32_handles.h"
#include "pipeline/encoder_link.h"
#include "pipeline/host_requests_win32.h"
#include "pipeline/host_window_hook_win32.h"
#include "pipeline/window_ops_win32.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::Lines;
using testing::StandinEncoder;
using testing::wholeDelivery;
using testing::operator+;

// Counts the messages that really went out through the adapter.
struct CountingWindowOps : WindowOps {
  Win32WindowOps real;
  int sends = 0;
  WindowHandle findTopLevel(const char* className) override { return real.findTopLevel(className); }
  WindowHandle findChild(WindowHandle parent, WindowHandle after, const char* className,
                         const char* name) override {
    return real.findChild(parent, after, className, name);
  }
  bool send(WindowHandle window, unsigned message, std::uintptr_t wParam,
            std::intptr_t lParam) override {
    ++sends;
    return real.send(window, message, wParam, lParam);
  }
};

class EncoderLinkWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    // The Script panel's name is searched by its code page 932 bytes.
    ASSERT_EQ(GetACP(), 932u);
    ASSERT_EQ(FindWindowA("MS Windows Media Encoder", nullptr), nullptr)
        << "an encoder from an earlier test is still running";
  }
  CountingWindowOps windows;
  EncoderLink link{windows};
};

TEST_F(EncoderLinkWinTest, TheTextReachesTheScriptPanelBetweenTwoClicks) {
  StandinEncoder encoder("whole", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  // Japanese with a trail byte that is a backslash, half-width kana, markup.
  const std::string text =
      "<p class=\"t\">\x95\x5c\x8e\xa6 \x83X\x83N\x83\x8a\x83v\x83g \xb1\xb2 &amp; 'a' \\ end</p>";
  link.deliverToEncoder(text);
  link.deliverToEncoder("");
  EXPECT_EQ(encoder.messages(), wholeDelivery(text) + wholeDelivery(""));
  EXPECT_EQ(windows.sends, 10);
}

TEST_F(EncoderLinkWinTest, NothingIsSentWhenTheEncoderIsNotRunning) {
  link.deliverToEncoder("text");
  EXPECT_EQ(windows.sends, 0);
}

TEST_F(EncoderLinkWinTest, NothingIsSentIntoABrokenLayout) {
  for (const char* layout : {"--missing-level 2", "--missing-level 3", "--missing-level 4",
                             "--missing-level 5", "--controls 0", "--controls 1", "--controls 2",
                             "--controls 3", "--controls 4", "--controls 5"}) {
    SCOPED_TRACE(layout);
    windows.sends = 0;
    StandinEncoder encoder("broken", layout);
    ASSERT_TRUE(encoder.waitUntilReady());
    link.deliverToEncoder("text");
    EXPECT_EQ(windows.sends, 0);
    // Sends are synchronous: anything sent would be in the log by now.
    EXPECT_EQ(encoder.lines(), Lines{"ready"});
  }
}

TEST_F(EncoderLinkWinTest, AHungEncoderCostsOneTimeOutAndTheNextTrackArrivesWhole) {
  // The encoder stops answering for four seconds when the text arrives.
  StandinEncoder encoder("hung", "--hang 4 --hang-on 3");
  ASSERT_TRUE(encoder.waitUntilReady());
  ULONGLONG start = GetTickCount64();
  link.deliverToEncoder("one");
  ULONGLONG took = GetTickCount64() - start;
  // Back well before the encoder answers again; the last click is dropped.
  EXPECT_LT(took, 3000u);
  const Lines one = wholeDelivery("one");
  const Lines firstThree(one.begin(), one.begin() + 3);
  EXPECT_EQ(encoder.messages(), firstThree);
  EXPECT_EQ(windows.sends, 3);

  ASSERT_TRUE(encoder.waitFor("resumed", 10000));
  // The encoder answers again: the next track goes through whole.
  link.deliverToEncoder("two");
  EXPECT_EQ(encoder.messages(), firstThree + wholeDelivery("two"));
}

// The host: answers the playlist requests, records the titles it is given.
std::vector<std::string> playlist;
std::atomic<LRESULT> currentIndex{0};
std::vector<std::string> titles;

LRESULT CALLBACK hostProcedure(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_USER && lParam == IPC_GETLISTPOS) return currentIndex;
  if (message == WM_USER && lParam == IPC_GETPLAYLISTFILE) {
    return wParam < playlist.size() ? reinterpret_cast<LRESULT>(playlist[wParam].c_str()) : 0;
  }
  if (message == WM_SETTEXT) titles.push_back(reinterpret_cast<const char*>(lParam));
  return DefWindowProcA(window, message, wParam, lParam);
}

struct TitleAsTags : TagSource {
  std::optional<TrackTags> readTrackTags(const std::string& path) override {
    return TrackTags{path, "a", "b", "c", "d"};
  }
};

TEST_F(EncoderLinkWinTest, ATrackChangeDuringADeliveryLeavesTheNewerTextLast) {
  WNDCLASSA wc = {};
  wc.lpfnWndProc = hostProcedure;
  wc.hInstance = GetModuleHandleA(nullptr);
  wc.lpszClassName = "TavrikEncoderTestHost";
  RegisterClassA(&wc);
  HWND host = CreateWindowA(wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                            nullptr, wc.hInstance, nullptr);
  ASSERT_TRUE(host);
  playlist = {"C:\\music\\one.mp3", "C:\\music\\two.mp3"};
  currentIndex = 0;
  titles.clear();
  std::string folder = testing::freshFolder("nested-host");
  testing::writeFileBytes(folder + "\\default.html", "<p>#TITLE</p>");
  Win32FileSystem files;
  RuleList rules;
  TitleAsTags tags;
  Win32HostRequests requests(host);
  TemplateRenderer renderer(rules, files, folder + "\\default.html");
  TitleChangeHandler handler(requests, tags, renderer, link);
  installHostWindowHook(host);
  setTitleChangeHandler(&handler);
  // The hook must not outlive the handler, whatever fails below.
  struct Unhook {
    HWND host;
    ~Unhook() {
      releaseHostWindow(host);
      DestroyWindow(host);
    }
  } unhook{host};

  // Slow enough that the player's other thread retitles the window while
  // the first track's delivery still waits for the encoder.
  StandinEncoder encoder("nested", "--slow 300");
  ASSERT_TRUE(encoder.waitUntilReady());
  std::atomic<bool> retitled{false};
  std::thread playbackThread([&] {
    if (!encoder.waitFor("c1 0201 1 10001", 10000)) return;
    currentIndex = 1;
    DWORD_PTR answer = 0;
    retitled = SendMessageTimeoutA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2. two"),
                                   SMTO_NORMAL, 10000, &answer) != 0;
  });
  SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("1. one"));
  playbackThread.join();

  EXPECT_TRUE(retitled);
  // The newer title was handled while the older track's delivery waited.
  EXPECT_EQ(titles, (std::vector<std::string>{"2. two", "1. one"}));
  EXPECT_EQ(encoder.messages(),
            wholeDelivery("<p>C:\\music\\one.mp3</p>") + wholeDelivery("<p>C:\\music\\two.mp3</p>"));
  EXPECT_EQ(handler.lastFilePath(), "C:\\music\\two.mp3");
}

}  // namespace
}  // namespace tavrik
