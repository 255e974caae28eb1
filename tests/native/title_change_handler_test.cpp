#include "pipeline/title_change_handler.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>

#include "common/unicode_codec.h"
#include "fakes.h"

namespace tavrik {
namespace {

using testing::kDefaultTemplatePath;

// Records every call in one journal, so that the tests see the order.
struct Journal {
  std::vector<std::string> calls;
};

// "u:" and UTF-8 for a wide text, the bytes for an ANSI one.
std::string describe(const AnsiOrWide& text) {
  return text.isWide() ? "u:" + encodeUtf8(text.wide()) : text.ansi();
}

struct FakeHost : HostRequests {
  Journal& journal;
  std::intptr_t position = 0;
  std::vector<const char*> playlist;
  std::vector<const char16_t*> widePlaylist;  // empty: an older host, which answers 0
  std::intptr_t askedIndex = -1;
  explicit FakeHost(Journal& j) : journal(j) {}
  std::intptr_t currentListPosition() override {
    journal.calls.push_back("listpos");
    return position;
  }
  const char16_t* playlistFileWide(std::intptr_t index) override {
    journal.calls.push_back("filew");
    return index >= 0 && index < static_cast<std::intptr_t>(widePlaylist.size()) ? widePlaylist[index]
                                                                                 : nullptr;
  }
  const char* playlistFile(std::intptr_t index) override {
    journal.calls.push_back("file");
    askedIndex = index;
    return index >= 0 && index < static_cast<std::intptr_t>(playlist.size()) ? playlist[index]
                                                                             : nullptr;
  }
};

struct FakeTags : TagSource {
  Journal& journal;
  std::set<std::string> unreadable;
  explicit FakeTags(Journal& j) : journal(j) {}
  std::optional<TrackTags> readTrackTags(const AnsiOrWide& path) override {
    journal.calls.push_back("tags " + describe(path));
    if (unreadable.count(describe(path))) return std::nullopt;
    return TrackTags{"title of " + describe(path), "Artist", "Album", "Comment", "Genre"};
  }
};

// A delivery has a start and an end: the encoder keeps the text of the
// delivery that ends last.
struct FakeDelivery : ScriptDelivery {
  Journal& journal;
  std::function<void()> whileWaiting;  // what the UI thread dispatches meanwhile
  explicit FakeDelivery(Journal& j) : journal(j) {}
  void deliverToEncoder(const ScriptText& text) override {
    journal.calls.push_back("deliver " + describe(text));
    if (whileWaiting) std::exchange(whileWaiting, nullptr)();
    journal.calls.push_back("delivered " + describe(text));
  }
};

class TitleChangeTest : public ::testing::Test {
 protected:
  TitleChangeTest() {
    files.files[kDefaultTemplatePath] = "<p>#TITLE</p>\r\n";
    host.playlist = {"C:\\a.mp3", "C:\\b.mp3", "C:\\a.mp3", "C:\\b.mp3"};
  }
  void playEntry(std::intptr_t index) {
    host.position = index;
    handler.onTitleChange();
  }
  std::vector<std::string> deliveries() const {
    std::vector<std::string> out;
    for (const auto& call : journal.calls)
      if (call.rfind("deliver ", 0) == 0) out.push_back(call.substr(8));
    return out;
  }
  // Starts and ends of deliveries, in the order they happened.
  std::vector<std::string> deliverySteps() const {
    std::vector<std::string> out;
    for (const auto& call : journal.calls)
      if (call.rfind("deliver", 0) == 0) out.push_back(call);
    return out;
  }

