// The music on a share that takes seconds to answer (the stand-in tag
// library's slow mode): the player's retitles never wait for it, only the
// newest track of a quick succession is shown, a rule changed meanwhile
// counts from the next track, and quit ends in time and saves.
#include <gtest/gtest.h>

#include "common/code_page_win32.h"
#include "player_folder.h"
#include "resources/resource_ids.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::audio;
using testing::contains;
using testing::Lines;
using testing::valueIn;
using testing::PlayerFolder;
using testing::readFileBytes;
using testing::StandinEncoder;
using testing::writeFileBytes;

// A player whose tag loads each take `loadMs`.
struct SlowSharePlayer {
  SlowSharePlayer(const std::string& name, int loadMs) : player(name), encoder(name, "") {
    SetEnvironmentVariableA("STANDIN_MP3INFP_LOAD_MS", std::to_string(loadMs).c_str());
    writeFileBytes(player.plugins + "\\default.html", "#ARTIST / #TITLE");
    // The same tags under a second name: a second track for one rule.
    CopyFileA(audio("v23.mp3").c_str(), (player.folder + "\\again.mp3").c_str(), FALSE);
  }
  ~SlowSharePlayer() { SetEnvironmentVariableA("STANDIN_MP3INFP_LOAD_MS", nullptr); }
  Lines loads() const {
    Lines out;
    for (const std::string& line : player.libraryEvents())
      if (line.rfind("load ", 0) == 0) out.push_back(line);
    return out;
  }
  PlayerFolder player;
  StandinEncoder encoder;
};

TEST(SlowShareEndToEnd, RetitlesComeBackAtOnceAndOnlyTheNewestOfAQuickSuccessionIsShown) {
  SlowSharePlayer run("slow-succession", 2000);
  ASSERT_TRUE(run.encoder.waitUntilReady());
  writeFileBytes(run.player.ruleFile, "");
  run.player.playlist({audio("v1.mp3"), audio("markup.mp3"), audio("notag.mp3"), audio("v23.mp3")});
  // Track 0 starts loading; three more changes follow within milliseconds.
  EXPECT_EQ(run.player.runHost("play:0 bench-tracks:3 wait:6000 exit"), 0);
  const long slowest = valueIn(run.player.hostLog(), "bench-tracks ", "max_us");
  ASSERT_GE(slowest, 0);
  EXPECT_LT(slowest, 300000) << "a retitle waited for a two-second load";
  EXPECT_EQ(run.encoder.texts(), std::vector<std::string>{"V2 Artist / V2 Title"});
  // The first file was being read when the others came; of those only the
  // newest was read at all, and every load came on the plug-in's thread.
  EXPECT_EQ(run.loads(), (Lines{"load " + audio("v1.mp3") + " thread=other",
                                "load " + audio("v23.mp3") + " thread=other"}));
}

