// The plug-in's thread over the platform's fakes: the player's thread never
// waits, the tag library is used on the plug-in's thread only, the newest
// track wins even against a slow load, each track keeps the rules it started
// with, and quit ends by its deadline, leaving a load that never returns
// behind rather than waiting for it.
#include "plugin/track_thread.h"

#include <gtest/gtest.h>

#include <condition_variable>
#include <system_error>
#include <mutex>
#include <set>
#include <stdexcept>
#include <thread>

#if defined(__linux__)
#include <sys/resource.h>
#include <unistd.h>
#endif

#include "fakes.h"
#include "memory_disk.h"
#include "caption/caption_writer.h"
#include "caption/cover_reader.h"
#include "caption/cover_writer.h"
#include "caption/obs_feed.h"
#include "caption/overlay_feed.h"
#include "cover_fakes.h"
#include "obs_fakes.h"
#include "overlay_fakes.h"
#include "pipeline/answer_time_limit.h"

namespace tavrik {
namespace {

using namespace std::chrono_literals;
using Clock = std::chrono::steady_clock;

// Waits for `done` under `lock`, five seconds at most, so that a fault shows
// as a failure rather than a hang.
template <typename Done>
bool waitFor(std::condition_variable& changed, std::unique_lock<std::mutex>& lock, Done done) {
  return changed.wait_for(lock, 5s, done);
}

// A tag library whose loads of the paths in `held` wait for the test's
// permit, as files on a share that has spun down; every file is a non-MP3
// file whose title tag is "title of PATH", and "bad" paths fail to load.
class SlowLibrary {
 public:
  std::set<std::string> held;
  std::set<std::string> bad;
  std::string throwing;

  std::vector<std::string> loads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return loads_;
  }
  std::vector<std::thread::id> threads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return threads_;
  }
  bool waitUntilLoading(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return waitFor(changed_, lock, [&] { return loads_.size() >= count; });
  }
  void release() {
    std::lock_guard<std::mutex> lock(mutex_);
    released_ = true;
    changed_.notify_all();
  }

  class Library : public TagLibrary {
   public:
    explicit Library(SlowLibrary& owner) : owner_(owner) {}
    TagLibraryBinding bind(const char*) override { return TagLibraryBinding::bound; }
    void release() override {}
    // At bind, on the binding thread, before the plug-in's thread exists.
    std::uint32_t getVer() override { return 0x227; }
    std::uint32_t load(WindowHandle, const char* path) override {
      std::unique_lock<std::mutex> lock(owner_.mutex_);
      owner_.loads_.push_back(path);
      owner_.threads_.push_back(std::this_thread::get_id());
      owner_.changed_.notify_all();
      if (owner_.held.count(path)) waitFor(owner_.changed_, lock, [&] { return owner_.released_; });
      if (path == owner_.throwing) throw std::runtime_error("the share went away");
      title_ = std::string("title of ") + path;
      return owner_.bad.count(path) ? 2 : 0;
    }
    std::uint32_t getType() override {
      owner_.record();
      return 2;
    }
    bool getValue(const char* key, const char** value) override {
      owner_.record();
      if (std::string(key) != "INAM") return false;
      *value = title_.c_str();
      return true;
    }
    std::uint32_t mp3GetTagType() override { return 0; }
    bool hasWideEntries() override { return false; }
    std::uint32_t loadWide(WindowHandle, const char16_t*) override { return 1; }
    bool getValueWide(const char16_t*, const char16_t**) override { return false; }

   private:
    SlowLibrary& owner_;
    std::string title_;
  };

 private:
  void record() {
    std::lock_guard<std::mutex> lock(mutex_);
    threads_.push_back(std::this_thread::get_id());
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> loads_;
  std::vector<std::thread::id> threads_;
  bool released_ = false;
};

// The encoder's six panel controls, each found at once; the texts it is
// given, in order.
class FakeEncoder : public WindowOps {
 public:
  WindowHandle findTopLevel(const char*) override { return handle(1); }
  WindowHandle findChild(WindowHandle, WindowHandle after, const char*, const char*) override {
    return handle(after ? reinterpret_cast<std::uintptr_t>(after) + 1 : 2);
  }
  SendResult send(WindowHandle, unsigned message, std::uintptr_t, std::intptr_t lParam,
                  std::chrono::milliseconds) override {
    if (message == 0x000C) record(reinterpret_cast<const char*>(lParam));
    return {true, 0};
  }
  SendResult sendWide(WindowHandle, unsigned message, std::uintptr_t, std::intptr_t lParam,
                  std::chrono::milliseconds) override {
    if (message == 0x000C) record(encodeUtf8(reinterpret_cast<const char16_t*>(lParam)));
    return {true, 0};
  }
  RightsComparison rightsOf(WindowHandle) override { return RightsComparison::sameOrLower; }
  std::vector<std::string> texts() {
    std::lock_guard<std::mutex> lock(mutex_);
    return texts_;
  }
  bool waitForTexts(std::size_t count) {
    std::unique_lock<std::mutex> lock(mutex_);
    return waitFor(changed_, lock, [&] { return texts_.size() >= count; });
  }

