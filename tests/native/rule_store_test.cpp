#include "rules/rule_store.h"

#include <gtest/gtest.h>

#include "common/cp932_texts.h"
#include "fakes.h"
#include "memory_disk.h"

namespace tavrik {
namespace {

using testing::kRuleFilePath;

class RuleStoreTest : public ::testing::Test {
 protected:
  testing::MemoryDisk disk;
  testing::FakeModuleServices services;
  testing::FakeCodePage codePage;
  RuleStore store{disk, services, codePage};
  RuleList rules;
};

TEST_F(RuleStoreTest, LoadsTheRuleFileInTheHostsPluginsFolder) {
  disk.ansi.files[kRuleFilePath] = "ARTIST\tBand\tC:\\b.html\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  ASSERT_EQ(rules.count(), 1u);
  EXPECT_EQ(rules.at(0).templatePath, "C:\\b.html");
  EXPECT_TRUE(services.errors.empty());
  store.saveRules(rules);
  EXPECT_EQ(disk.ansi.files[kRuleFilePath], "ARTIST\tBand\tC:\\b.html\r\n") << "an ANSI file stays ANSI";
}

TEST_F(RuleStoreTest, AMissingOrLockedFileFailsWithTheMessageAndLeavesTheListEmpty) {
  EXPECT_FALSE(store.loadRules(rules));
  disk.ansi.files[kRuleFilePath] = "ARTIST\tBand\tC:\\b.html\r\n";
  disk.ansi.held.insert(kRuleFilePath);
  EXPECT_FALSE(store.loadRules(rules));
  EXPECT_EQ(rules.count(), 0u);
  EXPECT_EQ(services.errors, (std::vector<std::string>(2, texts::kRuleFileMissingMessage)));
}

TEST_F(RuleStoreTest, AHostFolderTooLongForTheRuleFileCountsAsMissing) {
  services.executablePath = "C:\\" + std::string(240, 'd') + "\\winamp.exe";
  disk.ansi.files[services.executablePath.substr(0, 244) + "Plugins\\gen_tavrik.cfg"] = "a\tb\tc\r\n";
  EXPECT_FALSE(store.loadRules(rules));
  EXPECT_EQ(services.errors.size(), 1u);
}

TEST_F(RuleStoreTest, SaveWritesTheListAndKeepsWhatLoadingDidNotRead) {
  disk.ansi.files[kRuleFilePath] = "ARTIST\tA\ta.html\r\n\r\nGENRE\tKept\tk.html\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  rules.append({"TITLE", "New", "n.html"});
  store.saveRules(rules);
  EXPECT_EQ(disk.ansi.files[kRuleFilePath],
            "ARTIST\tA\ta.html\r\nTITLE\tNew\tn.html\r\n\r\nGENRE\tKept\tk.html\r\n");
  EXPECT_TRUE(services.errors.empty());
}

TEST_F(RuleStoreTest, SavingAnEmptyListWritesAnEmptyFile) {
  disk.ansi.files[kRuleFilePath] = "ARTIST\tA\ta.html\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  rules.clear();
  store.saveRules(rules);
  EXPECT_EQ(disk.ansi.files[kRuleFilePath], "");
}

TEST_F(RuleStoreTest, NoSaveWithoutASuccessfulLoad) {
  rules.append({"TITLE", "typed after a failed init", "x.html"});
  EXPECT_FALSE(store.loadRules(rules));  // missing: the user's file is elsewhere or locked
  disk.ansi.files[kRuleFilePath] = "ARTIST\tA\ta.html\r\n";
  store.saveRules(rules);
  EXPECT_EQ(disk.ansi.files[kRuleFilePath], "ARTIST\tA\ta.html\r\n");
  EXPECT_EQ(services.errors.size(), 1u);  // the load's message only
}

TEST_F(RuleStoreTest, AFailedSaveShowsTheMessageAndKeepsTheFile) {
  disk.ansi.files[kRuleFilePath] = "ARTIST\tA\ta.html\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  rules.append({"TITLE", "New", "n.html"});
  disk.ansi.readOnly.insert(kRuleFilePath);
  store.saveRules(rules);
  disk.ansi.readOnly.clear();
  disk.room = 10;  // the disk fills up part-way through the write
  store.saveRules(rules);
  EXPECT_EQ(disk.ansi.files, (std::map<std::string, std::string>{{kRuleFilePath, "ARTIST\tA\ta.html\r\n"}}));
  EXPECT_EQ(services.errors, (std::vector<std::string>(2, texts::kRuleFileWriteFailedMessage)));
}

TEST_F(RuleStoreTest, ARuleBeyondTheCodePageTurnsTheFileIntoUtf8WithItsMarkNeverIntoQuestionMarks) {
  disk.ansi.files[kRuleFilePath] = "ARTIST\t\x83\x65\ta.html\r\n\r\nkept \x83\x65\r\n";
  ASSERT_TRUE(store.loadRules(rules));
  rules.append({"ARTIST", u"\uD55C\uAD6D", u"C:\\\u2661.html"});
  store.saveRules(rules);
  EXPECT_EQ(disk.ansi.files[kRuleFilePath],
            "\xEF\xBB\xBF" "ARTIST\t\xE3\x83\x86\ta.html\r\nARTIST\t\xED\x95\x9C\xEA\xB5\xAD\tC:\\"
            "\xE2\x99\xA1.html\r\n\r\nkept \xE3\x83\x86\r\n");
  // And it loads back as the same rules.
  RuleList again;
  RuleStore next{disk, services, codePage};
  ASSERT_TRUE(next.loadRules(again));
  EXPECT_EQ(again.at(1), (TemplateRule{u"ARTIST", u"\uD55C\uAD6D", u"C:\\\u2661.html"}));
  EXPECT_EQ(again.at(0).conditionValue, AnsiOrWide(u"\u30C6"));
}

TEST_F(RuleStoreTest, AUtf8FileAndOneThatOnlyLooksLikeItAreWrittenBackAsTheyWere) {
  for (const char* original : {"\xEF\xBB\xBF" "TITLE\t\xE2\x99\xA1\tx.html\r\n",
                               "\xEF\xBB\xBF" "TITLE\t\xE2\x99\tx.html\r\nGENRE\tg\t\xFF\r\n"}) {
    RuleStore fresh{disk, services, codePage};
    RuleList loaded;
    disk.ansi.files[kRuleFilePath] = original;
    ASSERT_TRUE(fresh.loadRules(loaded));
    fresh.saveRules(loaded);
    EXPECT_EQ(disk.ansi.files[kRuleFilePath], original);
  }
}

}  // namespace
}  // namespace tavrik
