// The installer as a user runs it, silently, into player folders that hold a
// stand-in winamp.exe (the stand-in player under that name): what it
// installs, what it keeps, what it refuses, and that the installed plug-in
// then works in the player.
#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "common/win32_handles.h"
#include "standin_encoder_process.h"
#include "tavrik_version.h"
#include "win_test_support.h"

namespace tavrik {
namespace {

using testing::buildPath;
using testing::readFileBytes;
using testing::writeFileBytes;

constexpr char kUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\gen_tavrik";
constexpr char kPlayerUninstallKey[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Winamp";
constexpr char kPlayerSettingsKey[] = "Software\\Winamp";
// The installer's exit codes for a setup that changed nothing.
constexpr int kNoPlayer = 2;
constexpr int kPlayerRunning = 3;
constexpr int kWriteFailed = 4;

bool exists(const std::string& path) { return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

// Every file and folder below `folder`, with its bytes: "nothing changed"
// compares two of these.
std::vector<std::string> snapshot(const std::string& folder) {
  std::vector<std::string> entries;
  WIN32_FIND_DATAA found;
  HANDLE search = FindFirstFileA((folder + "\\*").c_str(), &found);
  if (search == INVALID_HANDLE_VALUE) return entries;
  do {
    std::string name = found.cFileName;
    if (name == "." || name == "..") continue;
    std::string path = folder + "\\" + name;
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
      entries.push_back(name + "\\");
      for (const std::string& inner : snapshot(path)) entries.push_back(name + "\\" + inner);
    } else {
      entries.push_back(name + " = " + readFileBytes(path));
    }
  } while (FindNextFileA(search, &found));
  FindClose(search);
  return entries;
}

std::string registryText(HKEY root, const char* key, const char* value) {
  char text[1024] = {};
  DWORD size = sizeof text;
  if (RegGetValueA(root, key, value, RRF_RT_REG_SZ, nullptr, text, &size) != ERROR_SUCCESS) return {};
  return text;
}

void setRegistryText(HKEY root, const char* key, const char* value, const std::string& text) {
  HKEY opened = nullptr;
  ASSERT_EQ(RegCreateKeyExA(root, key, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &opened, nullptr), ERROR_SUCCESS);
  RegSetValueExA(opened, value, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>(text.size() + 1));
  RegCloseKey(opened);
}

// Runs a program and answers its exit code; -1 when it had to be ended.
int run(const std::string& command, const std::string& folder = "") {
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string line = command;
  if (!CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                      folder.empty() ? nullptr : folder.c_str(), &startup, &info)) {
    return -2;
  }
  UniqueKernelHandle process(info.hProcess), thread(info.hThread);
  if (WaitForSingleObject(process.get(), 120000) == WAIT_TIMEOUT) {
    TerminateProcess(process.get(), 99);
    return -1;
  }
  DWORD code = 0;
  GetExitCodeProcess(process.get(), &code);
  return static_cast<int>(code);
}

std::string setupExe() { return testing::environmentPath("TAVRIK_SETUP"); }

// `/D=` must come last and unquoted, even with spaces in the path.
int installSilently(const std::string& folder) { return run("\"" + setupExe() + "\" /S /D=" + folder); }
int installSilentlyWhereProposed() { return run("\"" + setupExe() + "\" /S"); }

// A player folder as the player's own installer leaves it: winamp.exe (the
// stand-in player) and the tag library beside it, no Plugins folder yet.
std::string playerFolder(const std::string& name) {
  std::string folder = testing::freshFolder("installer-" + name);
  CopyFileA(buildPath("standin_host.exe").c_str(), (folder + "\\winamp.exe").c_str(), FALSE);
  CopyFileA(buildPath("taglib\\mp3infp.dll").c_str(), (folder + "\\mp3infp.dll").c_str(), FALSE);
  return folder;
}

class Installer : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(exists(setupExe())) << setupExe();
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
    RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPlayerUninstallKey);
    RegDeleteTreeA(HKEY_CURRENT_USER, kPlayerSettingsKey);
  }
  void TearDown() override { SetUp(); }

  const std::string shippedDll = readFileBytes(buildPath("gen_tavrik.dll"));
  const std::string sampleTemplate = readFileBytes(testing::environmentPath("TAVRIK_SAMPLE_TEMPLATE"));
};

