// The player's settings folder with the whole plug-in in the stand-in player:
// a standard user whose player folder is not theirs to write keeps every
// edit there; a player that names no folder gets today's failure; the
// settings folder's copies win; and a settings file that did not open is
// never written over. The cases that need a folder without write permission
// run as the unprivileged user (ctest runs this program so too): an
// administrator, root under Wine, may write anywhere.
#include <windows.h>

#include <sddl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "common/code_page_win32.h"
#include "common/cp932_texts.h"
#include "common/win32_handles.h"
#include "player_folder.h"
#include "resources/resource_ids.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::audio;
using testing::contains;
using testing::PlayerFolder;
using testing::readFileBytes;
using testing::StandinEncoder;
using testing::writeFileBytes;

const std::string kTrack = "V2 Title";
const std::string kBandText = "<b>V2 Title</b>";

std::wstring wide(const std::string& ansi) { return PlayerFolder::widened(ansi); }

std::string readWide(const std::wstring& path) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING, 0, nullptr));
  if (!file) return "(no file)";
  std::string bytes;
  char chunk[4096];
  for (DWORD got = 0; ReadFile(file.get(), chunk, sizeof chunk, &got, nullptr) && got > 0;) bytes.append(chunk, got);
  return bytes;
}

std::vector<std::wstring> entriesWide(const std::wstring& folder) {
  std::vector<std::wstring> names;
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return names;
  do {
    std::wstring name = found.cFileName;
    if (name != L"." && name != L"..") names.push_back(name);
  } while (FindNextFileW(search, &found));
  FindClose(search);
  return names;
}

// Every file of a folder with its bytes: "untouched" compares two of these.
std::vector<std::string> snapshot(const std::string& folder) {
  std::vector<std::string> entries;
  for (const std::string& name : testing::folderEntries(folder)) {
    entries.push_back(name + " = " + readFileBytes(folder + "\\" + name));
  }
  return entries;
}

// A folder the user may read but not write in, as Program Files is to a
// standard user; writable again when the case ends, so that it can be
// cleared. Under Wine the folder's access list becomes its permission bits.
class ReadOnlyFolder {
 public:
  explicit ReadOnlyFolder(std::string path) : path_(std::move(path)) { setAccess("D:P(A;OICI;GRGX;;;WD)"); }
  ~ReadOnlyFolder() { setAccess("D:P(A;OICI;GA;;;WD)"); }
  ReadOnlyFolder(const ReadOnlyFolder&) = delete;
  ReadOnlyFolder& operator=(const ReadOnlyFolder&) = delete;

  // False for a user who may write in it all the same.
  bool refusesWrites() const {
    std::string probe = path_ + "\\probe.tmp";
    UniqueFile file(CreateFileA(probe.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, 0, nullptr));
    if (!file) return true;
    file.reset();
    DeleteFileA(probe.c_str());
    return false;
  }

 private:
  void setAccess(const char* descriptor) {
    PSECURITY_DESCRIPTOR security = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorA(descriptor, SDDL_REVISION_1, &security, nullptr)) return;
    SetFileSecurityA(path_.c_str(), DACL_SECURITY_INFORMATION, security);
    LocalFree(security);
  }
  std::string path_;
};

// The settings dialogs in the player's process, as the user works them.
struct SettingsDialogs {
  DWORD process;
  std::string cp932(const std::u16string& text) { return *Win32CodePage().toAnsiExactly(text); }
  HWND wait(const std::string& title) { return testing::waitForWindow(process, "#32770", 20000, title); }
  static void closeWith(HWND dialog, int button) {
    PostMessageA(dialog, WM_COMMAND, button, 0);
    for (int i = 0; i < 500 && IsWindow(dialog); ++i) Sleep(10);
  }

