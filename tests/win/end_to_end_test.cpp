// The whole plug-in in a player: the stand-in host loads the real
// gen_tavrik.dll from its Plugins folder, the plug-in binds the stand-in tag
// library beside the host and types into the stand-in encoder, each its own
// process, on real tagged audio files.
#include <gtest/gtest.h>

#include <algorithm>

#include "common/cp932_texts.h"
#include "common/win32_handles.h"
#include "player_folder.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::audio;
using testing::contains;
using testing::Lines;
using testing::operator+;
using testing::PlayerFolder;
using testing::hostEvents;
using testing::readFileBytes;
using testing::splitLines;
using testing::StandinEncoder;
using testing::wholeDelivery;
using testing::writeFileBytes;

class EndToEnd : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(GetACP(), 932u);
    ASSERT_TRUE(encoder.waitUntilReady());
  }
  StandinEncoder encoder{::testing::UnitTest::GetInstance()->current_test_info()->name(), ""};
};

TEST_F(EndToEnd, EveryNewTrackReachesTheEncoderThroughTheRulesAndTemplates) {
  PlayerFolder player("tracks");
  const std::string rules = "ARTIST\tV2 Artist\t" + player.folder + "\\band.html\r\n" +
                            "GENRE\tAmbient\t" + player.folder + "\\wave.html\r\n";
  writeFileBytes(player.ruleFile, rules);
  writeFileBytes(player.plugins + "\\default.html", "<p>#ARTIST - #TITLE</p>\r\n\t<i>#ALBUM</i>\r\n");
  writeFileBytes(player.folder + "\\band.html", "<b>#TITLE</b> (#GENRE)");
  writeFileBytes(player.folder + "\\wave.html", "~#TITLE~");
  player.playlist({audio("v23.mp3"), audio("markup.mp3"), audio("v24_japanese.mp3"),
                   audio("notag.mp3"), audio("info.wav")});

  // Pause, refresh and repeat retitle the host without changing the track.
  // Each track plays long enough for its text to reach the encoder: a newer
  // one would replace a text that has not started.
  EXPECT_EQ(player.runHost("play:0 pause pause refresh repeat wait:300 play:1 wait:300 play:2 refresh "
                           "wait:300 play:3 wait:300 play:4 exit"),
            0);

  const std::vector<std::string> expected = {
      "<b>V2 Title</b> (Rock)",
      "<p>Tom &amp; Jerry - Rock &amp; Roll &lt;Live&gt; &quot;x&quot;</p><i>Bob's &lt;Best&gt;</i>",
      "<p>\x89\xcc\x8e\xe8 - \x83\x65\x83\x58\x83\x67\x8b\xc8</p><i>\x83\x41\x83\x8b\x83\x6f\x83\x80</i>",
      "<p>Unknown Artist - Unknown Title</p><i>Unknown Album</i>",
      "~Wave Title~"};
  EXPECT_EQ(encoder.texts(), expected);
  Lines all;
  for (const std::string& text : expected) all = all + wholeDelivery(text);
  EXPECT_EQ(encoder.messages(), all);

  Lines host = player.hostLog();
  EXPECT_TRUE(contains(host, "loaded gen_tavrik.dll version=0x10 description=Tavrik plug-in (gen_tavrik.dll)"));
  EXPECT_TRUE(contains(host, "init gen_tavrik.dll answer=0"));
  EXPECT_TRUE(contains(host, "unloaded gen_tavrik.dll still-mapped=no"));
  EXPECT_TRUE(contains(host, "wndproc restored: yes"));
  EXPECT_EQ(player.libraryEvents(), (Lines{"attach", "detach unload"}));
  // Quit wrote the rules back as they were read.
  EXPECT_EQ(readFileBytes(player.ruleFile), rules);
}

// A host that calls init twice through the export gets the one plug-in it
// has: no second hook, so no track is handled twice, and quit leaves nothing
// of ours running when the module is unloaded.
TEST_F(EndToEnd, ASecondInitThroughTheExportChangesNothing) {
  PlayerFolder player("init-twice");
  writeFileBytes(player.ruleFile, "");
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  player.playlist({audio("v23.mp3"), audio("info.wav")});
  EXPECT_EQ(player.runHost("play:0 wait:300 init play:1 wait:300 exit"), 0);
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{"V2 Title", "Wave Title"}));
  Lines host = player.hostLog();
  EXPECT_TRUE(contains(host, "init gen_tavrik.dll called again"));
  EXPECT_EQ(std::count(host.begin(), host.end(), "init gen_tavrik.dll answer=0"), 2);
  EXPECT_TRUE(contains(host, "wndproc restored: yes"));
  EXPECT_TRUE(contains(host, "unloaded gen_tavrik.dll still-mapped=no"));
  EXPECT_EQ(player.libraryEvents(), (Lines{"attach", "detach unload"})) << "the tag library was loaded once";
}

