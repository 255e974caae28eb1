// The caption file with the whole plug-in in a player: off, nothing changes;
// on, the file follows the tracks and the player's state in UTF-8, a reader
// holding it delays only the file, a reader polling it never sees a partial
// text, the settings dialog writes the settings file, and a garbled one is
// reported once and left alone.
#include <gtest/gtest.h>

#include <atomic>
#include <set>
#include <thread>

#include "common/code_page_win32.h"
#include "common/cp932_texts.h"
#include "common/unicode_codec.h"
#include "player_folder.h"
#include "resources/resource_ids.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::audio;
using testing::contains;
using testing::Lines;
using testing::PlayerFolder;
using testing::readFileBytes;
using testing::StandinEncoder;
using testing::writeFileBytes;

const std::string kTrack0 = "V2 Title", kTrack1 = "V1 Title";
const std::string kJapaneseUtf8 = "\xE3\x83\x86\xE3\x82\xB9\xE3\x83\x88\xE6\x9B\xB2";  // テスト曲
// The idle template: UTF-8 behind its mark, on two lines; the file gets it
// without the mark, on one line.
const std::string kIdleTemplate = "\xEF\xBB\xBF\xE2\x99\xAA \xE4\xBC\x91\xE6\x86\xA9\r\n<br>\r\n";
const std::string kIdle = "\xE2\x99\xAA \xE4\xBC\x91\xE6\x86\xA9<br>";  // ♪ 休憩<br>

// Reads a file over and over as a streaming program does (its C runtime's
// "rb": sharing reading and writing), recording every read.
class CaptionReader {
 public:
  explicit CaptionReader(std::string path, DWORD pauseMs = 2) : path_(std::move(path)) {
    thread_ = std::thread([this, pauseMs] {
      while (!stop_) {
        std::string read = readOnce();
        {
          std::lock_guard<std::mutex> lock(mutex_);
          reads_.push_back(read);
        }
        Sleep(pauseMs);
      }
    });
  }
  ~CaptionReader() { stop(); }
  void stop() {
    stop_ = true;
    if (thread_.joinable()) thread_.join();
  }
  std::vector<std::string> reads() {
    std::lock_guard<std::mutex> lock(mutex_);
    return reads_;
  }
  // Every content read, once for each time it came.
  std::vector<std::string> changes() {
    std::vector<std::string> seen;
    for (const std::string& read : reads())
      if (!isRefusal(read) && read != "<none>" && (seen.empty() || seen.back() != read)) seen.push_back(read);
    return seen;
  }
  // An open refused at the very instant of a rename: the writer's handle on
  // the new file, with the access a rename needs, is open until the rename
  // returns, and a reader that does not share deleting cannot open beside
  // it. Such a reader reads nothing, and tries again.
  static bool isRefusal(const std::string& read) { return read == "<error 32>"; }
  std::string readOnce() const {
    UniqueFile file(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                OPEN_EXISTING, 0, nullptr));
    if (!file) {
      DWORD error = GetLastError();
      return error == ERROR_FILE_NOT_FOUND ? "<none>" : "<error " + std::to_string(error) + ">";
    }
    std::string content;
    char buffer[4096];
    DWORD got = 0;
    while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0) content.append(buffer, got);
    return content;
  }

 private:
  std::string path_;
  std::atomic<bool> stop_{false};
  std::mutex mutex_;
  std::vector<std::string> reads_;
  std::thread thread_;
};

// Every file under `folder`, by its path below it.
std::set<std::string> filesUnder(const std::string& folder, const std::string& below = "") {
  std::set<std::string> found;
  WIN32_FIND_DATAA data;
  HANDLE search = FindFirstFileA((folder + "\\" + below + "*").c_str(), &data);
  if (search == INVALID_HANDLE_VALUE) return found;
  do {
    std::string name = data.cFileName;
    if (name == "." || name == "..") continue;
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      for (const std::string& inner : filesUnder(folder, below + name + "\\")) found.insert(inner);
    } else {
      found.insert(below + name);
    }
  } while (FindNextFileA(search, &data));
  FindClose(search);
  return found;
}

