// The overlay page of the whole plug-in in the stand-in player, as a real
// browser shows it: headless Chromium on this machine, driven over its
// DevTools protocol by tests/overlay/page_watch.py, reads the page the DLL
// serves under Wine. Every track's text exactly, the idle text on stop, two
// pages at once; show_for hides and the next track shows again; a page
// opened late and a player restarted show the current caption; hostile
// requests are refused or bounded while every other output gets every
// track; a taken port shows in the status line.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "common/code_page_win32.h"
#include "common/unicode_codec.h"
#include "obs_fixture.h"
#include "page_watcher.h"
#include "player_folder.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using namespace testing::obs;
using testing::audio;
using testing::obsTool;
using testing::overlayTool;
using testing::PageWatcher;
using testing::Seen;
using testing::contains;
using testing::Lines;
using testing::PlayerFolder;
using testing::readFileBytes;
using testing::StandinEncoder;
using testing::valueIn;
using testing::windowsPath;
using testing::writeFileBytes;

std::string utf8Audio(const std::string& utf8Name) {
  return encodeUtf8(Win32CodePage().toWide(audio(""))) + utf8Name;
}

// The four tracks through the page's template "#ARTIST - #TITLE", as the
// element's text shows them, and the idle text.
const std::vector<std::string> kTrackTexts = {
    "Tom & Jerry - Rock & Roll <Live> \"x\"",
    "\xE6\xAD\x8C\xE6\x89\x8B - \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\xE6\x9B\xB2",
    encodeUtf8(u"\uC544\uC774\uC720 - \uC548\uB155\uD558\uC138\uC694 \U0001F3B5"),
    encodeUtf8(u"Caf\u00E9 \u2661 - \u2661 Love \U0001F600")};
const std::string kIdleText = encodeUtf8(u"\u266A Back soon \u266A");

// Its own port beside the fixture's OBS, so that both builds can run at once.
int overlayPort() { return std::stoi(obsAddress().substr(obsAddress().rfind(':') + 1)) + 70; }
std::string pageAddress() { return "http://127.0.0.1:" + std::to_string(overlayPort()) + "/"; }

// The texts one tab showed, each change once, with its class.
std::vector<std::pair<std::string, std::string>> shownIn(const std::vector<Seen>& seen, int tab) {
  std::vector<std::pair<std::string, std::string>> shown;
  for (const Seen& s : seen) {
    if (s.tab != tab || s.text.empty()) continue;
    std::pair<std::string, std::string> now{s.text, s.state};
    if (shown.empty() || shown.back() != now) shown.push_back(now);
  }
  return shown;
}

bool shows(const std::vector<std::pair<std::string, std::string>>& shown, const std::string& text,
           const std::string& state) {
  return std::find(shown.begin(), shown.end(), std::make_pair(text, state)) != shown.end();
}

// A player whose plug-in serves the page, with `extra` keys in [overlay],
// and `caption` keys and `more` sections before it.
struct OverlayPlayer {
  OverlayPlayer(const std::string& name, const std::string& extra = "", const std::string& caption = "",
                const std::string& more = "")
      : player(name) {
    writeFileBytes(player.ruleFile, "");
    writeFileBytes(player.plugins + "\\default.html", "#TITLE");
    writeFileBytes(player.folder + "\\page.html", "#ARTIST - #TITLE");
    writeFileBytes(player.folder + "\\look.css", "#caption { color: white; }");
    writeFileBytes(player.folder + "\\idle.txt", "\xEF\xBB\xBF" + kIdleText);
    const std::string ini = "[caption]\r\nidle_template=" + player.folder + "\\idle.txt\r\n" + caption + more +
                            "[overlay]\r\nport=" + std::to_string(overlayPort()) + "\r\ntemplate=" + player.folder +
                            "\\page.html\r\nstyle=" + player.folder + "\\look.css\r\n" + extra;
    writeFileBytes(player.plugins + "\\gen_tavrik.ini", "\xFF\xFE" + encodeUtf16Le(decodeUtf8(ini)));
    player.utf8Playlist({utf8Audio("markup.mp3"), utf8Audio("v24_japanese.mp3"),
                         utf8Audio(encodeUtf8(u"\uB178\uB798.mp3")), utf8Audio("emoji.mp3")});
  }
  long quitMs() const { return player.when("quit gen_tavrik.dll returned") - player.when("quit gen_tavrik.dll called"); }
  PlayerFolder player;
};

class OverlayEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u);
    ASSERT_FALSE(fixtureUnix().empty()) << "the fixture's folder is not set";
  }
};

