// The whole plug-in in the stand-in player with the real OBS Studio of the
// fixture: every track's text, exactly, and the idle text on stop reach a
// text source as plain text; a wrong password or a missing source never slows
// the player, and the right one set in the dialog works at the next track;
// OBS started after the player, or restarted, gets the current text; and
// OBS's own text source reading the caption file shows the same plain text.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/code_page_win32.h"
#include "common/unicode_codec.h"
#include "obs_fixture.h"
#include "player_folder.h"
#include "resources/resource_ids.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using namespace testing::obs;
using testing::audio;
using testing::contains;
using testing::Lines;
using testing::valueIn;
using testing::PlayerFolder;
using testing::readFileBytes;
using testing::windowsPath;
using testing::writeFileBytes;

std::string utf8Audio(const std::string& utf8Name) {
  return encodeUtf8(Win32CodePage().toWide(audio(""))) + utf8Name;
}

// What OBS is to show for the four tracks, each through the default OBS
// template "#ARTIST - #TITLE", and for a stopped player.
const std::vector<std::string> kTrackTexts = {"Tom & Jerry - Rock & Roll <Live> \"x\"",
                                              "\xE6\xAD\x8C\xE6\x89\x8B - \xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\xE6\x9B\xB2",
                                              encodeUtf8(u"\uC544\uC774\uC720 - \uC548\uB155\uD558\uC138\uC694 \U0001F3B5"),
                                              encodeUtf8(u"Caf\u00E9 \u2661 - \u2661 Love \U0001F600")};
const std::string kIdleText = encodeUtf8(u"\u266A Back soon \u266A");

// A player whose plug-in sends to the fixture's OBS: the four tracks, an
// idle template, the settings file's [obs] section as `obs` says.
struct ObsPlayer {
  explicit ObsPlayer(const std::string& name, const std::string& obs) : player(name) {
    writeFileBytes(player.ruleFile, "");
    writeFileBytes(player.plugins + "\\default.html", "<p>#ARTIST - #TITLE</p>");
    writeFileBytes(player.folder + "\\idle.txt", "\xEF\xBB\xBF" + kIdleText);
    writeSettings("[caption]\r\nidle_template=" + player.folder + "\\idle.txt\r\n[obs]\r\n" + obs);
    player.utf8Playlist({utf8Audio("markup.mp3"), utf8Audio("v24_japanese.mp3"),
                         utf8Audio(encodeUtf8(u"\uB178\uB798.mp3")), utf8Audio("emoji.mp3")});
  }
  // The settings file from UTF-8 text, in UTF-16LE: the fixture's password
  // holds what code page 932 cannot.
  void writeSettings(const std::string& utf8) {
    writeFileBytes(player.plugins + "\\gen_tavrik.ini", "\xFF\xFE" + encodeUtf16Le(decodeUtf8(utf8)));
  }
  PlayerFolder player;
};

std::string obsSection(const std::string& source, const std::string& password = obsPassword()) {
  return "address=" + obsAddress() + "\r\npassword=" + password + "\r\nsource=" + source + "\r\n";
}

// What the fixture's client saw a source show, text after text, while it
// watched; started before the player and stopped after it.
class Watcher {
 public:
  explicit Watcher(const std::string& source) : out_(fixtureUnix() + "/watch-" + source) {
    DeleteFileA(windowsPath(out_).c_str());
    DeleteFileA(windowsPath(out_ + ".stop").c_str());
    EXPECT_TRUE(startOnHost(clientCommand("watch-text " + source + " " + out_ + " --seconds 90")));
    // It has connected once its first line (the text as it stands) is there.
    for (int i = 0; i < 200 && GetFileAttributesA(windowsPath(out_).c_str()) == INVALID_FILE_ATTRIBUTES; ++i) Sleep(50);
  }
  // The texts seen, in order, each once.
  std::vector<std::string> stop() {
    writeFileBytes(windowsPath(out_ + ".stop"), "");
    Sleep(300);
    std::vector<std::string> texts;
    for (const std::string& line : testing::splitLines(readFileBytes(windowsPath(out_)))) {
      std::string hex = line.substr(line.find(' ') + 1), text;
      for (std::size_t i = 0; i + 1 < hex.size(); i += 2) text += static_cast<char>(std::stoi(hex.substr(i, 2), nullptr, 16));
      if (texts.empty() || texts.back() != text) texts.push_back(text);
    }
    return texts;
  }

