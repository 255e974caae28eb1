#include "pipeline/tag_reader.h"

#include <gtest/gtest.h>

#include <map>

#include "common/cp932_texts.h"
#include "common/unicode_codec.h"
#include "fakes.h"

namespace tavrik {
namespace {

// What the fake library holds and what it was asked.
struct LibraryState {
  bool loadable = true;
  bool lacksEntry = false;
  std::uint32_t version = 0x227;
  std::uint32_t loadAnswer = 0;
  std::uint32_t fileType = 1;
  std::uint32_t tagKinds = 0x02;
  std::map<std::string, const char*> values;  // a null text is answered as such
  bool wideEntries = false;
  std::map<std::u16string, const char16_t*> wideValues;
  std::vector<std::string> calls;
  std::vector<std::string> askedNames;
  bool bound = false;
  bool released = false;
  WindowHandle loadWindow = nullptr;
  std::string loadPath;
  std::u16string wideLoadPath;
};

class FakeLibrary : public TagLibrary {
 public:
  explicit FakeLibrary(LibraryState& state) : state_(state) {}

  TagLibraryBinding bind(const char* name) override {
    state_.askedNames.push_back(name);
    if (!state_.loadable) return TagLibraryBinding::missing;
    if (state_.lacksEntry) return TagLibraryBinding::lacksEntry;
    state_.bound = true;
    state_.released = false;
    return TagLibraryBinding::bound;
  }
  void release() override {
    state_.bound = false;
    state_.released = true;
  }
  std::uint32_t getVer() override { return call("GetVer"), state_.version; }
  std::uint32_t load(WindowHandle window, const char* path) override {
    call("Load");
    state_.loadWindow = window;
    state_.loadPath = path;
    return state_.loadAnswer;
  }
  std::uint32_t getType() override { return call("GetType"), state_.fileType; }
  bool getValue(const char* key, const char** value) override {
    call(key);
    auto found = state_.values.find(key);
    if (found == state_.values.end()) return false;
    // Like the library, one buffer serves every answer.
    if (found->second) {
      buffer_ = found->second;
      *value = buffer_.c_str();
    } else {
      *value = nullptr;
    }
    return true;
  }
  std::uint32_t mp3GetTagType() override { return call("GetTagType"), state_.tagKinds; }
  bool hasWideEntries() override { return state_.wideEntries; }
  std::uint32_t loadWide(WindowHandle window, const char16_t* path) override {
    call("LoadW");
    state_.loadWindow = window;
    state_.wideLoadPath = path;
    return state_.loadAnswer;
  }
  bool getValueWide(const char16_t* key, const char16_t** value) override {
    call("W " + encodeUtf8(key));
    auto found = state_.wideValues.find(key);
    if (found == state_.wideValues.end()) return false;
    *value = found->second;
    return true;
  }

 private:
  // An entry called while the library is not bound would be a call through
  // a pointer into a library that is gone.
  void call(const std::string& entry) {
    EXPECT_TRUE(state_.bound) << entry << " called on an unbound library";
    state_.calls.push_back(entry);
  }
  LibraryState& state_;
  std::string buffer_;
};

const WindowHandle kHostWindow = reinterpret_cast<WindowHandle>(0x1234);

class TagReaderTest : public ::testing::Test {
 protected:
  LibraryState library;
  FakeLibrary fake{library};
  testing::FakeModuleServices services;
  testing::FakeCodePage codePage;
  TagReader reader{fake, services, codePage, kHostWindow};

