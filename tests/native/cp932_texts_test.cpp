#include "common/cp932_texts.h"

#include <gtest/gtest.h>
#include <iconv.h>

#include <string>

namespace tavrik {
namespace {

std::string toCodePage932(const std::string& utf8) {
  iconv_t converter = iconv_open("CP932", "UTF-8");
  if (converter == reinterpret_cast<iconv_t>(-1)) return "<no converter>";
  std::string out(utf8.size() * 2, '\0');
  char* in = const_cast<char*>(utf8.data());
  char* dst = out.data();
  size_t inLeft = utf8.size(), outLeft = out.size();
  size_t result = iconv(converter, &in, &inLeft, &dst, &outLeft);
  iconv_close(converter);
  if (result == static_cast<size_t>(-1)) return "<conversion failed>";
  out.resize(out.size() - outLeft);
  return out;
}

// The byte escapes are typed by hand; one wrong byte shows the user garbage.
TEST(CodePage932Texts, AreTheShiftJisBytesOfTheirJapaneseTexts) {
  EXPECT_EQ(texts::kRuleFileMissingMessage, toCodePage932("cfg ファイルが見つかりません"));
  EXPECT_EQ(texts::kRuleFileWriteFailedMessage, toCodePage932("cfg ファイルのオープンに失敗しました。"));
  EXPECT_EQ(texts::kTagLibraryMissingMessage, toCodePage932("mp3infpをロードできませんでした\n"));
  EXPECT_EQ(texts::kTagLibraryTooOldMessage, toCodePage932("mp3infp v2.27以上が必要です"));
  EXPECT_EQ(texts::kTagLibraryEntryMissingMessage, toCodePage932("mp3infp.dllに必要な関数がありません"));
  EXPECT_EQ(texts::kScriptPanelName, std::string("\x83\x58\x83\x4E\x83\x8A\x83\x76\x83\x67"));
  EXPECT_EQ(texts::kTemplateFilter, toCodePage932("ベースHTMLファイル(*.html)|*.html||"));
  EXPECT_EQ(texts::kColumnConditionType, toCodePage932("条件型"));
  EXPECT_EQ(texts::kColumnConditionValue, toCodePage932("条件値"));
  EXPECT_EQ(texts::kColumnTemplatePath, toCodePage932("ベースHTMLファイル"));
  EXPECT_EQ(texts::kSettingsFileUnreadableMessage,
            toCodePage932("ini ファイルを読み込めませんでした。キャプションファイルは書き出しません。"));
  EXPECT_EQ(texts::kSettingsFileWriteFailedMessage, toCodePage932("ini ファイルのオープンに失敗しました。"));
  EXPECT_EQ(texts::kCaptionFileFilter,
            toCodePage932("テキストファイル(*.txt)|*.txt|HTMLファイル(*.html)|*.html|すべてのファイル(*.*)|*.*||"));
  EXPECT_EQ(texts::kIdleTemplateFilter,
            toCodePage932("テンプレート(*.html;*.txt)|*.html;*.txt|すべてのファイル(*.*)|*.*||"));
  EXPECT_EQ(texts::kPlainTemplateFilter,
            toCodePage932("テキストのテンプレート(*.txt)|*.txt|すべてのファイル(*.*)|*.*||"));
  EXPECT_STREQ(texts::kErrorTitle, "ERROR: gen_tavrik.dll");
}

}  // namespace
}  // namespace tavrik
