// The settings folder the host names: which answer counts, when it is the
// host's own folder after all, and which answers name no folder.
#include "common/settings_folder.h"

#include <gtest/gtest.h>

#include "fakes.h"

namespace tavrik {
namespace {

const std::u16string kRoaming = u"C:\\Users\\me\\AppData\\Roaming\\Winamp";

class SettingsFolderTest : public ::testing::Test {
 protected:
  SettingsFolder ask() { return askSettingsFolder(services, codePage); }
  testing::FakeModuleServices services;  // the host in C:\Program Files\Winamp
  testing::FakeCodePage codePage;
};

TEST_F(SettingsFolderTest, TheWideAnswerCountsFirstAndTheAnsiOneIsAskedOnlyWithoutIt) {
  services.settingsFolderWide = kRoaming;
  services.settingsFolderAnsi = "C:\\elsewhere";
  EXPECT_EQ(ask(), kRoaming + u"\\");
  EXPECT_EQ(services.asked, std::vector<std::string>{"wide"});

  services.asked.clear();
  services.settingsFolderWide.clear();
  // テスト, read through the code page.
  services.settingsFolderAnsi = "C:\\Users\\\x83\x65\x83\x58\x83\x67\\Winamp\\";
  EXPECT_EQ(ask(), u"C:\\Users\\\u30C6\u30B9\u30C8\\Winamp\\");
  EXPECT_EQ(services.asked, (std::vector<std::string>{"wide", "ansi"}));

  services.settingsFolderAnsi.clear();
  EXPECT_EQ(ask(), std::nullopt) << "an older host answers neither";
}

TEST_F(SettingsFolderTest, TheHostsOwnFolderHoweverWrittenIsNoSettingsFolder) {
  for (const char16_t* own : {u"C:\\Program Files\\Winamp", u"C:\\Program Files\\Winamp\\",
                              u"c:/program files/WINAMP/", u"C:\\Program Files\\Winamp\\\\"}) {
    services.settingsFolderWide = own;
    EXPECT_EQ(ask(), std::nullopt) << encodeUtf8(own);
  }
  // Its folder runs to the last backslash that is no second byte: 表 is 95 5C.
  services.executablePath = "C:\\\x95\x5C\\winamp.exe";
  services.settingsFolderWide = u"C:\\\u8868";
  EXPECT_EQ(ask(), std::nullopt);
  services.settingsFolderWide = u"C:\\\u8868\\Winamp";
  EXPECT_EQ(ask(), u"C:\\\u8868\\Winamp\\");
  // Beside a folder of the same name, and where the host's path is unknown.
  services.settingsFolderWide = u"C:\\Program Files\\Winamp2";
  services.executablePath = "C:\\Program Files\\Winamp\\winamp.exe";
  EXPECT_EQ(ask(), u"C:\\Program Files\\Winamp2\\");
  services.executablePath.clear();
  services.settingsFolderWide = u"C:\\Program Files\\Winamp";
  EXPECT_EQ(ask(), u"C:\\Program Files\\Winamp\\");
}

TEST_F(SettingsFolderTest, OnlyAFullPathOfAFolderCounts) {
  for (const char16_t* none : {u"Winamp", u"C:Winamp", u"\\Winamp", u"C:", u"\\\\", u"C:\\Users\\??\\Winamp",
                               u"\\\\?\\C:\\Winamp", u"C:\\a|b", u"C:\\*"}) {
    services.settingsFolderWide = none;
    EXPECT_EQ(ask(), std::nullopt) << encodeUtf8(none);
  }
  // Hangul, which only the wide answer can hold.
  services.settingsFolderWide = u"D:\\\uD55C\uAD6D/Winamp";
  EXPECT_EQ(ask(), u"D:\\\uD55C\uAD6D/Winamp\\");
  services.settingsFolderWide = u"\\\\server\\share\\Winamp";
  EXPECT_EQ(ask(), u"\\\\server\\share\\Winamp\\");
  services.settingsFolderWide = u"E:\\";
  EXPECT_EQ(ask(), u"E:\\");
}

TEST(SettingsFolder, NamesThatFitAndTheHostsTextReadNoFurtherThanAPath) {
  const std::u16string folder = u"C:\\" + std::u16string(233, u'd') + u"\\";
  const std::u16string name = u"Plugins\\gen_tavrik.cfg";
  ASSERT_EQ((folder + name).size(), 259u);
  EXPECT_EQ(joinSettingsFolder(folder, name), folder + name);
  EXPECT_EQ(joinSettingsFolder(folder, u"Plugins\\gen_tavrik.cfg~"), std::nullopt);

  EXPECT_EQ(copyOfHostText<char16_t>(nullptr), u"");
  std::u16string longest(259, u'x');
  EXPECT_EQ(copyOfHostText(longest.c_str()), longest);
  std::u16string tooLong(300, u'x');
  EXPECT_EQ(copyOfHostText(tooLong.c_str()), u"") << "no path, and no read beyond 260 units";
  EXPECT_EQ(copyOfHostText("C:\\Winamp"), "C:\\Winamp");
}

}  // namespace
}  // namespace tavrik
