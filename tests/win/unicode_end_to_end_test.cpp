// The whole plug-in in a player once more, with texts beyond the ANSI code
// page: file names, tags, templates and rules in Unicode reach the encoder
// exactly, a Unicode host window keeps its title, and with an older player
// and an older tag library everything goes as ANSI bytes as before.
#include <gtest/gtest.h>

#include "common/code_page_win32.h"
#include "common/unicode_codec.h"
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
using testing::StandinEncoder;
using testing::wholeDelivery;
using testing::writeFileBytes;

// "노래.mp3", the test file whose name is Hangul, in UTF-8.
const std::string kHangulFile = encodeUtf8(u"\uB178\uB798.mp3");

std::string utf16LeFile(const std::u16string& text) {
  std::string bytes = "\xFF\xFE";
  for (char16_t unit : text) {
    bytes += static_cast<char>(unit & 0xFF);
    bytes += static_cast<char>(unit >> 8);
  }
  return bytes;
}

std::string utf8Audio(const std::string& utf8Name) {
  Win32CodePage codePage;
  return encodeUtf8(codePage.toWide(audio(""))) + utf8Name;
}

// The same three templates, one in each encoding: ANSI bytes, UTF-8 behind
// its mark, UTF-16LE behind its mark; the UTF-16 one also in a folder whose
// name is Hangul ("음악").
struct Templates {
  explicit Templates(const PlayerFolder& player) {
    writeFileBytes(player.plugins + "\\default.html", "<p>#ARTIST - #TITLE</p>\r\n");
    writeFileBytes(player.folder + "\\utf8.html", "\xEF\xBB\xBF<b>#TITLE</b> \xE2\x99\xAA #ARTIST\r\n");
    const std::string utf16 = utf16LeFile(u"<i>#ARTIST</i>:\t#TITLE (#ALBUM)\r\n");
    writeFileBytes(player.folder + "\\utf16.html", utf16);
    std::u16string hangulFolder = Win32CodePage().toWide(player.folder) + u"\\\uC74C\uC545";
    CreateDirectoryW(reinterpret_cast<const wchar_t*>(hangulFolder.c_str()), nullptr);
    std::u16string path = hangulFolder + u"\\utf16.html";
    UniqueFile file(CreateFileW(reinterpret_cast<const wchar_t*>(path.c_str()), GENERIC_WRITE, 0, nullptr,
                                CREATE_ALWAYS, 0, nullptr));
    DWORD written = 0;
    WriteFile(file.get(), utf16.data(), static_cast<DWORD>(utf16.size()), &written, nullptr);
    hangulUtf16 = encodeUtf8(hangulFolder) + "\\utf16.html";
  }
  std::string hangulUtf16;  // the path in UTF-8
};

struct RuleFileCase {
  const char* name;
  // The rule file's bytes for a player folder and the Hangul template path.
  std::string (*rules)(const std::string& folder, const std::string& hangulUtf16);
  std::vector<std::u16string> texts;  // what the encoder receives, track by track
};

const RuleFileCase kRuleFiles[] = {
    {"ansi-rules",
     // Rules in code page 932 match the tags it can hold, by their bytes.
     [](const std::string& folder, const std::string&) {
       return "GENRE\tPop\t" + folder + "\\utf16.html\r\nGENRE\tAmbient\t" + folder + "\\utf8.html\r\n";
     },
     {u"<i>Beyonc\u00E9</i>:Halo \u2661 (I Am... Sasha Fierce)", u"<b>Hopp\u00EDpolla</b> \u266A Sigur R\u00F3s",
      u"<p>\uC544\uC774\uC720 - \uC548\uB155\uD558\uC138\uC694 \U0001F3B5</p>",
      u"<p>Caf\u00E9 \u2661 - \u2661 Love \U0001F600</p>", u"<p>V2 Artist - V2 Title</p>"}},
    {"utf8-rules",
     // Rules behind the UTF-8 mark match any text, character for character.
     [](const std::string& folder, const std::string& hangulUtf16) {
       return encodeUtf8(u"\uFEFFARTIST\tBeyonc\u00E9\t") + folder + "\\utf8.html\r\n" +
              encodeUtf8(u"ARTIST\tSigur R\u00F3s\t") + hangulUtf16 + "\r\n" +
              encodeUtf8(u"TITLE\t\uC548\uB155\uD558\uC138\uC694 \U0001F3B5\t") + folder + "\\utf16.html\r\n" +
              encodeUtf8(u"GENRE\t\u00C9lectro\t") + folder + "\\utf8.html\r\n";
     },
     {u"<b>Halo \u2661</b> \u266A Beyonc\u00E9", u"<i>Sigur R\u00F3s</i>:Hopp\u00EDpolla (Takk...)",
      u"<i>\uC544\uC774\uC720</i>:\uC548\uB155\uD558\uC138\uC694 \U0001F3B5 (\uAF43\uAC08\uD53C)",
      u"<b>\u2661 Love \U0001F600</b> \u266A Caf\u00E9 \u2661", u"<p>V2 Artist - V2 Title</p>"}},
};

class UnicodeEndToEnd : public ::testing::TestWithParam<RuleFileCase> {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 932u); }
};
INSTANTIATE_TEST_SUITE_P(EachRuleFile, UnicodeEndToEnd, ::testing::ValuesIn(kRuleFiles),
                         [](const auto& info) { return std::string(info.param.name) == "ansi-rules" ? "Ansi" : "Utf8"; });

