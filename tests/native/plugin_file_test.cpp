// The rule file and the settings file with a settings folder: which copy is
// loaded, where a save goes when the player's folder cannot take it, and a
// host that names no folder, or its own, meeting exactly the files and
// messages of today.
#include "common/plugin_file.h"

#include <gtest/gtest.h>

#include "caption/caption_settings_store.h"
#include "common/cp932_texts.h"
#include "fakes.h"
#include "memory_disk.h"
#include "rules/rule_store.h"

namespace tavrik {
namespace {

using testing::kRuleFilePath;
using testing::kSettingsFilePath;

const std::u16string kRoaming = u"C:\\Users\\me\\AppData\\Roaming\\Winamp";
const std::u16string kRoamingPlugins = kRoaming + u"\\Plugins";
const std::u16string kRoamingRules = kRoamingPlugins + u"\\gen_tavrik.cfg";
const std::u16string kRoamingSettings = kRoamingPlugins + u"\\gen_tavrik.ini";
const SettingsFolder kSettingsFolder = kRoaming + u"\\";
const std::string kPlayerPlugins = "C:\\Program Files\\Winamp\\Plugins";

// ANSI, with lines kept below the list.
const std::string kPlayerRules = "ARTIST\t\x83\x65\tC:\\t.html\r\n\r\nkept \x83\x65\r\n";
const std::string kPlayerSettings = "; mine\r\n[caption]\r\nfile=C:\\old.txt\r\n";

// A user's standard install: the player's Plugins folder and the files in it
// are not theirs to write.
void makePlayerFolderReadOnly(testing::MemoryDisk& disk) {
  disk.ansi.readOnly = {kPlayerPlugins, kRuleFilePath, kSettingsFilePath};
}

class PluginFileTest : public ::testing::Test {
 protected:
  void SetUp() override {
    disk.ansi.files[kRuleFilePath] = kPlayerRules;
    // The host keeps its own settings in the user's profile, where no
    // Plugins folder is yet.
    disk.wide.missingFolders.insert(kRoamingPlugins);
  }
  void playerFolderReadOnly() { makePlayerFolderReadOnly(disk); }
  testing::MemoryDisk disk;
  testing::FakeModuleServices services;
  testing::FakeCodePage codePage;
  RuleStore rules{disk, services, codePage};
  CaptionSettingsStore settings{disk, services, codePage};
  RuleList list;
};

TEST_F(PluginFileTest, ACopyInTheSettingsFolderWinsAndIsSavedThere) {
  disk.wide.missingFolders.clear();
  disk.wide.files[kRoamingRules] = "TITLE\tmine\tC:\\m.html\r\n";
  disk.wide.files[kRoamingSettings] = "[caption]\r\nfile=C:\\now.txt\r\n";
  disk.ansi.files[kSettingsFilePath] = kPlayerSettings;
  ASSERT_TRUE(rules.loadRules(list, kSettingsFolder));
  ASSERT_EQ(list.count(), 1u);
  EXPECT_EQ(list.at(0).conditionValue, AnsiOrWide("mine"));
  EXPECT_EQ(settings.load(kSettingsFolder).file, AnsiOrWide("C:\\now.txt"));

  list.append({"GENRE", "Jazz", "C:\\j.html"});
  rules.saveRules(list);
  settings.save(CaptionSettings{"C:\\new.txt", "", false});
  EXPECT_EQ(disk.wide.files[kRoamingRules], "TITLE\tmine\tC:\\m.html\r\nGENRE\tJazz\tC:\\j.html\r\n");
  EXPECT_EQ(disk.wide.files[kRoamingSettings],
            "[caption]\r\nfile=C:\\new.txt\r\nidle_template=\r\nwhen_paused=track\r\n");
  EXPECT_EQ(disk.ansi.files[kRuleFilePath], kPlayerRules);
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], kPlayerSettings);
  EXPECT_TRUE(services.errors.empty());
}