 private:
  std::string out_;
};

// Whether `wanted` shows up in `seen` in this order (others may stand
// between them).
bool inOrder(const std::vector<std::string>& seen, const std::vector<std::string>& wanted) {
  auto at = seen.begin();
  for (const std::string& text : wanted) {
    at = std::find(at, seen.end(), text);
    if (at == seen.end()) return false;
  }
  return true;
}

class ObsEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u);
    ASSERT_FALSE(fixtureUnix().empty()) << "the OBS fixture's folder is not set";
  }
};

TEST_F(ObsEndToEnd, EveryTrackExactlyAndTheIdleTextOnStop) {
  ASSERT_TRUE(runOnHost(clientCommand("set-text Caption before")));
  ObsPlayer run("obs-tracks", obsSection("Caption"));
  Watcher watcher("Caption");
  EXPECT_EQ(run.player.runHost("play:0 wait:700 play:1 wait:700 play:2 wait:700 play:3 wait:700 stop wait:700 exit"), 0);
  std::vector<std::string> seen = watcher.stop();
  std::vector<std::string> wanted = kTrackTexts;
  wanted.push_back(kIdleText);
  EXPECT_TRUE(inOrder(seen, wanted)) << ::testing::PrintToString(seen);
  EXPECT_EQ(textInObs("Caption"), kIdleText) << "what stays after quit";
}

// Adds the right password in the OBS dialog, or the right source, and OKs.
bool fixInTheDialog(DWORD process, int control, const std::string& value) {
  HWND ruleList = testing::waitForWindow(process, "#32770", 20000, "gen_tavrik setting");
  if (!ruleList) return false;
  PostMessageA(GetDlgItem(ruleList, IDC_OBS_SETTINGS), BM_CLICK, 0, 0);
  HWND obs = testing::waitForWindow(process, "#32770", 20000, "gen_tavrik OBS");
  if (!obs) return false;
  // Typed in as the user would: the value is UTF-8, the field UTF-16.
  const std::u16string valueWide = decodeUtf8(value);
  SendMessageW(GetDlgItem(obs, control), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(valueWide.c_str()));
  PostMessageA(obs, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 500 && IsWindow(obs); ++i) Sleep(10);
  PostMessageA(ruleList, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 500 && IsWindow(ruleList); ++i) Sleep(10);
  return !IsWindow(ruleList);
}

