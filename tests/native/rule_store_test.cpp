#include "rules/rule_store.h"

#include <gtest/gtest.h>

#include "common/cp932_texts.h"
#include "fakes.h"

namespace tavrik {
namespace {

using testing::kRuleFilePath;

class RuleStoreTest : public ::testing::Test {
 protected:
  testing::FakeFileSystem files;
  testing::FakeModuleServices services;
  RuleStore store{files, services};
  RuleList rules;
};

TEST_F(RuleStoreTest, LoadsTheRuleFileInTheHostsPluginsFolder) {
  files.files[kRuleFilePath] = "ARTIST\tBand\tC:\\b.html\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  ASSERT_EQ(rules.count(), 1u);
  EXPECT_EQ(rules.at(0).templatePath, "C:\\b.html");
  EXPECT_TRUE(services.errors.empty());
}

TEST_F(RuleStoreTest, AMissingOrLockedFileFailsWithTheMessageAndLeavesTheListEmpty) {
  EXPECT_FALSE(store.loadRules(rules));
  files.files[kRuleFilePath] = "ARTIST\tBand\tC:\\b.html\r\n";
  files.heldOpenElsewhere.insert(kRuleFilePath);
  EXPECT_FALSE(store.loadRules(rules));
  EXPECT_EQ(rules.count(), 0u);
  EXPECT_EQ(services.errors, (std::vector<std::string>(2, texts::kRuleFileMissingMessage)));
}

TEST_F(RuleStoreTest, AHostFolderTooLongForTheRuleFileCountsAsMissing) {
  services.executablePath = "C:\\" + std::string(240, 'd') + "\\winamp.exe";
  files.files[services.executablePath.substr(0, 244) + "Plugins\\gen_tavrik.cfg"] = "a\tb\tc\r\n";
  EXPECT_FALSE(store.loadRules(rules));
  EXPECT_EQ(services.errors.size(), 1u);
}

TEST_F(RuleStoreTest, SaveWritesTheListAndKeepsWhatLoadingDidNotRead) {
  files.files[kRuleFilePath] = "ARTIST\tA\ta.html\r\n\r\nGENRE\tKept\tk.html\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  rules.append({"TITLE", "New", "n.html"});
  store.saveRules(rules);
  EXPECT_EQ(files.files[kRuleFilePath],
            "ARTIST\tA\ta.html\r\nTITLE\tNew\tn.html\r\n\r\nGENRE\tKept\tk.html\r\n");
  EXPECT_TRUE(services.errors.empty());
}

TEST_F(RuleStoreTest, SavingAnEmptyListWritesAnEmptyFile) {
  files.files[kRuleFilePath] = "ARTIST\tA\ta.html\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  rules.clear();
  store.saveRules(rules);
  EXPECT_EQ(files.files[kRuleFilePath], "");
}

TEST_F(RuleStoreTest, NoSaveWithoutASuccessfulLoad) {
  rules.append({"TITLE", "typed after a failed init", "x.html"});
  EXPECT_FALSE(store.loadRules(rules));  // missing: the user's file is elsewhere or locked
  files.files[kRuleFilePath] = "ARTIST\tA\ta.html\r\n";
  store.saveRules(rules);
  EXPECT_EQ(files.files[kRuleFilePath], "ARTIST\tA\ta.html\r\n");
  EXPECT_EQ(services.errors.size(), 1u);  // the load's message only
}

TEST_F(RuleStoreTest, AFailedSaveShowsTheMessage) {
  files.files[kRuleFilePath] = "ARTIST\tA\ta.html\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  files.failWrites = true;
  rules.clear();
  store.saveRules(rules);
  EXPECT_EQ(files.files[kRuleFilePath], "ARTIST\tA\ta.html\r\n");
  EXPECT_EQ(services.errors, (std::vector<std::string>{texts::kRuleFileWriteFailedMessage}));
}

}  // namespace
}  // namespace tavrik