  // Adds ARTIST `value` -> `templatePath` and chooses `captionFile`, then OK.
  bool addRuleAndCaptionFile(const std::string& value, const std::string& templatePath,
                             const std::wstring& captionFile) {
    HWND ruleList = wait("gen_tavrik setting");
    if (!ruleList) return false;
    PostMessageA(GetDlgItem(ruleList, IDC_ADD), BM_CLICK, 0, 0);
    HWND condition = wait(cp932(u"gen_tavrik \u6761\u4EF6\u8FFD\u52A0"));
    if (!condition) return false;
    // The type list is sorted: ALBUM, ARTIST, COMMENT, GENRE, TITLE.
    SendMessageA(GetDlgItem(condition, IDC_CONDITION_TYPE), CB_SETCURSEL, 1, 0);
    SendMessageA(GetDlgItem(condition, IDC_CONDITION_VALUE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(value.c_str()));
    SendMessageA(GetDlgItem(condition, IDC_TEMPLATE_PATH), WM_SETTEXT, 0,
                 reinterpret_cast<LPARAM>(templatePath.c_str()));
    closeWith(condition, IDOK);
    PostMessageA(GetDlgItem(ruleList, IDC_CAPTION_SETTINGS), BM_CLICK, 0, 0);
    HWND caption = wait(cp932(u"gen_tavrik \u30AD\u30E3\u30D7\u30B7\u30E7\u30F3\u30D5\u30A1\u30A4\u30EB"));
    if (!caption) return false;
    SendMessageW(GetDlgItem(caption, IDC_CAPTION_FILE), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(captionFile.c_str()));
    closeWith(caption, IDOK);
    closeWith(ruleList, IDOK);
    return !IsWindow(ruleList);
  }
};

// A player whose rule file names no track of the playlist, with one template
// for the rule the user adds, and a caption file beside it.
struct EditingRun {
  explicit EditingRun(const std::string& name) : encoder("settings-" + name, ""), player("settings-" + name) {
    writeFileBytes(player.ruleFile, rules);
    writeFileBytes(player.plugins + "\\default.html", "#TITLE");
    writeFileBytes(player.folder + "\\band.html", "<b>#TITLE</b>");
    player.playlist({audio("v23.mp3")});
    caption = player.folder + "\\now.txt";
  }
  // The first run: the user adds the rule and chooses the caption file.
  int runEditing(const std::string& options, const std::wstring& wideOptions = L"") {
    player.whileRunning = [this] {
      edited = SettingsDialogs{player.hostProcessId}.addRuleAndCaptionFile("V2 Artist", player.folder + "\\band.html",
                                                                            wide(caption));
    };
    int code = player.runHost("config play:0 wait:500 exit", options, wideOptions);
    player.whileRunning = nullptr;
    return code;
  }
  std::string savedRules() const { return rules + "ARTIST\tV2 Artist\t" + player.folder + "\\band.html\r\n"; }
  std::string savedSettings() const {
    return "[caption]\r\nfile=" + caption + "\r\nidle_template=\r\nwhen_paused=track\r\n";
  }

  const std::string rules = "ARTIST\tNobody\tx.html\r\n";
  StandinEncoder encoder;
  PlayerFolder player;
  std::string caption;
  bool edited = false;
};

// Whether one of the host's log lines holds `part`.
bool logHas(const testing::Lines& lines, const std::string& part) {
  for (const std::string& line : lines)
    if (line.find(part) != std::string::npos) return true;
  return false;
}

std::string ansi(const std::wstring& text) {
  int length = WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), nullptr, 0, nullptr, nullptr);
  std::string bytes(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_ACP, 0, text.data(), static_cast<int>(text.size()), bytes.data(), length, nullptr, nullptr);
  return bytes;
}

enum class Answers { Both, AnsiOnly, WideOnly };

struct SettingsFolderCase {
  const char* name;
  const wchar_t* folderName;  // below a scratch folder
  Answers answers;            // which of the host's two requests name it
  const char* asked;          // the host's count of them
};
void PrintTo(const SettingsFolderCase& c, std::ostream* out) { *out << c.name; }

class SettingsFolderEndToEnd : public ::testing::TestWithParam<SettingsFolderCase> {
 protected:
  void SetUp() override { ASSERT_EQ(GetACP(), 932u); }
};

