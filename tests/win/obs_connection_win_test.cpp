// The OBS output over WinHTTP, BCrypt and crypt32 against the real OBS
// Studio that tests/obs/obs-fixture.sh runs headless beside the test: texts
// arrive exactly, a refused password or a missing source shows in the
// status and the next right setting works, finish keeps its deadline while
// OBS hangs or is away, and OBS restarted, or started after the output, gets
// the current text. The test's own Python client reads OBS's side.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <string>

#include "obs/obs_connection.h"
#include "obs/obs_hashing_win32.h"
#include "obs/obs_messages.h"
#include "obs/obs_output.h"
#include "obs/web_socket_win32.h"
#include "obs_fixture.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;
using testing::readFileBytes;
using testing::windowsPath;
using namespace testing::obs;

bool statusBecomes(const ObsOutput& output, ObsOutcome outcome, DWORD timeoutMs = 10000) {
  for (ULONGLONG end = GetTickCount64() + timeoutMs; GetTickCount64() < end; Sleep(20)) {
    if (output.status().outcome == outcome) return true;
  }
  return output.status().outcome == outcome;
}

ObsSettings settingsFor(const std::string& source, const std::string& password = obsPassword()) {
  ObsSettings settings;
  settings.address = obsAddress();
  settings.password = password;
  settings.source = source;
  return settings;
}

std::unique_ptr<ObsOutput> newOutput(const ObsHashing& hashing) {
  return std::make_unique<ObsOutput>(std::make_unique<WinHttpWebSocket>(), hashing);
}

// How long finish took past its deadline; negative when it returned before.
std::chrono::milliseconds finishLate(ObsOutput& output, std::chrono::milliseconds allowed) {
  const Clock::time_point deadline = Clock::now() + allowed;
  output.finish(deadline);
  return std::chrono::duration_cast<std::chrono::milliseconds>(Clock::now() - deadline);
}

class ObsConnectionWinTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_FALSE(fixtureUnix().empty()) << "TAVRIK_OBS_DIR names the folder of obs-fixture.sh";
    ASSERT_FALSE(obsPassword().empty());
  }
  WindowsObsHashing hashing;
};

