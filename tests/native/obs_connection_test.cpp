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
  EXPECT_FALSE(readRequestAnswer(R"({"op":7,"d":{"requestId":"1","requestStatus":{"result":true}}})"));
  EXPECT_FALSE(readRequestAnswer(R"({"op":7,"d":{"requestId":1,"requestStatus":{"result":true,"code":100}}})"));
  const auto answer = readRequestAnswer(R"({"op":7,"d":{"requestId":"9","requestStatus":{"result":false,"code":600}}})");
  ASSERT_TRUE(answer);
  EXPECT_EQ(answer->requestId, "9");
  EXPECT_FALSE(answer->result);
  EXPECT_EQ(answer->code, 600);
}

TEST(ObsMessages, ATextThatIsNoUtf8StillMakesValidJson) {
  const std::string message = setInputTextMessage("1", "Caption", "a\xFF" "b");
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
      obsAuthentication(hashing, "Tom & Jerry's 🔑", obs.salt, obs.challenge);
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

TEST_F(ObsConnectionTest, NothingListeningOrNothingAnsweringIsOBSNotRunning) {
  obs.setRunning(false);
  const ObsResult absent = connection.open(kLocal, "", 3s);
  EXPECT_EQ(absent.outcome, ObsOutcome::notRunning);
  EXPECT_TRUE(obs.sent().empty());
  obs.setRunning(true);
  obs.setSilent(true);
  const ObsResult hung = connection.open(kLocal, "", 3s);
  EXPECT_EQ(hung.outcome, ObsOutcome::notRunning);
  EXPECT_FALSE(hung.open);
  EXPECT_FALSE(obs.connected()) << "a connection that says nothing is not kept";
}

TEST_F(ObsConnectionTest, APeerThatIsNoObsWebSocket5IsAnotherFailure) {
  for (const char* hello : {"not json", R"({"op":7,"d":{}})", R"({"op":0,"d":{"authentication":"x"}})"}) {
    obs.setHello(hello);
    const ObsResult result = connection.open(kLocal, "", 3s);
    EXPECT_EQ(result.outcome, ObsOutcome::otherFailure) << hello;
    EXPECT_FALSE(obs.connected()) << hello;
  }
}

TEST_F(ObsConnectionTest, SetsTheTextByTheRequestAndReadsItsStatus) {
  obs.addInput("Caption");
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  const ObsResult set = connection.setText("Caption", "Tom & Jerry \"live\" ♪", 3s);
  EXPECT_EQ(set.outcome, ObsOutcome::textSet);
  EXPECT_TRUE(set.open);
  EXPECT_EQ(obs.texts(), std::vector<std::string>{"Tom & Jerry \"live\" ♪"});
  EXPECT_EQ(obs.sent().back(),
            R"({"op":6,"d":{"requestType":"SetInputSettings","requestId":"1","requestData":{"inputName":"Caption",)"
            R"("inputSettings":{"text":"Tom & Jerry \"live\" ♪"}}}})");

  const ObsResult missing = connection.setText("Captoin", "x", 3s);
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
  EXPECT_EQ(connection.setText("Caption", "a", 3s).outcome, ObsOutcome::textSet);
}

TEST_F(ObsConnectionTest, AnAnswerThatNeverComesOrACloseOnTheWayEndsTheConnection) {
  obs.addInput("Caption");
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  obs.setSilent(true);
  const ObsResult hung = connection.setText("Caption", "a", 3s);
  EXPECT_FALSE(hung.open);
  EXPECT_FALSE(hung.interrupted);
  EXPECT_FALSE(connection.isOpen());
  EXPECT_FALSE(obs.connected());

  obs.setSilent(false);
  ASSERT_TRUE(connection.open(kLocal, "", 3s).open);
  obs.holdAnswers(true);
  obs.closeConnection(1001, "Server stopping.");
  const ObsResult closed = connection.setText("Caption", "b", 3s);
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