struct CaptionPlayer {
  explicit CaptionPlayer(const std::string& name) : encoder("caption-" + name, ""), player("caption-" + name) {
    writeFileBytes(player.ruleFile, "");
    writeFileBytes(player.plugins + "\\default.html", "#TITLE");
    player.playlist({audio("v23.mp3"), audio("v1.mp3"), audio("v24_japanese.mp3")});
    CreateDirectoryA((player.folder + "\\obs").c_str(), nullptr);
    caption = player.folder + "\\obs\\now playing.txt";
    writeFileBytes(player.folder + "\\obs\\idle.html", kIdleTemplate);
  }
  void settings(const std::string& whenPaused) {
    writeFileBytes(player.plugins + "\\gen_tavrik.ini", "[caption]\r\nfile=" + caption + "\r\nidle_template=" +
                                                            player.folder + "\\obs\\idle.html\r\nwhen_paused=" +
                                                            whenPaused + "\r\n");
  }
  StandinEncoder encoder;
  PlayerFolder player;
  std::string caption;
};

// Stop, pause and the same file resuming retitle the player; the last track
// has a Japanese title.
const std::string kSteps =
    "wait:300 play:0 wait:300 pause wait:300 pause wait:300 stop wait:300 play:0 wait:300 play:1 wait:300 "
    "play:2 wait:300 exit";

TEST(CaptionEndToEnd, OffWritesNoFileAsksTheHostNothingNewAndOnTheEncoderGetsTheSame) {
  Lines offMessages;
  {
    CaptionPlayer off("off");
    ASSERT_TRUE(off.encoder.waitUntilReady());
    std::set<std::string> before = filesUnder(off.player.folder);
    EXPECT_EQ(off.player.runHost(kSteps), 0);
    std::set<std::string> after = filesUnder(off.player.folder);
    before.insert({"host.log", "mp3infp.log"});
    EXPECT_EQ(after, before) << "no caption file, no settings file, no temporary file";
    // The settings folder, asked once at init, is all that is new.
    EXPECT_TRUE(contains(off.player.hostLog(), "requests isplaying=0 listpos=7 playlistfile=0 playlistfilew=7 "
                                               "playlisttitlew=0 inidir=1 inidirw=1 other=0"));
    offMessages = off.encoder.messages();
  }
  EXPECT_EQ(offMessages.size(), 3 * testing::wholeDelivery("").size()) << "the same file resumed sends nothing";

  CaptionPlayer on("on");
  on.settings("idle");
  ASSERT_TRUE(on.encoder.waitUntilReady());
  CaptionReader reader(on.caption, 5);
  EXPECT_EQ(on.player.runHost(kSteps), 0);
  reader.stop();
  EXPECT_EQ(on.encoder.messages(), offMessages);
  // Once at init and at each retitling: the player's state, nothing else new.
  EXPECT_TRUE(contains(on.player.hostLog(), "requests isplaying=8 listpos=7 playlistfile=0 playlistfilew=7 "
                                            "playlisttitlew=0 inidir=1 inidirw=1 other=0"));
  // Idle from the start (the player is stopped), the track, idle while
  // paused, the track, idle when stopped, the same track again on resume.
  EXPECT_EQ(reader.changes(), (std::vector<std::string>{kIdle, kTrack0, kIdle, kTrack0, kIdle, kTrack0, kTrack1,
                                                        kJapaneseUtf8}));
  EXPECT_EQ(filesUnder(on.player.folder + "\\obs"), (std::set<std::string>{"idle.html", "now playing.txt"}));
  EXPECT_TRUE(contains(on.player.hostLog(), "wndproc restored: yes"));
}

