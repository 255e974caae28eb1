// The tag reader over the stand-in mp3infp.dll, found by the system's search
// order, reading audio files that real taggers wrote; and the stand-in's own
// reading of damaged and hand-made tags.
#include <gtest/gtest.h>
#include <windows.h>

#include <random>

#include "common/code_page_win32.h"
#include "common/cp932_texts.h"
#include "common/module_services_win32.h"
#include "common/win32_handles.h"
#include "pipeline/tag_library_win32.h"
#include "pipeline/tag_reader.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::buildPath;

const char kVersionVariable[] = "STANDIN_MP3INFP_VERSION";

bool tagLibraryLoaded() { return GetModuleHandleA("mp3infp.dll") != nullptr; }

std::string audioFile(const std::string& name) { return buildPath("audio/" + name); }

// A reader whose library the system finds in one folder of the build tree
// (or, for an empty folder, nowhere).
class TagReaderOnWindows : public ::testing::Test {
 protected:
  void findLibraryIn(const std::string& folder) { ASSERT_TRUE(SetDllDirectoryA(folder.c_str())); }
  void SetUp() override { ASSERT_FALSE(tagLibraryLoaded()) << "an earlier test left the library loaded"; }
  void TearDown() override {
    reader.releaseTagLibrary();
    SetEnvironmentVariableA(kVersionVariable, nullptr);
    SetDllDirectoryA(nullptr);
  }

  Win32TagLibrary library;
  Win32ModuleServices services{nullptr};
  Win32CodePage codePage;
  TagReader reader{library, services, codePage, nullptr};
};

TEST_F(TagReaderOnWindows, BindsTheLibraryTheSystemFindsAndReleasesIt) {
  findLibraryIn(buildPath("taglib"));
  testing::MessageBoxWatcher watcher;
  EXPECT_TRUE(reader.bindTagLibrary());
  EXPECT_TRUE(tagLibraryLoaded());
  EXPECT_TRUE(reader.readTrackTags(audioFile("v23.mp3")).has_value());
  reader.releaseTagLibrary();
  EXPECT_FALSE(tagLibraryLoaded());
  EXPECT_EQ(reader.readTrackTags(audioFile("v23.mp3")), std::nullopt);
  EXPECT_TRUE(watcher.seen().empty());
}

TEST_F(TagReaderOnWindows, AMissingLibraryIsReportedAndNothingIsRead) {
  findLibraryIn(testing::freshFolder("no-taglib"));
  testing::MessageBoxWatcher watcher;
  EXPECT_FALSE(reader.bindTagLibrary());
  auto seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, texts::kErrorTitle);
  EXPECT_EQ(seen[0].text, texts::kTagLibraryMissingMessage);
  EXPECT_EQ(reader.readTrackTags(audioFile("v23.mp3")), std::nullopt);
}

TEST_F(TagReaderOnWindows, Version0x226IsRefusedAndReleasedAt0x227Accepted) {
  findLibraryIn(buildPath("taglib"));
  {
    SetEnvironmentVariableA(kVersionVariable, "0x226");
    testing::MessageBoxWatcher watcher;
    EXPECT_FALSE(reader.bindTagLibrary());
    auto seen = watcher.seen();
    ASSERT_EQ(seen.size(), 1u);
    EXPECT_EQ(seen[0].title, texts::kErrorTitle);
    EXPECT_EQ(seen[0].text, texts::kTagLibraryTooOldMessage);
    EXPECT_FALSE(tagLibraryLoaded()) << "a refused library is released at once";
    EXPECT_EQ(reader.readTrackTags(audioFile("v23.mp3")), std::nullopt);
  }
  {
    SetEnvironmentVariableA(kVersionVariable, "0x227");
    testing::MessageBoxWatcher watcher;
    EXPECT_TRUE(reader.bindTagLibrary());
    EXPECT_TRUE(watcher.seen().empty());
  }
}