 private:
  static WindowHandle handle(std::uintptr_t n) { return reinterpret_cast<WindowHandle>(n); }
  void record(std::string text) {
    std::lock_guard<std::mutex> lock(mutex_);
    texts_.push_back(std::move(text));
    changed_.notify_all();
  }
  std::mutex mutex_;
  std::condition_variable changed_;
  std::vector<std::string> texts_;
};

TitleChange trackAt(const std::string& path) { return TitleChange{TrackRequest{path, std::nullopt}, std::nullopt}; }

class TrackThreadTest : public ::testing::Test {
 protected:
  TrackThreadTest() {
    disk.ansi.files[testing::kDefaultTemplatePath] = "<p>#TITLE</p>";
    disk.ansi.files["C:\\rule.html"] = "rule: #ARTIST";
    EXPECT_TRUE(tags.bindTagLibrary());
  }
  ~TrackThreadTest() override { thread.finish(Clock::now() + 5s); }

  SlowLibrary library;
  SlowLibrary::Library fake{library};
  testing::FakeModuleServices services;
  testing::FakeCodePage codePage;
  testing::MemoryDisk disk;
  TagReader tags{fake, services, codePage, nullptr};
  RulesInForce rules;
  TemplateRenderer renderer{disk, codePage, testing::kDefaultTemplatePath};
  FakeEncoder windows;
  EncoderLink encoder{windows};
  CaptionState caption;
  CaptionWriter captionWriter{caption, disk, codePage};
  testing::MemoryCoverFiles pictures;
  CoverReader coverReader{caption, pictures, codePage};
  CoverWriter coverWriter{caption, disk, pictures, codePage};
  testing::FakeObs obs;
  testing::OpenSslHashing hashing;
  ObsOutput obsOutput{std::make_unique<testing::FakeWebSocket>(obs), hashing};
  ObsFeed obsFeed{caption, coverWriter, obsOutput, disk, codePage};
  testing::FakeOverlay overlay;
  OverlayFeed overlayFeed{caption, overlay, disk, codePage};
  TrackThread thread{tags, rules, renderer, encoder, caption,
                     {&coverReader, &coverWriter, &obsFeed, &overlayFeed, &captionWriter}};
};

TEST_F(TrackThreadTest, TheCallerNeverWaitsAndOnlyTheNewestTrackOfAQuickSuccessionIsShown) {
  library.held = {"C:\\0.mp3"};
  thread.take(trackAt("C:\\before start.mp3"));
  thread.start();
  thread.take(trackAt("C:\\0.mp3"));
  ASSERT_TRUE(library.waitUntilLoading(1));
  // The first load hangs: these come back at once and replace each other.
  const Clock::time_point start = Clock::now();
  for (const char* path : {"C:\\1.mp3", "C:\\2.mp3", "C:\\3.mp3"}) thread.take(trackAt(path));
  EXPECT_LT(Clock::now() - start, 1s);
  library.release();
  ASSERT_TRUE(windows.waitForTexts(1));
  EXPECT_TRUE(thread.finish(Clock::now() + 5s));
  EXPECT_EQ(library.loads(), (std::vector<std::string>{"C:\\0.mp3", "C:\\3.mp3"}))
      << "a track superseded before its tags were read is never read";
  EXPECT_EQ(windows.texts(), std::vector<std::string>{"<p>title of C:\\3.mp3</p>"})
      << "the track whose slow load was overtaken is not shown after all";
  for (std::thread::id id : library.threads()) EXPECT_NE(id, std::this_thread::get_id());
}

TEST_F(TrackThreadTest, ATrackKeepsTheRulesItStartedWithAndTheNextOneGetsTheNewOnes) {
  library.held = {"C:\\slow.mp3"};
  thread.start();
  thread.take(trackAt("C:\\slow.mp3"));
  ASSERT_TRUE(library.waitUntilLoading(1));
  // OK in the rule list dialog while the slow file loads.
  RuleList edited;
  edited.append({"ARTIST", "Unknown Artist", "C:\\rule.html"});
  rules.replace(std::move(edited));
  library.release();
  ASSERT_TRUE(windows.waitForTexts(1));
  thread.take(trackAt("C:\\next.mp3"));
  ASSERT_TRUE(windows.waitForTexts(2));
  EXPECT_EQ(windows.texts(), (std::vector<std::string>{"<p>title of C:\\slow.mp3</p>", "rule: Unknown Artist"}));
}

TEST_F(TrackThreadTest, AStreamsSongIsShownFromItsTitleWithoutTheLibrary) {
  thread.start();
  thread.take(TitleChange{TrackRequest{"http://r.example/live", std::string("Tom & Jerry - Cat <1>")}, {}});
  thread.take(TitleChange{});  // a scrolling retitle brings nothing
  ASSERT_TRUE(windows.waitForTexts(1));
  EXPECT_TRUE(thread.finish(Clock::now() + 5s));
  EXPECT_EQ(windows.texts(), std::vector<std::string>{"<p>Cat &lt;1&gt;</p>"});
  EXPECT_TRUE(library.loads().empty());
}

TEST_F(TrackThreadTest, AFailedOrFailingTrackEndsOnlyItselfAndTheCaptionFollowsTheEncoder) {
  caption.setSettings(CaptionSettings{std::u16string(u"C:\\obs\\now.txt"), {}, false});
  library.bad = {"C:\\bad.mp3"};
  library.throwing = "C:\\throws.mp3";
  thread.start();
  const char* paths[] = {"C:\\bad.mp3", "C:\\throws.mp3", "C:\\good.mp3"};
  for (std::size_t i = 0; i < 3; ++i) {
    thread.take(trackAt(paths[i]));
    ASSERT_TRUE(library.waitUntilLoading(i + 1));
  }
  ASSERT_TRUE(windows.waitForTexts(1));
  EXPECT_TRUE(thread.finish(Clock::now() + 5s));
  EXPECT_EQ(windows.texts(), std::vector<std::string>{"<p>title of C:\\good.mp3</p>"});
  EXPECT_EQ(disk.wide.replaced, (std::vector<std::pair<std::u16string, std::string>>{
                                     {u"C:\\obs\\now.txt", "<p>title of C:\\good.mp3</p>"}}))
      << "the caption file is written before the thread ends";
}

TEST_F(TrackThreadTest, OBSGetsEachTrackThroughItsPlainTemplateAndTheIdleTextOnStop) {
  obs.addInput("Now Playing");
  disk.ansi.files["C:\\idle.txt"] = "Back soon\r\n";
  CaptionSettings settings;
  settings.idleTemplate = "C:\\idle.txt";
  settings.obs.source = "Now Playing";
  caption.setSettings(settings);
  thread.start();
  thread.take(TitleChange{TrackRequest{"http://r.example/live", std::string("Tom & Jerry - Cat <1>")}, 1});
  ASSERT_TRUE(obs.waitUntil([&] { return obs.textsSoFar().size() >= 1; }));
  thread.take(TitleChange{std::nullopt, 0});  // stopped
  ASSERT_TRUE(obs.waitUntil([&] { return obs.textsSoFar().size() >= 2; }));
  EXPECT_TRUE(thread.finish(Clock::now() + 5s));
  obsOutput.finish(Clock::now() + 5s);
  // The default template, plain: no entity, and the idle text as it stands.
  EXPECT_EQ(obs.texts(), (std::vector<std::string>{"Tom & Jerry - Cat <1>", "Back soon\r\n"}));
  EXPECT_EQ(windows.texts(), std::vector<std::string>{"<p>Cat &lt;1&gt;</p>"});
}

TEST_F(TrackThreadTest, EveryCaptionGoesOutWithItsOwnTracksPictureHoweverQuickTheChanges) {
  for (const char* album : {"a", "b", "c"}) {
    const std::u16string folder = u"C:\\" + std::u16string(1, static_cast<char16_t>(album[0]));
    pictures.put(folder + u"\\1.mp3", "no tag");
    pictures.put(folder + u"\\cover.png", std::string("\x89PNG\r\n\x1a\n", 8) + "picture of C:\\" + album + "\\1.mp3");
  }
  CaptionSettings settings;
  settings.overlay.port = "4600";
  settings.overlay.cover = "1";
  caption.setSettings(settings);
  library.held = {"C:\\a\\1.mp3"};
  thread.start();
  thread.take(trackAt("C:\\a\\1.mp3"));
  ASSERT_TRUE(library.waitUntilLoading(1));
  // A newer track while the first one's tags load: the first is never shown.
  thread.take(trackAt("C:\\b\\1.mp3"));
  library.release();
  ASSERT_TRUE(windows.waitForTexts(1));
  thread.take(trackAt("C:\\c\\1.mp3"));
  thread.take(trackAt("C:\\a\\1.mp3"));
  ASSERT_TRUE(windows.waitForTexts(2));
  thread.take(trackAt("C:\\b\\1.mp3"));
  ASSERT_TRUE(windows.waitForTexts(3));
  EXPECT_TRUE(thread.finish(Clock::now() + 5s));
  const std::vector<OverlayCaption> captions = overlay.captions();
  ASSERT_FALSE(captions.empty());
  for (const OverlayCaption& shown : captions) {
    if (shown.title.empty()) continue;
    ASSERT_TRUE(shown.cover) << shown.title;
    EXPECT_EQ(shown.cover->bytes.substr(8), "picture of " + shown.title.substr(9)) << "shown with another's picture";
  }
  EXPECT_EQ(captions.back().title, "title of C:\\b\\1.mp3");
}

TEST_F(TrackThreadTest, WithOBSOffNothingConnects) {
  thread.start();
  thread.take(trackAt("C:\\a.mp3"));
  ASSERT_TRUE(windows.waitForTexts(1));
  EXPECT_TRUE(thread.finish(Clock::now() + 5s));
  obsOutput.finish(Clock::now() + 5s);
  EXPECT_TRUE(obs.sent().empty());
  EXPECT_EQ(obsOutput.status().outcome, ObsOutcome::nothingYet);
}

TEST_F(TrackThreadTest, FinishLetsTheWaitingTrackThroughThenTakesNoMore) {
  library.held = {"C:\\older.mp3"};
  thread.start();
  thread.take(trackAt("C:\\older.mp3"));
  ASSERT_TRUE(library.waitUntilLoading(1));
  std::thread share([&] {
    std::this_thread::sleep_for(50ms);
    library.release();
  });
  // The running track is overtaken by the waiting one, which is shown.
  thread.take(trackAt("C:\\newer.mp3"));
  EXPECT_TRUE(thread.finish(Clock::now() + 5s));
  share.join();
  EXPECT_EQ(windows.texts(), std::vector<std::string>{"<p>title of C:\\newer.mp3</p>"});
  thread.take(trackAt("C:\\after quit.mp3"));
  EXPECT_EQ(library.loads().size(), 2u);
}

TEST_F(TrackThreadTest, ALoadThatOutlastsQuitIsLeftBehindAndShowsNothingWhenItReturns) {
  library.held = {"C:\\asleep.mp3"};
  thread.start();
  thread.take(trackAt("C:\\asleep.mp3"));
  ASSERT_TRUE(library.waitUntilLoading(1));
  thread.take(trackAt("C:\\waiting.mp3"));
  const Clock::time_point deadline = Clock::now() + 300ms;
  EXPECT_FALSE(thread.finish(deadline)) << "the thread is still inside the load";
  EXPECT_LT(Clock::now(), deadline + 200ms) << "quit did not wait for the share";
  library.release();
  // The thread ends by itself; the fixture's destructor waits for that.
  std::this_thread::sleep_for(100ms);
  EXPECT_TRUE(windows.texts().empty());
  EXPECT_EQ(library.loads(), std::vector<std::string>{"C:\\asleep.mp3"}) << "the waiting track was dropped";
}

#if defined(__linux__)
// A start that cannot make its thread (no process may be added, as when the
// system is out of threads) leaves finish nothing to wait for: it returns at
// once, not at its deadline. Run in a child process whose limit is set to
// none (as another user than root, whom the limit does not bind).
// In the child: 0 when the start was refused and finish came back at once.
int startWithNoThreadToBeHad(TrackThread& thread) {
  if (getuid() == 0 && setuid(65534) != 0) return 3;
  const rlimit none{0, 0};
  if (setrlimit(RLIMIT_NPROC, &none) != 0) return 4;
  try {
    thread.start();
    return 5;
  } catch (const std::system_error&) {
  }
  const Clock::time_point start = Clock::now();
  thread.finish(Clock::now() + 5s);
  return Clock::now() - start < 1s ? 0 : 6;
}

TEST_F(TrackThreadTest, AStartThatCannotMakeItsThreadLeavesFinishNothingToWaitFor) {
  EXPECT_EXIT(_exit(startWithNoThreadToBeHad(thread)), ::testing::ExitedWithCode(0), "");
}
#endif

TEST(AnswerTimeLimit, TheUsualWaitShortenedToTheDeadlineAndNoneAfterIt) {
  AnswerTimeLimit limit(1000ms);
  const Clock::time_point now = Clock::now();
  EXPECT_EQ(limit.forMessageSentAt(now), 1000ms);
  limit.endBy(now + 1500ms);
  EXPECT_EQ(limit.forMessageSentAt(now), 1000ms);
  EXPECT_EQ(limit.forMessageSentAt(now + 1200ms), 300ms);
  EXPECT_EQ(limit.forMessageSentAt(now + 1500ms), 0ms);
  EXPECT_EQ(limit.forMessageSentAt(now + 5s), 0ms);
}

}  // namespace
}  // namespace tavrik