TEST(CaptionEndToEnd, AReaderHoldingTheFileDelaysOnlyTheFileAndItsTextArrivesOnceItLetsGo) {
  CaptionPlayer run("held");
  run.settings("track");
  ASSERT_TRUE(run.encoder.waitUntilReady());
  CaptionReader reader(run.caption, 5);
  long heldMs = 0, arrivedMs = -1;
  std::string whileHeld;
  run.player.whileRunning = [&] {
    auto waitFor = [&](const std::function<bool()>& done, DWORD ms) {
      for (DWORD waited = 0; waited < ms && !done(); waited += 10) Sleep(10);
      return done();
    };
    if (!waitFor([&] { return reader.readOnce() == kTrack0; }, 20000)) return;
    UniqueFile holder(CreateFileA(run.caption.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                  OPEN_EXISTING, 0, nullptr));
    if (!waitFor([&] { return contains(run.player.hostLog(), "step play:1"); }, 20000)) return;
    DWORD since = GetTickCount();
    // Longer than the second of quick retries: the text waits as pending.
    Sleep(1800);
    whileHeld = reader.readOnce();
    holder.reset();
    heldMs = static_cast<long>(GetTickCount() - since);
    if (waitFor([&] { return reader.readOnce() == kTrack1; }, 5000)) {
      arrivedMs = static_cast<long>(GetTickCount() - since) - heldMs;
    }
  };
  EXPECT_EQ(run.player.runHost("play:0 wait:1000 play:1 wait:5000 exit"), 0);
  reader.stop();
  EXPECT_EQ(whileHeld, kTrack0);
  EXPECT_GE(heldMs, 1800);
  EXPECT_GE(arrivedMs, 0) << "the pending text never arrived";
  EXPECT_LE(arrivedMs, 1500) << "pending texts are tried once a second";
  // The player went on at once: its next step began right after the retitle.
  long retitled = run.player.when("retitle 1 2. v1 - Winamp");
  long next = run.player.when("step wait:5000");
  ASSERT_GE(retitled, 0);
  EXPECT_LT(next - retitled, 300);
  EXPECT_EQ(run.encoder.texts(), (std::vector<std::string>{kTrack0, kTrack1}));
  EXPECT_EQ(filesUnder(run.player.folder + "\\obs"), (std::set<std::string>{"idle.html", "now playing.txt"}));
}

TEST(CaptionEndToEnd, AReaderPollingDuring200TrackChangesNeverSeesAnEmptyOrPartialText) {
  CaptionPlayer run("polled");
  run.settings("track");
  ASSERT_TRUE(run.encoder.waitUntilReady());
  CaptionReader reader(run.caption, 1);
  EXPECT_EQ(run.player.runHost("play:0 wait:300 bench-latency:200 wait:500 exit", "--interval 20"), 0);
  reader.stop();
  // The idle caption first: the player starts stopped.
  const std::set<std::string> whole = {kIdle, kTrack0, kTrack1, kJapaneseUtf8};
  std::vector<std::string> reads = reader.reads();
  std::size_t first = 0;
  while (first < reads.size() && reads[first] == "<none>") ++first;
  std::size_t polled = reads.size() - first, bad = 0, refused = 0;
  EXPECT_GE(polled, 1000u);
  for (std::size_t i = first; i < reads.size(); ++i) {
    if (CaptionReader::isRefusal(reads[i])) {
      ++refused;
    } else if (!whole.count(reads[i]) && ++bad <= 5) {
      ADD_FAILURE() << "read " << i << ": \"" << reads[i] << '"';
    }
  }
  EXPECT_EQ(bad, 0u) << "an empty, partial or missing file was read";
  EXPECT_LE(refused, polled / 20) << "refused only at the instant of a rename";
  std::printf("%zu reads during the changes, %zu refused at a rename, %zu changes seen\n", polled, refused,
              reader.changes().size());
  EXPECT_GE(reader.changes().size(), 50u) << "the reads went on while the file changed";
  // 200 changes round three entries from the first: the last is entry 2.
  EXPECT_EQ(reader.readOnce(), kJapaneseUtf8);
  EXPECT_EQ(filesUnder(run.player.folder + "\\obs"), (std::set<std::string>{"idle.html", "now playing.txt"}));
}

TEST(CaptionEndToEnd, AGarbledSettingsFileIsReportedOnceAtInitAndLeftAlone) {
  CaptionPlayer run("garbled");
  const std::string garbled = "[caption]\r\nfile=" + run.caption + "\r\n" + std::string("\0\0", 2);
  writeFileBytes(run.player.plugins + "\\gen_tavrik.ini", garbled);
  ASSERT_TRUE(run.encoder.waitUntilReady());
  testing::MessageBoxWatcher watcher(true, texts::kErrorTitle);
  EXPECT_EQ(run.player.runHost("play:0 wait:300 stop wait:300 exit"), 0);
  auto seen = watcher.seen();
  ASSERT_EQ(seen.size(), 1u);
  EXPECT_EQ(seen[0].text, texts::kSettingsFileUnreadableMessage);
  EXPECT_TRUE(contains(run.player.hostLog(), "init gen_tavrik.dll answer=0"));
  EXPECT_EQ(run.encoder.texts(), std::vector<std::string>{kTrack0});
  EXPECT_EQ(GetFileAttributesA(run.caption.c_str()), INVALID_FILE_ATTRIBUTES);
  EXPECT_EQ(readFileBytes(run.player.plugins + "\\gen_tavrik.ini"), garbled);
}

