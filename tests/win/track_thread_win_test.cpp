// A host window with the hook, the title-change handling and the plug-in's
// thread in front of the stand-in encoder: the host's retitles never wait for
// the encoder, and whatever the encoder's pace, the newest track's text is
// the last one it gets.
#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <functional>
#include <thread>
#include <vector>

#include "common/code_page_win32.h"
#include "common/files_win32.h"
#include "common/module_services_win32.h"
#include "cover/cover_files_win32.h"
#include "obs/obs_hashing_win32.h"
#include "obs/web_socket_win32.h"
#include "overlay/overlay_server.h"
#include "pipeline/encoder_link.h"
#include "pipeline/host_window_win32.h"
#include "pipeline/window_ops_win32.h"
#include "plugin/track_thread.h"

#include "caption/caption_writer.h"
#include "caption/cover_reader.h"
#include "caption/cover_writer.h"
#include "caption/obs_feed.h"
#include "caption/overlay_feed.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::StandinEncoder;
using testing::wholeDelivery;
using testing::operator+;
using Clock = std::chrono::steady_clock;

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

// A tag library that gives every file its path as its title.
class PathAsTitle : public TagLibrary {
 public:
    TagLibraryBinding bind(const char*) override { return TagLibraryBinding::bound; }
    void release() override {}
    std::uint32_t getVer() override { return 0x227; }
    std::uint32_t load(WindowHandle, const char* path) override {
      path_ = path;
      return 0;
    }
    std::uint32_t getType() override { return 2; }
    bool getValue(const char* key, const char** value) override {
      *value = std::string(key) == "INAM" ? path_.c_str() : "x";
      return true;
    }
    std::uint32_t mp3GetTagType() override { return 0; }
    bool hasWideEntries() override { return false; }
    std::uint32_t loadWide(WindowHandle, const char16_t*) override { return 1; }
    bool getValueWide(const char16_t*, const char16_t**) override { return false; }

   private:
    std::string path_;
};

std::string textOf(const std::string& path) { return "<p>" + path + "</p>"; }

// Dispatches this thread's messages, as the host's message loop would, until
// `done` or five seconds have passed.
bool dispatchUntil(const std::function<bool()>& done) {
  for (ULONGLONG end = GetTickCount64() + 5000; GetTickCount64() < end;) {
    if (done()) return true;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&message);
  }
  return done();
}

class TrackThreadWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u);
    WNDCLASSA wc = {};
    wc.lpfnWndProc = hostProcedure;
    wc.hInstance = GetModuleHandleA(nullptr);
    wc.lpszClassName = "TavrikDeliveryTestHost";
    RegisterClassA(&wc);
    host = CreateWindowA(wc.lpszClassName, "host", WS_OVERLAPPEDWINDOW, 0, 0, 100, 100, nullptr,
                         nullptr, wc.hInstance, nullptr);
    ASSERT_TRUE(host);
    playlist.clear();
    for (int i = 0; i < 10; ++i) playlist.push_back("C:\\music\\" + std::to_string(i) + ".mp3");
    currentIndex = 0;
    titles.clear();
    std::string folder = testing::freshFolder("track-thread-host");
    testing::writeFileBytes(folder + "\\default.html", "<p>#TITLE</p>");
    renderer = std::make_unique<TemplateRenderer>(files, codePage, folder + "\\default.html");
    requests = std::make_unique<Win32HostRequests>(host);
    handler = std::make_unique<TitleChangeHandler>(*requests);
    ASSERT_TRUE(tags.bindTagLibrary());
    thread = std::make_unique<TrackThread>(
        tags, rules, *renderer, link, caption,
        TrackThread::Outputs{&coverReader, &coverWriter, &obsFeed, &overlayFeed, &captionWriter});
    thread->start();
    installHostWindowHook(host);
    setTitleChangeHandling([this] { thread->take(handler->onTitleChange(false)); });
  }
  void TearDown() override {
    setTitleChangeHandling(nullptr);
    thread->finish(Clock::now() + std::chrono::seconds(2));
    releaseHostWindow(host);
    DestroyWindow(host);
  }
  void retitle(const std::string& title) {
    SendMessageA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>(title.c_str()));
  }

  HWND host = nullptr;
  Win32Files files;
  Win32CodePage codePage;
  Win32ModuleServices services{nullptr};
  RulesInForce rules;
  PathAsTitle loader;
  TagReader tags{loader, services, codePage, nullptr};
  Win32WindowOps windows;
  EncoderLink link{windows};
  CaptionState caption;
  CaptionWriter captionWriter{caption, files, codePage};
  Win32CoverFiles pictures;
  CoverReader coverReader{caption, pictures, codePage};
  CoverWriter coverWriter{caption, files, pictures, codePage};
  WindowsObsHashing hashing;
  ObsOutput obs{std::make_unique<WinHttpWebSocket>(), hashing};  // off: never connects
  ObsFeed obsFeed{caption, coverWriter, obs, files, codePage};
  OverlayServer overlay;
  OverlayFeed overlayFeed{caption, overlay, files, codePage};
  std::unique_ptr<TemplateRenderer> renderer;
  std::unique_ptr<TrackThread> thread;
  std::unique_ptr<Win32HostRequests> requests;
  std::unique_ptr<TitleChangeHandler> handler;
};