// The standard user's install: Program Files is not theirs, the profile is.
TEST_P(SettingsFolderEndToEnd, EditsSurviveInTheSettingsFolderWhenThePlayersFolderIsNotWritable) {
  const SettingsFolderCase& c = GetParam();
  EditingRun run(c.name);
  const std::wstring settingsFolder =
      wide(testing::freshFolder(std::string("settings-folder-") + c.name)) + L"\\" + c.folderName;
  ASSERT_TRUE(CreateDirectoryW(settingsFolder.c_str(), nullptr));
  ReadOnlyFolder locked(run.player.plugins);
  if (!locked.refusesWrites()) GTEST_SKIP() << "this user may write in any folder";
  const std::vector<std::string> before = snapshot(run.player.plugins);
  // 335 answers the folder in the ANSI code page, 1335 in UTF-16; a name the
  // code page cannot hold comes on the host's UTF-16 command line.
  std::string options;
  std::wstring wideOptions;
  if (c.answers == Answers::WideOnly) {
    wideOptions = L"--ini-dir-w \"" + settingsFolder + L"\"";
  } else {
    options = "--ini-dir \"" + ansi(settingsFolder) + "\"";
    if (c.answers == Answers::AnsiOnly) options += " --ini-dir-w none";
  }
  ASSERT_TRUE(run.encoder.waitUntilReady());

  testing::MessageBoxWatcher watcher(true, texts::kErrorTitle);
  EXPECT_EQ(run.runEditing(options, wideOptions), 0);
  ASSERT_TRUE(run.edited);
  EXPECT_TRUE(logHas(run.player.hostLog(), c.asked));
  const std::wstring plugins = settingsFolder + L"\\Plugins";
  EXPECT_EQ(readWide(plugins + L"\\gen_tavrik.cfg"), run.savedRules());
  EXPECT_EQ(readWide(plugins + L"\\gen_tavrik.ini"), run.savedSettings());
  EXPECT_EQ(entriesWide(plugins).size(), 2u) << "no temporary file left";

  // At the next start both are in force: the rule picks its template, and
  // the caption file is written again.
  DeleteFileA(run.caption.c_str());
  EXPECT_EQ(run.player.runHost("play:0 wait:500 exit", options, wideOptions), 0);
  EXPECT_EQ(run.encoder.texts(), (std::vector<std::string>{kBandText, kBandText}));
  EXPECT_EQ(readFileBytes(run.caption), kBandText);
  auto seen = watcher.seen();
  EXPECT_TRUE(seen.empty()) << seen.front().text;
  EXPECT_EQ(snapshot(run.player.plugins), before);
}

INSTANTIATE_TEST_SUITE_P(
    Players, SettingsFolderEndToEnd,
    ::testing::Values(SettingsFolderCase{"Both", L"Winamp", Answers::Both, "inidir=0 inidirw=1"},
                      SettingsFolderCase{"AnsiOnly", L"Winamp", Answers::AnsiOnly, "inidir=1 inidirw=1"},
                      // 설정 ("settings"), which only the wide request can name.
                      SettingsFolderCase{"Hangul", L"\uC124\uC815", Answers::WideOnly, "inidir=0 inidirw=1"}),
    [](const auto& info) { return std::string(info.param.name); });

// A host that answers neither request, and one that names its own folder.
TEST(SettingsFolderToday, AHostThatNamesNoOtherFolderShowsTodaysFailuresAndKeepsTheFiles) {
  for (bool namesItsOwn : {false, true}) {
    SCOPED_TRACE(namesItsOwn ? "its own folder" : "no folder");
    EditingRun run(namesItsOwn ? "own" : "none");
    ReadOnlyFolder locked(run.player.plugins);
    if (!locked.refusesWrites()) GTEST_SKIP() << "this user may write in any folder";
    const std::vector<std::string> before = snapshot(run.player.plugins);
    ASSERT_TRUE(run.encoder.waitUntilReady());
    testing::MessageBoxWatcher watcher(true, texts::kErrorTitle);
    EXPECT_EQ(run.runEditing(namesItsOwn ? "--ini-dir \"" + run.player.folder + "\"" : ""), 0);
    ASSERT_TRUE(run.edited);
    auto seen = watcher.seen();
    ASSERT_EQ(seen.size(), 2u);
    EXPECT_EQ(seen[0].text, texts::kRuleFileWriteFailedMessage);
    EXPECT_EQ(seen[1].text, texts::kSettingsFileWriteFailedMessage);
    EXPECT_EQ(snapshot(run.player.plugins), before);
    EXPECT_TRUE(logHas(run.player.hostLog(), namesItsOwn ? "inidir=0 inidirw=1" : "inidir=1 inidirw=1"));
    EXPECT_EQ(run.encoder.texts(), std::vector<std::string>{kBandText}) << "in force until quit";
  }
}

