// The settings file as Windows' profile functions read it, and as it is
// written back: other lines kept byte for byte, ANSI while the code page
// holds the paths, UTF-16LE with its mark when not; garbled files refused;
// and the store's messages and its save only when something changed.
#include <gtest/gtest.h>

#include "caption/caption_settings_file.h"
#include "caption/caption_settings_store.h"
#include "caption/profile_text.h"
#include "common/cp932_texts.h"
#include "common/unicode_codec.h"
#include "fakes.h"
#include "memory_disk.h"

namespace tavrik {
namespace {

using testing::FakeCodePage;
using testing::kSettingsFilePath;

std::string utf16File(std::u16string_view text) { return std::string(kUtf16LeMark) + encodeUtf16Le(text); }

TEST(ProfileText, ReadsAsTheProfileFunctionsDo) {
  ProfileText<char> profile(
      "; a comment=not a key\r\n[other]\r\nfile=elsewhere.txt\r\n"
      "  [Caption]  \r\n  FILE =  C:\\now playing.txt  \r\nidle_template=\"  padded  \"\r\n"
      "when_paused='idle'\nkey without value\n[caption]\nfile=the second section is not read\n");
  EXPECT_EQ(profile.value("caption", "file"), "C:\\now playing.txt");
  EXPECT_EQ(profile.value("caption", "idle_template"), "  padded  ");
  EXPECT_EQ(profile.value("caption", "when_paused"), "idle");
  EXPECT_EQ(profile.value("caption", "key without value"), std::nullopt);
  EXPECT_EQ(profile.value("other", "file"), "elsewhere.txt");
  EXPECT_EQ(profile.value("none", "file"), std::nullopt);
  EXPECT_EQ(ProfileText<char>("[caption]\nfile=\"\n").value("caption", "file"), "\"");
}

TEST(ProfileText, SetsAValueInPlaceAfterTheSectionOrInANewOne) {
  ProfileText<char> profile("[caption]\nFile = old\n\n[other]\nx=1");
  profile.setValue("caption", "file", "new");
  profile.setValue("caption", "when_paused", "idle");
  profile.setValue("third", "k", " blanks ");
  profile.setValue("other", "y", "'quoted'");
  EXPECT_EQ(profile.text(),
            "[caption]\nfile=new\nwhen_paused=idle\r\n\n[other]\nx=1\r\ny=\"'quoted'\"\r\n"
            "[third]\r\nk=\" blanks \"\r\n");
  EXPECT_EQ(profile.value("third", "k"), " blanks ");
  EXPECT_EQ(profile.value("other", "y"), "'quoted'");
  EXPECT_EQ(profile.value("other", "x"), "1");
}

TEST(CaptionSettingsFile, ReadsAnsiAndUtf16WithDefaults) {
  FakeCodePage codePage;
  // "C:\テスト\表示.txt" in code page 932.
  auto ansi = parseCaptionSettingsFile("[caption]\r\nfile=C:\\\x83\x65\x83\x58\x83\x67\\\x95\x5c\x8e\xa6.txt\r\n",
                                       codePage);
  EXPECT_FALSE(ansi.garbled);
  EXPECT_EQ(ansi.settings.file, AnsiOrWide("C:\\\x83\x65\x83\x58\x83\x67\\\x95\x5c\x8e\xa6.txt"));
  EXPECT_EQ(ansi.settings.idleTemplate, AnsiOrWide());
  EXPECT_FALSE(ansi.settings.idleWhenPaused);

  // Paths the code page holds come as its bytes, others stay UTF-16.
  auto wide = parseCaptionSettingsFile(
      utf16File(u"[caption]\r\nfile=C:\\\uD55C\uAD6D\\now.txt\r\nidle_template=C:\\\u30C6.html\r\n"
                u"when_paused=IDLE\r\n"),
      codePage);
  EXPECT_FALSE(wide.garbled);
  EXPECT_EQ(wide.settings.file, AnsiOrWide(u"C:\\\uD55C\uAD6D\\now.txt"));
  EXPECT_EQ(wide.settings.idleTemplate, AnsiOrWide("C:\\\x83\x65.html"));
  EXPECT_TRUE(wide.settings.idleWhenPaused);

  EXPECT_FALSE(parseCaptionSettingsFile("", codePage).settings.on());
  EXPECT_FALSE(parseCaptionSettingsFile("[caption]\nwhen_paused=track\n", codePage).garbled);
}

TEST(CaptionSettingsFile, ReadsTheOverlaysKeysAndWritesThemOnlyOnceUsed) {
  FakeCodePage codePage;
  const std::string withOverlay =
      "[caption]\r\nfile=\r\nidle_template=\r\nwhen_paused=track\r\n[overlay]\r\nport=1608\r\n"
      "template=C:\\page.html\r\nstyle=C:\\look.css\r\nshow_for=5\r\n";
  auto file = parseCaptionSettingsFile(withOverlay, codePage);
  ASSERT_FALSE(file.garbled);
  const OverlayOutputSettings& overlay = file.settings.overlay;
  EXPECT_EQ(overlay.portNumber(), 1608);
  EXPECT_EQ(overlay.htmlTemplate, AnsiOrWide("C:\\page.html"));
  EXPECT_EQ(overlay.style, AnsiOrWide("C:\\look.css"));
  EXPECT_EQ(overlay.showForSeconds(), 5u);
  EXPECT_TRUE(file.settings.anyOn()) << "the player's state is asked for the page too";
  EXPECT_EQ(formatCaptionSettingsFile(file.settings, file, codePage), withOverlay) << "unchanged, byte for byte";

  // A file of before the page: nothing new turned on, nothing new written.
  const std::string before = "[caption]\r\nfile=C:\\now.txt\r\nidle_template=\r\nwhen_paused=idle\r\n";
  auto old = parseCaptionSettingsFile(before, codePage);
  EXPECT_FALSE(old.settings.overlay.on());
  EXPECT_EQ(formatCaptionSettingsFile(old.settings, old, codePage), before);
  CaptionSettings turnedOn = old.settings;
  turnedOn.overlay.port = "1700";
  EXPECT_EQ(formatCaptionSettingsFile(turnedOn, old, codePage), before + "[overlay]\r\nport=1700\r\n");
}

TEST(CaptionSettingsFile, ReadsTheCoversKeysAndWritesThemOnlyOnceUsed) {
  FakeCodePage codePage;
  const std::string withCover =
      "[caption]\r\nfile=\r\nidle_template=\r\nwhen_paused=track\r\n[obs]\r\ncover_source=Cover\r\n"
      "[overlay]\r\nport=1608\r\ncover=1\r\n[cover]\r\nfile=C:\\cover.png\r\nnone=C:\\none.png\r\n";
  auto file = parseCaptionSettingsFile(withCover, codePage);
  ASSERT_FALSE(file.garbled);
  EXPECT_EQ(file.settings.cover.file, AnsiOrWide("C:\\cover.png"));
  EXPECT_EQ(file.settings.cover.none, AnsiOrWide("C:\\none.png"));
  EXPECT_EQ(file.settings.obs.coverSource, AnsiOrWide("Cover"));
  EXPECT_TRUE(file.settings.obs.on()) << "an image source alone keeps the connection";
  EXPECT_TRUE(file.settings.overlay.showsCover());
  EXPECT_TRUE(file.settings.wantsCover());
  EXPECT_EQ(formatCaptionSettingsFile(file.settings, file, codePage), withCover) << "unchanged, byte for byte";

  // Only "1" shows the cover on the page, and only while the page is on.
  CaptionSettings page = file.settings;
  page.cover.file = {};
  page.overlay.cover = "yes";
  EXPECT_FALSE(page.wantsCover());
  page.overlay.cover = "1";
  page.overlay.port = {};
  EXPECT_FALSE(page.wantsCover());

  const std::string before = "[caption]\r\nfile=C:\\now.txt\r\nidle_template=\r\nwhen_paused=idle\r\n";
  auto old = parseCaptionSettingsFile(before, codePage);
  EXPECT_FALSE(old.settings.wantsCover());
  EXPECT_EQ(formatCaptionSettingsFile(old.settings, old, codePage), before);
  CaptionSettings turnedOn = old.settings;
  turnedOn.cover.file = "C:\\cover.png";
  EXPECT_EQ(formatCaptionSettingsFile(turnedOn, old, codePage), before + "[cover]\r\nfile=C:\\cover.png\r\n");
}

TEST(CaptionSettingsFile, ShowForAndHideTextOfTheFileAndOfOBSAreReadAndWrittenOnlyOnceUsed) {
  FakeCodePage codePage;
  const std::string text =
      "[caption]\r\nfile=C:\\now.txt\r\nidle_template=\r\nwhen_paused=track\r\nshow_for=8\r\n"
      "hide_text=C:\\gone.txt\r\n[obs]\r\nsource=Now\r\nshow_for=x\r\nhide_text=C:\\obs-gone.txt\r\n";
  auto file = parseCaptionSettingsFile(text, codePage);
  ASSERT_FALSE(file.garbled);
  EXPECT_EQ(file.settings.showForSeconds(), 8u);
  EXPECT_EQ(file.settings.hideText, AnsiOrWide("C:\\gone.txt"));
  EXPECT_EQ(file.settings.obs.showForSeconds(), 0u) << "no number: always shown";
  EXPECT_EQ(file.settings.obs.hideText, AnsiOrWide("C:\\obs-gone.txt"));
  EXPECT_EQ(formatCaptionSettingsFile(file.settings, file, codePage), text);
  const std::string before = "[caption]\r\nfile=C:\\now.txt\r\nidle_template=\r\nwhen_paused=track\r\n";
  auto old = parseCaptionSettingsFile(before, codePage);
  EXPECT_EQ(formatCaptionSettingsFile(old.settings, old, codePage), before);
}

TEST(OverlaySettings, PortsAndSecondsAreDecimalDigitsOnlyAndOutOfRangeIsOff) {
  OverlayOutputSettings settings;
  EXPECT_FALSE(settings.portNumber());
  for (const char* off : {"0", "65536", "99999", "1e3", "+80", "80 ", "0x50", "-1", "123456"}) {
    settings.port = off;
    EXPECT_FALSE(settings.portNumber()) << off;
  }
  settings.port = u"\uFF11\uFF16\uFF10\uFF18";  // full-width digits are no port
  EXPECT_FALSE(settings.portNumber());
  settings.port = u"1608";
  EXPECT_EQ(settings.portNumber(), 1608);
  settings.port = "00080";
  EXPECT_EQ(settings.portNumber(), 80);
  for (const char* always : {"", "0", "x", "-5", "1234567"}) {
    settings.showFor = always;
    EXPECT_EQ(settings.showForSeconds(), 0u) << always;
  }
  settings.showFor = "999999";
  EXPECT_EQ(settings.showForSeconds(), 999999u);
}

TEST(CaptionSettingsFile, RefusesWhatItCannotReadAsMeant) {
  FakeCodePage codePage;
  const std::string garbled[] = {
      std::string("[caption]\r\nfile=C:\\a.txt\0\r\n", 27),  // NUL bytes without the mark
      utf16File(u"[caption]\r\nfile=C:\\a.txt").substr(0, 9),  // an odd number of UTF-16 bytes
      utf16File(std::u16string(u"[caption]\nfile=a\0b", 18)),
      "\xEF\xBB\xBF[caption]\r\nfile=C:\\a.txt\r\n",  // UTF-8, which the profile functions do not read
      "[caption]\r\nfile=C:\\a.txt\r\nwhen_paused=sometimes\r\n",
  };
  for (const std::string& bytes : garbled) {
    auto file = parseCaptionSettingsFile(bytes, codePage);
    EXPECT_TRUE(file.garbled) << ::testing::PrintToString(bytes);
    EXPECT_FALSE(file.settings.on());
  }
}

// Windows keeps unpaired surrogates in file names and in a profile file's
// lines; read and written back, they stay what they were, never U+FFFD.
TEST(CaptionSettingsFile, KeepsUnpairedSurrogatesInPathsAndOtherLines) {
  FakeCodePage codePage;
  const std::u16string other = u"[other]\nx=\xDC00y\n";
  auto original = parseCaptionSettingsFile(utf16File(other + u"[caption]\nfile=C:\\\xD800.txt\n"), codePage);
  EXPECT_EQ(original.settings.file, AnsiOrWide(u"C:\\\xD800.txt"));

  CaptionSettings settings{u"C:\\\xDBFF\xD55C.txt", "", false};
  std::string saved = formatCaptionSettingsFile(settings, original, codePage);
  EXPECT_EQ(saved, utf16File(other + u"[caption]\nfile=C:\\\xDBFF\xD55C.txt\nidle_template=\r\n"
                                     u"when_paused=track\r\n"));
  EXPECT_EQ(parseCaptionSettingsFile(saved, codePage).settings, settings);
}

TEST(CaptionSettingsFile, WritesBackTheOtherLinesAndTurnsToUtf16OnlyWhenAPathNeedsIt) {
  FakeCodePage codePage;
  const std::string kept = "; mine\n[other]\nx=\x83\x65\n";
  auto original = parseCaptionSettingsFile(kept + "[caption]\nfile=a.txt\n", codePage);
  CaptionSettings settings{"C:\\\x83\x65.txt", "", true};
  std::string ansi = formatCaptionSettingsFile(settings, original, codePage);
  EXPECT_EQ(ansi, kept + "[caption]\nfile=C:\\\x83\x65.txt\nidle_template=\r\nwhen_paused=idle\r\n");
  EXPECT_EQ(parseCaptionSettingsFile(ansi, codePage).settings, settings);

  settings.file = u"C:\\\uD55C.txt";
  std::string wide = formatCaptionSettingsFile(settings, original, codePage);
  EXPECT_EQ(wide, utf16File(u"; mine\n[other]\nx=\u30C6\n[caption]\nfile=C:\\\uD55C.txt\nidle_template=\r\n"
                            u"when_paused=idle\r\n"));
  EXPECT_EQ(parseCaptionSettingsFile(wide, codePage).settings, settings);

  // A UTF-16 file stays UTF-16; a garbled one is not kept.
  settings = CaptionSettings{"b.txt", "", false};
  EXPECT_EQ(formatCaptionSettingsFile(settings, parseCaptionSettingsFile(wide, codePage), codePage)
                .substr(0, 2),
            std::string(kUtf16LeMark));
  auto garbled = parseCaptionSettingsFile(std::string("x\0y", 3), codePage);
  EXPECT_EQ(formatCaptionSettingsFile(settings, garbled, codePage),
            "[caption]\r\nfile=b.txt\r\nidle_template=\r\nwhen_paused=track\r\n");
}

TEST(CaptionSettingsFile, TheCaptionTemplateAndTheObsKeysAreWrittenOnlyOnceTheyAreUsed) {
  FakeCodePage codePage;
  auto read = parseCaptionSettingsFile(
      "[caption]\nfile=C:\\now.txt\ntemplate=C:\\plain.txt\n[OBS]\naddress = 127.0.0.1:4460\n"
      "password=\"  secret \"\nsource=Now \x83\x65\ntemplate=C:\\obs.txt\n",
      codePage);
  ASSERT_FALSE(read.garbled);
  EXPECT_EQ(read.settings.plainTemplate, AnsiOrWide("C:\\plain.txt"));
  EXPECT_EQ(read.settings.obs, (ObsOutputSettings{"127.0.0.1:4460", "  secret ", "Now \x83\x65", "C:\\obs.txt", {}, {}, {}}));
  EXPECT_EQ(formatCaptionSettingsFile(read.settings, read, codePage),
            "[caption]\nfile=C:\\now.txt\ntemplate=C:\\plain.txt\nidle_template=\r\nwhen_paused=track\r\n"
            "[OBS]\naddress=127.0.0.1:4460\npassword=\"  secret \"\nsource=Now \x83\x65\ntemplate=C:\\obs.txt\n");

  // Nothing new turned on: the file is the one it always was, no new key.
  auto old = parseCaptionSettingsFile("[caption]\nfile=a.txt\n", codePage);
  CaptionSettings settings = old.settings;
  settings.file = "b.txt";
  EXPECT_EQ(formatCaptionSettingsFile(settings, old, codePage),
            "[caption]\nfile=b.txt\nidle_template=\r\nwhen_paused=track\r\n");
  // A key once there is kept, emptied; a Hangul password makes it UTF-16.
  settings.obs.source = "Text";
  settings.obs.password = u"\uBE44\uBC00";
  std::string wide = formatCaptionSettingsFile(settings, old, codePage);
  EXPECT_EQ(wide, utf16File(u"[caption]\nfile=b.txt\nidle_template=\r\nwhen_paused=track\r\n"
                            u"[obs]\r\npassword=\uBE44\uBC00\r\nsource=Text\r\n"));
  EXPECT_EQ(parseCaptionSettingsFile(wide, codePage).settings, settings);
  settings.obs.source = "";
  auto reread = parseCaptionSettingsFile(wide, codePage);
  EXPECT_NE(formatCaptionSettingsFile(settings, reread, codePage).find(encodeUtf16Le(u"source=\r\n")),
            std::string::npos);
}

class CaptionSettingsStoreTest : public ::testing::Test {
 protected:
  testing::MemoryDisk disk;
  testing::FakeModuleServices services;
  FakeCodePage codePage;
  CaptionSettingsStore store{disk, services, codePage};
};

TEST_F(CaptionSettingsStoreTest, AMissingFileIsOffSilentlyAndStaysMissingUntilSomethingIsSet) {
  EXPECT_FALSE(store.load().on());
  store.save(CaptionSettings{});
  EXPECT_TRUE(services.errors.empty());
  EXPECT_EQ(disk.ansi.files.count(kSettingsFilePath), 0u);
  store.save(CaptionSettings{"C:\\now.txt", "", false});
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], "[caption]\r\nfile=C:\\now.txt\r\nidle_template=\r\nwhen_paused=track\r\n");
}