// The caption dialog of the player's process, operated from the test.
struct CaptionDialogUser {
  DWORD process;
  std::string cp932(const std::u16string& text) { return *Win32CodePage().toAnsiExactly(text); }
  // The rule list dialog, and the caption dialog opened by its button; the
  // second is null when either did not come.
  std::pair<HWND, HWND> open() {
    HWND ruleList = testing::waitForWindow(process, "#32770", 20000, "gen_tavrik setting");
    if (!ruleList) return {nullptr, nullptr};
    PostMessageA(GetDlgItem(ruleList, IDC_CAPTION_SETTINGS), BM_CLICK, 0, 0);
    const std::string title =
        cp932(u"gen_tavrik \u30AD\u30E3\u30D7\u30B7\u30E7\u30F3\u30D5\u30A1\u30A4\u30EB");
    return {ruleList, testing::waitForWindow(process, "#32770", 20000, title)};
  }
  static std::u16string text(HWND dialog, int id) {
    std::u16string text(4096, u'\0');
    LRESULT length = SendMessageW(GetDlgItem(dialog, id), WM_GETTEXT, text.size(),
                                  reinterpret_cast<LPARAM>(text.data()));
    text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return text;
  }
  static void type(HWND dialog, int id, const std::u16string& text) {
    SendMessageW(GetDlgItem(dialog, id), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(text.c_str()));
  }
  static void closeWith(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, button, 0);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
  }
};

TEST(CaptionEndToEnd, TheSettingsDialogWritesTheSettingsFileAndShowsItAgain) {
  CaptionPlayer run("dialog");
  Win32CodePage codePage;
  // A folder the ANSI code page cannot name: the settings file turns UTF-16.
  const std::u16string folder = codePage.toWide(run.player.folder) + u"\\\uCEA1\uC158";
  CreateDirectoryW(reinterpret_cast<const wchar_t*>(folder.c_str()), nullptr);
  const std::u16string caption = folder + u"\\now.txt";
  ASSERT_TRUE(run.encoder.waitUntilReady());

  std::u16string shownFile;
  bool shownIdle = false;
  run.player.whileRunning = [&] {
    CaptionDialogUser user{run.player.hostProcessId};
    auto [ruleList, dialog] = user.open();
    if (!dialog) return;
    shownFile = user.text(dialog, IDC_CAPTION_FILE);
    user.type(dialog, IDC_CAPTION_FILE, caption);
    SendMessageA(GetDlgItem(dialog, IDC_PAUSED_IDLE), BM_CLICK, 0, 0);
    user.closeWith(dialog, IDOK);
    user.closeWith(ruleList, IDOK);
  };
  EXPECT_EQ(run.player.runHost("config play:0 wait:500 exit"), 0);
  EXPECT_EQ(shownFile, u"");
  const std::string ini = readFileBytes(run.player.plugins + "\\gen_tavrik.ini");
  EXPECT_EQ(ini, "\xFF\xFE" + encodeUtf16Le(u"[caption]\r\nfile=" + caption +
                                           u"\r\nidle_template=\r\nwhen_paused=idle\r\n"));
  UniqueFile file(CreateFileW(reinterpret_cast<const wchar_t*>(caption.c_str()), GENERIC_READ, FILE_SHARE_READ,
                              nullptr, OPEN_EXISTING, 0, nullptr));
  char buffer[64] = {};
  DWORD got = 0;
  ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr);
  file.reset();
  EXPECT_EQ(std::string(buffer, got), kTrack0);

  // The next run reads it back; Cancel leaves the file as it is.
  run.player.whileRunning = [&] {
    CaptionDialogUser user{run.player.hostProcessId};
    auto [ruleList, dialog] = user.open();
    if (!dialog) return;
    shownFile = user.text(dialog, IDC_CAPTION_FILE);
    shownIdle = SendMessageA(GetDlgItem(dialog, IDC_PAUSED_IDLE), BM_GETCHECK, 0, 0) == BST_CHECKED;
    user.type(dialog, IDC_CAPTION_FILE, u"C:\\elsewhere.txt");
    user.closeWith(dialog, IDOK);
    user.closeWith(ruleList, IDCANCEL);
  };
  EXPECT_EQ(run.player.runHost("config exit"), 0);
  EXPECT_EQ(shownFile, caption);
  EXPECT_TRUE(shownIdle);
  EXPECT_EQ(readFileBytes(run.player.plugins + "\\gen_tavrik.ini"), ini);
}

}  // namespace
}  // namespace tavrik
