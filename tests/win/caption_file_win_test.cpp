// The caption file's replace through the real Win32 calls: a whole new file
// put in place by one rename, a reader holding the file told apart from a
// write that cannot succeed, and nothing left behind either way.
#include <gtest/gtest.h>

#include "common/code_page_win32.h"
#include "common/file_system_win32.h"
#include "common/win32_handles.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

const wchar_t* asWide(const std::u16string& text) { return reinterpret_cast<const wchar_t*>(text.c_str()); }

class CaptionFileWin : public ::testing::Test {
 protected:
  void SetUp() override {
    folder = codePage.toWide(testing::freshFolder(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    // "캡션\now ♪.txt": a path no ANSI function could name.
    std::u16string subfolder = folder + u"\\\uCEA1\uC158";
    CreateDirectoryW(asWide(subfolder), nullptr);
    caption = subfolder + u"\\now \u266A.txt";
  }
  std::string content(const std::u16string& path) {
    UniqueFile file(CreateFileW(asWide(path), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) return "<no file>";
    char buffer[256];
    DWORD got = 0;
    ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr);
    return std::string(buffer, got);
  }
  // The names in the caption's folder.
  std::vector<std::u16string> names() {
    std::vector<std::u16string> found;
    WIN32_FIND_DATAW data;
    std::u16string pattern = caption.substr(0, caption.rfind(u'\\')) + u"\\*";
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
  Win32FileSystem files;
  std::u16string folder, caption;
};

TEST_F(CaptionFileWin, ANewFileAndAReplacedOneLeaveOnlyThemselves) {
  EXPECT_EQ(files.replaceContentWide(caption, "first"), ReplaceOutcome::Replaced);
  EXPECT_EQ(content(caption), "first");
  EXPECT_EQ(files.replaceContentWide(caption, ""), ReplaceOutcome::Replaced);
  EXPECT_EQ(content(caption), "");
  EXPECT_EQ(files.replaceContentWide(caption, "\xE2\x99\xAA"), ReplaceOutcome::Replaced);
  EXPECT_EQ(content(caption), "\xE2\x99\xAA");
  EXPECT_EQ(names(), std::vector<std::u16string>{u"now \u266A.txt"});
}

TEST_F(CaptionFileWin, AReaderHoldingTheFileIsToldApartAndKeepsReadingTheOldText) {
  ASSERT_EQ(files.replaceContentWide(caption, "old"), ReplaceOutcome::Replaced);
  // As a streaming program's C runtime opens it ("rb"): sharing reading and
  // writing, not deleting.
  UniqueFile reader(CreateFileW(asWide(caption), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(reader);
  EXPECT_EQ(files.replaceContentWide(caption, "new"), ReplaceOutcome::HeldElsewhere);
  EXPECT_EQ(content(caption), "old") << "the write never opened the file: other readers still can";
  EXPECT_EQ(names(), std::vector<std::u16string>{u"now \u266A.txt"});
  reader.reset();
  EXPECT_EQ(files.replaceContentWide(caption, "new"), ReplaceOutcome::Replaced);
  EXPECT_EQ(content(caption), "new");
}

TEST_F(CaptionFileWin, WhatCanNeverBeWrittenFailsWithoutLeavingAnything) {
  EXPECT_EQ(files.replaceContentWide(folder + u"\\missing\\now.txt", "x"), ReplaceOutcome::Failed);
  std::u16string directory = folder + u"\\a folder.txt";
  CreateDirectoryW(asWide(directory), nullptr);
  EXPECT_EQ(files.replaceContentWide(directory, "x"), ReplaceOutcome::Failed);
  EXPECT_EQ(GetFileAttributesW(asWide(directory + u".tmp")), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(files.replaceContentWide(u"", "x"), ReplaceOutcome::Failed);
  EXPECT_EQ(files.replaceContentWide(folder + u"\\" + std::u16string(260, u'x'), "x"), ReplaceOutcome::Failed);
}

}  // namespace
}  // namespace tavrik