TEST_F(ObsEndToEnd, AWrongPasswordOrAMissingSourceNeverSlowsThePlayerAndTheRightOneWorksNext) {
  struct Case {
    const char* name;
    std::string section;
    int control;
    std::string fix;
  };
  const Case cases[] = {{"obs-wrong-password", obsSection("Caption", "not the password"), IDC_OBS_PASSWORD, obsPassword()},
                        {"obs-missing-source", obsSection("Nowhere"), IDC_OBS_SOURCE, "Caption"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(runOnHost(clientCommand("set-text Caption before")));
    ObsPlayer run(c.name, c.section);
    bool fixed = false;
    run.player.whileRunning = [&] { fixed = fixInTheDialog(run.player.hostProcessId, c.control, c.fix); };
    EXPECT_EQ(run.player.runHost("play:0 bench-tracks:20 config play:1 wait:1500 exit"), 0);
    ASSERT_TRUE(fixed);
    EXPECT_EQ(textInObs("Caption"), kTrackTexts[1]);
    const long slowest = valueIn(run.player.hostLog(), "bench-tracks ", "max_us");
    ASSERT_GE(slowest, 0);
    EXPECT_LT(slowest, 300000) << "a retitle waited for OBS";
  }
}

TEST_F(ObsEndToEnd, OBSStartedAfterThePlayerOrRestartedGetsTheCurrentText) {
  ObsPlayer run("obs-late", obsSection("Caption"));
  long long lateMs = -1, restartedMs = -1;
  run.player.whileRunning = [&] {
    const Clock::time_point start = Clock::now();
    auto sleepUntil = [&](int ms) {
      while (Clock::now() < start + std::chrono::milliseconds(ms)) Sleep(20);
    };
    // The player starts while OBS is away, and plays its first track.
    sleepUntil(1500);
    ASSERT_TRUE(runOnHost(fixtureCommand("obs-start")));
    const Clock::time_point ready = Clock::now();
    if (auto seen = waitForText("Caption", kTrackTexts[0], std::chrono::seconds(10))) lateMs = millisecondsBetween(ready, *seen);
    // OBS quits; the next track comes while it is away; OBS is back.
    ASSERT_TRUE(runOnHost(fixtureCommand("obs-stop")));
    sleepUntil(9000);
    ASSERT_TRUE(runOnHost(fixtureCommand("obs-start")));
    const Clock::time_point again = Clock::now();
    if (auto seen = waitForText("Caption", kTrackTexts[1], std::chrono::seconds(10))) restartedMs = millisecondsBetween(again, *seen);
  };
  ASSERT_TRUE(runOnHost(fixtureCommand("obs-stop")));
  EXPECT_EQ(run.player.runHost("play:0 wait:8000 play:1 wait:10000 exit"), 0);
  EXPECT_GE(lateMs, 0) << "the first track never reached OBS";
  EXPECT_LE(lateMs, 5000);
  EXPECT_GE(restartedMs, 0) << "the output did not reconnect";
  EXPECT_LE(restartedMs, 5000);
}

TEST_F(ObsEndToEnd, OBSReadingTheCaptionFileFromThePlainTemplateShowsThePlainText) {
  ObsPlayer run("obs-caption-file", "source=\r\n");
  const std::string caption = run.player.folder + "\\now.txt";
  writeFileBytes(run.player.folder + "\\plain.txt", "#ARTIST & friends <live>: #TITLE");
  run.writeSettings("[caption]\r\nfile=" + caption + "\r\ntemplate=" + run.player.folder + "\\plain.txt\r\n");
  run.player.playlist({audio("v23.mp3")});
  EXPECT_EQ(run.player.runHost("play:0 wait:500 exit"), 0);
  // No quote in it: the client's command line takes it within single quotes.
  const std::string plain = "V2 Artist & friends <live>: V2 Title";
  ASSERT_EQ(readFileBytes(caption), plain);

  // The file's Unix path, as OBS on this machine opens it.
  std::string unixPath = caption.substr(2);
  std::replace(unixPath.begin(), unixPath.end(), '\\', '/');
  runOnHost(clientCommand("remove FromFile"));
  runOnHost(clientCommand("remove Direct"));
  ASSERT_TRUE(runOnHost(clientCommand("create-text FromFile --file '" + unixPath + "'")));
  ASSERT_TRUE(runOnHost(clientCommand("create-text Direct")));
  ASSERT_TRUE(runOnHost(clientCommand("set-text Direct '" + plain + "'")));
  // OBS rereads a file about once a second.
  Sleep(2500);
  const std::string fromFile = fixtureUnix() + "/from-file.png", direct = fixtureUnix() + "/direct.png";
  ASSERT_TRUE(runOnHost(clientCommand("screenshot FromFile " + fromFile)));
  ASSERT_TRUE(runOnHost(clientCommand("screenshot Direct " + direct)));
  const std::string fileImage = readFileBytes(windowsPath(fromFile)), directImage = readFileBytes(windowsPath(direct));
  EXPECT_GT(fileImage.size(), 100u);
  EXPECT_EQ(fileImage, directImage) << "the source reading the file shows what the text itself shows";
  runOnHost(clientCommand("remove FromFile"));
  runOnHost(clientCommand("remove Direct"));
}

}  // namespace
}  // namespace tavrik
