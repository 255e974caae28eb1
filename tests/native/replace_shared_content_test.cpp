// The save of a file other programs read while we write it (the caption
// file), named in UTF-16.
#include <gtest/gtest.h>

#include "common/replace_content.h"
#include "step_disk.h"

namespace tavrik {
namespace {

using testing::ProcessKilled;
using testing::WideStepDisk;

const std::u16string kFolder = u"C:\\OBS\\\u5B57\u5E55\\";  // 字幕
const std::u16string kCaption = kFolder + u"caption.txt";
const std::string kOld = "Old band - Old song";
const std::string kNew = "\xE2\x99\xAA New band - New song";

std::vector<std::u16string> strays(const WideStepDisk& disk) {
  std::vector<std::u16string> found;
  for (const auto& [path, content] : disk.files)
    if (path != kCaption) found.push_back(path);
  return found;
}

TEST(TemporaryNameWide, KeepsTheNamesLengthAndNeverCutsASurrogatePair) {
  EXPECT_EQ(temporaryName(u"caption.txt", 3), u"caption.t~3");
  EXPECT_EQ(temporaryName(u"\u5B57\u5E55.txt", 0), u"\u5B57\u5E55.t~0");
  // U+1F3B5 is D83C DFB5: cutting after its first unit would leave half of it.
  EXPECT_EQ(temporaryName(u"a\U0001F3B5b", 1), u"a~1");
  EXPECT_EQ(temporaryName(u"\U0001F3B5", 2), u"~2");
  // Names may hold lone surrogates: a high one pairs only with a low one
  // right after it, so the pair here is the second and third units.
  const char16_t lonePair[] = {0xD83C, 0xD83C, 0xDFB5, u'b', 0};
  EXPECT_EQ(temporaryName(lonePair, 4), (std::u16string{0xD83C, u'~', u'4'}));
}

TEST(ReplaceSharedContent, TheFileItselfIsNamedOnlyByTheRenameAndAHeldFileIsLeftAsItWas) {
  WideStepDisk disk;
  disk.files[kCaption] = kOld;
  disk.files[kFolder + u"caption.t~4"] = "half a save";
  ASSERT_EQ(replaceSharedFileContent(disk, kCaption, kNew), ReplaceOutcome::Replaced);
  EXPECT_EQ(disk.files[kCaption], kNew);
  EXPECT_EQ(strays(disk), std::vector<std::u16string>{});
  // Opening the file, even to check it, would shut out a reader polling it.
  int named = 0;
  for (const std::u16string& path : disk.touched) named += path == kCaption;
  EXPECT_EQ(named, 1);

  disk.locked.insert(kCaption);
  EXPECT_EQ(replaceSharedFileContent(disk, kCaption, "later"), ReplaceOutcome::HeldElsewhere);
  EXPECT_EQ(disk.files[kCaption], kNew);
  EXPECT_EQ(strays(disk), std::vector<std::u16string>{});
  disk.locked.clear();
  EXPECT_EQ(replaceSharedFileContent(disk, kCaption, "later"), ReplaceOutcome::Replaced);
  EXPECT_EQ(disk.files[kCaption], "later");
}

TEST(ReplaceSharedContent, PathsUpTo259UnitsAreSavedAndLongerOnesNeverTouched) {
  for (std::size_t length = 255; length <= 261; ++length) {
    std::u16string path = u"C:\\" + std::u16string(length - 3 - 12, u'\u5B57') + u"\\caption.txt";
    ASSERT_EQ(path.size(), length);
    WideStepDisk disk;
    ReplaceOutcome outcome = replaceSharedFileContent(disk, path, kNew);
    EXPECT_EQ(outcome, length < kMaxPathUnits ? ReplaceOutcome::Replaced : ReplaceOutcome::Failed);
    EXPECT_EQ(disk.files.size(), length < kMaxPathUnits ? 1u : 0u);
    for (const std::u16string& touched : disk.touched) EXPECT_LE(touched.size(), length);
  }
  WideStepDisk disk;
  EXPECT_EQ(replaceSharedFileContent(disk, u"C:\\OBS\\", kNew), ReplaceOutcome::Failed);
  EXPECT_TRUE(disk.touched.empty());
}

TEST(ReplaceSharedContent, EveryFailedOrKilledStepLeavesOldOrNewAndTheNextSaveCleansUp) {
  WideStepDisk clean;
  clean.files[kCaption] = kOld;
  ASSERT_EQ(replaceSharedFileContent(clean, kCaption, kNew), ReplaceOutcome::Replaced);
  for (int at = 0; at <= clean.steps; ++at) {
    for (bool kill : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "step " << at << (kill ? " killed" : " failed"));
      WideStepDisk disk;
      disk.files[kCaption] = kOld;
      (kill ? disk.killAt : disk.failAt) = at;
      ReplaceOutcome outcome = ReplaceOutcome::Failed;
      try {
        outcome = replaceSharedFileContent(disk, kCaption, kNew);
      } catch (const ProcessKilled&) {
      }
      EXPECT_EQ(disk.files[kCaption], outcome == ReplaceOutcome::Replaced ? kNew : kOld);
      EXPECT_NE(outcome, ReplaceOutcome::HeldElsewhere);
      disk.failAt = disk.killAt = -1;
      ASSERT_EQ(replaceSharedFileContent(disk, kCaption, "next"), ReplaceOutcome::Replaced);
      EXPECT_EQ(disk.files[kCaption], "next");
      EXPECT_EQ(strays(disk), std::vector<std::u16string>{});
    }
  }
}

}  // namespace
}  // namespace tavrik
