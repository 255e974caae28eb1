// What the player's thread makes of a retitle: the host's requests in their
// order, and a track handed on only when the file, or a stream's song, is new.
#include "pipeline/title_change_handler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/unicode_codec.h"
#include "fakes.h"

namespace tavrik {
namespace {

// "u:" and UTF-8 for a wide text, the bytes for an ANSI one.
std::string describe(const AnsiOrWide& text) {
  return text.isWide() ? "u:" + encodeUtf8(text.wide()) : text.ansi();
}

// A playlist of entries with paths and titles, answered as the player does:
// its own texts, null past the end, and no wide answers from an older host.
struct FakeHost : HostRequests {
  struct Entry {
    std::string path;
    std::u16string widePath;  // empty: as an older host, the wide requests answer 0
    std::string title;
    std::u16string wideTitle;
  };
  std::vector<Entry> entries;
  std::intptr_t position = 0;
  std::intptr_t status = 1;
  std::vector<std::string> calls;

  const Entry* at(std::intptr_t index) const {
    return index >= 0 && index < static_cast<std::intptr_t>(entries.size()) ? &entries[index] : nullptr;
  }
  std::intptr_t currentListPosition() override {
    calls.push_back("listpos");
    return position;
  }
  const char16_t* playlistFileWide(std::intptr_t index) override {
    calls.push_back("filew");
    const Entry* e = at(index);
    return e && !e->widePath.empty() ? e->widePath.c_str() : nullptr;
  }
  const char* playlistFile(std::intptr_t index) override {
    calls.push_back("file " + std::to_string(index));
    const Entry* e = at(index);
    return e ? e->path.c_str() : nullptr;
  }
  const char16_t* playlistTitleWide(std::intptr_t index) override {
    calls.push_back("titlew");
    const Entry* e = at(index);
    return e && !e->widePath.empty() ? e->wideTitle.c_str() : nullptr;
  }
  const char* playlistTitle(std::intptr_t index) override {
    calls.push_back("title");
    const Entry* e = at(index);
    return e ? e->title.c_str() : nullptr;
  }
  std::intptr_t playbackStatus() override {
    calls.push_back("isplaying");
    return status;
  }
};

class TitleChangeTest : public ::testing::Test {
 protected:
  TitleChangeTest() {
    host.entries = {{"C:\\a.mp3", {}, "a", {}}, {"C:\\b.mp3", {}, "b", {}}, {"C:\\a.mp3", {}, "a", {}},
                    {"http://radio.example:8000/live", {}, "", {}}};
  }
  // The retitle at entry `index`; what it handed on, described, or "-".
  std::string retitleAt(std::intptr_t index, bool wantsStatus = false) {
    host.position = index;
    TitleChange change = handler.onTitleChange(wantsStatus);
    lastStatus = change.playbackStatus;
    if (!change.track) return "-";
    const TrackRequest& t = *change.track;
    return describe(t.path) + (t.streamTitle ? " | " + describe(*t.streamTitle) : "");
  }
  void songOf(std::size_t entry, const std::string& title) { host.entries[entry].title = title; }

  FakeHost host;
  TitleChangeHandler handler{host};
  std::optional<std::intptr_t> lastStatus;
};

TEST_F(TitleChangeTest, ANewFileIsHandedOnAfterTheTwoRequestsAndTheSameFileAgainCostsOnlyThem) {
  EXPECT_EQ(retitleAt(1), "C:\\b.mp3");
  EXPECT_EQ(host.calls, (std::vector<std::string>{"listpos", "filew", "file 1"}));
  host.calls.clear();
  EXPECT_EQ(retitleAt(1), "-");  // pause, refresh: the same entry
  EXPECT_EQ(retitleAt(0), "C:\\a.mp3");
  EXPECT_EQ(retitleAt(2), "-") << "the same file in the next playlist entry";
  EXPECT_EQ(host.calls, (std::vector<std::string>{"listpos", "filew", "file 1", "listpos", "filew", "file 0",
                                                  "listpos", "filew", "file 2"}));
  EXPECT_EQ(retitleAt(1), "C:\\b.mp3") << "after another file, a file is new again";
}

TEST_F(TitleChangeTest, APathThatFailsIsRememberedAndANullOrEmptyOneDoesNothingAtFirst) {
  EXPECT_EQ(retitleAt(99), "-") << "null counts as the empty text, the last path at start";
  EXPECT_EQ(retitleAt(0), "C:\\a.mp3");
  // Whatever comes of it on the plug-in's thread, the path is not handed on
  // again at once: a file whose tags fail is not read on every retitle.
  EXPECT_EQ(retitleAt(2), "-");
  EXPECT_EQ(retitleAt(99), "") << "after a real file the empty path is tried like any other";
}

TEST_F(TitleChangeTest, ThePlayersStateIsAskedOnlyWhenWantedAndComesWithEveryRetitle) {
  retitleAt(0);
  EXPECT_FALSE(lastStatus);
  host.status = 3;
  host.calls.clear();
  EXPECT_EQ(retitleAt(0, true), "-");
  EXPECT_EQ(lastStatus, 3) << "a pause retitles on the same file: only the state is news";
  EXPECT_EQ(host.calls, (std::vector<std::string>{"listpos", "filew", "file 0", "isplaying"}));
}

TEST_F(TitleChangeTest, AHostThatAnswersInUtf16IsAskedNothingElseAndItsPathGoesOnWhole) {
  // "C:\한국어\♡.mp3", and the same entry twice.
  const std::u16string korean = u"C:\\\uD55C\uAD6D\uC5B4\\\u2661.mp3";
  host.entries = {{"C:\\???\\?.mp3", korean, "", u""}, {"C:\\???\\?.mp3", korean, "", u""},
                  {"C:\\b.mp3", u"C:\\b.mp3", "", u""}};
  EXPECT_EQ(retitleAt(0), describe(korean));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"listpos", "filew"}));
  EXPECT_EQ(retitleAt(1), "-");
  EXPECT_EQ(retitleAt(2), "u:C:\\b.mp3");
}