TEST_F(CaptionSettingsStoreTest, AGarbledFileIsOffWithOneMessageAndKeptUnlessTheUserSetsNew) {
  const std::string garbled("[caption]\r\nfile=C:\\now.txt\r\n\0\0", 29);
  disk.ansi.files[kSettingsFilePath] = garbled;
  EXPECT_FALSE(store.load().on());
  EXPECT_EQ(services.errors, std::vector<std::string>{texts::kSettingsFileUnreadableMessage});
  store.save(CaptionSettings{});
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], garbled);
  store.save(CaptionSettings{"C:\\new.txt", "", false});
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], "[caption]\r\nfile=C:\\new.txt\r\nidle_template=\r\nwhen_paused=track\r\n");
}

// Its lines are unknown: writing the caption keys alone over it would drop
// every other one.
TEST_F(CaptionSettingsStoreTest, AFileThatDidNotOpenIsNeverWrittenOverAndNewSettingsSaySoAtQuit) {
  const std::string mine = "[caption]\r\nfile=C:\\now.txt\r\n[mine]\r\nkeep=this\r\n";
  disk.ansi.files[kSettingsFilePath] = mine;
  disk.ansi.held.insert(kSettingsFilePath);
  EXPECT_FALSE(store.load().on());
  EXPECT_EQ(services.errors, std::vector<std::string>{texts::kSettingsFileUnreadableMessage});
  disk.ansi.held.clear();  // the editor let go before quit
  store.save(CaptionSettings{});
  EXPECT_EQ(services.errors.size(), 1u) << "nothing changed, nothing to say";
  store.save(CaptionSettings{"C:\\new.txt", "", false});
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], mine);
  EXPECT_EQ(services.errors, (std::vector<std::string>{texts::kSettingsFileUnreadableMessage,
                                                       texts::kSettingsFileWriteFailedMessage}));
}

TEST_F(CaptionSettingsStoreTest, SavesOnlyChangesAndSaysOnceWhenItCannot) {
  const std::string mine = "[caption]\nfile = C:\\now.txt\nwhen_paused = idle\n";
  disk.ansi.files[kSettingsFilePath] = mine;
  CaptionSettings loaded = store.load();
  EXPECT_EQ(loaded, (CaptionSettings{"C:\\now.txt", "", true}));
  store.save(loaded);
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], mine) << "unchanged settings are not written";
  disk.ansi.readOnly.insert(kSettingsFilePath);
  store.save(CaptionSettings{});
  EXPECT_EQ(services.errors, std::vector<std::string>{texts::kSettingsFileWriteFailedMessage});
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], mine);
}

}  // namespace
}  // namespace tavrik
