// The cover reader through the Win32 files, over tracks that real taggers
// wrote (tests/data/make_covers.sh): each picture as the tagger was given
// it, the front one of two, damaged tags, a picture too large beside its
// folder's image, a WAV file's ID3 chunk, Japanese names, and a track that
// another program holds open.
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <ostream>

#include "common/win32_handles.h"
#include "common/win32_text.h"
#include "cover/cover_files_win32.h"
#include "cover/cover_finder.h"

namespace tavrik {

inline void PrintTo(const CoverPicture& picture, std::ostream* out) {
  *out << picture.type << ", " << picture.bytes.size() << " bytes";
}

namespace {

// "日本語のアルバム" (a Japanese album), its "曲.mp3" (a track) with a
// picture and "タグなし.mp3" (untagged) beside a cover.png.
const std::u16string kJapaneseFolder = u"\u65E5\u672C\u8A9E\u306E\u30A2\u30EB\u30D0\u30E0\\";
const std::u16string kTaggedTrack = kJapaneseFolder + u"\u66F2.mp3";
const std::u16string kUntaggedTrack = kJapaneseFolder + u"\u30BF\u30B0\u306A\u3057.mp3";

// The folder make_covers.sh filled (TAVRIK_COVERS), on Wine's Z: drive.
std::u16string covers(const std::u16string& relative) {
  wchar_t value[1024] = {};
  DWORD length = GetEnvironmentVariableW(L"TAVRIK_COVERS", value, 1024);
  std::u16string folder = u"Z:";
  for (DWORD i = 0; i < length && i < 1024; ++i) folder += value[i] == L'/' ? u'\\' : static_cast<char16_t>(value[i]);
  return folder + u"\\" + relative;
}

// A file's bytes by plain Win32 calls, apart from the reader's.
std::string bytesOf(const std::u16string& path) {
  UniqueFile file(CreateFileW(asWide(path), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  std::string bytes;
  char chunk[65536];
  for (DWORD got = 0; file && ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0;) {
    bytes.append(chunk, got);
  }
  return bytes;
}

class CoverReaderOnWindows : public ::testing::Test {
 protected:
  // The picture as it was handed to the tagger.
  static CoverPicture given(const std::u16string& relative, const char* type) {
    CoverPicture picture{bytesOf(covers(relative)), type};
    EXPECT_FALSE(picture.bytes.empty()) << "make_covers.sh made no such picture";
    return picture;
  }
  std::optional<CoverPicture> coverOf(const std::u16string& relative) { return findCover(files, covers(relative)); }

  Win32CoverFiles files;
};

TEST_F(CoverReaderOnWindows, GivesThePictureEachTaggerWasGiven) {
  EXPECT_EQ(coverOf(u"eyed3_v23.mp3"), given(u"red.jpg", "image/jpeg"));
  EXPECT_EQ(coverOf(u"eyed3_v24.mp3"), given(u"blue.png", "image/png"));
  EXPECT_EQ(coverOf(u"ffmpeg_v23.mp3"), given(u"red.jpg", "image/jpeg"));
  EXPECT_EQ(coverOf(u"ffmpeg_v24.mp3"), given(u"red.jpg", "image/jpeg"));
  EXPECT_EQ(coverOf(u"two_pictures.mp3"), given(u"red.jpg", "image/jpeg")) << "the front cover, not the first";
  EXPECT_EQ(coverOf(u"tagged.wav"), given(u"blue.png", "image/png"));
  EXPECT_EQ(coverOf(u"notag.mp3"), std::nullopt);
}

TEST_F(CoverReaderOnWindows, ADamagedTagGivesNoPictureButTheFoldersImage) {
  EXPECT_EQ(coverOf(u"truncated\\track.mp3"), std::nullopt);
  EXPECT_EQ(coverOf(u"claims_more\\track.mp3"), given(u"claims_more\\front.png", "image/png"));
}

TEST_F(CoverReaderOnWindows, APictureOverTheLimitGivesWayToTheFoldersImage) {
  std::unique_ptr<CoverFile> track = files.openShared(covers(u"large\\track.mp3"));
  ASSERT_TRUE(track);
  EXPECT_GT(track->size(), kMaxCoverBytes);
  EXPECT_EQ(coverOf(u"large\\track.mp3"), given(u"large\\cover.jpg", "image/jpeg"));
}

TEST_F(CoverReaderOnWindows, FindsFolderImagesInAnyCaseAndAlbumArt) {
  EXPECT_EQ(coverOf(u"folder_image\\track.mp3"), given(u"folder_image\\Folder.PNG", "image/png"));
  EXPECT_EQ(coverOf(u"album_art\\track.mp3"),
            given(u"album_art\\AlbumArt_{0A1B2C3D-4E5F-6071-8293-A4B5C6D7E8F9}_Large.jpg", "image/jpeg"));
}

TEST_F(CoverReaderOnWindows, ReadsJapaneseNames) {
  EXPECT_EQ(coverOf(kTaggedTrack), given(u"red.jpg", "image/jpeg"));
  EXPECT_EQ(coverOf(kUntaggedTrack), given(u"blue.png", "image/png"));
  std::vector<std::u16string> names = files.fileNamesIn(covers(kJapaneseFolder), 10);
  std::sort(names.begin(), names.end());
  EXPECT_EQ(names, (std::vector<std::u16string>{u"cover.png", u"\u30BF\u30B0\u306A\u3057.mp3", u"\u66F2.mp3"}));
}

TEST_F(CoverReaderOnWindows, ListsFilesOnlyUpToTheLimit) {
  std::vector<std::u16string> names = files.fileNamesIn(covers(u""), 1000);
  EXPECT_NE(std::find(names.begin(), names.end(), u"tagged.wav"), names.end());
  EXPECT_EQ(std::find(names.begin(), names.end(), u"large"), names.end()) << "a folder is no file";
  EXPECT_EQ(std::find(names.begin(), names.end(), u"."), names.end());
  EXPECT_EQ(files.fileNamesIn(covers(u""), 3).size(), 3u);
  EXPECT_EQ(files.fileNamesIn(covers(u"missing"), 10), std::vector<std::u16string>{});
}

TEST_F(CoverReaderOnWindows, ReadsATrackThatAnotherProgramHoldsOpen) {
  std::u16string path = covers(u"held_open.mp3");
  // One holder writes, the other may delete; each lets others only read.
  for (DWORD access : {DWORD{GENERIC_READ | GENERIC_WRITE}, DWORD{GENERIC_READ | DELETE}}) {
    UniqueFile holder(CreateFileW(asWide(path), access, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
    ASSERT_TRUE(holder);
    EXPECT_EQ(findCover(files, path), given(u"blue.png", "image/png")) << access;
  }
}

TEST_F(CoverReaderOnWindows, AFileReadsSkipsAndEndsAtItsSize) {
  std::string expected = bytesOf(covers(u"red.jpg"));
  std::unique_ptr<CoverFile> file = files.openShared(covers(u"red.jpg"));
  ASSERT_TRUE(file);
  EXPECT_EQ(file->size(), expected.size());
  char bytes[4];
  ASSERT_EQ(file->read(bytes, 4), 4u);
  EXPECT_EQ(std::string(bytes, 4), expected.substr(0, 4));
  EXPECT_TRUE(file->skip(2));
  ASSERT_EQ(file->read(bytes, 4), 4u);
  EXPECT_EQ(std::string(bytes, 4), expected.substr(6, 4));
  EXPECT_FALSE(file->skip(expected.size())) << "past the end";
  EXPECT_EQ(files.openShared(covers(u"large")), nullptr) << "a folder";
  EXPECT_EQ(files.openShared(covers(u"missing.mp3")), nullptr);
}

TEST_F(CoverReaderOnWindows, ReadsAPlaceholderPicture) {
  EXPECT_EQ(readPictureFile(files, covers(u"yellow.png")), given(u"yellow.png", "image/png"));
  EXPECT_EQ(readPictureFile(files, covers(u"notag.mp3")), std::nullopt);
  EXPECT_EQ(readPictureFile(files, covers(u"missing.png")), std::nullopt);
}

}  // namespace
}  // namespace tavrik
