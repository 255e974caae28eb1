// The obs-websocket 5 session over a fake OBS: the handshake with and without
// a password, the messages exactly as sent, and what each answer or close
// means; the address, the authentication and the status word beside it.
#include "obs/obs_connection.h"

#include <gtest/gtest.h>

#include <nlohmann/json.hpp>

#include "obs/obs_address.h"
#include "obs/obs_messages.h"
#include "obs/obs_status.h"
#include "obs_fakes.h"

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using testing::FakeObs;
using testing::FakeWebSocket;
using testing::OpenSslHashing;
using Json = nlohmann::json;

const ObsAddress kLocal{"127.0.0.1", 4471};

TEST(ObsAuthentication, AnswersTheChallengeAsAnIndependentImplementationDoes) {
  // Expected values from Python's hashlib and base64 modules.
  OpenSslHashing hashing;
  EXPECT_EQ(obsAuthentication(hashing, "supersecretpassword", "lM1GncleQOaCu9lT1yeUZhFYnqhsLLP1G5lAGo3ixaI=",
                              "+IxH4CnCiqpX1rM9scsNynZzbOe4KhDeYcTNS3PDaeY="),
            "1Ct943GAT+6YQUUX47Ia/ncufilbe6+oD6lY+5kaCu4=");
  EXPECT_EQ(obsAuthentication(hashing, "パスワード🔑", "c2FsdA==", "Y2hhbGxlbmdl"),
            "/rdBEzoQ9+lW9YgxSTP1HDUVEqmVGHqVS4dUoiMy/F0=");
}

TEST(ObsAddressTest, ReadsHostAndPortAndRefusesWhatIsNoAddress) {
  EXPECT_EQ(parseObsAddress("127.0.0.1:4455"), (ObsAddress{"127.0.0.1", 4455}));
  EXPECT_EQ(parseObsAddress("localhost"), (ObsAddress{"localhost", kObsDefaultPort}));
  EXPECT_EQ(parseObsAddress("[::1]:65535"), (ObsAddress{"::1", 65535}));
  EXPECT_EQ(parseObsAddress("[::1]"), (ObsAddress{"::1", kObsDefaultPort}));
  for (const char* bad : {"", ":4455", "127.0.0.1:", "127.0.0.1:0", "127.0.0.1:65536", "127.0.0.1:44a",
                          "127.0.0.1:+44", "::1", "[::1", "[]:4455", "[::1]4455", " 127.0.0.1:4455",
                          "host/path:4455", "user@host:4455", "[::1%eth0]:4455"}) {
    EXPECT_FALSE(parseObsAddress(bad)) << bad;
  }
}

TEST(ObsStatusCellTest, KeepsOutcomeCodeAndTimeTogether) {
  ObsStatusCell cell;
  EXPECT_EQ(cell.load().outcome, ObsOutcome::nothingYet);
  const auto at = std::chrono::system_clock::time_point(std::chrono::milliseconds(1796184000123));
  cell.store(ObsStatus{ObsOutcome::passwordRefused, 4009, at});
  const ObsStatus status = cell.load();
  EXPECT_EQ(status.outcome, ObsOutcome::passwordRefused);
  EXPECT_EQ(status.code, 4009);
  EXPECT_EQ(status.at, at);
  cell.store(ObsStatus{ObsOutcome::otherFailure, 70000, at});
  EXPECT_EQ(cell.load().code, 0);
}

TEST(ObsMessages, ReadOnlyWellFormedMessagesOfTheirOwnOperation) {
  const auto hello = readHello(R"({"op":0,"d":{"rpcVersion":1,"authentication":{"challenge":"c","salt":"s"}}})");
  ASSERT_TRUE(hello && hello->authentication);
  EXPECT_EQ(hello->authentication->challenge, "c");
  EXPECT_EQ(hello->authentication->salt, "s");
  EXPECT_FALSE(readHello(R"({"op":0,"d":{"rpcVersion":1}})")->authentication);
  EXPECT_FALSE(readHello(R"({"op":0,"d":{"authentication":{"challenge":"c"}}})"));
  EXPECT_FALSE(readHello(R"({"op":2,"d":{}})"));
  EXPECT_FALSE(readHello("{\"op\":0,"));
  EXPECT_FALSE(readHello("[0]"));
  EXPECT_TRUE(isIdentified(R"({"op":2,"d":{"negotiatedRpcVersion":1}})"));
  EXPECT_FALSE(isIdentified(R"({"op":"2","d":{}})"));
  EXPECT_FALSE(isIdentified(R"({"op":2,"d":[]})"));
  EXPECT_FALSE(isIdentified(R"({"op":2})"));
  EXPECT_TRUE(isObsMessage(R"({"op":5,"d":{"eventType":"x"}})"));
  EXPECT_FALSE(isObsMessage(R"({"op":5.5,"d":{}})"));
  EXPECT_FALSE(readRequestAnswer(R"({"op":7,"d":{"requestId":"1","requestStatus":{"result":true}}})"));
  EXPECT_FALSE(readRequestAnswer(R"({"op":7,"d":{"requestId":1,"requestStatus":{"result":true,"code":100}}})"));
  const auto answer = readRequestAnswer(R"({"op":7,"d":{"requestId":"9","requestStatus":{"result":false,"code":600}}})");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->requestId, "9");
  EXPECT_FALSE(answer->result);
  EXPECT_EQ(answer->code, 600);
}