// Adds a rule in the player's rule list dialog, as a user would, and OKs it.
bool addRuleInTheDialog(DWORD process, const std::string& artist, const std::string& templatePath) {
  HWND ruleList = testing::waitForWindow(process, "#32770", 20000, "gen_tavrik setting");
  if (!ruleList) return false;
  PostMessageA(GetDlgItem(ruleList, IDC_ADD), BM_CLICK, 0, 0);
  const std::string title = *Win32CodePage().toAnsiExactly(u"gen_tavrik \u6761\u4EF6\u8FFD\u52A0");
  HWND condition = testing::waitForWindow(process, "#32770", 20000, title);
  if (!condition) return false;
  SendMessageA(GetDlgItem(condition, IDC_CONDITION_TYPE), CB_SETCURSEL, 1, 0);  // ARTIST
  SendMessageA(GetDlgItem(condition, IDC_CONDITION_VALUE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(artist.c_str()));
  SendMessageA(GetDlgItem(condition, IDC_TEMPLATE_PATH), WM_SETTEXT, 0,
               reinterpret_cast<LPARAM>(templatePath.c_str()));
  PostMessageA(condition, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 500 && IsWindow(condition); ++i) Sleep(10);
  PostMessageA(ruleList, WM_COMMAND, IDOK, 0);
  for (int i = 0; i < 500 && IsWindow(ruleList); ++i) Sleep(10);
  return !IsWindow(ruleList);
}

TEST(SlowShareEndToEnd, ARuleChangedDuringASlowLoadCountsFromTheNextTrack) {
  SlowSharePlayer run("slow-rule", 3000);
  ASSERT_TRUE(run.encoder.waitUntilReady());
  writeFileBytes(run.player.ruleFile, "");
  const std::string bandTemplate = run.player.folder + "\\band.html";
  writeFileBytes(bandTemplate, "<b>#TITLE</b>");
  run.player.playlist({audio("v23.mp3"), run.player.folder + "\\again.mp3"});
  bool added = false;
  run.player.whileRunning = [&] { added = addRuleInTheDialog(run.player.hostProcessId, "V2 Artist", bandTemplate); };
  EXPECT_EQ(run.player.runHost("play:0 config wait:4000 play:1 wait:4000 exit"), 0);
  ASSERT_TRUE(added);
  ASSERT_LT(run.player.when("config gen_tavrik.dll returned"), run.player.when("track 0 " + audio("v23.mp3")) + 3000)
      << "the rule came in force while the first track's tags were still loading";
  EXPECT_EQ(run.encoder.texts(), (std::vector<std::string>{"V2 Artist / V2 Title", "<b>V2 Title</b>"}));
  EXPECT_EQ(readFileBytes(run.player.ruleFile), "ARTIST\tV2 Artist\t" + bandTemplate + "\r\n");
}

TEST(SlowShareEndToEnd, QuitDuringALoadThatDoesNotReturnEndsInTimeAndSaves) {
  SlowSharePlayer run("slow-quit", 8000);
  writeFileBytes(run.player.ruleFile, "TITLE\tV2 Title\tx.html\n");
  run.player.playlist({audio("v23.mp3")});
  EXPECT_EQ(run.player.runHost("play:0 wait:300 exit"), 0);
  const long quitBegan = run.player.when("quit gen_tavrik.dll called");
  const long quitEnded = run.player.when("quit gen_tavrik.dll returned");
  ASSERT_GE(quitBegan, 0);
  EXPECT_LE(quitEnded - quitBegan, 2200) << "quit waited for the share";
  // Saved all the same: the line ends the way the plug-in writes them.
  EXPECT_EQ(readFileBytes(run.player.ruleFile), "TITLE\tV2 Title\tx.html\r\n");
  Lines host = run.player.hostLog();
  // The thread is still inside the library: both stay loaded until the end.
  EXPECT_TRUE(contains(host, "unloaded gen_tavrik.dll still-mapped=yes"));
  EXPECT_TRUE(contains(host, "wndproc restored: yes"));
  EXPECT_TRUE(run.encoder.texts().empty());
  EXPECT_FALSE(contains(run.player.libraryEvents(), "detach unload"));
}

TEST(SlowShareEndToEnd, QuitDuringAShorterLoadLetsItsTextThrough) {
  SlowSharePlayer run("slow-quit-short", 1000);
  ASSERT_TRUE(run.encoder.waitUntilReady());
  writeFileBytes(run.player.ruleFile, "");
  run.player.playlist({audio("v23.mp3")});
  EXPECT_EQ(run.player.runHost("play:0 wait:200 exit"), 0);
  EXPECT_EQ(run.encoder.texts(), std::vector<std::string>{"V2 Artist / V2 Title"});
  EXPECT_TRUE(contains(run.player.hostLog(), "unloaded gen_tavrik.dll still-mapped=no"));
  EXPECT_TRUE(contains(run.player.libraryEvents(), "detach unload"));
}

}  // namespace
}  // namespace tavrik
