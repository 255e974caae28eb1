// The save over the disk in memory: the rule file and the settings file named
// in ANSI or in UTF-16, and the caption file that other programs read while
// it is written.
#include "common/replace_content.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "cp932_lead_byte.h"
#include "memory_disk.h"

namespace tavrik {
namespace {

using testing::DiskNames;
using testing::MemoryDisk;
using testing::ProcessKilled;

const std::string kFolder = "C:\\Winamp\\Plugins\\";
const std::string kTarget = kFolder + "gen_tavrik.cfg";
const std::string kOld = "ARTIST\tOld\tC:\\old.html\r\n";
const std::string kNew = "ARTIST\tNew band\tC:\\new.html\r\nTITLE\tT\tC:\\t.html\r\n\r\nkept\r\n";

const std::u16string kWideFolder = u"C:\\Users\\\uD55C\uAD6D\\Winamp\\Plugins\\";
const std::u16string kWideTarget = kWideFolder + u"gen_tavrik.cfg";
const std::u16string kCaptionFolder = u"C:\\OBS\\\u5B57\u5E55\\";  // 字幕
const std::u16string kCaption = kCaptionFolder + u"caption.txt";

std::string name(std::string_view fileName, unsigned index) {
  return temporaryName(fileName, index, testing::isCodePage932LeadByte);
}

bool save(MemoryDisk& disk, const std::string& path, const std::string& bytes) {
  return replaceFileContent(disk, path, bytes, testing::isCodePage932LeadByte);
}

DiskNames<std::string>& namesFor(MemoryDisk& disk, const std::string&) { return disk.ansi; }
DiskNames<std::u16string>& namesFor(MemoryDisk& disk, const std::u16string&) { return disk.wide; }

// Every file on the disk but those in `expected`.
template <class Path>
std::vector<Path> strays(const DiskNames<Path>& names, const std::set<Path>& expected) {
  std::vector<Path> found;
  for (const auto& [path, content] : names.files)
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

TEST(TemporaryName, AUtf16NameNeverLosesHalfASurrogatePair) {
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

TEST(ReplaceContent, PathsUpTo259BytesAreSavedAndLongerOnesNeverTouched) {
  for (std::size_t length = 255; length <= 262; ++length) {
    std::string folder = "C:\\" + std::string(length - 3 - 15, 'd') + "\\";
    std::string path = folder + "gen_tavrik.cfg";
    ASSERT_EQ(path.size(), length);
    MemoryDisk disk;
    disk.ansi.files[path] = kOld;
    EXPECT_EQ(save(disk, path, kNew), length < kMaxPathBytes) << length;
    EXPECT_EQ(disk.ansi.files[path], length < kMaxPathBytes ? kNew : kOld);
    EXPECT_EQ(disk.ansi.files.size(), 1u);
    if (length >= kMaxPathBytes) {
      EXPECT_TRUE(disk.calls.empty());
    }
    for (const std::string& touched : disk.ansi.touched) EXPECT_LE(touched.size(), length);
  }
  // A one-byte name at the very limit is the one file whose temporary names
  // do not fit: its save fails and touches nothing longer.
  MemoryDisk disk;
  std::string path = "C:\\" + std::string(254, 'd') + "\\a";
  disk.ansi.files[path] = kOld;
  EXPECT_FALSE(save(disk, path, kNew));
  EXPECT_EQ(disk.ansi.files, (std::map<std::string, std::string>{{path, kOld}}));
  EXPECT_EQ(disk.ansi.touched, std::set<std::string>{path});
}

TEST(ReplaceContent, Utf16PathsUpTo259UnitsAreSavedAndLongerOnesNeverTouched) {
  for (std::size_t length = 255; length <= 261; ++length) {
    SCOPED_TRACE(::testing::Message() << length << " units");
    std::u16string path = u"C:\\" + std::u16string(length - 3 - 12, u'\u5B57') + u"\\caption.txt";
    ASSERT_EQ(path.size(), length);
    MemoryDisk shared, own;
    ReplaceResult result = replaceSharedFileContent(shared, path, kNew);
    EXPECT_EQ(result, length < kMaxPathUnits ? ReplaceOutcome::Replaced : ReplaceOutcome::Failed);
    EXPECT_EQ(replaceFileContent(own, path, kNew), length < kMaxPathUnits);
    for (MemoryDisk* disk : {&shared, &own}) {
      EXPECT_EQ(disk->wide.files.size(), length < kMaxPathUnits ? 1u : 0u);
      for (const std::u16string& touched : disk->wide.touched) EXPECT_LE(touched.size(), length);
    }
  }
  MemoryDisk disk;
  EXPECT_EQ(replaceSharedFileContent(disk, kCaptionFolder, kNew), ReplaceOutcome::Failed);
  EXPECT_FALSE(replaceFileContent(disk, kWideFolder, kNew));
  EXPECT_TRUE(disk.calls.empty());
}

TEST(ReplaceContent, LeftoversGoButUsersFilesAndNamesTakenElsewhereStay) {
  MemoryDisk disk;
  disk.ansi.files = {{kTarget, kOld},
                     {kFolder + "gen_tavrik.c~0", "half a save"},
                     {kFolder + "gen_tavrik.c~1", "held by a virus scanner"},
                     {kFolder + "gen_tavrik.cfg.tmp", "the user's"},
                     {kFolder + "gen_tavrik.cfg~", "the user's"},
                     {kFolder + "gen_tavrik.i~0", "another file's leftover"}};
  disk.ansi.held.insert(kFolder + "gen_tavrik.c~1");
  ASSERT_TRUE(save(disk, kTarget, kNew));
  EXPECT_EQ(disk.ansi.files[kTarget], kNew);
  EXPECT_FALSE(disk.ansi.files.count(kFolder + "gen_tavrik.c~0"));
  EXPECT_EQ(strays(disk.ansi, {kTarget}),
            (std::vector<std::string>{kFolder + "gen_tavrik.cfg.tmp", kFolder + "gen_tavrik.cfg~",
                                      kFolder + "gen_tavrik.c~1", kFolder + "gen_tavrik.i~0"}));
  // A file named like one of its own temporary files is never deleted.
  MemoryDisk own;
  own.ansi.files[kFolder + "ab~1"] = kOld;
  ASSERT_TRUE(save(own, kFolder + "ab~1", kNew));
  EXPECT_EQ(own.ansi.files, (std::map<std::string, std::string>{{kFolder + "ab~1", kNew}}));
}

TEST(ReplaceContent, ARefusedTargetIsNotWrittenAndWhenNoNameIsFreeNothingIs) {
  for (bool held : {true, false}) {
    MemoryDisk disk;
    disk.ansi.files[kTarget] = kOld;
    (held ? disk.ansi.held : disk.ansi.readOnly).insert(kTarget);
    EXPECT_FALSE(save(disk, kTarget, kNew));
    EXPECT_EQ(disk.calls, std::vector<std::string>{"replaceable " + kTarget}) << "refused before anything is written";
  }
  MemoryDisk disk;
  disk.ansi.files[kTarget] = kOld;
  for (unsigned i = 0; i < kTemporaryNames; ++i) {
    disk.ansi.files[kFolder + name("gen_tavrik.cfg", i)] = "held";
    disk.ansi.held.insert(kFolder + name("gen_tavrik.cfg", i));
  }
  EXPECT_FALSE(save(disk, kTarget, kNew));
  EXPECT_EQ(disk.ansi.files[kTarget], kOld);
  // A folder we may not write in, as Program Files is to a standard user,
  // refuses every name the same way.
  MemoryDisk readOnlyFolder;
  readOnlyFolder.ansi.readOnly.insert("C:\\Winamp\\Plugins");
  EXPECT_FALSE(save(readOnlyFolder, kTarget, kNew));
  EXPECT_TRUE(readOnlyFolder.ansi.files.empty());
}

TEST(ReplaceContent, AHeldUtf16FileIsRefusedBeforeAnythingIsWrittenAndAMissingFolderGetsNothing) {
  MemoryDisk held;
  held.wide.files[kWideTarget] = kOld;
  held.wide.held.insert(kWideTarget);
  EXPECT_FALSE(replaceFileContent(held, kWideTarget, kNew));
  EXPECT_EQ(held.wide.touched, std::set<std::u16string>{kWideTarget});
  EXPECT_EQ(held.wide.files[kWideTarget], kOld);

  MemoryDisk missing;
  missing.wide.missingFolders.insert(u"C:\\Users");
  EXPECT_FALSE(replaceFileContent(missing, kWideTarget, kNew));
  EXPECT_EQ(replaceSharedFileContent(missing, kWideTarget, kNew), ReplaceOutcome::Failed);
  EXPECT_TRUE(missing.wide.files.empty());
}

// Opening the caption file, even to check it, would shut out a reader
// polling it: the rename is the one call that names it.
TEST(ReplaceSharedContent, TheFileItselfIsNamedOnlyByTheRenameAndAHeldFileIsLeftAsItWas) {
  MemoryDisk disk;
  disk.wide.files[kCaption] = kOld;
  disk.wide.files[kCaptionFolder + u"caption.t~4"] = "half a save";
  ASSERT_EQ(replaceSharedFileContent(disk, kCaption, kNew), ReplaceOutcome::Replaced);
  EXPECT_EQ(disk.wide.files[kCaption], kNew);
  EXPECT_EQ(strays(disk.wide, {kCaption}), std::vector<std::u16string>{});
  const std::string named = " wide " + encodeUtf8(kCaption);
  std::vector<std::string> callsNamingIt;
  for (const std::string& call : disk.calls) {
    if (call.size() > named.size() && call.compare(call.size() - named.size(), named.size(), named) == 0) {
      callsNamingIt.push_back(call);
    }
  }
  EXPECT_EQ(callsNamingIt, std::vector<std::string>{"replace" + named});

  disk.wide.held.insert(kCaption);
  ReplaceResult held = replaceSharedFileContent(disk, kCaption, "later");
  EXPECT_EQ(held, ReplaceOutcome::HeldElsewhere);
  EXPECT_EQ(held.error, 0u) << "a held file is no failure";
  EXPECT_EQ(disk.wide.files[kCaption], kNew);
  EXPECT_EQ(strays(disk.wide, {kCaption}), std::vector<std::u16string>{});
  disk.wide.held.clear();
  EXPECT_EQ(replaceSharedFileContent(disk, kCaption, "later"), ReplaceOutcome::Replaced);
  EXPECT_EQ(disk.wide.files[kCaption], "later");
}

// The settings dialog says why the caption file was not written: the code of
// the step that failed, never one an earlier step or an earlier save left.
TEST(ReplaceSharedContent, AFailureSaysTheErrorOfTheStepThatFailed) {
  auto resultOn = [](MemoryDisk& disk) {
    disk.wide.files[kCaption] = kOld;
    ReplaceResult result = replaceSharedFileContent(disk, kCaption, kNew);
    EXPECT_EQ(disk.wide.files[kCaption], kOld);
    EXPECT_EQ(strays(disk.wide, {kCaption}), std::vector<std::u16string>{});
    return std::make_pair(result.outcome, result.error);
  };
  using Result = std::pair<ReplaceOutcome, std::uint32_t>;
  const Result failed{ReplaceOutcome::Failed, 0};

  MemoryDisk readOnly;
  readOnly.wide.readOnly.insert(kCaption);
  EXPECT_EQ(resultOn(readOnly), (Result{failed.first, testing::kAccessDenied}));

  MemoryDisk full;
  full.room = kNew.size() / 2;
  EXPECT_EQ(resultOn(full), (Result{failed.first, testing::kDiskFull}));

  // A leftover held by a virus scanner takes its name (ERROR_FILE_EXISTS),
  // then the flush fails: the flush's code is the one said.
  MemoryDisk clean;
  ASSERT_EQ(replaceSharedFileContent(clean, kCaption, kNew), ReplaceOutcome::Replaced);
  const auto flush = std::find_if(clean.calls.begin(), clean.calls.end(),
                                  [](const std::string& call) { return call.rfind("flush", 0) == 0; });
  ASSERT_NE(flush, clean.calls.end());
  MemoryDisk failingFlush;
  failingFlush.wide.files[kCaptionFolder + u"caption.t~0"] = "held";
  failingFlush.wide.held.insert(kCaptionFolder + u"caption.t~0");
  failingFlush.failAt = static_cast<int>(flush - clean.calls.begin()) + 1;  // one creation more
  failingFlush.failError = 21;                                               // ERROR_NOT_READY
  ReplaceResult result = replaceSharedFileContent(failingFlush, kCaption, kNew);
  EXPECT_EQ(result, ReplaceOutcome::Failed);
  EXPECT_EQ(result.error, 21u);
  EXPECT_EQ(failingFlush.calls[failingFlush.failAt].rfind("flush", 0), 0u);

  // Paths it cannot even try name no file it could write, whatever failed
  // before on the same disk.
  EXPECT_EQ(replaceSharedFileContent(full, u"C:\\" + std::u16string(300, u'x'), "x").error, testing::kPathNotFound);
  EXPECT_EQ(replaceSharedFileContent(full, u"C:\\" + std::u16string(254, u'x') + u"\\a", "x").error,
            testing::kPathNotFound);
  full.wide.missingFolders.insert(u"C:\\OBS");
  EXPECT_EQ(replaceSharedFileContent(full, kCaption, "x").error, testing::kPathNotFound);
}

// A save over an old file and a first save, failed and then killed at each of
// its steps in turn, and killed right after its last: the target holds the old
// content (or no file) or the whole new one, whatever temporary file is left
// the next save removes, and the user's file beside it stays. A kill is a
// power cut too, so a save that renames before its bytes reach the disk fails
// here.
template <class Path, class Save>
void expectEveryStepToLeaveOldOrNew(const Path& target, const Path& notes, const Save& save) {
  for (bool firstSave : {false, true}) {
    MemoryDisk clean;
    if (!firstSave) namesFor(clean, target).files[target] = kOld;
    ASSERT_TRUE(save(clean, kNew));
    const int steps = clean.steps;
    ASSERT_GT(steps, 15);  // check, removals, create, several writes, flush, close, replace

    for (int at = 0; at <= steps; ++at) {
      for (bool kill : {false, true}) {
        SCOPED_TRACE(::testing::Message() << "step " << at << (kill ? " killed" : " failed")
                                          << (firstSave ? ", first save" : ""));
        MemoryDisk disk;
        DiskNames<Path>& names = namesFor(disk, target);
        if (!firstSave) names.files[target] = kOld;
        names.files[notes] = "the user's";
        (kill ? disk.killAt : disk.failAt) = at;
        bool saved = false;
        try {
          saved = save(disk, kNew);
          if (kill) disk.cutPower();  // the power goes the moment the save is done
        } catch (const ProcessKilled&) {
        }
        auto now = names.files.find(target);
        if (now == names.files.end()) {
          EXPECT_TRUE(firstSave && !saved) << "the file is gone";
        } else {
          EXPECT_TRUE(now->second == kNew || (!firstSave && now->second == kOld))
              << now->second.size() << " bytes: " << now->second;
          if (saved) {
            EXPECT_EQ(now->second, kNew);
          }
        }
        // Only a failed clean-up, the last step taken, leaves a file behind.
        if (!kill && !saved && disk.steps - 1 != at) {
          EXPECT_EQ(strays(names, {target, notes}), std::vector<Path>{});
        }

        disk.failAt = disk.killAt = -1;
        ASSERT_TRUE(save(disk, "next\r\n"));
        EXPECT_EQ(names.files[target], "next\r\n");
        EXPECT_EQ(names.files[notes], "the user's");
        EXPECT_EQ(strays(names, {target, notes}), std::vector<Path>{});
      }
    }
  }
}

TEST(ReplaceContent, EveryFailedOrKilledStepLeavesOldOrNewAndNoTemporaryFileForLong) {
  expectEveryStepToLeaveOldOrNew(kTarget, kFolder + "notes.txt",
                                 [](MemoryDisk& disk, const std::string& bytes) { return save(disk, kTarget, bytes); });
}

// The rule file and the settings file in a settings folder the ANSI code page
// cannot name.
TEST(ReplaceContent, EveryFailedOrKilledStepUnderAUtf16PathLeavesOldOrNew) {
  expectEveryStepToLeaveOldOrNew(kWideTarget, kWideFolder + u"notes.txt",
                                 [](MemoryDisk& disk, const std::string& bytes) {
                                   return replaceFileContent(disk, kWideTarget, bytes);
                                 });
}

TEST(ReplaceSharedContent, EveryFailedOrKilledStepLeavesOldOrNewAndSaysWhyItFailed) {
  expectEveryStepToLeaveOldOrNew(kCaption, kCaptionFolder + u"notes.txt",
                                 [](MemoryDisk& disk, const std::string& bytes) {
                                   ReplaceResult result = replaceSharedFileContent(disk, kCaption, bytes);
                                   EXPECT_NE(result, ReplaceOutcome::HeldElsewhere) << "nothing holds it";
                                   EXPECT_EQ(result.error != 0, result == ReplaceOutcome::Failed);
                                   return result == ReplaceOutcome::Replaced;
                                 });
}

}  // namespace
}  // namespace tavrik