TEST_P(UnicodeEndToEnd, EveryCharacterReachesTheEncoderThroughTemplatesInEachEncoding) {
  StandinEncoder encoder(GetParam().name, "--wide");
  ASSERT_TRUE(encoder.waitUntilReady());
  PlayerFolder player(GetParam().name);
  Templates templates(player);
  const std::string rules = GetParam().rules(player.folder, templates.hangulUtf16);
  writeFileBytes(player.ruleFile, rules);
  player.utf8Playlist({utf8Audio("beyonce.mp3"), utf8Audio("sigur_ros.mp3"), utf8Audio(kHangulFile),
                       utf8Audio("emoji.mp3"), utf8Audio("v23.mp3")});

  // Each track plays long enough for its text to reach the encoder: a newer
  // one would replace a text that has not started.
  EXPECT_EQ(player.runHost("play:0 pause pause wait:300 play:1 wait:300 play:2 refresh wait:300 play:3 wait:300 "
                           "play:4 exit"),
            0);

  EXPECT_EQ(encoder.wideTexts(), GetParam().texts);
  Lines all;
  for (const std::u16string& text : GetParam().texts) all = all + testing::wideDelivery(text);
  EXPECT_EQ(encoder.messages(), all);
  // The rule file is written back at quit exactly as it was.
  EXPECT_EQ(testing::readFileBytes(player.ruleFile), rules);
  EXPECT_TRUE(contains(player.hostLog(), "wndproc restored: yes"));
}

TEST(UnicodeHostWindow, KeepsEveryCharacterOfItsTitleWithThePluginIn) {
  StandinEncoder encoder("unicode-window", "--wide");
  ASSERT_TRUE(encoder.waitUntilReady());
  PlayerFolder player("unicode-window");
  writeFileBytes(player.ruleFile, "");
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  player.utf8Playlist({utf8Audio(kHangulFile), utf8Audio("beyonce.mp3")});
  EXPECT_EQ(player.runHost("play:0 pause play:1 exit", "--window unicode"), 0);

  // The titles as the host's own window shows them, after the hook.
  Lines host = player.hostLog();
  EXPECT_TRUE(contains(host, "shown 0 1. " + encodeUtf8(u"\uB178\uB798") + " - Winamp"));
  EXPECT_TRUE(contains(host, "shown 0 1. " + encodeUtf8(u"\uB178\uB798") + " - Winamp [Paused]"));
  EXPECT_TRUE(contains(host, "shown 1 2. beyonce - Winamp"));
  EXPECT_TRUE(contains(host, "wndproc restored: yes"));
  EXPECT_EQ(encoder.wideTexts(),
            (std::vector<std::u16string>{u"\uC548\uB155\uD558\uC138\uC694 \U0001F3B5", u"Halo \u2661"}));
}

// Older and newer players and tag libraries, in every pairing, deliver the
// same texts from ANSI playlists, rules and templates. With both older ones
// the plug-in asks the player for the wide path, hears 0, and from there on
// works in ANSI bytes only, as it always did.
TEST(OlderPlayersAndLibraries, DeliverTheSameBytesAsEver) {
  struct Pairing {
    const char* name;
    const char* hostOptions;
    const char* library;
  };
  for (const Pairing& p : {Pairing{"both-older", "--wide-requests no", "taglib-ansi"},
                           Pairing{"older-player", "--wide-requests no", "taglib"},
                           Pairing{"older-library", "", "taglib-ansi"}, Pairing{"both-newer", "", "taglib"}}) {
    SCOPED_TRACE(p.name);
    StandinEncoder encoder(p.name, "");
    ASSERT_TRUE(encoder.waitUntilReady());
    PlayerFolder player(p.name, p.library);
    const std::string rules = "ARTIST\t\x89\xcc\x8e\xe8\t" + player.folder + "\\singer.html\r\n";
    writeFileBytes(player.ruleFile, rules);
    writeFileBytes(player.plugins + "\\default.html", "<p>#ARTIST - #TITLE</p>\r\n\t<i>#ALBUM</i>\r\n");
    writeFileBytes(player.folder + "\\singer.html", "\x95\x5c: #TITLE");
    player.playlist({audio("markup.mp3"), audio("v24_japanese.mp3"), audio("info.wav")});
    EXPECT_EQ(player.runHost("play:0 wait:300 play:1 wait:300 play:2 exit", p.hostOptions), 0);

    const std::vector<std::string> expected = {
        "<p>Tom &amp; Jerry - Rock &amp; Roll &lt;Live&gt; &quot;x&quot;</p><i>Bob's &lt;Best&gt;</i>",
        "\x95\x5c: \x83\x65\x83\x58\x83\x67\x8b\xc8", "<p>Wave Artist - Wave Title</p><i>Wave Album</i>"};
    Lines all;
    for (const std::string& text : expected) all = all + wholeDelivery(text);
    EXPECT_EQ(encoder.messages(), all);
    EXPECT_EQ(testing::readFileBytes(player.ruleFile), rules);
    if (std::string(p.name) == "both-older") {
      // Each retitle asked for the wide path first (an "other" request here).
      EXPECT_TRUE(contains(player.hostLog(), "requests isplaying=0 listpos=3 playlistfile=3 playlistfilew=0 "
                                             "playlisttitlew=0 inidir=1 inidirw=1 other=3"));
    }
  }
}

TEST(OlderPlayersAndLibraries, AFileNamedBeyondTheCodePageIsSkippedByAnOlderLibrary) {
  StandinEncoder encoder("older-library-hangul", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  PlayerFolder player("older-library-hangul", "taglib-ansi");
  writeFileBytes(player.ruleFile, "");
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  player.utf8Playlist({utf8Audio(kHangulFile), utf8Audio("v23.mp3")});
  EXPECT_EQ(player.runHost("play:0 play:1 exit"), 0);
  // The older library cannot open "노래.mp3" by any ANSI name: that track
  // delivers nothing, the next one arrives.
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{"V2 Title"}));
}

}  // namespace
}  // namespace tavrik