TEST_F(PluginFileTest, WhenThePlayersFolderRefusesTheSaveTheSettingsFolderTakesTheSameBytesSilently) {
  disk.ansi.files[kSettingsFilePath] = kPlayerSettings;
  playerFolderReadOnly();
  ASSERT_TRUE(rules.loadRules(list, kSettingsFolder));
  settings.load(kSettingsFolder);
  list.append({"ARTIST", u"\uD55C\uAD6D", "C:\\k.html"});  // beyond the code page: the file turns UTF-8
  rules.saveRules(list);
  settings.save(CaptionSettings{"C:\\new.txt", "", true});

  EXPECT_EQ(disk.wide.missingFolders.count(kRoamingPlugins), 0u) << "made when missing";
  EXPECT_EQ(disk.wide.files[kRoamingRules], "\xEF\xBB\xBF" "ARTIST\t\xE3\x83\x86\tC:\\t.html\r\nARTIST\t"
                                            "\xED\x95\x9C\xEA\xB5\xAD\tC:\\k.html\r\n\r\nkept \xE3\x83\x86\r\n");
  EXPECT_EQ(disk.wide.files[kRoamingSettings],
            "; mine\r\n[caption]\r\nfile=C:\\new.txt\r\nidle_template=\r\nwhen_paused=idle\r\n");
  EXPECT_EQ(disk.ansi.files[kRuleFilePath], kPlayerRules);
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], kPlayerSettings);
  EXPECT_TRUE(services.errors.empty());

  // The next start finds those copies first.
  RuleStore next{disk, services, codePage};
  RuleList again;
  ASSERT_TRUE(next.loadRules(again, kSettingsFolder));
  EXPECT_EQ(again.count(), 2u);
  EXPECT_TRUE(CaptionSettingsStore(disk, services, codePage).load(kSettingsFolder).idleWhenPaused);
}

TEST_F(PluginFileTest, ANewSettingsFileGoesBesideTheHostWhenItCanElseIntoTheSettingsFolder) {
  ASSERT_FALSE(settings.load(kSettingsFolder).on());
  settings.save(CaptionSettings{"C:\\now.txt", "", false});
  EXPECT_EQ(disk.ansi.files.count(kSettingsFilePath), 1u);
  EXPECT_EQ(disk.wide.files.count(kRoamingSettings), 0u);

  disk.ansi.files.erase(kSettingsFilePath);
  playerFolderReadOnly();
  ASSERT_FALSE(settings.load(kSettingsFolder).on());
  settings.save(CaptionSettings{"C:\\now.txt", "", false});
  EXPECT_EQ(disk.wide.files[kRoamingSettings],
            "[caption]\r\nfile=C:\\now.txt\r\nidle_template=\r\nwhen_paused=track\r\n");
  EXPECT_TRUE(services.errors.empty());
}

TEST_F(PluginFileTest, WhenNeitherPlaceTakesTheFileOneMessageEachAndEveryCopyAsItWas) {
  playerFolderReadOnly();
  disk.wide.missingFolders.insert(kRoaming);  // a settings folder the host named but never made
  ASSERT_TRUE(rules.loadRules(list, kSettingsFolder));
  settings.load(kSettingsFolder);
  list.clear();
  rules.saveRules(list);
  settings.save(CaptionSettings{"C:\\now.txt", "", false});
  EXPECT_EQ(services.errors, (std::vector<std::string>{texts::kRuleFileWriteFailedMessage,
                                                       texts::kSettingsFileWriteFailedMessage}));
  EXPECT_EQ(disk.ansi.files[kRuleFilePath], kPlayerRules);
  EXPECT_EQ(disk.ansi.files.count(kSettingsFilePath), 0u);
  EXPECT_TRUE(disk.wide.files.empty());
}

// Read or saved in the place of a copy in the settings folder, the player's
// copy would be what the next start does not look at first.
TEST_F(PluginFileTest, ACopyInTheSettingsFolderIsNeverSwappedForThePlayersOne) {
  disk.wide.missingFolders.clear();
  disk.wide.files[kRoamingRules] = "TITLE\tt\tt.html\r\n";
  disk.wide.held.insert(kRoamingRules);
  EXPECT_FALSE(rules.loadRules(list, kSettingsFolder)) << "held at start";
  disk.wide.held.clear();
  ASSERT_TRUE(rules.loadRules(list, kSettingsFolder));
  disk.wide.readOnly.insert(kRoamingRules);
  rules.saveRules(list);
  EXPECT_EQ(disk.ansi.files[kRuleFilePath], kPlayerRules);
  EXPECT_EQ(disk.wide.files[kRoamingRules], "TITLE\tt\tt.html\r\n");
  EXPECT_EQ(services.errors, (std::vector<std::string>{texts::kRuleFileMissingMessage,
                                                       texts::kRuleFileWriteFailedMessage}));
  for (const std::string& call : disk.calls) {
    EXPECT_EQ(call.find(kRuleFilePath), std::string::npos) << call;
  }
}