TEST_F(TagReaderOnWindows, ALibraryLackingAnEntryIsRefusedWithItsOwnMessage) {
  findLibraryIn(buildPath("taglib-noentry"));
  testing::MessageBoxWatcher watcher;
  EXPECT_FALSE(reader.bindTagLibrary());
  auto seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].title, texts::kErrorTitle);
  EXPECT_EQ(seen[0].text, texts::kTagLibraryEntryMissingMessage);
  EXPECT_FALSE(tagLibraryLoaded());
  EXPECT_EQ(reader.readTrackTags(audioFile("v23.mp3")), std::nullopt);
}

// Every library reads the same texts: an older one (2.27) as ANSI bytes, a
// newer one through its wide entries, which here give the same characters.
class TagReaderOfEachLibrary : public TagReaderOnWindows, public ::testing::WithParamInterface<const char*> {};
INSTANTIATE_TEST_SUITE_P(OlderAndNewer, TagReaderOfEachLibrary, ::testing::Values("taglib-ansi", "taglib"));

TEST_P(TagReaderOfEachLibrary, ReadsRealFilesByTheirTagKind) {
  findLibraryIn(buildPath(GetParam()));
  ASSERT_TRUE(reader.bindTagLibrary());
  const bool wide = std::string(GetParam()) == "taglib";
  // A newer library is read through its wide entries: its texts come as UTF-16.
  auto read = reader.readTrackTags(audioFile("v23.mp3"));
  ASSERT_TRUE(read.has_value());
  EXPECT_EQ(read->title.isWide(), wide);
  const TrackTags defaults{"Unknown Title", "Unknown Artist", "Unknown Album", "Unknown Comment",
                           "Unknown Genre"};
  struct Case {
    const char* file;
    TrackTags tags;
  };
  const Case cases[] = {
      {"notag.mp3", defaults},
      {"v1.mp3", {"V1 Title", "V1 Artist", "V1 Album", "V1 Comment", "Rock"}},
      {"v11.mp3", {"Track Title", "Track Artist", "Track Album", "Track Comment", "Jazz"}},
      {"v23.mp3", {"V2 Title", "V2 Artist", "V2 Album", "V2 Comment", "Rock"}},
      // The v2 tag wins whole: its missing album is not taken from v1.
      {"both.mp3", {"New Title", "New Artist", "Unknown Album", "New Comment", "Pop"}},
      // UTF-16, UTF-16BE and UTF-8 frames arrive as code page 932 bytes.
      {"v24_japanese.mp3",
       {"\x83\x65\x83\x58\x83\x67\x8b\xc8", "\x89\xcc\x8e\xe8", "\x83\x41\x83\x8b\x83\x6f\x83\x80",
        "\x83\x52\x83\x81\x83\x93\x83\x67", "Metal"}},
      {"v23_japanese.mp3",
       {"\x83\x65\x83\x58\x83\x67\x8b\xc8", "\x89\xcc\x8e\xe8", "\x83\x41\x83\x8b\x83\x6f\x83\x80",
        "\x83\x52\x83\x81\x83\x93\x83\x67", "Metal"}},
      {"info.wav", {"Wave Title", "Wave Artist", "Wave Album", "Wave Comment", "Ambient"}},
      {"plain.wav", defaults},
      {"riff.rmp", {"Riff Title", "Riff Artist", "Riff Album", "Riff Comment", "Riff Genre"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.file);
    auto tags = reader.readTrackTags(audioFile(c.file));
    ASSERT_TRUE(tags.has_value());
    // The default texts are the module's own, always ANSI.
    EXPECT_EQ(tags->title.isWide(), wide && c.tags.title != defaults.title);
    EXPECT_EQ(exactAnsiOf(tags->title, codePage), c.tags.title.ansi());
    EXPECT_EQ(exactAnsiOf(tags->artist, codePage), c.tags.artist.ansi());
    EXPECT_EQ(exactAnsiOf(tags->album, codePage), c.tags.album.ansi());
    EXPECT_EQ(exactAnsiOf(tags->comment, codePage), c.tags.comment.ansi());
    EXPECT_EQ(exactAnsiOf(tags->genre, codePage), c.tags.genre.ansi());
  }
  std::string folder = testing::freshFolder("taglib-unreadable");
  testing::writeFileBytes(folder + "\\empty.mp3", "");
  testing::writeFileBytes(folder + "\\text.mp3", "just some text, no audio at all");
  EXPECT_EQ(reader.readTrackTags(folder + "\\empty.mp3"), std::nullopt);
  EXPECT_EQ(reader.readTrackTags(folder + "\\text.mp3"), std::nullopt);
  EXPECT_EQ(reader.readTrackTags(folder + "\\absent.mp3"), std::nullopt);
}

TEST_F(TagReaderOnWindows, ANewerLibraryReadsEveryCharacterWhateverTheTaggerAndTheFileName) {
  findLibraryIn(buildPath("taglib"));
  ASSERT_TRUE(reader.bindTagLibrary());
  struct Case {
    std::u16string file;
    TrackTags tags;
  };
  const AnsiOrWide unknownComment = "Unknown Comment";
  const Case cases[] = {
      // ffmpeg, ID3v2.4 UTF-8 frames.
      {u"beyonce.mp3", {u"Halo \u2661", u"Beyonc\u00E9", u"I Am... Sasha Fierce", unknownComment, u"Pop"}},
      // id3v2, ISO-8859-1 frames.
      {u"sigur_ros.mp3", {u"Hopp\u00EDpolla", u"Sigur R\u00F3s", u"Takk...", unknownComment, u"Ambient"}},
      // mutagen, UTF-16 frames, in a file whose name is Hangul ("노래").
      {u"\uB178\uB798.mp3",
       {u"\uC548\uB155\uD558\uC138\uC694 \U0001F3B5", u"\uC544\uC774\uC720", u"\uAF43\uAC08\uD53C",
        unknownComment, u"K-Pop"}},
      // eyeD3, UTF-16 frames.
      {u"emoji.mp3", {u"\u2661 Love \U0001F600", u"Caf\u00E9 \u2661", u"\u00C9moji", unknownComment,
                      u"\u00C9lectro"}},
      // INFO texts in code page 932 bytes, read through the code page.
      {u"info_cp932.wav", {u"\u30C6\u30B9\u30C8", u"\u6B4C\u624B", "Unknown Album", unknownComment,
                           "Unknown Genre"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.file.begin(), c.file.end()));
    auto tags = reader.readTrackTags(codePage.toWide(buildPath("audio\\")) + c.file);
    ASSERT_TRUE(tags.has_value());
    EXPECT_EQ(tags->title, c.tags.title);
    EXPECT_EQ(tags->artist, c.tags.artist);
    EXPECT_EQ(tags->album, c.tags.album);
    EXPECT_EQ(tags->comment, c.tags.comment);
    EXPECT_EQ(tags->genre, c.tags.genre);
  }
}

TEST_F(TagReaderOnWindows, AnOlderLibraryCannotBeGivenANameBeyondTheCodePage) {
  findLibraryIn(buildPath("taglib-ansi"));
  ASSERT_TRUE(reader.bindTagLibrary());
  // Neither the UTF-16 name nor its ANSI form with "?" names the file.
  EXPECT_EQ(reader.readTrackTags(codePage.toWide(buildPath("audio\\")) + u"\uB178\uB798.mp3"), std::nullopt);
  EXPECT_EQ(reader.readTrackTags(buildPath("audio\\??.mp3")), std::nullopt);
  // What it reads, it reads as ANSI bytes: the "?" of a character it lacks.
  auto tags = reader.readTrackTags(codePage.toWide(buildPath("audio\\")) + u"sigur_ros.mp3");
  ASSERT_TRUE(tags.has_value());
  EXPECT_FALSE(tags->artist.isWide());
}

// --- the stand-in library itself, called as the plug-in calls it ----------

template <typename Entry>
void entryInto(Entry& entry, HMODULE module, const char* name) {
  entry = reinterpret_cast<Entry>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

class StandInLibrary {
 public:
  StandInLibrary() : module_(LoadLibraryA(buildPath("taglib/mp3infp.dll").c_str())) {
    if (!module_) return;
    entryInto(load_, module_.get(), "mp3infp_Load");
    entryInto(getType_, module_.get(), "mp3infp_GetType");
    entryInto(getValue_, module_.get(), "mp3infp_GetValue");
    entryInto(tagType_, module_.get(), "mp3infp_mp3_GetTagType");
  }
  bool ready() const { return load_ && getType_ && getValue_ && tagType_; }
  bool load(const std::string& path) { return load_(nullptr, path.c_str()) == 0; }
  DWORD type() { return getType_(); }
  DWORD tagKinds() { return tagType_(); }
  // The key's text, or "-" when the library has none.
  std::string value(const char* key) {
    char* text = nullptr;
    return getValue_(key, &text) && text ? text : "-";
  }

 private:
  UniqueModule module_;
  DWORD(WINAPI* load_)(HWND, LPCSTR) = nullptr;
  DWORD(WINAPI* getType_)() = nullptr;
  BOOL(WINAPI* getValue_)(LPCSTR, char**) = nullptr;
  DWORD(WINAPI* tagType_)() = nullptr;
};

TEST(StandInTagLibrary, ReportsFileTypeAndTheTagKindsTheFileHolds) {
  StandInLibrary library;
  ASSERT_TRUE(library.ready());
  struct Case {
    const char* file;
    DWORD type, kinds;
  };
  for (Case c : {Case{"notag.mp3", 1, 0}, Case{"v1.mp3", 1, 0x01}, Case{"v23.mp3", 1, 0x02},
                 Case{"both.mp3", 1, 0x03}, Case{"v24_japanese.mp3", 1, 0x02},
                 Case{"riff.rmp", 1, 0x04}, Case{"info.wav", 2, 0}}) {
    SCOPED_TRACE(c.file);
    ASSERT_TRUE(library.load(audioFile(c.file)));
    EXPECT_EQ(library.type(), c.type);
    EXPECT_EQ(library.tagKinds(), c.kinds);
  }
  // Both tags of one file stay readable by their own keys.
  ASSERT_TRUE(library.load(audioFile("both.mp3")));
  EXPECT_EQ(library.value("IPRD_v1"), "Old Album");
  EXPECT_EQ(library.value("IPRD_v2"), "-");
  EXPECT_EQ(library.value("IGNR_v1"), "Blues");
  EXPECT_EQ(library.value("INAM_v2"), "New Title");
  EXPECT_EQ(library.value("INAM"), "-");
  // A failed load forgets the file loaded before.
  EXPECT_FALSE(library.load(audioFile("absent.mp3")));
  EXPECT_EQ(library.value("INAM_v2"), "-");
}

std::string bigEndian32(std::uint32_t v) {
  return {char(v >> 24), char(v >> 16), char(v >> 8), char(v)};
}
std::string syncSafe(std::uint32_t v) {
  return {char(v >> 21 & 0x7F), char(v >> 14 & 0x7F), char(v >> 7 & 0x7F), char(v & 0x7F)};
}
std::string frame23(const std::string& id, const std::string& data, char format = 0) {
  return id + bigEndian32(static_cast<std::uint32_t>(data.size())) + '\0' + format + data;
}
std::string frame24(const std::string& id, const std::string& data, char format = 0) {
  return id + syncSafe(static_cast<std::uint32_t>(data.size())) + '\0' + format + data;
}
std::string id3v2(char major, char flags, const std::string& body) {
  return std::string("ID3") + major + '\0' + flags + syncSafe(static_cast<std::uint32_t>(body.size())) + body;
}
// Unsynchronisation: a 0x00 after every 0xFF that a sync pattern or a 0x00 follows.
std::string unsynchronise(const std::string& bytes) {
  std::string out;
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    out += bytes[i];
    unsigned char next = i + 1 < bytes.size() ? static_cast<unsigned char>(bytes[i + 1]) : 0;
    if (static_cast<unsigned char>(bytes[i]) == 0xFF && (next >= 0xE0 || next == 0)) out += '\0';
  }
  return out;
}
std::string text(const std::string& s) { return std::string(1, '\0') + s; }
const std::string kUtf16Abc("\x01\xFF\xFE" "A\0b\0c\0", 9);

class StandInCraftedTags : public ::testing::Test {
 protected:
  void SetUp() override {
    audio = testing::readFileBytes(audioFile("notag.mp3"));
    ASSERT_FALSE(audio.empty());
    folder = testing::freshFolder("taglib-crafted");
    ASSERT_TRUE(library.ready());
  }
  // Loads `bytes` as an MP3 file; false when the library refuses it.
  bool loadBytes(const std::string& bytes) {
    std::string path = folder + "\\crafted.mp3";
    testing::writeFileBytes(path, bytes);
    return library.load(path);
  }
  std::string audio, folder;
  StandInLibrary library;
};

TEST_F(StandInCraftedTags, DecodeEveryEncodingUnsynchronisationAndHeaderVariant) {
  struct Case {
    const char* what;
    std::string file;
    const char* title;
  };
  std::string utf16be("\x02\0A\0b\0c", 7);
  std::string utf8Japanese = "\x03\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88";  // テスト
  const Case cases[] = {
      {"latin-1", id3v2(3, 0, frame23("TIT2", text("Abc"))), "Abc"},
      {"utf-16 with BOM", id3v2(3, 0, frame23("TIT2", kUtf16Abc)), "Abc"},
      {"utf-16 big endian", id3v2(4, 0, frame24("TIT2", utf16be)), "Abc"},
      {"utf-8", id3v2(4, 0, frame24("TIT2", utf8Japanese)), "\x83\x65\x83\x58\x83\x67"},
      {"odd utf-16 length", id3v2(3, 0, frame23("TIT2", kUtf16Abc + 'x')), "Abc"},
      {"2.3 unsynchronised tag", id3v2(3, '\x80', unsynchronise(frame23("TIT2", kUtf16Abc))), "Abc"},
      {"2.4 unsynchronised frame",
       id3v2(4, 0, frame24("TIT2", unsynchronise(kUtf16Abc), 0x02)), "Abc"},
      {"2.4 data length indicator",
       id3v2(4, 0, frame24("TIT2", syncSafe(4) + text("Abc"), 0x01)), "Abc"},
      {"2.3 extended header",
       id3v2(3, 0x40, bigEndian32(6) + std::string(6, '\0') + frame23("TIT2", text("Abc"))), "Abc"},
      {"2.2 frames", id3v2(2, 0, std::string("TT2\0\0\x04", 6) + text("Abc")), "Abc"},
      {"padding after the frames", id3v2(3, 0, frame23("TIT2", text("Abc")) + std::string(100, '\0')), "Abc"},
      {"2.4 text list", id3v2(4, 0, frame24("TIT2", text(std::string("Abc\0Def", 7)))), "Abc"},
      {"undefined encoding", id3v2(3, 0, frame23("TIT2", "\x07" "Abc")), "-"},
      {"empty frame", id3v2(3, 0, frame23("TIT2", "")), "-"},
      {"compressed frame", id3v2(3, 0, frame23("TIT2", text("Abc"), '\x80')), "-"},
      {"frame size past the tag", id3v2(3, 0, "TIT2" + bigEndian32(0x7FFFFFFF) + "\0\0" + text("Abc")), "-"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    ASSERT_TRUE(loadBytes(c.file + audio));
    EXPECT_EQ(library.tagKinds(), 0x02u);
    EXPECT_EQ(library.value("INAM_v2"), c.title);
  }
}

TEST_F(StandInCraftedTags, GenreNumbersAreNamedAndTheUndescribedCommentIsTaken) {
  struct Case {
    std::string tcon;
    const char* genre;
  };
  for (const Case& c : {Case{"17", "Rock"}, Case{"(17)", "Rock"}, Case{"(4)Eurodisco", "Eurodisco"},
                        Case{"(RX)", "Remix"}, Case{"(CR)", "Cover"}, Case{"((Drone)", "(Drone)"},
                        Case{"191", "Psybient"}, Case{"(250)", "(250)"}, Case{"Shoegaze", "Shoegaze"}}) {
    SCOPED_TRACE(c.tcon);
    ASSERT_TRUE(loadBytes(id3v2(3, 0, frame23("TCON", text(c.tcon))) + audio));
    EXPECT_EQ(library.value("IGNR_v2"), c.genre);
  }
  std::string described = frame23("COMM", std::string("\0eng", 4) + std::string("iTunNORM\0 0000", 14));
  std::string plain = frame23("COMM", std::string("\0eng", 4) + std::string("\0Mine", 5));
  std::string utf16 = frame23("COMM", std::string("\x01" "eng" "\xFF\xFE\0\0\xFF\xFEO\0k\0", 14));
  ASSERT_TRUE(loadBytes(id3v2(3, 0, described + plain) + audio));
  EXPECT_EQ(library.value("ICMT_v2"), "Mine");
  ASSERT_TRUE(loadBytes(id3v2(3, 0, described) + audio));
  EXPECT_EQ(library.value("ICMT_v2"), " 0000");
  ASSERT_TRUE(loadBytes(id3v2(3, 0, utf16) + audio));
  EXPECT_EQ(library.value("ICMT_v2"), "Ok");
}

TEST_F(StandInCraftedTags, BrokenHeadersAreNoTagAndNoAudioIsNoFile) {
  // Size bytes with the high bit set: no ID3v2 tag, but audio follows.
  std::string badSize = std::string("ID3\x03\0\0\x80\0\0\0", 10);
  ASSERT_TRUE(loadBytes(audio));
  EXPECT_EQ(library.tagKinds(), 0u);
  EXPECT_FALSE(loadBytes(badSize + "not audio either"));
  EXPECT_FALSE(loadBytes(""));
  EXPECT_FALSE(loadBytes("ID3"));
  std::string riff = "RIFF" + std::string("\xFF\xFF\xFF\x7F", 4) + "WAVE" + "LIST" +
                     std::string("\xFF\xFF\xFF\xFF", 4) + "INFOINAM" + std::string("\xF0\xFF\xFF\xFF", 4) + "Cut";
  ASSERT_TRUE(loadBytes(riff));
  EXPECT_EQ(library.type(), 2u);
  EXPECT_EQ(library.value("INAM"), "Cut");
}

// Damaged copies of every real file: each load answers, none crashes.
TEST_F(StandInCraftedTags, TruncatedAndScrambledFilesNeverCrashTheLibrary) {
  int loads = 0;
  std::mt19937 random(20261207);
  for (const char* name : {"v1.mp3", "v23.mp3", "both.mp3", "v24_japanese.mp3", "v23_japanese.mp3",
                           "info.wav", "riff.rmp"}) {
    SCOPED_TRACE(name);
    std::string original = testing::readFileBytes(audioFile(name));
    ASSERT_FALSE(original.empty());
    for (std::size_t length = 0; length < std::min<std::size_t>(original.size(), 400); length += 3) {
      loadBytes(original.substr(0, length));
      library.value("INAM_v2");
      ++loads;
    }
    for (int round = 0; round < 60; ++round) {
      std::string damaged = original;
      std::size_t span = std::min<std::size_t>(damaged.size(), 300);
      for (int flip = 0; flip < 4; ++flip) damaged[random() % span] = static_cast<char>(random());
      loadBytes(damaged);
      library.value("IART_v2");
      library.value("INAM");
      ++loads;
    }
  }
  EXPECT_GT(loads, 700);
}

}  // namespace
}  // namespace tavrik