// The copy found first is the one in force; a host that names its own
// folder is a host that keeps its settings beside itself.
TEST(SettingsFolderCopies, TheSettingsFoldersCopiesWinAndTheHostsOwnFolderMeansThePlayersOnes) {
  StandinEncoder encoder("settings-copies", "");
  PlayerFolder player("settings-copies");
  const std::string settingsFolder = testing::freshFolder("settings-copies-roaming");
  CreateDirectoryA((settingsFolder + "\\Plugins").c_str(), nullptr);
  auto filesIn = [&](const std::string& plugins, const std::string& which) {
    writeFileBytes(plugins + "\\gen_tavrik.cfg", "ARTIST\tV2 Artist\t" + player.folder + "\\" + which + ".html\r\n");
    writeFileBytes(plugins + "\\gen_tavrik.ini", "[caption]\r\nfile=" + player.folder + "\\" + which + ".txt\r\n");
    writeFileBytes(player.folder + "\\" + which + ".html", which + ": #TITLE");
  };
  filesIn(player.plugins, "player");
  filesIn(settingsFolder + "\\Plugins", "settings");
  writeFileBytes(player.plugins + "\\default.html", "#TITLE");
  player.playlist({audio("v23.mp3")});
  const std::vector<std::string> playerFiles = snapshot(player.plugins);
  const std::vector<std::string> settingsFiles = snapshot(settingsFolder + "\\Plugins");
  ASSERT_TRUE(encoder.waitUntilReady());
  testing::MessageBoxWatcher watcher(true, texts::kErrorTitle);

  EXPECT_EQ(player.runHost("play:0 wait:500 exit", "--ini-dir \"" + settingsFolder + "\""), 0);
  EXPECT_EQ(readFileBytes(player.folder + "\\settings.txt"), "settings: " + kTrack);
  EXPECT_EQ(readFileBytes(player.folder + "\\player.txt"), "");

  EXPECT_EQ(player.runHost("play:0 wait:500 exit", "--ini-dir \"" + player.folder + "\""), 0);
  EXPECT_EQ(readFileBytes(player.folder + "\\player.txt"), "player: " + kTrack);
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{"settings: " + kTrack, "player: " + kTrack}));
  EXPECT_TRUE(watcher.seen().empty());
  EXPECT_EQ(snapshot(player.plugins), playerFiles);
  EXPECT_EQ(snapshot(settingsFolder + "\\Plugins"), settingsFiles);
}

// Written over, it would lose every line but the caption keys.
TEST(SettingsFileHeld, ASettingsFileHeldAtInitIsLeftByteForByteEvenAfterTheDialogChangedTheSettings) {
  EditingRun run("held-at-init");
  const std::string settingsFile = run.player.plugins + "\\gen_tavrik.ini";
  const std::string mine = "; by hand\r\n[caption]\r\nfile=C:\\elsewhere.txt\r\n[mine]\r\nkeep=1\r\n";
  writeFileBytes(settingsFile, mine);
  ASSERT_TRUE(run.encoder.waitUntilReady());
  UniqueFile holder(CreateFileA(settingsFile.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
  ASSERT_TRUE(holder);
  testing::MessageBoxWatcher watcher(true, texts::kErrorTitle);
  run.player.whileRunning = [&] {
    // Let go once init has read (or failed to read) the file: at quit it
    // could be written.
    for (int i = 0; i < 2000 && !contains(run.player.hostLog(), "init gen_tavrik.dll answer=0"); ++i) Sleep(10);
    holder.reset();
    run.edited = SettingsDialogs{run.player.hostProcessId}.addRuleAndCaptionFile(
        "V2 Artist", run.player.folder + "\\band.html", wide(run.caption));
  };
  EXPECT_EQ(run.player.runHost("config play:0 wait:500 exit"), 0);
  ASSERT_TRUE(run.edited);
  auto seen = watcher.seen();
  ASSERT_EQ(seen.size(), 2u);
  EXPECT_EQ(seen[0].text, texts::kSettingsFileUnreadableMessage);
  EXPECT_EQ(seen[1].text, texts::kSettingsFileWriteFailedMessage);
  EXPECT_EQ(readFileBytes(settingsFile), mine);
  EXPECT_EQ(readFileBytes(run.player.ruleFile), run.savedRules()) << "the rules were saved as ever";
}

}  // namespace
}  // namespace tavrik