TEST_F(ObsConnectionWinTest, TheSystemHashesAndEncodesAsTheStandardsSay) {
  // FIPS 180-2's first example, and RFC 4648's test vectors.
  const std::string abc = hashing.sha256("abc");
  EXPECT_EQ(hexOf(abc), "ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
  EXPECT_EQ(hashing.base64("f"), "Zg==");
  EXPECT_EQ(hashing.base64("fo"), "Zm8=");
  EXPECT_EQ(hashing.base64("foobar"), "Zm9vYmFy");
  EXPECT_EQ(hashing.base64(std::string(100, '\xFF')).find_first_of("\r\n"), std::string::npos);
  // Computed with Python's hashlib and base64.
  EXPECT_EQ(obsAuthentication(hashing, "パスワード🔑", "c2FsdA==", "Y2hhbGxlbmdl"),
            "/rdBEzoQ9+lW9YgxSTP1HDUVEqmVGHqVS4dUoiMy/F0=");
}

TEST_F(ObsConnectionWinTest, TextsArriveExactly) {
  auto output = newOutput(hashing);
  output->configure(settingsFor("Caption"));
  for (const std::string text : {"Tom & Jerry live: Cat <and> Mouse", "東京の夜 — 日本語のキャプション",
                                 "안녕하세요 아이유", "♪ 🎵🐈 \"quoted\" \\ back\nslash"}) {
    output->setText(text);
    EXPECT_TRUE(waitForText("Caption", text)) << text;
  }
  EXPECT_EQ(output->status().outcome, ObsOutcome::textSet);
  EXPECT_LT(finishLate(*output, 2s), 0ms);
}

TEST_F(ObsConnectionWinTest, TheSocketReadsOBSsCloseOfARefusedPassword) {
  WinHttpWebSocket socket;
  const auto address = parseObsAddress(obsAddress());
  ASSERT_TRUE(address);
  ASSERT_EQ(socket.connect(address->host, address->port, kObsSubprotocol, 5s), WebSocketWait::done);
  const WebSocketReceived hello = socket.receive(5s, false);
  ASSERT_EQ(hello.wait, WebSocketWait::done);
  ASSERT_TRUE(readHello(hello.text) && readHello(hello.text)->authentication) << hello.text;
  ASSERT_EQ(socket.send(identifyMessage(std::string("not the answer")), 5s), WebSocketWait::done);
  const WebSocketReceived closed = socket.receive(5s, false);
  EXPECT_EQ(closed.wait, WebSocketWait::closed);
  EXPECT_EQ(closed.closeCode, 4009);
  socket.close(1s);
}

TEST_F(ObsConnectionWinTest, AWrongPasswordThenTheRightOne) {
  auto output = newOutput(hashing);
  output->configure(settingsFor("Caption", obsPassword() + "x"));
  output->setText("after the right password");
  ASSERT_TRUE(statusBecomes(*output, ObsOutcome::passwordRefused));
  EXPECT_EQ(output->status().code, 4009);
  output->configure(settingsFor("Caption"));
  EXPECT_TRUE(waitForText("Caption", "after the right password"));
  EXPECT_TRUE(statusBecomes(*output, ObsOutcome::textSet));
  EXPECT_LT(finishLate(*output, 2s), 0ms);
}

TEST_F(ObsConnectionWinTest, AMissingSourceThenAnExistingOneOrTheSameOnceMade) {
  auto output = newOutput(hashing);
  output->configure(settingsFor("Nowhere"));
  output->setText("found");
  ASSERT_TRUE(statusBecomes(*output, ObsOutcome::noSource));
  EXPECT_EQ(output->status().code, 600);
  output->configure(settingsFor("Caption"));
  EXPECT_TRUE(waitForText("Caption", "found"));

  // Made in OBS after the output asked for it: asked for again, it gets it.
  runOnHost(clientCommand("remove Late"));  // left by an earlier run that failed
  output->configure(settingsFor("Late"));
  output->setText("late but there");
  ASSERT_TRUE(statusBecomes(*output, ObsOutcome::noSource));
  ASSERT_TRUE(runOnHost(clientCommand("create-text Late")));
  EXPECT_TRUE(waitForText("Late", "late but there"));
  EXPECT_TRUE(runOnHost(clientCommand("remove Late")));
  EXPECT_LT(finishLate(*output, 2s), 0ms);
}

TEST_F(ObsConnectionWinTest, FinishKeepsItsDeadlineWhileOBSIsAway) {
  auto output = newOutput(hashing);
  ObsSettings settings = settingsFor("Caption");
  // A port of this machine where nothing listens.
  settings.address = "127.0.0.1:9";
  output->configure(settings);
  output->setText("nobody hears this");
  ASSERT_TRUE(statusBecomes(*output, ObsOutcome::notRunning));
  EXPECT_LT(finishLate(*output, 500ms), 250ms);
}

TEST_F(ObsConnectionWinTest, FinishKeepsItsDeadlineWhileOBSHangs) {
  auto connected = newOutput(hashing);
  connected->configure(settingsFor("Caption"));
  connected->setText("before the hang");
  ASSERT_TRUE(waitForText("Caption", "before the hang"));
  ASSERT_TRUE(runOnHost(fixtureCommand("obs-pause")));
  // One output waits for an answer, the other for its connection's upgrade:
  // the system takes the connection, OBS never answers it.
  connected->setText("into the hang");
  auto connecting = newOutput(hashing);
  connecting->configure(settingsFor("Caption"));
  Sleep(300);
  const auto connectedLate = finishLate(*connected, 1s);
  const auto connectingLate = finishLate(*connecting, 1s);
  ASSERT_TRUE(runOnHost(fixtureCommand("obs-resume")));
  // The handles closed at the deadline may take a moment to report it.
  EXPECT_LT(connectedLate, 250ms);
  EXPECT_LT(connectingLate, 250ms);
  // OBS is well again for the tests after this one.
  auto after = newOutput(hashing);
  after->configure(settingsFor("Caption"));
  after->setText("after the hang");
  EXPECT_TRUE(waitForText("Caption", "after the hang"));
}

// The last test: it restarts OBS.
TEST_F(ObsConnectionWinTest, OBSRestartedOrStartedAfterTheOutputGetsTheCurrentText) {
  auto running = newOutput(hashing);
  running->configure(settingsFor("Caption"));
  running->setText("before the restart");
  ASSERT_TRUE(waitForText("Caption", "before the restart"));

  ASSERT_TRUE(runOnHost(fixtureCommand("obs-stop")));
  running->setText("while OBS was away");
  auto startedFirst = newOutput(hashing);
  startedFirst->configure(settingsFor("Other"));
  startedFirst->setText("the output came first");
  ASSERT_TRUE(statusBecomes(*startedFirst, ObsOutcome::notRunning));
  // Long enough away for the pauses between tries to have grown.
  Sleep(6000);

  ASSERT_TRUE(runOnHost(fixtureCommand("obs-start")));
  // From the moment OBS answers, with its sources made, each output sets its
  // newest text within 5 s (what the test's client adds to that is counted
  // against the output).
  const Clock::time_point ready = Clock::now();
  const auto restarted = waitForText("Caption", "while OBS was away");
  const auto first = waitForText("Other", "the output came first");
  ASSERT_TRUE(restarted);
  ASSERT_TRUE(first);
  EXPECT_LE(millisecondsBetween(ready, *restarted), 5000);
  EXPECT_LE(millisecondsBetween(ready, *first), 5000);
  EXPECT_EQ(running->status().outcome, ObsOutcome::textSet);
  EXPECT_EQ(startedFirst->status().outcome, ObsOutcome::textSet);
  EXPECT_LT(finishLate(*running, 2s), 0ms);
  EXPECT_LT(finishLate(*startedFirst, 2s), 0ms);
}

}  // namespace
}  // namespace tavrik
