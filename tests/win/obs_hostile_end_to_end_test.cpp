// The whole plug-in in the stand-in player with a server of the tests' own
// on the OBS address that misbehaves: a message nested 8,000 deep, one that
// never ends, no JSON, a JSON array, no password asked, odd base64, a close
// in the middle of a message, an accept that never answers. Each time the
// player's retitles stay prompt, the encoder and the caption file get every
// track, the status line says why, memory stays bounded, quit keeps its two
// seconds and the player ends without a crash; once the real OBS is back,
// it gets the text.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdlib>

#include "common/unicode_codec.h"
#include "obs_fixture.h"
#include "player_folder.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using namespace testing::obs;
using testing::audio;
using testing::contains;
using testing::Lines;
using testing::PlayerFolder;
using testing::readFileBytes;
using testing::StandinEncoder;
using testing::valueIn;
using testing::windowsPath;
using testing::writeFileBytes;

// The texts of the three tracks: the encoder's through "#TITLE", OBS's
// through its default "#ARTIST - #TITLE".
const std::vector<std::string> kEncoderTexts = {"V2 Title", "Wave Title",
                                                "Rock &amp; Roll &lt;Live&gt; &quot;x&quot;"};
const std::string kLastObsText = "Tom & Jerry - Rock & Roll <Live> \"x\"";

// Its own port beside the fixture's OBS, so that both builds can run at once.
int hostilePort() { return std::stoi(obsAddress().substr(obsAddress().rfind(':') + 1)) + 50; }

// The hostile server of tests/obs/hostile_obs.py, for one run.
class HostileServer {
 public:
  HostileServer(const std::string& mode, bool forwardLater) : log_(fixtureUnix() + "/hostile-" + mode + ".log") {
    for (const char* suffix : {"", ".stop", ".forward"}) DeleteFileA(windowsPath(log_ + suffix).c_str());
    const char* client = getenv("TAVRIK_OBS_CLIENT");
    std::string script = client ? client : "";
    script = script.substr(0, script.rfind('/') + 1) + "hostile_obs.py";
    std::string command = "/usr/bin/python3 " + script + " --port " + std::to_string(hostilePort()) + " --mode " +
                          mode + " --log " + log_;
    if (forwardLater) command += " --forward-port " + obsAddress().substr(obsAddress().rfind(':') + 1);
    EXPECT_TRUE(startOnHost(command));
    for (int i = 0; i < 200 && !contains(lines(), "listening " + std::to_string(hostilePort())); ++i) Sleep(50);
  }
  ~HostileServer() {
    writeFileBytes(windowsPath(log_ + ".stop"), "");
    for (int i = 0; i < 100 && !contains(lines(), "stopped"); ++i) Sleep(50);
  }
  // From now on, new connections reach the real OBS.
  void forward() { writeFileBytes(windowsPath(log_ + ".forward"), ""); }
  Lines lines() const { return testing::splitLines(readFileBytes(windowsPath(log_))); }

 private:
  std::string log_;
};

// A player with three tracks, a caption file and the encoder, whose [obs]
// section names the hostile server with the fixture's password.
struct HostilePlayer {
  explicit HostilePlayer(const std::string& name) : player(name), encoder(name, "") {
    writeFileBytes(player.ruleFile, "");
    writeFileBytes(player.plugins + "\\default.html", "#TITLE");
    caption = player.folder + "\\now.txt";
    const std::string ini = "[caption]\r\nfile=" + caption + "\r\n[obs]\r\naddress=127.0.0.1:" +
                            std::to_string(hostilePort()) + "\r\npassword=" + obsPassword() + "\r\nsource=Caption\r\n";
    writeFileBytes(player.plugins + "\\gen_tavrik.ini", "\xFF\xFE" + encodeUtf16Le(decodeUtf8(ini)));
    player.playlist({audio("v23.mp3"), audio("info.wav"), audio("markup.mp3")});
  }
  // What every run must show, whatever the server did.
  void expectThePlayerUnharmed() {
    Lines host = player.hostLog();
    const long slowest = valueIn(host, "bench-tracks ", "max_us");
    EXPECT_GE(slowest, 0);
    EXPECT_LT(slowest, 300000) << "a retitle waited for the server";
    std::vector<std::string> texts = encoder.texts();
    for (const std::string& text : kEncoderTexts)
      EXPECT_NE(std::find(texts.begin(), texts.end(), text), texts.end()) << text;
    EXPECT_EQ(readFileBytes(caption), kEncoderTexts.back());
    const long quitMs = player.when("quit gen_tavrik.dll returned") - player.when("quit gen_tavrik.dll called");
    EXPECT_GE(quitMs, 0);
    EXPECT_LE(quitMs, 2000) << "quit kept its two seconds";
    // The working set: Wine reports no peak of private memory.
    const long peakKb = valueIn(host, "memory ", "peak_working_set_kb");
    EXPECT_GT(peakKb, 0);
    EXPECT_LT(peakKb, 200 * 1024) << "memory the server made the player hold";
    for (const std::string& line : host) EXPECT_EQ(line.find("crash"), std::string::npos) << line;
  }
  PlayerFolder player;
  StandinEncoder encoder;
  std::string caption;
};

class ObsHostileEndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u);
    ASSERT_FALSE(fixtureUnix().empty()) << "the OBS fixture's folder is not set";
  }
};

TEST_F(ObsHostileEndToEnd, EachMisbehaviourIsToldAndTheRealOBSGetsTheTextOnceItIsBack) {
  struct Case {
    const char* mode;
    const char* status;  // what the OBS line says while the server misbehaves
  };
  const Case cases[] = {{"deep", "obs-websocket 5 ではありません"},
                        {"endless", "obs-websocket 5 ではありません"},
                        {"garbage", "obs-websocket 5 ではありません"},
                        {"array", "obs-websocket 5 ではありません"},
                        {"no-auth", "(OBS はパスワードを求めていません)"},
                        {"odd-base64", "パスワードが拒否されました"},
                        {"cut", "接続が途中で切れました"},
                        {"silent", "応答がありません"}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.mode);
    ASSERT_TRUE(runOnHost(clientCommand("set-text Caption before")));
    HostileServer server(c.mode, true);
    HostilePlayer run(std::string("hostile-") + c.mode);
    ASSERT_TRUE(run.encoder.waitUntilReady());
    std::string shown;
    run.player.whileRunning = [&] {
      HWND dialog = testing::waitForWindow(run.player.hostProcessId, "#32770", 20000, "gen_tavrik setting");
      if (!dialog) return;
      for (int tries = 0; tries < 160 && shown.find(c.status) == std::string::npos; ++tries, Sleep(50)) {
        shown.clear();
        for (const std::string& line : testing::statusLinesOf(dialog))
          if (line.rfind("OBS: ", 0) == 0) shown = line;
      }
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
      server.forward();
    };
    EXPECT_EQ(run.player.runHost("play:0 bench-tracks:10 play:0 wait:400 play:1 wait:1500 config play:2 wait:9000 exit"),
              0);
    EXPECT_NE(shown.find(c.status), std::string::npos) << shown;
    run.expectThePlayerUnharmed();
    if (std::string(c.mode) == "no-auth") {
      // A connection that works is kept: that OBS got every text.
      EXPECT_TRUE(contains(server.lines(), "connection 1 text " + hexOf(kLastObsText)));
    } else {
      EXPECT_EQ(textInObs("Caption"), kLastObsText) << "the real OBS, once it was back";
    }
  }
}

// The OBS thread is still inside the handshake with a server that never
// answers when the player quits and unloads the plug-in: nothing of ours
// may run after that.
TEST_F(ObsHostileEndToEnd, AServerThatNeverAnswersAtQuitEndsWithoutACrash) {
  HostileServer server("silent", false);
  HostilePlayer run("hostile-silent-at-quit");
  ASSERT_TRUE(run.encoder.waitUntilReady());
  EXPECT_EQ(run.player.runHost("play:0 bench-tracks:10 play:0 wait:400 play:1 wait:400 play:2 wait:400 exit"), 0);
  run.expectThePlayerUnharmed();
  // Let a late WinHTTP callback come while the test still watches.
  Sleep(1000);
}

}  // namespace
}  // namespace tavrik