TEST_F(Installer, AFreshInstallPutsThePlugInWhereThePlayerLoadsItAndItWorks) {
  std::string folder = playerFolder("fresh");
  ASSERT_EQ(installSilently(folder), 0);

  std::string plugins = folder + "\\Plugins";
  EXPECT_EQ(readFileBytes(plugins + "\\gen_tavrik.dll"), shippedDll);
  EXPECT_TRUE(exists(plugins + "\\gen_tavrik.cfg"));
  EXPECT_EQ(readFileBytes(plugins + "\\gen_tavrik.cfg"), "");
  EXPECT_EQ(readFileBytes(plugins + "\\default.html"), sampleTemplate);
  EXPECT_FALSE(exists(plugins + "\\gen_tavrik.dll.new"));
  std::string uninstaller = plugins + "\\uninstall_gen_tavrik.exe";
  EXPECT_TRUE(exists(uninstaller));
  EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), TAVRIK_VERSION_TEXT);
  EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kUninstallKey, "UninstallString"), "\"" + uninstaller + "\"");

  // The player started from that folder loads the plug-in, whose init finds
  // its rule file, and a track reaches the encoder through the sample.
  testing::StandinEncoder encoder("installer-fresh", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  writeFileBytes(folder + "\\list.m3u", buildPath("audio\\v23.mp3") + "\r\n");
  testing::MessageBoxWatcher watcher(true, "");
  EXPECT_EQ(run("\"" + folder + "\\winamp.exe\" --playlist list.m3u --log host.log --exit-after 50 play:0 exit",
                folder),
            0);
  EXPECT_TRUE(watcher.seen().empty());
  auto host = testing::hostEvents(readFileBytes(folder + "\\host.log"));
  EXPECT_NE(std::find(host.begin(), host.end(), "init gen_tavrik.dll answer=0"), host.end());
  EXPECT_EQ(encoder.texts(), (std::vector<std::string>{
                                 "<div class=\"now-playing\">  <b>V2 Title</b> - V2 Artist  <i>V2 Album</i></div>"}));
}

TEST_F(Installer, AnUpgradeReplacesTheDllAndKeepsTheUsersRulesAndTemplates) {
  std::string folder = playerFolder("upgrade");
  ASSERT_EQ(installSilently(folder), 0);
  std::string plugins = folder + "\\Plugins";
  const std::string rules = "ARTIST\tSome Band\tC:\\html\\band.html\r\n";
  const std::string edited = "<b>#TITLE</b>\r\n";
  writeFileBytes(plugins + "\\gen_tavrik.cfg", rules);
  writeFileBytes(plugins + "\\default.html", edited);
  writeFileBytes(plugins + "\\gen_tavrik.dll", "the previous version");

  ASSERT_EQ(installSilently(folder), 0);
  EXPECT_EQ(readFileBytes(plugins + "\\gen_tavrik.dll"), shippedDll);
  EXPECT_EQ(readFileBytes(plugins + "\\gen_tavrik.cfg"), rules);
  EXPECT_EQ(readFileBytes(plugins + "\\default.html"), edited);
}

// A player under Program Files keeps its users' settings elsewhere, and says
// where; the empty rule file the installer puts beside the player never
// hides the rules kept there.
TEST_F(Installer, RulesInThePlayersSettingsFolderAreInForceAfterAnUpgrade) {
  std::string folder = playerFolder("upgrade-settings-folder");
  ASSERT_EQ(installSilently(folder), 0);
  std::string settings = testing::freshFolder("installer-settings-folder");
  CreateDirectoryA((settings + "\\Plugins").c_str(), nullptr);
  const std::string rules = "ARTIST\tV2 Artist\t" + settings + "\\band.html\r\n";
  writeFileBytes(settings + "\\Plugins\\gen_tavrik.cfg", rules);
  writeFileBytes(settings + "\\band.html", "<b>#TITLE</b>");
  writeFileBytes(folder + "\\Plugins\\gen_tavrik.dll", "the previous version");

  ASSERT_EQ(installSilently(folder), 0);
  EXPECT_EQ(readFileBytes(folder + "\\Plugins\\gen_tavrik.cfg"), "");
  testing::StandinEncoder encoder("installer-settings-folder", "");
  ASSERT_TRUE(encoder.waitUntilReady());
  writeFileBytes(folder + "\\list.m3u", buildPath("audio\\v23.mp3") + "\r\n");
  testing::MessageBoxWatcher watcher(true, "");
  EXPECT_EQ(run("\"" + folder + "\\winamp.exe\" --playlist list.m3u --log host.log --exit-after 50 --ini-dir \"" +
                    settings + "\" play:0 exit",
                folder),
            0);
  EXPECT_TRUE(watcher.seen().empty());
  EXPECT_EQ(encoder.texts(), std::vector<std::string>{"<b>V2 Title</b>"});
  EXPECT_EQ(readFileBytes(settings + "\\Plugins\\gen_tavrik.cfg"), rules);
}