TEST_F(OverlayEndToEnd, EveryTrackExactlyAndTheIdleTextOnStopOnTwoPagesAtOnce) {
  PageWatcher watcher(pageAddress(), "tracks", 2);
  OverlayPlayer run("overlay-tracks");
  EXPECT_EQ(run.player.runHost("play:0 wait:2500 play:1 wait:700 play:2 wait:700 play:3 wait:700 stop wait:700 exit"),
            0);
  const std::vector<Seen> seen = watcher.stop();
  for (int tab : {0, 1}) {
    SCOPED_TRACE(tab);
    const auto shown = shownIn(seen, tab);
    for (const std::string& text : kTrackTexts) EXPECT_TRUE(shows(shown, text, "caption.playing")) << text;
    EXPECT_TRUE(shows(shown, kIdleText, "caption.stopped")) << ::testing::PrintToString(shown);
    ASSERT_FALSE(shown.empty());
    EXPECT_EQ(shown.back().first, kIdleText) << "the last caption is the idle one";
  }
  EXPECT_LE(run.quitMs(), 2000);
}

TEST_F(OverlayEndToEnd, ShowForHidesTheCaptionAndTheNextTrackShowsAgain) {
  PageWatcher watcher(pageAddress(), "show-for");
  OverlayPlayer run("overlay-show-for", "show_for=1\r\n");
  // The page is open before the track starts, so that it sees the caption
  // come when it comes.
  EXPECT_EQ(run.player.runHost("wait:3000 play:0 wait:3000 play:1 wait:700 exit"), 0);
  const std::vector<Seen> seen = watcher.stop();
  long long shownAt = 0, hiddenAt = 0, nextAt = 0;
  for (const Seen& s : seen) {
    if (s.text == kTrackTexts[0] && s.state == "caption.playing" && !shownAt) shownAt = s.us;
    if (s.text == kTrackTexts[0] && s.state == "caption.hidden" && !hiddenAt) hiddenAt = s.us;
    if (s.text == kTrackTexts[1] && s.state == "caption.playing" && !nextAt) nextAt = s.us;
  }
  ASSERT_GT(shownAt, 0);
  ASSERT_GT(hiddenAt, 0) << "never hidden";
  ASSERT_GT(nextAt, hiddenAt) << "the next track did not show again";
  EXPECT_GE(hiddenAt - shownAt, 900000);
  EXPECT_LE(hiddenAt - shownAt, 1300000) << "hidden one second after it showed";
}

TEST_F(OverlayEndToEnd, APageOpenedLateAndAPlayerRestartedShowTheCurrentCaptionAtOnce) {
  std::unique_ptr<PageWatcher> watcher;
  {
    OverlayPlayer first("overlay-late");
    first.player.whileRunning = [&] {
      Sleep(2500);
      watcher = std::make_unique<PageWatcher>(pageAddress(), "late");
      EXPECT_TRUE(watcher->waitUntilWatching());
    };
    EXPECT_EQ(first.player.runHost("play:0 wait:8000 exit"), 0);
  }
  // The player starts again, with the page still open: it reconnects.
  OverlayPlayer second("overlay-restarted");
  EXPECT_EQ(second.player.runHost("play:1 wait:4000 exit"), 0);
  ASSERT_TRUE(watcher);
  const auto shown = shownIn(watcher->stop(), 0);
  ASSERT_FALSE(shown.empty());
  EXPECT_EQ(shown.front(), std::make_pair(kTrackTexts[0], std::string("caption.playing")))
      << "the late page's first caption is the one playing";
  EXPECT_TRUE(shows(shown, kTrackTexts[1], "caption.playing")) << ::testing::PrintToString(shown);
}

// What tests/overlay/hostile_http.py found, `key=value` lines.
Lines hostile(const std::string& arguments) {
  const std::string out = fixtureUnix() + "/hostile-http.out";
  DeleteFileA(windowsPath(out).c_str());
  EXPECT_TRUE(runOnHost(overlayTool("hostile_http.py") + " --port " + std::to_string(overlayPort()) + " " + arguments +
                        " --out " + out));
  return testing::splitLines(readFileBytes(windowsPath(out)));
}

bool anyLineHas(const Lines& lines, const std::string& text) {
  return std::any_of(lines.begin(), lines.end(), [&](const std::string& l) { return l.find(text) != std::string::npos; });
}

