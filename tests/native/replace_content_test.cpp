#include "common/replace_content.h"

#include <gtest/gtest.h>

#include "cp932_lead_byte.h"
#include "step_disk.h"

namespace tavrik {
namespace {

using testing::ProcessKilled;
using testing::StepDisk;
using testing::WideStepDisk;

const std::string kFolder = "C:\\Winamp\\Plugins\\";
const std::string kTarget = kFolder + "gen_tavrik.cfg";
const std::string kOld = "ARTIST\tOld\tC:\\old.html\r\n";
const std::string kNew = "ARTIST\tNew band\tC:\\new.html\r\nTITLE\tT\tC:\\t.html\r\n\r\nkept\r\n";

std::string name(std::string_view fileName, unsigned index) {
  return temporaryName(fileName, index, testing::isCodePage932LeadByte);
}

bool save(StepDisk& disk, const std::string& path, const std::string& bytes) {
  return replaceFileContent(disk, path, bytes, testing::isCodePage932LeadByte);
}

// Every file of the disk other than the target and the user's own.
std::vector<std::string> strays(const StepDisk& disk, const std::set<std::string>& expected) {
  std::vector<std::string> found;
  for (const auto& [path, content] : disk.files)
    if (!expected.count(path)) found.push_back(path);
  return found;
}

TEST(TemporaryName, KeepsTheNamesLengthAndNeverCutsADoubleByteCharacter) {
  EXPECT_EQ(name("gen_tavrik.cfg", 0), "gen_tavrik.c~0");
  EXPECT_EQ(name("gen_tavrik.ini", 9), "gen_tavrik.i~9");
  EXPECT_EQ(name("ab", 3), "~3");
  EXPECT_EQ(name("a", 1), "~1");  // the one name that grows
  // "表" is 95 5C: its second byte is a backslash, and it goes whole.
  EXPECT_EQ(name("x\x95\x5C" "a", 2), "x~2");
  EXPECT_EQ(name("\x95\x5C\x95\x5C", 4), "\x95\x5C~4");
  for (unsigned i = 0; i < kTemporaryNames; ++i)
    for (unsigned j = 0; j < i; ++j) EXPECT_NE(name("caption.txt", i), name("caption.txt", j));
}

TEST(ReplaceContent, PathsUpTo259BytesAreSavedAndLongerOnesNeverTouched) {
  for (std::size_t length = 255; length <= 262; ++length) {
    std::string folder = "C:\\" + std::string(length - 3 - 15, 'd') + "\\";
    std::string path = folder + "gen_tavrik.cfg";
    ASSERT_EQ(path.size(), length);
    StepDisk disk;
    disk.files[path] = kOld;
    EXPECT_EQ(save(disk, path, kNew), length < kMaxPathBytes) << length;
    EXPECT_EQ(disk.files[path], length < kMaxPathBytes ? kNew : kOld);
    EXPECT_EQ(disk.files.size(), 1u);
    if (length >= kMaxPathBytes) {
      EXPECT_TRUE(disk.touched.empty());
    }
    for (const std::string& touched : disk.touched) EXPECT_LE(touched.size(), length);
  }
  // A one-byte name at the very limit is the one file whose temporary names
  // do not fit: its save fails and touches nothing longer.
  StepDisk disk;
  std::string path = "C:\\" + std::string(254, 'd') + "\\a";
  disk.files[path] = kOld;
  EXPECT_FALSE(save(disk, path, kNew));
  EXPECT_EQ(disk.files, (std::map<std::string, std::string>{{path, kOld}}));
  EXPECT_EQ(disk.touched, std::set<std::string>{path});
}

TEST(ReplaceContent, LeftoversGoButUsersFilesAndNamesTakenElsewhereStay) {
  StepDisk disk;
  disk.files = {{kTarget, kOld},
                {kFolder + "gen_tavrik.c~0", "half a save"},
                {kFolder + "gen_tavrik.c~1", "held by a virus scanner"},
                {kFolder + "gen_tavrik.cfg.tmp", "the user's"},
                {kFolder + "gen_tavrik.cfg~", "the user's"},
                {kFolder + "gen_tavrik.i~0", "another file's leftover"}};
  disk.locked.insert(kFolder + "gen_tavrik.c~1");
  ASSERT_TRUE(save(disk, kTarget, kNew));
  EXPECT_EQ(disk.files[kTarget], kNew);
  EXPECT_FALSE(disk.files.count(kFolder + "gen_tavrik.c~0"));
  EXPECT_EQ(strays(disk, {kTarget}),
            (std::vector<std::string>{kFolder + "gen_tavrik.cfg.tmp", kFolder + "gen_tavrik.cfg~",
                                      kFolder + "gen_tavrik.c~1", kFolder + "gen_tavrik.i~0"}));
  // A file named like one of its own temporary files is never deleted.
  StepDisk own;
  own.files[kFolder + "ab~1"] = kOld;
  ASSERT_TRUE(save(own, kFolder + "ab~1", kNew));
  EXPECT_EQ(own.files, (std::map<std::string, std::string>{{kFolder + "ab~1", kNew}}));
}

TEST(ReplaceContent, ARefusedTargetIsNotWrittenAndWhenNoNameIsFreeNothingIs) {
  StepDisk disk;
  disk.files[kTarget] = kOld;
  disk.locked.insert(kTarget);
  EXPECT_FALSE(save(disk, kTarget, kNew));
  EXPECT_EQ(disk.files.size(), 1u);
  disk.locked.clear();
  for (unsigned i = 0; i < kTemporaryNames; ++i) {
    disk.files[kFolder + name("gen_tavrik.cfg", i)] = "held";
    disk.locked.insert(kFolder + name("gen_tavrik.cfg", i));
  }
  EXPECT_FALSE(save(disk, kTarget, kNew));
  EXPECT_EQ(disk.files[kTarget], kOld);
}

// A save over an old file and a first save, failed and then killed at each of
// its steps in turn: the target holds the old or the whole new content, and
// whatever temporary file is left, the next save removes.
TEST(ReplaceContent, EveryFailedOrKilledStepLeavesOldOrNewAndNoTemporaryFileForLong) {
  for (bool firstSave : {false, true}) {
    StepDisk clean;
    if (!firstSave) clean.files[kTarget] = kOld;
    ASSERT_TRUE(save(clean, kTarget, kNew));
    const int steps = clean.steps;
    ASSERT_GT(steps, 15);  // check, removals, create, several writes, flush, close, replace

    for (int at = 0; at <= steps; ++at) {
      for (bool kill : {false, true}) {
          SCOPED_TRACE(::testing::Message() << "step " << at << (kill ? " killed" : " failed")
                                            << (firstSave ? ", first save" : ""));
          StepDisk disk;
          if (!firstSave) disk.files[kTarget] = kOld;
          disk.files[kFolder + "notes.txt"] = "the user's";
          (kill ? disk.killAt : disk.failAt) = at;
          bool saved = false;
          try {
            saved = save(disk, kTarget, kNew);
          } catch (const ProcessKilled&) {
          }
          const std::string before = firstSave ? "" : kOld;
          if (disk.files.count(kTarget)) {
            EXPECT_TRUE(disk.files[kTarget] == before || disk.files[kTarget] == kNew);
          } else {
            EXPECT_TRUE(firstSave);
          }
          if (saved) {
            EXPECT_EQ(disk.files[kTarget], kNew);
          }
          // Only a failed clean-up, the last step taken, leaves a file behind.
          if (!kill && !saved && disk.steps - 1 != at) {
            EXPECT_EQ(strays(disk, {kTarget, kFolder + "notes.txt"}), std::vector<std::string>{});
          }

          disk.failAt = disk.killAt = -1;
          ASSERT_TRUE(save(disk, kTarget, "next\r\n"));
          EXPECT_EQ(disk.files[kTarget], "next\r\n");
          EXPECT_EQ(disk.files[kFolder + "notes.txt"], "the user's");
          EXPECT_EQ(strays(disk, {kTarget, kFolder + "notes.txt"}), std::vector<std::string>{});
      }
    }
  }
}

// The rule file and the settings file in a settings folder the ANSI code page
// cannot name: the same checks, steps and clean-up under UTF-16 paths.
TEST(ReplaceContentWide, KeepsTheSavesGuaranteesUnderUtf16Paths) {
  const std::u16string folder = u"C:\\Users\\\uD55C\uAD6D\\Winamp\\Plugins\\";
  const std::u16string target = folder + u"gen_tavrik.cfg";
  WideStepDisk clean;
  clean.files[target] = kOld;
  clean.files[folder + u"gen_tavrik.c~3"] = "half a save";
  ASSERT_TRUE(replaceFileContent(clean, target, kNew));
  EXPECT_EQ(clean.files, (std::map<std::u16string, std::string>{{target, kNew}}));

  for (int at = 0; at <= clean.steps; ++at) {
    for (bool kill : {false, true}) {
      SCOPED_TRACE(::testing::Message() << "step " << at << (kill ? " killed" : " failed"));
      WideStepDisk disk;
      disk.files[target] = kOld;
      (kill ? disk.killAt : disk.failAt) = at;
      bool saved = false;
      try {
        saved = replaceFileContent(disk, target, kNew);
      } catch (const ProcessKilled&) {
      }
      EXPECT_TRUE(disk.files[target] == kOld || disk.files[target] == kNew);
      if (saved) {
        EXPECT_EQ(disk.files[target], kNew);
      }
      disk.failAt = disk.killAt = -1;
      ASSERT_TRUE(replaceFileContent(disk, target, "next\r\n"));
      EXPECT_EQ(disk.files, (std::map<std::u16string, std::string>{{target, "next\r\n"}}));
    }
  }

  // A file held open elsewhere is refused before anything is written; a
  // path of 260 units is never touched.
  WideStepDisk held;
  held.files[target] = kOld;
  held.locked.insert(target);
  EXPECT_FALSE(replaceFileContent(held, target, kNew));
  EXPECT_EQ(held.touched, std::set<std::u16string>{target});
  WideStepDisk tooLong;
  EXPECT_FALSE(replaceFileContent(tooLong, u"C:\\" + std::u16string(257, u'd'), kNew));
  EXPECT_TRUE(tooLong.touched.empty());
  EXPECT_TRUE(replaceFileContent(tooLong, u"C:\\" + std::u16string(256, u'd'), kNew));
}

}  // namespace
}  // namespace tavrik