TEST_F(Installer, AFolderWithoutThePlayerIsRefusedAndLeftAlone) {
  std::string folder = testing::freshFolder("installer-no-player");
  writeFileBytes(folder + "\\readme.txt", "not a player");
  auto before = snapshot(folder);
  EXPECT_EQ(installSilently(folder), kNoPlayer);
  EXPECT_EQ(snapshot(folder), before);
  EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "");
}

TEST_F(Installer, ARunningPlayerIsRefusedAndNothingChanges) {
  std::string folder = playerFolder("running");
  ASSERT_EQ(installSilently(folder), 0);
  writeFileBytes(folder + "\\Plugins\\gen_tavrik.dll", "the previous version");
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kUninstallKey);
  auto before = snapshot(folder);

  // The player runs without plug-ins, so that nothing of ours is loaded.
  std::string player = testing::freshFolder("installer-running-player");
  CopyFileA(buildPath("standin_host.exe").c_str(), (player + "\\winamp.exe").c_str(), FALSE);
  STARTUPINFOA startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  std::string command = "\"" + player + "\\winamp.exe\" --exit-after 60 wait:60000";
  ASSERT_TRUE(CreateProcessA(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, player.c_str(),
                             &startup, &info));
  UniqueKernelHandle process(info.hProcess), thread(info.hThread);
  ASSERT_TRUE(testing::waitForWindow(info.dwProcessId, "Winamp v1.x", 20000));

  EXPECT_EQ(installSilently(folder), kPlayerRunning);
  TerminateProcess(process.get(), 0);
  WaitForSingleObject(process.get(), 10000);
  EXPECT_EQ(snapshot(folder), before);
  EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "");
}

TEST_F(Installer, UninstallRemovesTheDllItsEntryAndItselfButKeepsRulesAndTemplates) {
  std::string folder = playerFolder("uninstall");
  ASSERT_EQ(installSilently(folder), 0);
  std::string plugins = folder + "\\Plugins";
  writeFileBytes(plugins + "\\gen_tavrik.cfg", "TITLE\tx\ty.html\r\n");
  writeFileBytes(plugins + "\\band.html", "#ARTIST");
  std::string uninstaller = plugins + "\\uninstall_gen_tavrik.exe";

  // The uninstaller runs a copy of itself from the temporary folder, so that
  // it can delete itself, and returns at once: wait for the files to go.
  ASSERT_EQ(run("\"" + uninstaller + "\" /S"), 0);
  for (int i = 0; i < 600 && (exists(uninstaller) || exists(plugins + "\\gen_tavrik.dll")); ++i) Sleep(100);
  EXPECT_FALSE(exists(plugins + "\\gen_tavrik.dll"));
  EXPECT_FALSE(exists(uninstaller));
  EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "");
  EXPECT_EQ(readFileBytes(plugins + "\\gen_tavrik.cfg"), "TITLE\tx\ty.html\r\n");
  EXPECT_EQ(readFileBytes(plugins + "\\band.html"), "#ARTIST");
  EXPECT_EQ(readFileBytes(plugins + "\\default.html"), sampleTemplate);
}