TEST(ObsMessages, NestingIsReadUpToTheLimitAndRefusedBeyondIt) {
  // "d" is the first level; brackets inside strings do not count.
  auto nested = [](int levels) {
    return R"({"op":2,"d":{"s":"[[[{{{\"]]]","x":)" + std::string(levels - 2, '[') + std::string(levels - 2, ']') + "}}";
  };
  EXPECT_TRUE(isIdentified(nested(kObsMaxDepth)));
  EXPECT_FALSE(isIdentified(nested(kObsMaxDepth + 1)));
  EXPECT_FALSE(isIdentified(nested(100000))) << "as deep as a hostile peer likes";
  const std::string deepAnswer = R"({"op":7,"d":{"requestId":"1","requestStatus":{"result":true,"code":100},"x":)" +
                                 std::string(20000, '{') + "}}";
  EXPECT_FALSE(readRequestAnswer(deepAnswer));
  EXPECT_FALSE(isObsMessage(deepAnswer));
}

TEST(ObsMessages, ATextThatIsNoUtf8StillMakesValidJson) {
  const std::string message = setInputSettingMessage("1", "Caption", "text", "a\xFF" "b");
  const Json json = Json::parse(message);
  EXPECT_EQ(json["d"]["requestData"]["inputSettings"]["text"], "a\xEF\xBF\xBD" "b");
}

class ObsConnectionTest : public ::testing::Test {
 protected:
  FakeObs obs;
  FakeWebSocket socket{obs};
  OpenSslHashing hashing;
  ObsConnection connection{socket, hashing};
};

TEST_F(ObsConnectionTest, WithoutAPasswordIdentifiesWithoutAuthentication) {
  const ObsResult result = connection.open(kLocal, "", 3s);
  EXPECT_TRUE(result.open);
  ASSERT_EQ(obs.connects().size(), 1u);
  EXPECT_EQ(obs.connects()[0].host, "127.0.0.1");
  EXPECT_EQ(obs.connects()[0].port, 4471);
  EXPECT_EQ(obs.connects()[0].subprotocol, "obswebsocket.json");
  EXPECT_EQ(obs.sent(), std::vector<std::string>{R"({"op":1,"d":{"rpcVersion":1,"eventSubscriptions":0}})"});
}

TEST_F(ObsConnectionTest, AnswersTheChallengeAndNeverSendsThePassword) {
  obs.setPassword("Tom & Jerry's 🔑");
  const ObsResult result = connection.open(kLocal, "Tom & Jerry's 🔑", 3s);
  EXPECT_TRUE(result.open);
  const std::string expected =
      *obsAuthentication(hashing, "Tom & Jerry's 🔑", obs.salt, obs.challenge);
  EXPECT_EQ(obs.sent(), std::vector<std::string>{R"({"op":1,"d":{"rpcVersion":1,"authentication":")" + expected +
                                                 R"(","eventSubscriptions":0}})"});
  EXPECT_EQ(obs.sent()[0].find("Jerry"), std::string::npos);
}

TEST_F(ObsConnectionTest, AWrongPasswordIsTheClose4009) {
  obs.setPassword("right");
  const ObsResult result = connection.open(kLocal, "wrong", 3s);
  EXPECT_FALSE(result.open);
  EXPECT_FALSE(result.interrupted);
  EXPECT_EQ(result.outcome, ObsOutcome::passwordRefused);
  EXPECT_EQ(result.code, 4009);
  EXPECT_FALSE(connection.isOpen());
  EXPECT_FALSE(obs.connected());
}

TEST_F(ObsConnectionTest, NothingListeningIsOBSNotRunningAndSilenceIsNoAnswer) {
  obs.setRunning(false);
  const ObsResult absent = connection.open(kLocal, "", 3s);
  EXPECT_EQ(absent.outcome, ObsOutcome::notRunning);
  EXPECT_TRUE(obs.sent().empty());
  obs.setRunning(true);
  obs.setSilent(true);
  const ObsResult hung = connection.open(kLocal, "", 3s);
  EXPECT_EQ(hung.outcome, ObsOutcome::noAnswer);
  EXPECT_FALSE(hung.open);
  EXPECT_FALSE(obs.connected()) << "a connection that says nothing is not kept";
}

TEST_F(ObsConnectionTest, APeerThatIsNoObsWebSocket5IsToldAsSuch) {
  const std::string deep = R"({"op":0,"d":{"x":)" + std::string(8000, '[') + std::string(8000, ']') + "}}";
  for (const std::string& hello : {std::string("not json"), std::string(R"([0,{"op":0}])"),
                                   std::string(R"({"op":7,"d":{}})"), std::string(R"({"op":0,"d":5})"),
                                   std::string(R"({"op":0,"d":{"authentication":"x"}})"), deep}) {
    obs.setHello(hello);
    const ObsResult result = connection.open(kLocal, "", 3s);
    EXPECT_EQ(result.outcome, ObsOutcome::notObsWebSocket) << hello.substr(0, 40);
    EXPECT_FALSE(obs.connected()) << hello.substr(0, 40);
  }
  obs.setHello("");
  obs.setConnectAnswer(WebSocketWait::notWebSocket);
  EXPECT_EQ(connection.open(kLocal, "", 3s).outcome, ObsOutcome::notObsWebSocket) << "a web server that is not OBS";
}

TEST_F(ObsConnectionTest, APasswordOBSDoesNotAskForIsSaidAndTheTextStillSet) {
  obs.addInput("Caption");
  const ObsResult opened = connection.open(kLocal, "a password", 3s);
  ASSERT_TRUE(opened.open);
  EXPECT_EQ(opened.outcome, ObsOutcome::passwordNotAsked);
  EXPECT_EQ(obs.sent(), std::vector<std::string>{R"({"op":1,"d":{"rpcVersion":1,"eventSubscriptions":0}})"});
  EXPECT_EQ(connection.setInputSetting("Caption", "text", "a", 3s).outcome, ObsOutcome::textSetPasswordNotAsked);
  obs.setPassword("a password");
  ASSERT_TRUE(connection.open(kLocal, "a password", 3s).open);
  EXPECT_EQ(connection.setInputSetting("Caption", "text", "b", 3s).outcome, ObsOutcome::textSet) << "asked for on the next OBS";
}

// Hashing that the system could not do: BCrypt failing, say.
class FailingHashing : public ObsHashing {
 public:
  explicit FailingHashing(bool digestFails) : digestFails_(digestFails) {}
  std::string sha256(const std::string& bytes) const override {
    return digestFails_ ? std::string() : OpenSslHashing().sha256(bytes);
  }
  std::string base64(const std::string& bytes) const override {
    return digestFails_ ? OpenSslHashing().base64(bytes) : std::string();
  }

 private:
  bool digestFails_;
};

TEST_F(ObsConnectionTest, HashingThatFailsIsSaidAndSendsNoAnswer) {
  obs.setPassword("right");
  for (bool digestFails : {true, false}) {
    FailingHashing failing(digestFails);
    ObsConnection withFailingHashing(socket, failing);
    const ObsResult result = withFailingHashing.open(kLocal, "right", 3s);
    EXPECT_EQ(result.outcome, ObsOutcome::hashingFailed) << digestFails;
    EXPECT_FALSE(result.open);
    EXPECT_FALSE(obs.connected());
  }
  EXPECT_TRUE(obs.sent().empty()) << "no Identify with a made-up answer";
}

TEST_F(ObsConnectionTest, SetsTheTextByTheRequestAndReadsItsStatus) {
  obs.addInput("Caption");
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  const ObsResult set = connection.setInputSetting("Caption", "text", "Tom & Jerry \"live\" ♪", 3s);
  EXPECT_EQ(set.outcome, ObsOutcome::textSet);
  EXPECT_TRUE(set.open);
  EXPECT_EQ(obs.texts(), std::vector<std::string>{"Tom & Jerry \"live\" ♪"});
  EXPECT_EQ(obs.sent().back(),
            R"({"op":6,"d":{"requestType":"SetInputSettings","requestId":"1","requestData":{"inputName":"Caption",)"
            R"("inputSettings":{"text":"Tom & Jerry \"live\" ♪"}}}})");

  const ObsResult missing = connection.setInputSetting("Captoin", "text", "x", 3s);
  EXPECT_EQ(missing.outcome, ObsOutcome::noSource);
  EXPECT_EQ(missing.code, 600);
  EXPECT_TRUE(missing.open) << "a missing source leaves the connection as it is";
  EXPECT_NE(obs.sent().back().find(R"("requestId":"2")"), std::string::npos);
}

