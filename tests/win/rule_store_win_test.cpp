// The rule file through the real Win32 file calls: deny-share opening and a
// save that fails half-way must leave the user's file as it was.
#include <gtest/gtest.h>

#include "common/code_page_win32.h"
#include "common/cp932_texts.h"
#include "common/file_system_win32.h"
#include "common/module_services_win32.h"
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
  bool exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
  }

  std::string folder, ruleFile;
  Win32FileSystem files;
  Win32CodePage codePage;
};

const std::string kOriginal = "ARTIST\tBand\tC:\\band.html\r\n\r\nGENRE\tKept\tC:\\k.html\r\n";

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
  EXPECT_FALSE(exists(temporaryPathFor(ruleFile)));
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
  EXPECT_FALSE(exists(temporaryPathFor(ruleFile)));
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
  // The temporary file's name leads to /dev/full: every write fails.
  std::string fullDiskHost = testing::environmentPath("TAVRIK_FULL_DISK");
  std::string target = fullDiskHost + "\\Plugins\\gen_tavrik.cfg";
  writeFileBytes(target, kOriginal);
  ScratchHostServices services(fullDiskHost);
  RuleStore store(files, services, codePage);
  RuleList rules;
  ASSERT_TRUE(store.loadRules(rules));
  rules.append({"TITLE", "lost", std::string(100000, 'x')});
  store.saveRules(rules);
  EXPECT_EQ(readFileBytes(target), kOriginal);
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

TEST_F(RuleStoreWin, AHostFolderBeyond260BytesCountsAsMissing) {
  std::string deep = folder;
  while (deep.size() < 250) {
    deep += "\\dddddddddddddddddddd";
    CreateDirectoryA(deep.c_str(), nullptr);
  }
  ScratchHostServices services(deep);
  RuleStore store(files, services, codePage);
  RuleList rules;
  EXPECT_FALSE(store.loadRules(rules));
  EXPECT_EQ(services.errors, (std::vector<std::string>{texts::kRuleFileMissingMessage}));
}

}  // namespace
}  // namespace tavrik
