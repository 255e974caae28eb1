// The caption file's replace through the real Win32 calls: a whole new file
// put in place by one rename, a reader holding the file told apart from a
// write that cannot succeed, nothing left behind either way, and paths up to
// the 260-unit limit.
#include <gtest/gtest.h>

#include <algorithm>

#include "caption/caption_writer.h"
#include "common/ansi_or_wide.h"
#include "common/code_page_win32.h"
#include "common/files_win32.h"
#include "common/host_folder.h"
#include "common/replace_content.h"
#include "common/win32_handles.h"
#include "common/win32_text.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

class CaptionFileWin : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = codePage.toWide(testing::freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    // "캡션\now ♪.txt": a path no ANSI function could name.
    std::u16string subfolder = folder + u"\\\uCEA1\uC158";
    CreateDirectoryW(asWide(subfolder), nullptr);
    caption = subfolder + u"\\now \u266A.txt";
  }
  // Through "\\?\", so that paths the plug-in must refuse can be read too.
  std::string content(const std::u16string& path) {
    UniqueFile file(CreateFileW(asWide(u"\\\\?\\" + path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) return "<no file>";
    char buffer[256];
    DWORD got = 0;
    ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr);
    return std::string(buffer, got);
  }
  // The names in the caption's folder.
  std::vector<std::u16string> names() { return namesBeside(caption); }
  std::vector<std::u16string> namesBeside(const std::u16string& path) {
    std::vector<std::u16string> found;
    WIN32_FIND_DATAW data;
    std::u16string pattern = u"\\\\?\\" + path.substr(0, path.rfind(u'\\')) + u"\\*";
    HANDLE search = FindFirstFileW(asWide(pattern), &data);
    if (search == INVALID_HANDLE_VALUE) return found;
    do {
      std::u16string name(reinterpret_cast<const char16_t*>(data.cFileName));
      if (name != u"." && name != u"..") found.push_back(name);
    } while (FindNextFileW(search, &data));
    FindClose(search);
    return found;
  }

  Win32CodePage codePage;
  Win32Files files;
  std::u16string folder, caption;
};

TEST_F(CaptionFileWin, ANewFileAndAReplacedOneLeaveOnlyThemselves) {
  EXPECT_EQ(replaceSharedFileContent(files, caption, "first"), ReplaceOutcome::Replaced);
  EXPECT_EQ(content(caption), "first");
  EXPECT_EQ(replaceSharedFileContent(files, caption, ""), ReplaceOutcome::Replaced);
  EXPECT_EQ(content(caption), "");
  EXPECT_EQ(replaceSharedFileContent(files, caption, "\xE2\x99\xAA"), ReplaceOutcome::Replaced);
  EXPECT_EQ(content(caption), "\xE2\x99\xAA");
  EXPECT_EQ(names(), std::vector<std::u16string>{u"now \u266A.txt"});
}

TEST_F(CaptionFileWin, AReaderHoldingTheFileIsToldApartAndKeepsReadingTheOldText) {
  ASSERT_EQ(replaceSharedFileContent(files, caption, "old"), ReplaceOutcome::Replaced);
  // As a streaming program's C runtime opens it ("rb"): sharing reading and
  // writing, not deleting.
  UniqueFile reader(CreateFileW(asWide(caption), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  EXPECT_EQ(replaceSharedFileContent(files, caption, "new"), ReplaceOutcome::HeldElsewhere);
  EXPECT_EQ(content(caption), "old") << "the write never opened the file: other readers still can";
  EXPECT_EQ(names(), std::vector<std::u16string>{u"now \u266A.txt"});
  EXPECT_EQ(captionOutcomeOf(replaceSharedFileContent(files, caption, "new")), CaptionOutcome::held);
  reader.reset();
  EXPECT_EQ(replaceSharedFileContent(files, caption, "new"), ReplaceOutcome::Replaced);
  EXPECT_EQ(content(caption), "new");
}

TEST_F(CaptionFileWin, WhatCanNeverBeWrittenFailsWithoutLeavingAnything) {
  ReplaceResult missing = replaceSharedFileContent(files, folder + u"\\missing\\now.txt", "x");
  EXPECT_EQ(missing, ReplaceOutcome::Failed);
  EXPECT_EQ(captionOutcomeOf(missing), CaptionOutcome::folderMissing) << missing.error;
  std::u16string directory = folder + u"\\a folder.txt";
  CreateDirectoryW(asWide(directory), nullptr);
  ReplaceResult folderInItsPlace = replaceSharedFileContent(files, directory, "x");
  EXPECT_EQ(folderInItsPlace, ReplaceOutcome::Failed);
  EXPECT_EQ(captionOutcomeOf(folderInItsPlace), CaptionOutcome::denied) << folderInItsPlace.error;
  EXPECT_EQ(namesBeside(directory), (std::vector<std::u16string>{u"a folder.txt", u"\uCEA1\uC158"}));
  EXPECT_EQ(replaceSharedFileContent(files, u"", "x"), ReplaceOutcome::Failed);
  EXPECT_EQ(replaceSharedFileContent(files, folder + u"\\" + std::u16string(260, u'x'), "x"), ReplaceOutcome::Failed);
}

TEST_F(CaptionFileWin, ALeftoverOfAnInterruptedWriteGoesAndTheUsersFilesStay) {
  std::u16string folderOfCaption = caption.substr(0, caption.rfind(u'\\') + 1);
  for (const char16_t* name : {u"now \u266A.t~3", u"now \u266A.txt.tmp", u"notes.txt"}) {
    UniqueFile file(CreateFileW(asWide(folderOfCaption + name), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    ASSERT_TRUE(file);
  }
  EXPECT_EQ(replaceSharedFileContent(files, caption, "now"), ReplaceOutcome::Replaced);
  EXPECT_EQ(names(), (std::vector<std::u16string>{u"notes.txt", u"now \u266A.txt", u"now \u266A.txt.tmp"}));
}

// Makes folders of "캡션" below `path`, in parts of up to 100 units, down to a
// path of `length` units.
std::u16string folderOfLength(std::u16string path, std::size_t length) {
  while (path.size() < length) {
    std::size_t room = length - path.size();
    std::size_t part = room <= 101 ? room - 1 : std::min<std::size_t>(100, room - 3);
    path += u"\\" + std::u16string(part, u'\uCEA1');
    CreateDirectoryW(asWide(u"\\\\?\\" + path), nullptr);
  }
  return path;
}

TEST_F(CaptionFileWin, PathsUpTo259UnitsAreWrittenAndLongerOnesNeverTouched) {
  const std::u16string name = u"\\now \u266A.txt";
  for (std::size_t length = 255; length <= 260; ++length) {
    SCOPED_TRACE(::testing::Message() << length << " units");
    std::u16string top = folder + u"\\" + widenAscii(std::to_string(length).c_str());
    CreateDirectoryW(asWide(top), nullptr);
    std::u16string path = folderOfLength(top, length - name.size()) + name;
    ASSERT_EQ(path.size(), length);
    {
      UniqueFile old(CreateFileW(asWide(u"\\\\?\\" + path), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
      DWORD written = 0;
      ASSERT_TRUE(old && WriteFile(old.get(), "old", 3, &written, nullptr));
    }
    const bool fits = length < kMaxPathUnits;
    EXPECT_EQ(replaceSharedFileContent(files, path, "new"), fits ? ReplaceOutcome::Replaced : ReplaceOutcome::Failed);
    EXPECT_EQ(content(path), fits ? "new" : "old");
    EXPECT_EQ(namesBeside(path), std::vector<std::u16string>{name.substr(1)});
  }
}

}  // namespace
}  // namespace tavrik