  void bindQuietly() {
    ASSERT_TRUE(reader.bindTagLibrary());
    library.calls.clear();
  }
  // The keys the reader asked for, in order.
  std::vector<std::string> askedKeys() const {
    std::vector<std::string> keys;
    for (const auto& call : library.calls)
      if (call.rfind("I", 0) == 0) keys.push_back(call);
    return keys;
  }
};

const TrackTags kAllDefaults{"Unknown Title", "Unknown Artist", "Unknown Album", "Unknown Comment",
                             "Unknown Genre"};

TEST_F(TagReaderTest, BindingLoadsByBareNameThenChecksTheVersion) {
  EXPECT_TRUE(reader.bindTagLibrary());
  EXPECT_EQ(library.askedNames, std::vector<std::string>{"mp3infp.dll"});
  EXPECT_EQ(library.calls, std::vector<std::string>{"GetVer"});
  EXPECT_TRUE(services.errors.empty());
  EXPECT_TRUE(reader.readTrackTags("C:\\a.mp3").has_value());
}

TEST_F(TagReaderTest, AMissingLibraryIsReportedOnceAndLeavesTheReaderUnbound) {
  library.loadable = false;
  EXPECT_FALSE(reader.bindTagLibrary());
  EXPECT_EQ(services.errors, std::vector<std::string>{texts::kTagLibraryMissingMessage});
  EXPECT_EQ(reader.readTrackTags("C:\\a.mp3"), std::nullopt);
  EXPECT_TRUE(library.calls.empty());
}

TEST_F(TagReaderTest, TheVersionIsComparedUnsignedFrom0x227On) {
  struct Case {
    std::uint32_t version;
    bool accepted;
  };
  for (Case c : {Case{0x226, false}, Case{0x227, true}, Case{0x228, true}, Case{0, false},
                 Case{0x80000000u, true}, Case{0xFFFFFFFFu, true}}) {
    SCOPED_TRACE(c.version);
    library.version = c.version;
    services.errors.clear();
    EXPECT_EQ(reader.bindTagLibrary(), c.accepted);
    EXPECT_EQ(reader.readTrackTags("C:\\a.mp3").has_value(), c.accepted);
    if (c.accepted) {
      EXPECT_TRUE(services.errors.empty());
    } else {
      EXPECT_EQ(services.errors, std::vector<std::string>{texts::kTagLibraryTooOldMessage});
      EXPECT_TRUE(library.released) << "a refused library is released at once";
    }
    reader.releaseTagLibrary();
  }
}

TEST_F(TagReaderTest, ALibraryLackingAnEntryIsRefusedWithItsOwnMessage) {
  library.lacksEntry = true;
  EXPECT_FALSE(reader.bindTagLibrary());
  EXPECT_EQ(services.errors, std::vector<std::string>{texts::kTagLibraryEntryMissingMessage});
  EXPECT_EQ(reader.readTrackTags("C:\\a.mp3"), std::nullopt);
  EXPECT_TRUE(library.calls.empty());
}

TEST_F(TagReaderTest, AnUnboundLibraryIsNeverCalled) {
  EXPECT_EQ(reader.readTrackTags("C:\\before.mp3"), std::nullopt);  // before binding
  library.version = 0x100;
  EXPECT_FALSE(reader.bindTagLibrary());
  library.calls.clear();
  EXPECT_EQ(reader.readTrackTags("C:\\refused.mp3"), std::nullopt);  // after a failed bind
  library.version = 0x227;
  bindQuietly();
  reader.releaseTagLibrary();
  EXPECT_TRUE(library.released);
  EXPECT_EQ(reader.readTrackTags("C:\\after.mp3"), std::nullopt);  // after release
  EXPECT_TRUE(library.calls.empty());
  library.released = false;
  reader.releaseTagLibrary();  // a second release does nothing
  EXPECT_FALSE(library.released);
}

TEST_F(TagReaderTest, LoadGetsTheHostWindowAndPathAndItsFailureEndsTheRead) {
  bindQuietly();
  library.loadAnswer = 3;
  EXPECT_EQ(reader.readTrackTags("C:\\music\\\x83X.mp3"), std::nullopt);
  EXPECT_EQ(library.calls, std::vector<std::string>{"Load"});
  EXPECT_EQ(library.loadWindow, kHostWindow);
  EXPECT_EQ(library.loadPath, "C:\\music\\\x83X.mp3");
}

TEST_F(TagReaderTest, TheKeysFollowTheFileTypeAndTheFirstTagKindPresent) {
  struct Case {
    std::uint32_t type, kinds;
    const char* suffix;  // null: no keys asked
    bool asksKinds;
  };
  for (Case c : {Case{1, 0x02, "_v2", true}, Case{1, 0x07, "_v2", true}, Case{1, 0x03, "_v2", true},
                 Case{1, 0x04, "_rmp", true}, Case{1, 0x05, "_rmp", true}, Case{1, 0x01, "_v1", true},
                 Case{1, 0x00, nullptr, true}, Case{1, 0x08, nullptr, true}, Case{2, 0x02, "", false},
                 Case{0, 0x01, "", false}, Case{7, 0x00, "", false}}) {
    SCOPED_TRACE(::testing::Message() << "type " << c.type << " kinds " << c.kinds);
    bindQuietly();
    library.fileType = c.type;
    library.tagKinds = c.kinds;
    ASSERT_TRUE(reader.readTrackTags("C:\\a").has_value());
    std::vector<std::string> expected;
    if (c.suffix)
      for (const char* base : {"INAM", "IART", "IPRD", "ICMT", "IGNR"})
        expected.push_back(std::string(base) + c.suffix);
    EXPECT_EQ(askedKeys(), expected);
    bool askedKinds = std::count(library.calls.begin(), library.calls.end(), "GetTagType") == 1;
    EXPECT_EQ(askedKinds, c.asksKinds);
  }
}

TEST_F(TagReaderTest, FieldsTheFileLacksTakeTheModulesDefaultTexts) {
  bindQuietly();
  library.tagKinds = 0;
  EXPECT_EQ(reader.readTrackTags("C:\\untagged.mp3"), kAllDefaults);

  // A missing key, a null text and an empty text are all empty fields.
  library.tagKinds = 0x02;
  library.values = {{"INAM_v2", "Song"}, {"IART_v2", nullptr}, {"IPRD_v2", ""}, {"IGNR_v2", "Rock"}};
  EXPECT_EQ(reader.readTrackTags("C:\\partial.mp3"),
            (TrackTags{"Song", "Unknown Artist", "Unknown Album", "Unknown Comment", "Rock"}));

  // The defaults are the module's strings 1 to 5, not texts of the reader's own.
  services.strings = {{1, "T?"}, {2, "A?"}, {3, "L?"}, {4, "C?"}, {5, "G?"}};
  EXPECT_EQ(reader.readTrackTags("C:\\partial.mp3"), (TrackTags{"Song", "A?", "L?", "C?", "Rock"}));
}

TEST_F(TagReaderTest, EveryTextIsCopiedBeforeTheLibraryIsAskedAgain) {
  bindQuietly();
  library.fileType = 2;
  library.values = {{"INAM", "Title \x82\xa0"}, {"IART", "Artist"}, {"IPRD", "Album"},
                    {"ICMT", "Comment"}, {"IGNR", "Genre"}};
  auto tags = reader.readTrackTags("C:\\a.wav");
  reader.releaseTagLibrary();  // the library's buffer is gone; the copies stay
  EXPECT_EQ(tags, (TrackTags{"Title \x82\xa0", "Artist", "Album", "Comment", "Genre"}));
}

TEST_F(TagReaderTest, BindingAgainReplacesTheLibraryBoundBefore) {
  bindQuietly();
  EXPECT_TRUE(reader.bindTagLibrary());
  EXPECT_EQ(library.askedNames.size(), 2u);
  EXPECT_TRUE(reader.readTrackTags("C:\\a.mp3").has_value());
}

// --- newer libraries: the two wide entries --------------------------------

class WideTagReaderTest : public TagReaderTest {
 protected:
  void SetUp() override {
    library.version = 0x254;
    library.wideEntries = true;
    library.values = {{"INAM_v2", "ANSI title"}};
  }
};

TEST_F(WideTagReaderTest, FromVersion254WithBothEntriesTheFileIsLoadedAndReadInUtf16) {
  bindQuietly();
  // "Beyoncé", "한국어" (Hangul), "♡" and an emoji beside a text of code page 932.
  library.wideValues = {{u"INAM_v2", u"\uD55C\uAD6D\uC5B4"}, {u"IART_v2", u"Beyonc\u00E9"},
                        {u"IPRD_v2", u"\u2661 \U0001F3B5"}, {u"IGNR_v2", u"\u30C6\u30B9\u30C8"}};
  const char16_t* path = u"C:\\\uC74C\uC545\\\u2661.mp3";
  auto tags = reader.readTrackTags(path);
  EXPECT_EQ(library.wideLoadPath, path);
  EXPECT_EQ(library.loadWindow, kHostWindow);
  EXPECT_EQ(library.calls, (std::vector<std::string>{"LoadW", "GetType", "GetTagType", "W INAM_v2", "W IART_v2",
                                                     "W IPRD_v2", "W ICMT_v2", "W IGNR_v2"}));
  EXPECT_EQ(tags, (TrackTags{u"\uD55C\uAD6D\uC5B4", u"Beyonc\u00E9", u"\u2661 \U0001F3B5",
                             "Unknown Comment", u"\u30C6\u30B9\u30C8"}));
}

TEST_F(WideTagReaderTest, AnAnsiPathFromAnOlderHostIsHandedOnThroughTheCodePage) {
  bindQuietly();
  reader.readTrackTags("C:\\\x83\x65\x83X\x83g.mp3");
  EXPECT_EQ(library.wideLoadPath, u"C:\\\u30C6\u30B9\u30C8.mp3");
}

TEST_F(WideTagReaderTest, BadWideValuesGiveADefinedText) {
  bindQuietly();
  // An unpaired surrogate, a value without any terminator near, a null text.
  std::u16string unterminated((1u << 20) + 100, u'a');
  const char16_t lone[] = {u'x', 0xD800, u'y', 0};
  library.wideValues = {{u"INAM_v2", lone}, {u"IART_v2", unterminated.data()}, {u"IPRD_v2", nullptr}};
  auto tags = reader.readTrackTags(u"C:\\a.mp3");
  ASSERT_TRUE(tags.has_value());
  EXPECT_EQ(tags->title, AnsiOrWide(u"x\uFFFDy"));
  EXPECT_EQ(tags->artist, AnsiOrWide(std::u16string(1u << 20, u'a')));
  EXPECT_EQ(tags->album, AnsiOrWide("Unknown Album"));
}

TEST_F(WideTagReaderTest, OlderOrIncompleteLibrariesAreAskedExactlyAsEver) {
  struct Case {
    std::uint32_t version;
    bool wideEntries;
  };
  for (Case c : {Case{0x253, true}, Case{0x254, false}, Case{0x227, false}}) {
    SCOPED_TRACE(c.version);
    library.version = c.version;
    library.wideEntries = c.wideEntries;
    bindQuietly();
    auto tags = reader.readTrackTags("C:\\\x83X.mp3");
    EXPECT_EQ(library.loadPath, "C:\\\x83X.mp3");
    EXPECT_EQ(library.calls, (std::vector<std::string>{"Load", "GetType", "GetTagType", "INAM_v2", "IART_v2",
                                                       "IPRD_v2", "ICMT_v2", "IGNR_v2"}));
    ASSERT_TRUE(tags.has_value());
    EXPECT_FALSE(tags->title.isWide());
    EXPECT_EQ(tags->title, "ANSI title");
    EXPECT_EQ(codePage.toWideCalls + codePage.toAnsiCalls, 0) << "ANSI in, ANSI out: nothing converted";
  }
}

TEST_F(WideTagReaderTest, AnOlderLibraryGetsAWidePathInAnsiBytesOrNotAtAll) {
  library.version = 0x227;
  bindQuietly();
  EXPECT_TRUE(reader.readTrackTags(u"C:\\\u30C6.mp3").has_value());
  EXPECT_EQ(library.loadPath, "C:\\\x83\x65.mp3");
  // A name the code page cannot hold would load some other file, or none.
  library.calls.clear();
  EXPECT_EQ(reader.readTrackTags(u"C:\\Beyonc\u00E9.mp3"), std::nullopt);
  EXPECT_TRUE(library.calls.empty());
}

TEST_F(TagReaderTest, AStreamsTitleSplitsAtTheFirstDashAndNeverAsksTheLibrary) {
  bindQuietly();
  EXPECT_EQ(reader.streamTags(std::string("Tom & Jerry - Cat - Live <1>")),
            (TrackTags{"Cat - Live <1>", "Tom & Jerry", "Unknown Album", "Unknown Comment", "Unknown Genre"}));
  EXPECT_EQ(reader.streamTags(std::string("Station Jingle")),
            (TrackTags{"Station Jingle", "Unknown Artist", "Unknown Album", "Unknown Comment", "Unknown Genre"}));
  // Nothing on one side of the dash: that side takes its default text.
  EXPECT_EQ(reader.streamTags(std::string(" - Intro")).artist, AnsiOrWide("Unknown Artist"));
  EXPECT_EQ(reader.streamTags(std::string("Band - ")).title, AnsiOrWide("Unknown Title"));
  // "Band-Name - Song": a dash without blanks around it is part of the name.
  EXPECT_EQ(reader.streamTags(std::string("Band-Name - Song")).artist, AnsiOrWide("Band-Name"));
  TrackTags wide = reader.streamTags(std::u16string(u"\uC544\uC774\uC720 - \uC548\uB155"));
  EXPECT_EQ(wide.artist, AnsiOrWide(u"\uC544\uC774\uC720"));
  EXPECT_EQ(wide.title, AnsiOrWide(u"\uC548\uB155"));
  EXPECT_TRUE(library.calls.empty());
}

}  // namespace
}  // namespace tavrik