TEST_F(EndToEnd, AFileWhoseTagsFailIsSkippedUntilAnotherFileComes) {
  PlayerFolder player("unreadable");
  writeFileBytes(player.ruleFile, "");
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  player.playlist({audio("empty.mp3"), audio("v23.mp3"), player.folder + "\\missing.mp3"});
  EXPECT_EQ(player.runHost("play:0 repeat refresh play:1 wait:300 play:0 play:2 repeat play:1 exit"), 0);
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{"V2 Title", "V2 Title"}));
}

TEST_F(EndToEnd, AMissingTemplateDeliversTheEmptyText) {
  PlayerFolder player("no-template");
  writeFileBytes(player.ruleFile, "");
  player.playlist({audio("v23.mp3"), audio("v1.mp3")});
  EXPECT_EQ(player.runHost("play:0 exit"), 0);
  EXPECT_EQ(encoder.messages(), wholeDelivery(""));
}

struct InitFailure {
  const char* name;
  const char* message;
};

TEST_F(EndToEnd, EachInitFailureShowsItsMessageAndLeavesTheHostAndTheRuleFileAlone) {
  const InitFailure failures[] = {{"no-library", texts::kTagLibraryMissingMessage},
                                  {"old-library", texts::kTagLibraryTooOldMessage},
                                  {"no-rule-file", texts::kRuleFileMissingMessage}};
  for (const InitFailure& failure : failures) {
    SCOPED_TRACE(failure.name);
    PlayerFolder player(failure.name);
    const std::string rules = "TITLE\tV2 Title\tx.html\n";
    writeFileBytes(player.ruleFile, rules);
    writeFileBytes(player.plugins + "\\default.html", "#TITLE");
    player.playlist({audio("v23.mp3")});
    std::string name = failure.name;
    if (name == "no-library") DeleteFileA((player.folder + "\\mp3infp.dll").c_str());
    if (name == "old-library") SetEnvironmentVariableA("STANDIN_MP3INFP_VERSION", "0x226");
    if (name == "no-rule-file") DeleteFileA(player.ruleFile.c_str());

    testing::MessageBoxWatcher watcher(true, texts::kErrorTitle);
    // The host keeps the plug-in, so config and quit still come.
    EXPECT_EQ(player.runHost("play:0 config exit", "--init-failure keep"), 0);
    auto seen = watcher.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].text, failure.message);

    Lines host = player.hostLog();
    EXPECT_TRUE(contains(host, "init gen_tavrik.dll answer=-1"));
    EXPECT_TRUE(contains(host, "config gen_tavrik.dll returned"));
    EXPECT_TRUE(contains(host, "wndproc restored: yes"));
    EXPECT_TRUE(contains(host, "unloaded gen_tavrik.dll still-mapped=no"));
    if (name != "no-rule-file") {
      EXPECT_EQ(readFileBytes(player.ruleFile), rules);
    }
    if (name == "old-library") {
      EXPECT_EQ(player.libraryEvents(), (Lines{"attach", "detach unload"}));
    }
  }
  SetEnvironmentVariableA("STANDIN_MP3INFP_VERSION", nullptr);
  EXPECT_TRUE(encoder.messages().empty());
}

TEST_F(EndToEnd, ARuleFileThatCannotBeWrittenAtQuitIsReportedAndKept) {
  PlayerFolder player("locked-at-quit");
  const std::string rules = "ARTIST\tV2 Artist\tband.html\n";
  writeFileBytes(player.ruleFile, rules);
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  player.playlist({audio("v23.mp3")});
  // Once init has read the rules, another program holds the file open.
  UniqueFile holder;
  player.whileRunning = [&] {
    for (int i = 0; i < 2000; ++i) {
      if (contains(player.hostLog(), "init gen_tavrik.dll answer=0")) break;
      Sleep(10);
    }
    holder.reset(CreateFileA(player.ruleFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  };
  testing::MessageBoxWatcher watcher(true, texts::kErrorTitle);
  EXPECT_EQ(player.runHost("wait:1500 play:0 exit"), 0);
  ASSERT_TRUE(holder);
  holder.reset();
  auto seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, texts::kRuleFileWriteFailedMessage);
  EXPECT_EQ(readFileBytes(player.ruleFile), rules);
  EXPECT_EQ(player.libraryEvents(), (Lines{"attach", "detach unload"}));
  EXPECT_TRUE(contains(player.hostLog(), "wndproc restored: yes"));
}

TEST_F(EndToEnd, ConfigShowsTheRulesAndQuitWritesWhatTheDialogConfirmed) {
  PlayerFolder player("config");
  // Written with LF only: the save after OK comes back with CR LF.
  writeFileBytes(player.ruleFile, "ARTIST\tA\ta.html\nGENRE\tG\tg.html\n");
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  player.playlist({audio("v23.mp3"), audio("v1.mp3")});
  LRESULT rows = -1;
  player.whileRunning = [&] {
    HWND dialog = testing::waitForWindow(player.hostProcessId, "#32770", 20000, "gen_tavrik setting");
    if (!dialog) return;
    Sleep(100);
    rows = SendMessageA(GetDlgItem(dialog, 4000), 0x1004 /* LVM_GETITEMCOUNT */, 0, 0);
    PostMessageA(dialog, WM_COMMAND, IDOK, 0);
  };
  EXPECT_EQ(player.runHost("play:0 config play:1 exit"), 0);
  EXPECT_EQ(rows, 2);
  EXPECT_EQ(readFileBytes(player.ruleFile), "ARTIST\tA\ta.html\r\nGENRE\tG\tg.html\r\n");
  // The track before and after the dialog both arrived.
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{"V2 Title", "V1 Title"}));
}