TEST_F(ObsConnectionTest, TakesOnlyTheAnswerToItsOwnRequest) {
  obs.addInput("Caption");
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  // Already waiting when the request goes out, ahead of its answer.
  obs.queueRaw(R"({"op":5,"d":{"eventType":"InputSettingsChanged"}})");
  obs.queueRaw(R"({"op":7,"d":{"requestId":"old","requestStatus":{"result":false,"code":600}}})");
  EXPECT_EQ(connection.setInputSetting("Caption", "text", "a", 3s).outcome, ObsOutcome::textSet);
}

TEST_F(ObsConnectionTest, ARefusedRequestIsToldWithItsCodeWhateverTheCode) {
  obs.addInput("Caption");
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  obs.holdAnswers(true);
  obs.queueRaw(R"({"op":7,"d":{"requestId":"1","requestStatus":{"result":false,"code":100}}})");
  const ObsResult unsure = connection.setInputSetting("Caption", "text", "a", 3s);
  EXPECT_EQ(unsure.outcome, ObsOutcome::requestRefused) << "a result of false is no success, whatever the code";
  EXPECT_EQ(unsure.code, 100);
  obs.queueRaw(R"({"op":7,"d":{"requestId":"2","requestStatus":{"result":false,"code":402,"comment":"x"}}})");
  const ObsResult refused = connection.setInputSetting("Caption", "text", "b", 3s);
  EXPECT_EQ(refused.outcome, ObsOutcome::requestRefused);
  EXPECT_EQ(refused.code, 402);
  EXPECT_TRUE(refused.open);
}