TEST_F(Installer, TheProposedFolderIsWhereThePlayersSettingsOrItsUninstallerSayItIs) {
  std::string bySettings = playerFolder("by-settings");
  std::string byUninstaller = playerFolder("by-uninstaller");
  setRegistryText(HKEY_CURRENT_USER, kPlayerSettingsKey, nullptr, bySettings);
  setRegistryText(HKEY_LOCAL_MACHINE, kPlayerUninstallKey, "UninstallString",
                  "\"" + byUninstaller + "\\UninstWA.exe\" /quiet");
  ASSERT_EQ(installSilentlyWhereProposed(), 0);
  EXPECT_TRUE(exists(bySettings + "\\Plugins\\gen_tavrik.dll"));
  EXPECT_FALSE(exists(byUninstaller + "\\Plugins"));

  // Settings that name a folder without the player count for nothing.
  setRegistryText(HKEY_CURRENT_USER, kPlayerSettingsKey, nullptr, testing::freshFolder("installer-stale"));
  ASSERT_EQ(installSilentlyWhereProposed(), 0);
  EXPECT_TRUE(exists(byUninstaller + "\\Plugins\\gen_tavrik.dll"));

  // With neither, the usual folder is proposed: here it holds no player.
  RegDeleteTreeA(HKEY_CURRENT_USER, kPlayerSettingsKey);
  RegDeleteTreeA(HKEY_LOCAL_MACHINE, kPlayerUninstallKey);
  char programFiles[MAX_PATH] = {};
  ASSERT_TRUE(GetEnvironmentVariableA("ProgramFiles", programFiles, MAX_PATH));
  ASSERT_FALSE(exists(std::string(programFiles) + "\\Winamp"));
  EXPECT_EQ(installSilentlyWhereProposed(), kNoPlayer);
  EXPECT_FALSE(exists(std::string(programFiles) + "\\Winamp"));
}

// The folder is a small file system of its own (mounted for this run) that
// holds an earlier version but has no room for the new DLL.
TEST_F(Installer, AFullDiskLeavesThePreviousVersionInPlace) {
  std::string folder = testing::environmentPath("TAVRIK_FULL_DISK_FOLDER");
  if (!exists(folder)) GTEST_SKIP() << "no small file system: mounting one needs root";
  writeFileBytes(folder + "\\winamp.exe", "");
  CreateDirectoryA((folder + "\\Plugins").c_str(), nullptr);
  writeFileBytes(folder + "\\Plugins\\gen_tavrik.dll", "the previous version");
  auto before = snapshot(folder);
  EXPECT_EQ(installSilently(folder), kWriteFailed);
  EXPECT_EQ(snapshot(folder), before);
  EXPECT_EQ(registryText(HKEY_LOCAL_MACHINE, kUninstallKey, "DisplayVersion"), "");
}

TEST_F(Installer, ADamagedInstallerChangesNothing) {
  std::string damaged = testing::freshFolder("installer-damaged") + "\\setup.exe";
  std::string bytes = readFileBytes(setupExe());
  writeFileBytes(damaged, bytes.substr(0, bytes.size() - 20000));
  std::string folder = playerFolder("damaged-target");
  auto before = snapshot(folder);
  EXPECT_NE(run("\"" + damaged + "\" /S /D=" + folder), 0);
  EXPECT_EQ(snapshot(folder), before);
}

// What the DLL's properties show in Windows.
TEST(VersionResource, TheDllCarriesTheProjectVersionAndItsNames) {
  std::string dll = buildPath("gen_tavrik.dll");
  DWORD ignored = 0;
  DWORD size = GetFileVersionInfoSizeA(dll.c_str(), &ignored);
  ASSERT_GT(size, 0u);
  std::vector<char> info(size);
  ASSERT_TRUE(GetFileVersionInfoA(dll.c_str(), 0, size, info.data()));
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
  EXPECT_EQ(fixed->dwFileVersionMS, static_cast<DWORD>(TAVRIK_VERSION_MAJOR << 16 | TAVRIK_VERSION_MINOR));
  EXPECT_EQ(fixed->dwFileVersionLS, static_cast<DWORD>(TAVRIK_VERSION_PATCH << 16));
  EXPECT_EQ(fixed->dwProductVersionMS, fixed->dwFileVersionMS);
  auto text = [&](const char* name) {
    char* value = nullptr;
    std::string key = std::string("\\StringFileInfo\\040904b0\\") + name;
    if (!VerQueryValueA(info.data(), key.c_str(), reinterpret_cast<void**>(&value), &length)) return std::string();
    return std::string(value);
  };
  EXPECT_EQ(text("FileVersion"), TAVRIK_VERSION_TEXT);
  EXPECT_EQ(text("ProductVersion"), TAVRIK_VERSION_TEXT);
  EXPECT_EQ(text("ProductName"), "gen_tavrik");
  EXPECT_EQ(text("OriginalFilename"), "gen_tavrik.dll");
  EXPECT_NE(text("FileDescription"), "");
  EXPECT_EQ(text("LegalCopyright").rfind("Copyright", 0), 0u);
}

}  // namespace
}  // namespace tavrik