TEST_F(OverlayEndToEnd, HostileRequestsAreRefusedOrBoundedWhileEveryOutputGetsEveryTrack) {
  ASSERT_TRUE(runOnHost(clientCommand("set-text Caption before")));
  StandinEncoder encoder("overlay-hostile", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  const std::string obs = "[obs]\r\naddress=" + obsAddress() + "\r\npassword=" + obsPassword() + "\r\nsource=Caption\r\n";
  const std::string caption = testing::freshFolder("overlay-hostile-caption") + "\\now.txt";
  OverlayPlayer run("overlay-hostile", "", "file=" + caption + "\r\n", obs);
  std::vector<Lines> found;
  run.player.whileRunning = [&] {
    Sleep(1500);
    for (const char* arguments : {"dotdot", "encoded-dotdot", "wrong-host", "post", "big-header", "hold 100 3",
                                  "never-read 3", "ok"})
      found.push_back(hostile(arguments));
  };
  EXPECT_EQ(run.player.runHost("play:0 bench-tracks:10 play:0 wait:1500 play:1 wait:1500 play:2 wait:1500 play:3 "
                               "wait:20000 exit",
                               "--exit-after 120"),
            0);
  ASSERT_EQ(found.size(), 8u);
  EXPECT_TRUE(anyLineHas(found[0], "status=404")) << ::testing::PrintToString(found[0]);
  EXPECT_FALSE(anyLineHas(found[0], "status=200"));
  EXPECT_FALSE(anyLineHas(found[1], "status=200")) << ::testing::PrintToString(found[1]);
  EXPECT_TRUE(anyLineHas(found[1], "status=404"));
  EXPECT_FALSE(anyLineHas(found[2], "status=200")) << ::testing::PrintToString(found[2]);
  EXPECT_TRUE(anyLineHas(found[2], "status=403"));
  EXPECT_TRUE(anyLineHas(found[3], "status=404")) << ::testing::PrintToString(found[3]);
  EXPECT_FALSE(anyLineHas(found[4], "status=200")) << ::testing::PrintToString(found[4]);
  EXPECT_TRUE(anyLineHas(found[5], "opened=")) << ::testing::PrintToString(found[5]);
  EXPECT_FALSE(anyLineHas(found[5], "still_open=100")) << "all 100 held: the bound did not hold";
  EXPECT_TRUE(anyLineHas(found[7], "status=200")) << "a page still gets its answer: " << ::testing::PrintToString(found[7]);

  const long slowest = valueIn(run.player.hostLog(), "bench-tracks ", "max_us");
  EXPECT_GE(slowest, 0);
  EXPECT_LT(slowest, 300000);
  // The encoder's texts, in the code page: the first two tracks', then the
  // last track's after them.
  const std::vector<std::string> texts = encoder.texts();
  const auto first = std::find(texts.begin(), texts.end(), "Rock &amp; Roll &lt;Live&gt; &quot;x&quot;");
  const auto second = std::find(first, texts.end(), "\x83\x65\x83X\x83g\x8b\xc8");
  EXPECT_NE(second, texts.end()) << "the first two tracks reached the encoder in order";
  EXPECT_NE(texts.back(), *second) << "and the tracks after them";
  EXPECT_NE(readFileBytes(caption).find("Love"), std::string::npos) << "the caption file has the last track";
  EXPECT_EQ(textInObs("Caption"), kTrackTexts[3]) << "OBS has the last track";
  EXPECT_LE(run.quitMs(), 2000);
}

TEST_F(OverlayEndToEnd, ATakenPortShowsInTheStatusLineAndNothingElseStops) {
  // Another program listens on the port: a server of the tests' own.
  const std::string log = fixtureUnix() + "/overlay-port-holder.log";
  DeleteFileA(windowsPath(log).c_str());
  ASSERT_TRUE(startOnHost(obsTool("hostile_obs.py") + " --mode silent --seconds 40 --port " +
                          std::to_string(overlayPort()) + " --log " + log));
  for (int i = 0; i < 100 && !anyLineHas(testing::splitLines(readFileBytes(windowsPath(log))), "listening"); ++i) Sleep(50);
  StandinEncoder encoder("overlay-taken", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  OverlayPlayer run("overlay-taken");
  std::string shown;
  run.player.whileRunning = [&] {
    HWND dialog = testing::waitForWindow(run.player.hostProcessId, "#32770", 20000, "gen_tavrik setting");
    if (!dialog) return;
    for (int tries = 0; tries < 100 && shown.find("ポート") == std::string::npos; ++tries, Sleep(50))
      for (const std::string& line : testing::statusLinesOf(dialog))
        if (line.rfind("オーバーレイ: ", 0) == 0) shown = line;
    PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
  };
  EXPECT_EQ(run.player.runHost("play:0 wait:1000 config play:1 wait:700 exit"), 0);
  writeFileBytes(windowsPath(log + ".stop"), "");
  EXPECT_EQ(shown.rfind("オーバーレイ: ポートがほかのプログラムに使われています " + pageAddress() + " (", 0), 0u) << shown;
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{"Rock &amp; Roll &lt;Live&gt; &quot;x&quot;",
                                                       "\x83\x65\x83X\x83g\x8b\xc8"}));
}

}  // namespace
}  // namespace tavrik
