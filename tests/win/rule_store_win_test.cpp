// The files beside the host (the rule file, the caption's settings file)
// through the real Win32 file calls: deny-share opening and a save that fails
// half-way must leave the user's file as it was.
#include <gtest/gtest.h>

#include "caption/caption_settings_store.h"
#include "common/code_page_win32.h"
#include "common/cp932_texts.h"
#include "common/files_win32.h"
#include "common/host_folder.h"
#include "common/module_services_win32.h"
#include "common/replace_content.h"
#include "common/win32_text.h"
#include "rules/rule_store.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::readFileBytes;
using testing::writeFileBytes;

// The module's real strings, with the host's executable placed in a scratch
// folder and the error messages recorded instead of shown.
class ScratchHostServices : public ModuleServices {
 public:
  explicit ScratchHostServices(std::string folder) : folder_(std::move(folder)) {}
  std::string moduleString(unsigned id) override { return real_.moduleString(id); }
  std::string hostExecutablePath() override { return folder_ + "\\winamp.exe"; }
  std::u16string hostSettingsFolderWide() override { return {}; }
  std::string hostSettingsFolder() override { return {}; }
  bool isLeadByte(unsigned char byte) override { return real_.isLeadByte(byte); }
  void showErrorMessage(const std::string& text) override { errors.push_back(text); }
  std::vector<std::string> errors;

 private:
  Win32ModuleServices real_{nullptr};
  std::string folder_;
};

class RuleStoreWin : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = testing::freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name());
    CreateDirectoryA((folder + "\\Plugins").c_str(), nullptr);
    ruleFile = folder + "\\Plugins\\gen_tavrik.cfg";
  }
  HANDLE holdOpen(const std::string& path) {
    return CreateFileA(path.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  }

  std::string folder, ruleFile;
  Win32Files files;
  Win32CodePage codePage;
};

const std::string kOriginal = "ARTIST\tBand\tC:\\band.html\r\n\r\nGENRE\tKept\tC:\\k.html\r\n";
const std::vector<std::string> kOnlyTheRuleFile = {"gen_tavrik.cfg"};

TEST_F(RuleStoreWin, LoadsAndSavesTheFileBesideTheHost) {
  writeFileBytes(ruleFile, kOriginal);
  ScratchHostServices services(folder);
  RuleStore store(files, services, codePage);
  RuleList rules;
  ASSERT_TRUE(store.loadRules(rules));
  ASSERT_EQ(rules.count(), 1u);
  rules.append({"TITLE", "T", "C:\\t.html"});
  store.saveRules(rules);
  EXPECT_EQ(readFileBytes(ruleFile),
            "ARTIST\tBand\tC:\\band.html\r\nTITLE\tT\tC:\\t.html\r\n\r\nGENRE\tKept\tC:\\k.html\r\n");
  EXPECT_EQ(testing::folderEntries(folder + "\\Plugins"), kOnlyTheRuleFile);
  EXPECT_TRUE(services.errors.empty());
}

TEST_F(RuleStoreWin, AFileHeldOpenByAnotherProgramDoesNotOpenAndIsNotReplaced) {
  writeFileBytes(ruleFile, kOriginal);
  ScratchHostServices services(folder);
  RuleStore store(files, services, codePage);
  RuleList rules;
  HANDLE other = holdOpen(ruleFile);
  ASSERT_NE(other, INVALID_HANDLE_VALUE);
  EXPECT_FALSE(store.loadRules(rules));
  CloseHandle(other);

  ASSERT_TRUE(store.loadRules(rules));
  rules.clear();
  other = holdOpen(ruleFile);
  store.saveRules(rules);
  CloseHandle(other);
  EXPECT_EQ(readFileBytes(ruleFile), kOriginal);
  EXPECT_EQ(testing::folderEntries(folder + "\\Plugins"), kOnlyTheRuleFile);
  EXPECT_EQ(services.errors, (std::vector<std::string>{texts::kRuleFileMissingMessage,
                                                       texts::kRuleFileWriteFailedMessage}));
}

TEST_F(RuleStoreWin, ReadingKeepsOthersOutWhileTheFileIsOpen) {
  writeFileBytes(ruleFile, kOriginal);
  auto opened = files.openExclusive(ruleFile);
  ASSERT_TRUE(opened);
  EXPECT_EQ(holdOpen(ruleFile), INVALID_HANDLE_VALUE);
  EXPECT_FALSE(files.openExclusive(ruleFile));
  opened.reset();
  EXPECT_TRUE(files.openExclusive(ruleFile));
}

TEST_F(RuleStoreWin, AFullDiskLeavesTheOldFileAndNoTemporaryFile) {
  // This program runs with its files limited to 1 MiB (ulimit -f): a larger
  // save fails part-way through its writes, as on a full disk.
  writeFileBytes(ruleFile, kOriginal);
  ScratchHostServices services(folder);
  RuleStore store(files, services, codePage);
  RuleList rules;
  ASSERT_TRUE(store.loadRules(rules));
  rules.append({"TITLE", "lost", std::string(3 << 20, 'x')});
  store.saveRules(rules);
  EXPECT_TRUE(readFileBytes(ruleFile) == kOriginal);
  EXPECT_EQ(testing::folderEntries(folder + "\\Plugins"), kOnlyTheRuleFile);
  EXPECT_EQ(services.errors, (std::vector<std::string>{texts::kRuleFileWriteFailedMessage}));
}