  Journal journal;
  FakeHost host{journal};
  FakeTags tags{journal};
  FakeDelivery delivery{journal};
  RuleList rules;
  testing::FakeFileSystem files;
  testing::FakeCodePage codePage;
  TemplateRenderer renderer{rules, files, codePage, kDefaultTemplatePath};
  TitleChangeHandler handler{host, tags, renderer, delivery};
};

TEST_F(TitleChangeTest, ANewFileRunsRequestsTagsRenderingAndDeliveryInOrder) {
  host.position = 1;
  handler.onTitleChange();
  EXPECT_EQ(journal.calls, (std::vector<std::string>{"listpos", "filew", "file", "tags C:\\b.mp3",
                                                     "deliver <p>title of C:\\b.mp3</p>",
                                                     "delivered <p>title of C:\\b.mp3</p>"}));
  EXPECT_EQ(host.askedIndex, 1);
  EXPECT_EQ(handler.lastFilePath(), "C:\\b.mp3");
}

TEST_F(TitleChangeTest, TheSameFileAgainCostsTwoRequestsAndNothingElse) {
  playEntry(0);
  journal.calls.clear();
  playEntry(0);  // pause, refresh: same entry
  playEntry(2);  // the same file in the next playlist entry
  EXPECT_EQ(journal.calls, (std::vector<std::string>{"listpos", "filew", "file", "listpos", "filew", "file"}));
  playEntry(1);
  EXPECT_EQ(deliveries(), (std::vector<std::string>{"<p>title of C:\\b.mp3</p>"}));
}

TEST_F(TitleChangeTest, UnreadableTagsStopTheHandlingButTheFileIsStillRemembered) {
  tags.unreadable.insert("C:\\b.mp3");
  playEntry(1);
  EXPECT_TRUE(deliveries().empty());
  EXPECT_EQ(handler.lastFilePath(), "C:\\b.mp3");
  playEntry(3);  // same file again right afterwards: not even its tags are tried
  EXPECT_EQ(std::count(journal.calls.begin(), journal.calls.end(), "tags C:\\b.mp3"), 1);
  playEntry(0);
  playEntry(1);  // after another file it is handled again
  EXPECT_EQ(std::count(journal.calls.begin(), journal.calls.end(), "tags C:\\b.mp3"), 2);
  EXPECT_EQ(deliveries(), (std::vector<std::string>{"<p>title of C:\\a.mp3</p>"}));
}

TEST_F(TitleChangeTest, ANullOrEmptyPathDoesNothingUntilARealFileCame) {
  playEntry(99);  // the host answers null
  EXPECT_EQ(journal.calls, (std::vector<std::string>{"listpos", "filew", "file"}));
  playEntry(0);
  playEntry(99);  // then it differs from the last file and is tried like any other
  EXPECT_EQ(handler.lastFilePath(), "");
  EXPECT_NE(std::find(journal.calls.begin(), journal.calls.end(), "tags "), journal.calls.end());
}

TEST_F(TitleChangeTest, AMissingTemplateDeliversTheEmptyText) {
  files.files.clear();
  playEntry(0);
  EXPECT_EQ(deliveries(), (std::vector<std::string>{""}));
}

TEST_F(TitleChangeTest, TheRulesAreReadAsTheyAreAtEachTrack) {
  files.files["C:\\b.html"] = "B:#TITLE";
  playEntry(0);
  rules.append({"TITLE", "title of C:\\b.mp3", "C:\\b.html"});
  playEntry(1);
  EXPECT_EQ(deliveries(), (std::vector<std::string>{"<p>title of C:\\a.mp3</p>",
                                                    "B:title of C:\\b.mp3"}));
}

TEST_F(TitleChangeTest, ARetitlingDuringADeliveryIsHandledAfterItSoTheNewestTextEndsLast) {
  delivery.whileWaiting = [this] { playEntry(1); };
  playEntry(0);
  // Handled inside the running delivery, the newer track would end first and
  // leave the older text in the encoder.
  EXPECT_EQ(deliverySteps(), (std::vector<std::string>{"deliver <p>title of C:\\a.mp3</p>",
                                                       "delivered <p>title of C:\\a.mp3</p>",
                                                       "deliver <p>title of C:\\b.mp3</p>",
                                                       "delivered <p>title of C:\\b.mp3</p>"}));
  EXPECT_EQ(handler.lastFilePath(), "C:\\b.mp3");

  // A retitling for the same file during a delivery leaves nothing to do.
  journal.calls.clear();
  delivery.whileWaiting = [this] { handler.onTitleChange(); };
  playEntry(0);
  EXPECT_EQ(deliveries(), (std::vector<std::string>{"<p>title of C:\\a.mp3</p>"}));
}

TEST_F(TitleChangeTest, AFailureInsideTheHandlingLeavesItReadyForTheNextTrack) {
  struct ThrowingTags : TagSource {
    bool fail = true;
    std::optional<TrackTags> readTrackTags(const AnsiOrWide&) override {
      if (fail) throw std::bad_alloc();
      return TrackTags{"t", "a", "b", "c", "g"};
    }
  } throwing;
  TitleChangeHandler h{host, throwing, renderer, delivery};
  EXPECT_THROW(h.onTitleChange(), std::bad_alloc);
  throwing.fail = false;
  host.position = 1;
  h.onTitleChange();
  EXPECT_EQ(deliveries(), (std::vector<std::string>{"<p>t</p>"}));
}

TEST_F(TitleChangeTest, AHostThatAnswersInUtf16IsAskedNothingElseAndItsPathGoesOnWhole) {
  // "C:\한국어\♡.mp3", and the same entry twice.
  const char16_t* korean = u"C:\\\uD55C\uAD6D\uC5B4\\\u2661.mp3";
  host.widePlaylist = {korean, korean, u"C:\\b.mp3"};
  playEntry(0);
  EXPECT_EQ(journal.calls, (std::vector<std::string>{"listpos", "filew", "tags u:C:\\\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4\\\xE2\x99\xA1.mp3",
                                                     "deliver <p>title of u:C:\\\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4\\\xE2\x99\xA1.mp3</p>",
                                                     "delivered <p>title of u:C:\\\xED\x95\x9C\xEA\xB5\xAD\xEC\x96\xB4\\\xE2\x99\xA1.mp3</p>"}));
  EXPECT_EQ(handler.lastFilePath(), AnsiOrWide(korean));
  // The same file by its wide path: two requests, nothing else.
  journal.calls.clear();
  playEntry(1);
  EXPECT_EQ(journal.calls, (std::vector<std::string>{"listpos", "filew"}));
  playEntry(2);
  EXPECT_EQ(handler.lastFilePath(), AnsiOrWide(u"C:\\b.mp3"));
}

TEST_F(TitleChangeTest, AWidePathWithoutItsTerminatorIsCutWhereNoWindowsPathReaches) {
  std::u16string unterminated(40000, u'x');
  host.widePlaylist = {unterminated.data()};
  playEntry(0);
  ASSERT_TRUE(handler.lastFilePath().isWide());
  EXPECT_EQ(handler.lastFilePath().wide(), std::u16string(32768, u'x'));
}

}  // namespace
}  // namespace tavrik
