// Why nothing shows, in the real rule list dialog of the plug-in in the
// stand-in player: no encoder, a hung encoder, a caption file another
// program holds and one whose folder is gone, each on its own line below the
// table, read from the dialog as the user sees it. (A refusal across rights
// cannot be made under Wine, whose message filter lets everything through:
// the native tests cover it over a fake.)
#include <gtest/gtest.h>

#include "common/unicode_codec.h"
#include "common/win32_handles.h"
#include "player_folder.h"
#include "resources/resource_ids.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::audio;
using testing::PlayerFolder;
using testing::StandinEncoder;
using testing::writeFileBytes;

// A player with one track and, when `caption` is given, that caption file.
struct StatusPlayer {
  StatusPlayer(const std::string& name, const std::string& caption = "") : player(name) {
    writeFileBytes(player.ruleFile, "");
    writeFileBytes(player.plugins + "\\default.html", "#TITLE");
    if (!caption.empty()) writeFileBytes(player.plugins + "\\gen_tavrik.ini", "[caption]\r\nfile=" + caption + "\r\n");
    player.playlist({audio("v23.mp3")});
  }
  // The status lines the dialog shows once they hold `wanted` (five seconds
  // at most), in UTF-8; then the dialog is cancelled.
  std::vector<std::string> linesShown(const std::string& wanted) {
    std::vector<std::string> lines;
    player.whileRunning = [&] {
      HWND dialog = testing::waitForWindow(player.hostProcessId, "#32770", 20000, "gen_tavrik setting");
      if (!dialog) return;
      for (int tries = 0; tries < 100; ++tries) {
        lines = testing::statusLinesOf(dialog);
        bool found = false;
        for (const std::string& line : lines) found = found || line.find(wanted) != std::string::npos;
        if (found) break;
        Sleep(50);
      }
      PostMessageA(dialog, WM_COMMAND, IDCANCEL, 0);
    };
    EXPECT_EQ(player.runHost("play:0 wait:1500 config exit"), 0);
    return lines;
  }
  PlayerFolder player;
};

bool anyHas(const std::vector<std::string>& lines, const std::string& text) {
  for (const std::string& line : lines)
    if (line.find(text) != std::string::npos) return true;
  return false;
}

TEST(StatusLinesEndToEnd, NoEncoderSaysSoAndNoOtherOutputHasALine) {
  StatusPlayer run("status-no-encoder");
  std::vector<std::string> lines = run.linesShown("見つかりません");
  ASSERT_EQ(lines.size(), 1u) << ::testing::PrintToString(lines);
  EXPECT_TRUE(anyHas(lines, "エンコーダー: スクリプトパネルのあるウィンドウが見つかりません (")) << lines[0];
}

TEST(StatusLinesEndToEnd, AHungEncoderDidNotAnswerAndAWorkingOneGotTheText) {
  {
    StandinEncoder encoder("status-hung", "--hang 20");
    ASSERT_TRUE(encoder.waitUntilReady());
    StatusPlayer run("status-hung");
    std::vector<std::string> lines = run.linesShown("応答がありません");
    EXPECT_TRUE(anyHas(lines, "エンコーダー: 応答がありません (")) << ::testing::PrintToString(lines);
  }
  StandinEncoder encoder("status-prompt", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  StatusPlayer run("status-prompt");
  EXPECT_TRUE(anyHas(run.linesShown("送りました"), "エンコーダー: 送りました ("));
}

TEST(StatusLinesEndToEnd, ACaptionFileHeldByAnotherProgramOrInAMissingFolderSaysWhyAndWhere) {
  const std::string folder = testing::freshFolder("status-caption-files");
  const std::string held = folder + "\\held.txt";
  writeFileBytes(held, "yesterday");
  // A reader that opened the file without letting it be deleted or renamed.
  UniqueFile reader(CreateFileA(held.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  StatusPlayer heldRun("status-held", held);
  EXPECT_TRUE(anyHas(heldRun.linesShown("ほかのプログラム"),
                     "キャプションファイル: 書き出せません (ほかのプログラムが開いています) " + held));
  reader.reset();

  const std::string missing = folder + "\\gone\\now.txt";
  StatusPlayer missingRun("status-missing", missing);
  EXPECT_TRUE(anyHas(missingRun.linesShown("フォルダー"),
                     "キャプションファイル: 書き出せません (フォルダーがありません) " + missing));
}

}  // namespace
}  // namespace tavrik