TEST_F(PluginFileTest, AnUnreadSettingsFileInTheSettingsFolderIsNotReplacedByThePlayersCopy) {
  disk.wide.missingFolders.clear();
  disk.wide.files[kRoamingSettings] = "[caption]\r\nfile=C:\\now.txt\r\n";
  disk.wide.held.insert(kRoamingSettings);
  disk.ansi.files[kSettingsFilePath] = kPlayerSettings;
  EXPECT_FALSE(settings.load(kSettingsFolder).on());
  disk.wide.held.clear();
  settings.save(CaptionSettings{"C:\\new.txt", "", false});
  EXPECT_EQ(disk.wide.files[kRoamingSettings], "[caption]\r\nfile=C:\\now.txt\r\n");
  EXPECT_EQ(disk.ansi.files[kSettingsFilePath], kPlayerSettings);
  EXPECT_EQ(services.errors, (std::vector<std::string>{texts::kSettingsFileUnreadableMessage,
                                                       texts::kSettingsFileWriteFailedMessage}));
}

// One start and quit of both stores: what was asked of the files, what they
// hold and what the user was told.
struct StartAndQuit {
  std::vector<std::string> calls, errors;
  std::map<std::string, std::string> files;
  bool wideTouched = false;
};

StartAndQuit startAndQuit(const std::u16string& hostAnswer, const std::string& ansiAnswer, bool playerFolderWritable) {
  testing::MemoryDisk disk;
  testing::FakeModuleServices services;
  testing::FakeCodePage codePage;
  disk.ansi.files[kRuleFilePath] = kPlayerRules;
  disk.ansi.files[kSettingsFilePath] = kPlayerSettings;
  if (!playerFolderWritable) makePlayerFolderReadOnly(disk);
  services.settingsFolderWide = hostAnswer;
  services.settingsFolderAnsi = ansiAnswer;
  SettingsFolder folder = askSettingsFolder(services, codePage);
  RuleStore rules{disk, services, codePage};
  CaptionSettingsStore settings{disk, services, codePage};
  RuleList list;
  rules.loadRules(list, folder);
  settings.load(folder);
  list.append({"TITLE", "new", "n.html"});
  rules.saveRules(list);
  settings.save(CaptionSettings{"C:\\new.txt", "", true});
  return {disk.calls, services.errors, disk.ansi.files, !disk.wide.touched.empty()};
}

TEST(PluginFileToday, AHostThatNamesNoFolderOrItsOwnMeetsTodaysFilesAndMessages) {
  for (bool writable : {true, false}) {
    SCOPED_TRACE(writable ? "player folder writable" : "player folder read-only");
    const StartAndQuit today = startAndQuit(u"", "", writable);
    EXPECT_EQ(today.errors.size(), writable ? 0u : 2u);
    EXPECT_FALSE(today.wideTouched);
    for (const char16_t* own : {u"C:\\Program Files\\Winamp", u"c:\\program files\\winamp\\", u"Winamp"}) {
      SCOPED_TRACE(encodeUtf8(own));
      const StartAndQuit run = startAndQuit(own, "", writable);
      EXPECT_EQ(run.calls, today.calls);
      EXPECT_EQ(run.errors, today.errors);
      EXPECT_EQ(run.files, today.files);
      EXPECT_FALSE(run.wideTouched);
    }
    const StartAndQuit ansiOwn = startAndQuit(u"", "C:\\PROGRAM FILES\\Winamp", writable);
    EXPECT_EQ(ansiOwn.calls, today.calls);
    EXPECT_EQ(ansiOwn.errors, today.errors);
  }
}

}  // namespace
}  // namespace tavrik
