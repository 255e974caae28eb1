// The lines the rule list dialog shows below its table: one per output that
// is on, each outcome in its own words, the time of day after what was
// tried, the file's path and the source's name where they tell the user
// where to look.
#include "ui/status_lines.h"

#include <gtest/gtest.h>

#include "common/unicode_codec.h"
#include "fakes.h"

namespace tavrik {
namespace {

using std::chrono::system_clock;

std::u16string fakeTime(system_clock::time_point at) {
  return u"t" + std::u16string(1, static_cast<char16_t>(u'0' + std::chrono::duration_cast<std::chrono::seconds>(
                                                                      at.time_since_epoch())
                                                                      .count()));
}

template <typename Outcome>
Recorded<Outcome> at(Outcome outcome, int second, int code = 0) {
  return {outcome, code, system_clock::time_point(std::chrono::seconds(second))};
}

std::vector<std::string> linesOf(const OutputsStatus& status) {
  testing::FakeCodePage codePage;
  std::vector<std::string> out;
  for (const std::u16string& line : statusLines(status, codePage, fakeTime)) out.push_back(encodeUtf8(line));
  return out;
}

TEST(StatusLines, OnlyTheEncoderWhileNothingElseIsOn) {
  OutputsStatus status;
  EXPECT_EQ(linesOf(status), std::vector<std::string>{"エンコーダー: まだ何も送っていません"});
  status.encoder = at(EncoderOutcome::delivered, 1);
  EXPECT_EQ(linesOf(status), std::vector<std::string>{"エンコーダー: 送りました (t1)"});
}

TEST(StatusLines, EachEncoderOutcomeSaysWhatToDo) {
  const std::pair<EncoderOutcome, std::string> cases[] = {
      {EncoderOutcome::noWindow, "エンコーダー: スクリプトパネルのあるウィンドウが見つかりません (t2)"},
      {EncoderOutcome::noAnswer, "エンコーダー: 応答がありません (t2)"},
      {EncoderOutcome::refused,
       "エンコーダー: 拒否されました。プレーヤーより高い権限で動いています。両方を同じ方法で起動してください (t2)"},
  };
  for (const auto& [outcome, line] : cases) {
    OutputsStatus status;
    status.encoder = at(outcome, 2);
    EXPECT_EQ(linesOf(status), std::vector<std::string>{line});
  }
}

TEST(StatusLines, TheCaptionFileSaysWhyAndWhereAndOBSNamesItsSource) {
  OutputsStatus status;
  status.captionFile = u"C:\\\uCEA1\uC158\\now.txt";
  status.obsSource = "Now Playing";
  const std::pair<Recorded<CaptionOutcome>, std::string> files[] = {
      {at(CaptionOutcome::nothingYet, 0), "キャプションファイル: まだ書き出していません C:\\캡션\\now.txt"},
      {at(CaptionOutcome::written, 3), "キャプションファイル: 書き出しました C:\\캡션\\now.txt (t3)"},
      {at(CaptionOutcome::held, 3), "キャプションファイル: 書き出せません (ほかのプログラムが開いています) C:\\캡션\\now.txt (t3)"},
      {at(CaptionOutcome::folderMissing, 3), "キャプションファイル: 書き出せません (フォルダーがありません) C:\\캡션\\now.txt (t3)"},
      {at(CaptionOutcome::denied, 3), "キャプションファイル: 書き出せません (書き込みが許可されていません) C:\\캡션\\now.txt (t3)"},
      {at(CaptionOutcome::diskFull, 3), "キャプションファイル: 書き出せません (ディスクがいっぱいです) C:\\캡션\\now.txt (t3)"},
      {at(CaptionOutcome::otherFailure, 3, 1117), "キャプションファイル: 書き出せません (エラー 1117) C:\\캡션\\now.txt (t3)"},
  };
  for (const auto& [record, line] : files) {
    status.caption = record;
    EXPECT_EQ(linesOf(status).at(1), line);
  }
  const std::pair<Recorded<ObsOutcome>, std::string> obs[] = {
      {at(ObsOutcome::nothingYet, 0), "OBS: まだ何も送っていません"},
      {at(ObsOutcome::textSet, 4), "OBS: 「Now Playing」にテキストを設定しました (t4)"},
      {at(ObsOutcome::notRunning, 4), "OBS: 接続できません (OBS が起動していないか、WebSocket サーバーが無効です) (t4)"},
      {at(ObsOutcome::passwordRefused, 4, 4009), "OBS: パスワードが拒否されました (t4)"},
      {at(ObsOutcome::noSource, 4, 600), "OBS: 「Now Playing」という名前のソースがありません (t4)"},
      {at(ObsOutcome::otherFailure, 4, 4002), "OBS: エラー 4002 (t4)"},
  };
  for (const auto& [record, line] : obs) {
    status.obs = record;
    std::vector<std::string> lines = linesOf(status);
    ASSERT_EQ(lines.size(), 3u) << "the encoder, the caption file, then OBS";
    EXPECT_EQ(lines[2], line);
  }
}

TEST(StatusLines, TheCoverFileComesLastAndOBSNamesTheImageSource) {
  OutputsStatus status;
  status.obs = at(ObsOutcome::coverSet, 5);
  status.obsCoverSource = "Cover";
  status.cover = at(CaptionOutcome::held, 6);
  status.coverFile = "C:\\obs\\cover.png";
  status.overlay = at(OverlayOutcome::serving, 7, 1);
  status.overlayPort = 1608;
  std::vector<std::string> lines = linesOf(status);
  ASSERT_EQ(lines.size(), 4u) << "the encoder, OBS, the page, then the cover file";
  EXPECT_EQ(lines[1], "OBS: 「Cover」に画像を設定しました (t5)");
  EXPECT_EQ(lines[3], "カバーファイル: 書き出せません (ほかのプログラムが開いています) C:\\obs\\cover.png (t6)");
  status.obs = at(ObsOutcome::noCoverSource, 5, 600);
  EXPECT_EQ(linesOf(status)[1], "OBS: 「Cover」という名前の画像ソースがありません (t5)");
}

}  // namespace
}  // namespace tavrik