TEST_F(RuleStoreWin, AFolderInThePlaceOfTheFileFailsBothWays) {
  CreateDirectoryA(ruleFile.c_str(), nullptr);
  ScratchHostServices services(folder);
  RuleStore store(files, services, codePage);
  RuleList rules;
  EXPECT_FALSE(store.loadRules(rules));
  EXPECT_EQ(services.errors.size(), 1u);
}

// Makes the folder `path` and folders below it, in parts of up to 40 bytes,
// down to a path of `length` bytes; with `doubleByte` the parts are of "表"
// and "ソ", whose second bytes are 0x5C, the backslash.
std::string folderOfLength(std::string path, std::size_t length, bool doubleByte) {
  CreateDirectoryA(path.c_str(), nullptr);
  while (path.size() < length) {
    std::size_t room = length - path.size();
    std::size_t part = room <= 41 ? room - 1 : std::min<std::size_t>(40, room - 3);
    std::string name(part % 2, 'x');
    while (name.size() < part) name += doubleByte ? (name.size() % 4 ? "\x83\x5C" : "\x95\x5C") : "dd";
    path += "\\" + name;
    CreateDirectoryA(path.c_str(), nullptr);
  }
  return path;
}

// A host folder, made below the scratch folder, whose Plugins folder holds
// `inHost` ("\\Plugins\\gen_tavrik.cfg") with `content` at a path of `length`
// bytes; different for each length and kind of folder name.
std::string hostWithFileOfLength(const std::string& scratch, const std::string& inHost, const std::string& content,
                                 std::size_t length, bool doubleByte) {
  std::string host = folderOfLength(scratch + (doubleByte ? "\\j" : "\\a") + std::to_string(length),
                                    length - inHost.size(), doubleByte);
  CreateDirectoryA((host + "\\Plugins").c_str(), nullptr);
  testing::writeLongPathFile(host + inHost, content);
  return host;
}

TEST_F(RuleStoreWin, RuleFilePathsUpTo259BytesLoadAndSaveAndLongerOnesCountAsMissing) {
  const std::string inHost = "\\Plugins\\gen_tavrik.cfg";
  const std::string saved =
      "ARTIST\tBand\tC:\\band.html\r\nTITLE\t\x95\x5C\tC:\\t.html\r\n\r\nGENRE\tKept\tC:\\k.html\r\n";
  for (bool doubleByte : {false, true}) {
    for (std::size_t length = 255; length <= 260; ++length) {
      SCOPED_TRACE(::testing::Message() << length << " bytes" << (doubleByte ? ", code page 932" : ""));
      std::string host = hostWithFileOfLength(folder, inHost, kOriginal, length, doubleByte);
      std::string path = host + inHost;
      ASSERT_EQ(path.size(), length);

      ScratchHostServices services(host);
      RuleStore store(files, services, codePage);
      RuleList rules;
      const bool fits = length < kMaxPathBytes;
      EXPECT_EQ(store.loadRules(rules), fits);
      rules.append({"TITLE", "\x95\x5C", "C:\\t.html"});
      store.saveRules(rules);
      if (!fits) {
        EXPECT_FALSE(replaceFileContent(files, path, "x\r\n", isAnsiLeadByte));
      }
      EXPECT_EQ(testing::readLongPathFile(path), fits ? saved : kOriginal);
      EXPECT_EQ(testing::folderEntries(host + "\\Plugins"), kOnlyTheRuleFile);
      EXPECT_EQ(services.errors, fits ? std::vector<std::string>{}
                                      : std::vector<std::string>{texts::kRuleFileMissingMessage});
    }
  }
}

TEST_F(RuleStoreWin, SettingsFilePathsUpTo259BytesLoadAndSaveAndLongerOnesCountAsMissing) {
  const std::string inHost = "\\Plugins\\gen_tavrik.ini";
  const std::string original = "; mine\r\n[caption]\r\nfile=C:\\old.txt\r\nwhen_paused=idle\r\n";
  const std::string saved = "; mine\r\n[caption]\r\nfile=C:\\\x95\x5C.txt\r\nwhen_paused=idle\r\n"
                            "idle_template=\r\n";
  for (bool doubleByte : {false, true}) {
    for (std::size_t length = 255; length <= 260; ++length) {
      SCOPED_TRACE(::testing::Message() << length << " bytes" << (doubleByte ? ", code page 932" : ""));
      std::string host = hostWithFileOfLength(folder, inHost, original, length, doubleByte);
      std::string path = host + inHost;
      ASSERT_EQ(path.size(), length);

      ScratchHostServices services(host);
      CaptionSettingsStore store(files, services, codePage);
      const bool fits = length < kMaxPathBytes;
      CaptionSettings settings = store.load();
      EXPECT_EQ(settings.on(), fits);
      settings.file = std::string("C:\\\x95\x5C.txt");
      settings.idleWhenPaused = true;
      store.save(settings);
      EXPECT_EQ(testing::readLongPathFile(path), fits ? saved : original);
      EXPECT_EQ(testing::folderEntries(host + "\\Plugins"), std::vector<std::string>{"gen_tavrik.ini"});
      EXPECT_EQ(services.errors, fits ? std::vector<std::string>{}
                                      : std::vector<std::string>{texts::kSettingsFileWriteFailedMessage});
    }
  }
}

}  // namespace
}  // namespace tavrik