TEST_F(TrackThreadWinTest, TenQuickTrackChangesToASlowEncoderNeverWaitAndEndWithTheNewest) {
  StandinEncoder encoder("slow", "--slow 200");
  ASSERT_TRUE(encoder.waitUntilReady());
  ULONGLONG slowest = 0;
  for (int i = 0; i < 10; ++i) {
    currentIndex = i;
    ULONGLONG start = GetTickCount64();
    retitle(std::to_string(i + 1) + ". track");
    slowest = std::max(slowest, GetTickCount64() - start);
  }
  // A retitle that waited for a delivery would take a second: five answers.
  EXPECT_LT(slowest, 500u);
  EXPECT_EQ(titles.size(), 10u);

  ASSERT_TRUE(encoder.waitFor("c5 000c 0 text:" + testing::hexBytes(textOf(playlist[9])), 20000));
  thread->finish(Clock::now() + std::chrono::seconds(5));
  std::vector<std::string> texts = encoder.texts();
  ASSERT_FALSE(texts.empty());
  EXPECT_EQ(texts.back(), textOf(playlist[9]));
  EXPECT_LT(texts.size(), 10u) << "texts that had not started were dropped";
  // Dropped texts are allowed; an older one after a newer one is not.
  std::vector<std::string> inOrder;
  for (const std::string& path : playlist) {
    if (std::count(texts.begin(), texts.end(), textOf(path))) inOrder.push_back(textOf(path));
  }
  EXPECT_EQ(texts, inOrder);
  std::vector<std::string> messages = encoder.messages();
  std::vector<std::string> last = wholeDelivery(textOf(playlist[9]));
  ASSERT_GE(messages.size(), last.size());
  EXPECT_EQ(std::vector<std::string>(messages.end() - last.size(), messages.end()), last);
}

TEST_F(TrackThreadWinTest, ARetitleFromAnotherThreadDuringADeliveryLeavesTheNewerTextLast) {
  StandinEncoder encoder("nested", "--slow 300");
  ASSERT_TRUE(encoder.waitUntilReady());
  // The player's other thread retitles the window while the first track's
  // delivery still waits for the encoder.
  std::atomic<bool> retitled{false};
  std::thread playbackThread([&] {
    if (!encoder.waitFor("c1 0201 1 10001", 10000)) return;
    currentIndex = 1;
    DWORD_PTR answer = 0;
    retitled = SendMessageTimeoutA(host, WM_SETTEXT, 0, reinterpret_cast<LPARAM>("2. two"),
                                   SMTO_NORMAL, 10000, &answer) != 0;
  });
  retitle("1. one");
  EXPECT_TRUE(dispatchUntil([&] { return retitled.load(); }));
  playbackThread.join();

  EXPECT_EQ(titles, (std::vector<std::string>{"1. one", "2. two"}));
  thread->finish(Clock::now() + std::chrono::seconds(5));
  EXPECT_EQ(encoder.messages(), wholeDelivery(textOf(playlist[0])) + wholeDelivery(textOf(playlist[1])));
}

}  // namespace
}  // namespace tavrik