TEST_F(TitleChangeTest, AWidePathWithoutItsTerminatorIsCutWhereNoWindowsPathReaches) {
  host.entries = {{"", std::u16string(40000, u'x'), "", u""}};
  host.entries[0].widePath.push_back(u'y');  // no terminator anywhere near
  std::string handed = retitleAt(0);
  EXPECT_EQ(handed, "u:" + std::string(32768, 'x'));
}

TEST_F(TitleChangeTest, EachSongOfAStreamIsHandedOnOnceWhateverTheRetitlesBetween) {
  const std::string url = "http://radio.example:8000/live";
  EXPECT_EQ(retitleAt(3), "-") << "an empty title: the stream still connects";
  EXPECT_EQ(host.calls, (std::vector<std::string>{"listpos", "filew", "file 3", "titlew", "title"}));
  std::vector<std::string> handed;
  for (const char* song : {"Band - One", "Band - Two", "Three"}) {
    songOf(3, song);
    handed.push_back(retitleAt(3));
    // Title scrolling retitles every 200 ms with the same title.
    for (int scroll = 0; scroll < 5; ++scroll) handed.push_back(retitleAt(3));
  }
  handed.erase(std::remove(handed.begin(), handed.end(), "-"), handed.end());
  EXPECT_EQ(handed, (std::vector<std::string>{url + " | Band - One", url + " | Band - Two", url + " | Three"}));
}

TEST_F(TitleChangeTest, FromAStreamToAFileAndBackBothAreNewAndTheSameUrlIsToldApartByItsTitle) {
  const std::string url = "http://radio.example:8000/live";
  songOf(3, "Band - One");
  host.entries.push_back({url, {}, "Band - One", {}});  // the same stream in a second entry
  host.entries.push_back({url, {}, "Other - Song", {}});
  EXPECT_EQ(retitleAt(3), url + " | Band - One");
  EXPECT_EQ(retitleAt(4), "-") << "the same stream and song in another entry";
  EXPECT_EQ(retitleAt(5), url + " | Other - Song");
  EXPECT_EQ(retitleAt(0), "C:\\a.mp3");
  EXPECT_EQ(retitleAt(3), url + " | Band - One") << "the stream's song is shown again";
  EXPECT_EQ(retitleAt(0), "C:\\a.mp3") << "and so is the file after it";
}

TEST_F(TitleChangeTest, AStreamsTitleComesWideFromANewerHost) {
  host.entries = {{"http://r.example/a", u"http://r.example/a", "???", u"\uC544\uC774\uC720 - \uC548\uB155"}};
  EXPECT_EQ(retitleAt(0), "u:http://r.example/a | u:" + encodeUtf8(u"\uC544\uC774\uC720 - \uC548\uB155"));
  EXPECT_EQ(host.calls, (std::vector<std::string>{"listpos", "filew", "titlew"}));
}

TEST(StreamUrl, ASchemeOfTwoOrMoreLettersBeforeColonSlashSlash) {
  EXPECT_TRUE(isStreamUrl(std::string("http://a")));
  EXPECT_TRUE(isStreamUrl(std::string("HTTPS://a")));
  EXPECT_TRUE(isStreamUrl(std::u16string(u"mms://a")));
  EXPECT_FALSE(isStreamUrl(std::string("C://music/a.mp3"))) << "a drive, not a scheme";
  EXPECT_FALSE(isStreamUrl(std::string("C:\\http://x.mp3")));
  EXPECT_FALSE(isStreamUrl(std::string("http:/a")));
  EXPECT_FALSE(isStreamUrl(std::string("ht1p://a")));
  EXPECT_FALSE(isStreamUrl(std::string("")));
}

}  // namespace
}  // namespace tavrik