// Quit with an encoder of its own: slow or hung, where the fixture's answers
// at once.
struct QuitRun {
  explicit QuitRun(const std::string& name, const std::string& encoderOptions)
      : encoder("quit-" + name, encoderOptions), player("quit-" + name) {
    writeFileBytes(player.ruleFile, rules);
    writeFileBytes(player.plugins + "\\default.html", "#TITLE");
    player.playlist({audio("v23.mp3"), audio("v1.mp3")});
  }
  long quitMilliseconds() const {
    return player.when("quit gen_tavrik.dll returned") - player.when("quit gen_tavrik.dll called");
  }
  // Quit ended the plug-in cleanly: it was unloaded, the host has its window
  // procedure back, and the rules were saved and the library released after
  // the plug-in's thread had ended.
  void expectCleanEnd() const {
    Lines host = player.hostLog();
    EXPECT_TRUE(contains(host, "unloaded gen_tavrik.dll still-mapped=no"));
    EXPECT_TRUE(contains(host, "wndproc restored: yes"));
    EXPECT_EQ(player.libraryEvents(), (Lines{"attach", "detach unload"}));
    EXPECT_EQ(readFileBytes(player.ruleFile), rules);
  }
  const std::string rules = "ARTIST\tNobody\tx.html\r\n";
  StandinEncoder encoder;
  PlayerFolder player;
};

TEST(EndToEndQuit, ATrackChangeRightBeforeQuitStillReachesTheEncoder) {
  // Each message answered 50 ms late: quit comes while the first track's
  // delivery runs and the second's waits.
  QuitRun run("slow", "--slow 50");
  ASSERT_TRUE(run.encoder.waitUntilReady());
  EXPECT_EQ(run.player.runHost("play:0 play:1 exit"), 0);
  Lines messages = run.encoder.messages();
  const Lines last = wholeDelivery("V1 Title");
  ASSERT_GE(messages.size(), last.size());
  EXPECT_EQ(Lines(messages.end() - last.size(), messages.end()), last);
  EXPECT_LT(run.quitMilliseconds(), 2500);
  run.expectCleanEnd();
}

TEST(EndToEndQuit, AHungEncoderHoldsQuitUpTwoSecondsAtMostAndTheModuleUnloads) {
  QuitRun run("hung", "--hang 30");
  ASSERT_TRUE(run.encoder.waitUntilReady());
  EXPECT_EQ(run.player.runHost("play:0 play:1 exit"), 0);
  EXPECT_GE(run.quitMilliseconds(), 0);
  EXPECT_LT(run.quitMilliseconds(), 3000);
  run.expectCleanEnd();
  // The encoder stopped answering at the first click.
  EXPECT_EQ(run.encoder.messages(), Lines{"c1 0201 1 10001"});
}

}  // namespace
}  // namespace tavrik

namespace tavrik {
namespace {

// Read-only is a permission, which an administrator (root, under Wine) does
// not meet; ctest runs this case once more as an unprivileged user.
TEST_F(EndToEnd, AReadOnlyRuleFileIsReportedAtQuitAndKept) {
  PlayerFolder player("read-only");
  const std::string rules = "ARTIST\tSomeone Else\tband.html\n";
  writeFileBytes(player.ruleFile, rules);
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  player.playlist({audio("v23.mp3")});
  ASSERT_TRUE(SetFileAttributesA(player.ruleFile.c_str(), FILE_ATTRIBUTE_READONLY));
  UniqueFile writable(CreateFileA(player.ruleFile.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
  if (writable) GTEST_SKIP() << "an administrator may write read-only files";

  testing::MessageBoxWatcher watcher(true, texts::kErrorTitle);
  EXPECT_EQ(player.runHost("play:0 exit"), 0);
  auto seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, texts::kRuleFileWriteFailedMessage);
  EXPECT_EQ(readFileBytes(player.ruleFile), rules);
  EXPECT_EQ(player.libraryEvents(), (Lines{"attach", "detach unload"}));
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{"V2 Title"}));
  EXPECT_TRUE(contains(player.hostLog(), "wndproc restored: yes"));
  SetFileAttributesA(player.ruleFile.c_str(), FILE_ATTRIBUTE_NORMAL);
}

}  // namespace
}  // namespace tavrik