TEST_F(ObsConnectionTest, WhatOBSNeverSendsEndsTheConnectionAndIsToldAsSuch) {
  obs.addInput("Caption");
  for (const char* garbage : {"not json", "[7]", R"({"op":7,"d":"x"})"}) {
    ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
    obs.holdAnswers(true);
    obs.queueRaw(garbage);
    const ObsResult during = connection.setInputSetting("Caption", "text", "a", 3s);
    EXPECT_EQ(during.outcome, ObsOutcome::notObsWebSocket) << garbage;
    EXPECT_FALSE(during.open) << garbage;
    EXPECT_FALSE(obs.connected()) << garbage;
    obs.holdAnswers(false);

    ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
    obs.queueRaw(garbage);
    const ObsResult idle = connection.waitIdle(60s);
    EXPECT_EQ(idle.outcome, ObsOutcome::notObsWebSocket) << garbage;
    EXPECT_FALSE(idle.open);
  }
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  obs.queueBreak(WebSocketWait::tooLarge);
  EXPECT_EQ(connection.waitIdle(60s).outcome, ObsOutcome::notObsWebSocket) << "a message beyond the bound";
}

TEST_F(ObsConnectionTest, AConnectionThatBreaksInTheMiddleIsConnectionLost) {
  obs.addInput("Caption");
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  obs.holdAnswers(true);
  obs.queueBreak(WebSocketWait::failed);
  const ObsResult during = connection.setInputSetting("Caption", "text", "a", 3s);
  EXPECT_EQ(during.outcome, ObsOutcome::connectionLost);
  EXPECT_FALSE(during.open);
}

TEST_F(ObsConnectionTest, AnAnswerThatNeverComesOrACloseOnTheWayEndsTheConnection) {
  obs.addInput("Caption");
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  obs.setSilent(true);
  const ObsResult hung = connection.setInputSetting("Caption", "text", "a", 3s);
  EXPECT_FALSE(hung.open);
  EXPECT_FALSE(hung.interrupted);
  EXPECT_FALSE(connection.isOpen());
  EXPECT_FALSE(obs.connected());

  obs.setSilent(false);
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  obs.holdAnswers(true);
  obs.closeConnection(1001, "Server stopping.");
  const ObsResult closed = connection.setInputSetting("Caption", "text", "b", 3s);
  EXPECT_FALSE(closed.open);
  EXPECT_TRUE(obs.texts().empty());
}

TEST_F(ObsConnectionTest, IdleLearnsOfTheCloseAndWakesForANewText) {
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  socket.wake();
  const ObsResult woken = connection.waitIdle(60s);
  EXPECT_TRUE(woken.open);
  obs.closeConnection(1001, "Server stopping.");
  const ObsResult closed = connection.waitIdle(60s);
  EXPECT_FALSE(closed.open);
  EXPECT_EQ(closed.outcome, ObsOutcome::nothingYet);
  EXPECT_FALSE(connection.isOpen());
}

TEST_F(ObsConnectionTest, AnInterruptEndsTheHandshakeAsNothingLearnt) {
  socket.interrupt();
  const ObsResult result = connection.open(kLocal, "", 3s);
  EXPECT_TRUE(result.interrupted);
  EXPECT_FALSE(result.open);
  EXPECT_EQ(result.outcome, ObsOutcome::nothingYet);
}

}  // namespace
}  // namespace tavrik
