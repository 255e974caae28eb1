// The stand-in player, run as its own process with a probe plug-in in its
// Plugins folder: what it does to a plug-in, in which order, what it answers,
// and that it always ends.
#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <set>
#include <sstream>

#include "common/win32_handles.h"
#include "win_test_support.h"

namespace tavrik::testing {
namespace {

constexpr DWORD kRunTimeoutMs = 30000;

using testing::hostEvents;
using testing::splitLines;

// Probe lines of one plug-in file, without its name.
std::vector<std::string> probeEvents(const std::string& text, const std::string& dll) {
  std::vector<std::string> events;
  for (const auto& line : splitLines(text))
    if (line.rfind(dll + " ", 0) == 0) events.push_back(line.substr(dll.size() + 1));
  return events;
}

std::vector<std::string> startingWith(const std::vector<std::string>& lines,
                                      const std::string& prefix) {
  std::vector<std::string> found;
  for (const auto& line : lines)
    if (line.rfind(prefix, 0) == 0) found.push_back(line);
  return found;
}

// Position of the first line equal to text (or starting with it), or -1.
int lineOf(const std::vector<std::string>& lines, const std::string& text, bool prefix = false) {
  for (size_t i = 0; i < lines.size(); ++i)
    if (prefix ? lines[i].rfind(text, 0) == 0 : lines[i] == text) return static_cast<int>(i);
  return -1;
}

using testing::waitForWindow;

bool waitForText(const std::string& path, const std::string& text, DWORD timeoutMs) {
  for (DWORD waited = 0; waited < timeoutMs; waited += 20) {
    if (readFileBytes(path).find(text) != std::string::npos) return true;
    Sleep(20);
  }
  return false;
}

struct HostRun {
  DWORD exitCode = 0;
  std::vector<std::string> host;  // host log events
  std::string probeText;          // the probe's file, all plug-ins
  std::vector<std::string> probe(const std::string& dll = "gen_probe.dll") const {
    return probeEvents(probeText, dll);
  }
};

// "表" in code page 932: its second byte is 0x5C, the backslash's.
const std::string kHyo = "\x95\x5C";

// A scratch player folder: the host, Plugins\gen_probe.dll, and a playlist
// whose second entry is named by a double-byte character ending in 0x5C.
class StandinHostTest : public ::testing::Test {
 protected:
  void SetUp() override {
    std::string name = ::testing::UnitTest::GetInstance()->current_test_info()->name();
    folder_ = freshFolder("standin_host_" + name);
    exe_ = folder_ + "\\standin_host.exe";
    ASSERT_TRUE(CopyFileA(buildPath("standin_host.exe").c_str(), exe_.c_str(), FALSE));
    ASSERT_TRUE(CreateDirectoryA((folder_ + "\\Plugins").c_str(), nullptr));
    addPlugin("gen_probe.dll", "Plugins\\gen_probe.dll");
    music_ = folder_ + "\\music";
    ASSERT_TRUE(CreateDirectoryA(music_.c_str(), nullptr));
    playlist_ = music_ + "\\list.m3u";
    writeFileBytes(playlist_,
                   "#EXTM3U\r\n#EXTINF:10,Someone - First\r\nfirst.mp3\r\n\r\n"
                   "sub\\" + kHyo + ".mp3\r\nC:\\elsewhere\\third.mp3\r\n");
    entries_ = {music_ + "\\first.mp3", music_ + "\\sub\\" + kHyo + ".mp3",
                "C:\\elsewhere\\third.mp3"};
    SetEnvironmentVariableA("GEN_PROBE_LOG", (folder_ + "\\probe.log").c_str());
    SetEnvironmentVariableA("GEN_PROBE_INIT_ANSWER", nullptr);
    SetEnvironmentVariableA("GEN_PROBE_AT_QUIT", nullptr);
    SetEnvironmentVariableA("GEN_PROBE_INIT_BOX", nullptr);
    SetEnvironmentVariableA("GEN_PROBE_INIT_CONVENTION", nullptr);
  }

  void TearDown() override {
    SetEnvironmentVariableA("GEN_PROBE_LOG", nullptr);
    SetEnvironmentVariableA("GEN_PROBE_INIT_ANSWER", nullptr);
    SetEnvironmentVariableA("GEN_PROBE_AT_QUIT", nullptr);
    SetEnvironmentVariableA("GEN_PROBE_INIT_BOX", nullptr);
    SetEnvironmentVariableA("GEN_PROBE_INIT_CONVENTION", nullptr);
  }

  void addPlugin(const char* built, const std::string& relative) {
    ASSERT_TRUE(CopyFileA(buildPath(built).c_str(), (folder_ + "\\" + relative).c_str(), FALSE))
        << relative;
  }

  // Runs the host to its end; `during` acts on it meanwhile. A host that
  // outlives the time-out is ended and the test fails.
  HostRun run(const std::string& arguments, std::function<void(DWORD)> during = {},
              const std::string& workingFolder = {}) {
    std::string command = "\"" + exe_ + "\" --log \"" + folder_ + "\\host.log\" " + arguments;
    STARTUPINFOA startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    HostRun result;
    if (!CreateProcessA(exe_.c_str(), command.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        workingFolder.empty() ? nullptr : workingFolder.c_str(), &startup,
                        &info)) {
      ADD_FAILURE() << "cannot start the host, error " << GetLastError();
      return result;
    }
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    if (during) during(info.dwProcessId);
    if (WaitForSingleObject(process.get(), kRunTimeoutMs) != WAIT_OBJECT_0) {
      TerminateProcess(process.get(), 99);
      WaitForSingleObject(process.get(), 5000);
      ADD_FAILURE() << "the host did not end: " << command;
    }
    GetExitCodeProcess(process.get(), &result.exitCode);
    result.host = hostEvents(readFileBytes(folder_ + "\\host.log"));
    result.probeText = readFileBytes(folder_ + "\\probe.log");
    return result;
  }

  std::string hostArgs(const std::string& script) {
    return "--playlist \"" + playlist_ + "\" --interval 20 --exit-after 25 " + script;
  }

  std::string folder_, exe_, music_, playlist_;
  std::vector<std::string> entries_;
};

TEST_F(StandinHostTest, InitialisesThePluginRetitlesAndAnswersItsRequests) {
  HostRun r = run(hostArgs("play:1 pause refresh repeat play:2 exit"));
  EXPECT_EQ(r.exitCode, 0u);

  // The host's own account, in order.
  const auto& host = r.host;
  int loaded = lineOf(host, "loaded gen_probe.dll version=0x10 description=Probe plug-in (gen_probe.dll)");
  int init = lineOf(host, "init gen_probe.dll answer=0");
  int firstRetitle = lineOf(host, "retitle ", true);
  int quitCalled = lineOf(host, "quit gen_probe.dll called");
  int quitReturned = lineOf(host, "quit gen_probe.dll returned");
  int unloaded = lineOf(host, "unloaded gen_probe.dll still-mapped=no");
  int restored = lineOf(host, "wndproc restored: yes");
  ASSERT_GE(loaded, 0);
  EXPECT_LT(loaded, init);
  EXPECT_LT(init, firstRetitle);
  EXPECT_LT(firstRetitle, quitCalled);
  EXPECT_LT(quitCalled, quitReturned);
  EXPECT_LT(quitReturned, unloaded);
  EXPECT_LT(unloaded, restored);
  EXPECT_EQ(host.back(), "exit 0");
  EXPECT_EQ(startingWith(host, "entry "),
            (std::vector<std::string>{"entry 0 " + entries_[0], "entry 1 " + entries_[1],
                                      "entry 2 " + entries_[2]}));
  EXPECT_EQ(startingWith(host, "track "),
            (std::vector<std::string>{"track 1 " + entries_[1], "track 2 " + entries_[2]}));
  EXPECT_EQ(startingWith(host, "retitle "),
            (std::vector<std::string>{
                "retitle 1 2. " + kHyo + " - Winamp", "retitle 1 2. " + kHyo + " - Winamp [Paused]",
                "retitle 1 2. " + kHyo + " - Winamp [Paused]", "retitle 1 2. " + kHyo + " - Winamp",
                "retitle 2 3. third - Winamp"}));

  // What the plug-in saw: the export first, its fields filled, the requests
  // answered before and during every retitle, quit and then the unload.
  auto probe = r.probe();
  ASSERT_GE(probe.size(), 12u) << r.probeText;
  EXPECT_EQ(probe[0], "attach");
  EXPECT_EQ(probe[1], "export");
  std::string window = startingWith(host, "window ").at(0);
  std::string hwnd = window.substr(7, window.find(' ', 7) - 7);
  EXPECT_EQ(probe[2], "init hwnd=" + hwnd + " class=Winamp v1.x instance=self thread=same");
  EXPECT_EQ(std::vector<std::string>(probe.begin() + 3, probe.begin() + 11),
            (std::vector<std::string>{"listpos 0", "entry 0 " + entries_[0],
                                      "entry 1 " + entries_[1], "entry 2 " + entries_[2],
                                      "entries 3", "beyond null negative null", "hooked",
                                      "init answer 0"}));
  EXPECT_EQ(startingWith(probe, "settext"),
            (std::vector<std::string>{
                "settext pos=1 path=" + entries_[1] + " text=2. " + kHyo + " - Winamp",
                "settext pos=1 path=" + entries_[1] + " text=2. " + kHyo + " - Winamp [Paused]",
                "settext pos=1 path=" + entries_[1] + " text=2. " + kHyo + " - Winamp [Paused]",
                "settext pos=1 path=" + entries_[1] + " text=2. " + kHyo + " - Winamp",
                "settext pos=2 path=" + entries_[2] + " text=3. third - Winamp"}));
  EXPECT_EQ(std::vector<std::string>(probe.end() - 2, probe.end()),
            (std::vector<std::string>{"quit restored", "detach unload"}));
}

TEST_F(StandinHostTest, PlayGoesThroughTheListAtTheInterval) {
  HostRun r = run("--playlist \"" + playlist_ + "\" --interval 200 play exit");
  EXPECT_EQ(r.exitCode, 0u);
  auto tracks = startingWith(r.host, "track ");
  EXPECT_EQ(tracks, (std::vector<std::string>{"track 0 " + entries_[0], "track 1 " + entries_[1],
                                              "track 2 " + entries_[2]}));
  // The gaps between tracks are the interval at least, read from the raw log.
  std::vector<long> times;
  for (const auto& line : splitLines(readFileBytes(folder_ + "\\host.log")))
    if (line.find(" track ") != std::string::npos) times.push_back(std::stol(line));
  ASSERT_EQ(times.size(), 3u);
  EXPECT_GE(times[1] - times[0], 190);
  EXPECT_GE(times[2] - times[1], 190);
  auto seen = startingWith(r.probe(), "settext");
  ASSERT_EQ(seen.size(), 3u);
  for (size_t i = 0; i < 3; ++i)
    EXPECT_EQ(seen[i].rfind("settext pos=" + std::to_string(i) + " path=" + entries_[i] + " ", 0),
              0u)
        << seen[i];
}

TEST_F(StandinHostTest, LoadsOnlyGenDllsFromThePluginsFolderBesideItself) {
  addPlugin("gen_probe.dll", "Plugins\\gen_second.dll");
  addPlugin("gen_probe.dll", "Plugins\\in_probe.dll");
  addPlugin("gen_probe.dll", "Plugins\\gen_probe.dll.off");
  addPlugin("gen_noexport.dll", "Plugins\\gen_noexport.dll");
  addPlugin("gen_probe.dll", "gen_beside.dll");
  ASSERT_TRUE(CreateDirectoryA((folder_ + "\\Plugins\\sub").c_str(), nullptr));
  addPlugin("gen_probe.dll", "Plugins\\sub\\gen_deep.dll");
  // A Plugins folder in the working folder is not the player's.
  ASSERT_TRUE(CreateDirectoryA((folder_ + "\\elsewhere").c_str(), nullptr));
  ASSERT_TRUE(CreateDirectoryA((folder_ + "\\elsewhere\\Plugins").c_str(), nullptr));
  addPlugin("gen_probe.dll", "elsewhere\\Plugins\\gen_cwd.dll");

  HostRun r = run(hostArgs("play:0 exit"), {}, folder_ + "\\elsewhere");
  EXPECT_EQ(r.exitCode, 0u);

  std::set<std::string> speakers;
  for (const auto& line : splitLines(r.probeText)) speakers.insert(line.substr(0, line.find(' ')));
  EXPECT_EQ(speakers, (std::set<std::string>{"gen_probe.dll", "gen_second.dll"}));
  EXPECT_GE(lineOf(r.host, "skipped gen_noexport.dll no export winampGetGeneralPurposePlugin"), 0);
  EXPECT_GE(lineOf(r.host, "plugins loaded=2"), 0);
  EXPECT_GE(lineOf(r.host, "plugins " + folder_ + "\\Plugins"), 0);

  // Both hooks see the retitle; quit unwinds them newest first, so each finds
  // its own procedure on top and puts the former one back.
  for (const char* dll : {"gen_probe.dll", "gen_second.dll"}) {
    auto probe = r.probe(dll);
    EXPECT_EQ(startingWith(probe, "settext").size(), 1u) << dll;
    EXPECT_GE(lineOf(probe, "quit restored"), 0) << dll;
    EXPECT_EQ(probe.back(), "detach unload") << dll;
  }
  EXPECT_LT(lineOf(r.host, "quit gen_second.dll called"), lineOf(r.host, "quit gen_probe.dll called"));
  EXPECT_GE(lineOf(r.host, "wndproc restored: yes"), 0);
}

// Closes the probe's configuration box once it is up, after checking that the
// script holds still meanwhile.
void closeConfigBox(DWORD process, const std::string& hostLog, bool alsoCloseHost,
                    bool& scriptHeld) {
  HWND box = waitForWindow(process, "#32770", 15000);
  ASSERT_NE(box, nullptr) << "no configuration box";
  char text[64] = {};
  GetWindowTextA(GetDlgItem(box, 0xFFFF), text, sizeof text);
  EXPECT_STREQ(text, "probe config");
  if (alsoCloseHost) {
    HWND main = waitForWindow(process, "Winamp v1.x", 1000);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitForText(hostLog, "close requested by WM_CLOSE", 5000));
  }
  Sleep(300);
  std::string soFar = readFileBytes(hostLog);
  scriptHeld = soFar.find("step play:1") == std::string::npos &&
               soFar.find("quit gen_probe.dll called") == std::string::npos;
  PostMessageA(box, WM_COMMAND, IDOK, 0);
}

TEST_F(StandinHostTest, ConfigRunsOnTheHostThreadAndTheScriptWaitsForIt) {
  bool scriptHeld = false;
  HostRun r = run(hostArgs("play:0 config play:1 exit"), [&](DWORD process) {
    closeConfigBox(process, folder_ + "\\host.log", false, scriptHeld);
  });
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(scriptHeld);
  int called = lineOf(r.host, "config gen_probe.dll called");
  int returned = lineOf(r.host, "config gen_probe.dll returned");
  ASSERT_GE(called, 0);
  EXPECT_LT(lineOf(r.host, "track 0 " + entries_[0]), called);
  EXPECT_LT(called, returned);
  EXPECT_LT(returned, lineOf(r.host, "track 1 " + entries_[1]));
  auto probe = r.probe();
  EXPECT_LT(lineOf(probe, "config begin"), lineOf(probe, "config end 1"));
}

TEST_F(StandinHostTest, CloseDuringConfigWaitsUntilConfigReturns) {
  bool scriptHeld = false;
  HostRun r = run(hostArgs("config:GEN_PROBE.DLL play:1 exit"), [&](DWORD process) {
    closeConfigBox(process, folder_ + "\\host.log", true, scriptHeld);
  });
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_TRUE(scriptHeld);
  int returned = lineOf(r.host, "config gen_probe.dll returned");
  ASSERT_GE(returned, 0);
  EXPECT_LT(lineOf(r.host, "close requested by WM_CLOSE"), returned);
  EXPECT_LT(returned, lineOf(r.host, "quit gen_probe.dll called"));
  EXPECT_EQ(lineOf(r.host, "step play:1"), -1);
  EXPECT_EQ(r.probe().back(), "detach unload");
}

TEST_F(StandinHostTest, CloseDuringABoxInInitWaitsForInitAndRunsNoStep) {
  SetEnvironmentVariableA("GEN_PROBE_INIT_BOX", "1");
  HostRun r = run(hostArgs("play:0 exit"), [&](DWORD process) {
    HWND box = waitForWindow(process, "#32770", 15000);
    ASSERT_NE(box, nullptr) << "no box in init";
    HWND main = waitForWindow(process, "Winamp v1.x", 1000);
    ASSERT_NE(main, nullptr);
    PostMessageA(main, WM_CLOSE, 0, 0);
    EXPECT_TRUE(waitForText(folder_ + "\\host.log", "close requested by WM_CLOSE", 5000));
    Sleep(200);
    EXPECT_TRUE(IsWindow(box)) << "the close ended the plug-in's box";
    PostMessageA(box, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(r.exitCode, 0u);
  int init = lineOf(r.host, "init gen_probe.dll answer=0");
  ASSERT_GE(init, 0);
  EXPECT_LT(lineOf(r.host, "close requested by WM_CLOSE"), init);
  EXPECT_LT(init, lineOf(r.host, "quit gen_probe.dll called"));
  EXPECT_EQ(lineOf(r.host, "step ", true), -1);
  EXPECT_EQ(r.probe().back(), "detach unload");
}

TEST_F(StandinHostTest, WithoutExitItPlaysOnUntilClosed) {
  HostRun r = run(hostArgs("play:2"), [&](DWORD process) {
    ASSERT_TRUE(waitForText(folder_ + "\\host.log", "script done", 15000));
    HWND main = waitForWindow(process, "Winamp v1.x", 1000);
    ASSERT_NE(main, nullptr);
    char title[128] = {};
    GetWindowTextA(main, title, sizeof title);
    EXPECT_STREQ(title, "3. third - Winamp");
    PostMessageA(main, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(r.exitCode, 0u);
  EXPECT_LT(lineOf(r.host, "close requested by WM_CLOSE"), lineOf(r.host, "quit gen_probe.dll called"));
  EXPECT_EQ(r.host.back(), "exit 0");
}

TEST_F(StandinHostTest, AHookLeftInPlaceIsReported) {
  SetEnvironmentVariableA("GEN_PROBE_AT_QUIT", "keep-pinned");
  HostRun pinned = run(hostArgs("play:0 exit"));
  EXPECT_EQ(pinned.exitCode, 0u);
  EXPECT_GE(lineOf(pinned.host, "unloaded gen_probe.dll still-mapped=yes"), 0);
  EXPECT_GE(lineOf(pinned.host, "wndproc restored: no"), 0);
  // The pinned plug-in's code is still there: the host leaves the chain be.
  EXPECT_EQ(lineOf(pinned.host, "wndproc reset by host", true), -1);
  EXPECT_EQ(pinned.host.back(), "exit 0");
  EXPECT_GE(lineOf(pinned.probe(), "quit kept-hook pinned"), 0);
  EXPECT_EQ(lineOf(pinned.probe(), "detach unload"), -1);

  // A hook into unloaded code: reported, and the host ends without a crash.
  SetEnvironmentVariableA("GEN_PROBE_AT_QUIT", "keep");
  HostRun gone = run(hostArgs("play:0 exit"));
  EXPECT_EQ(gone.exitCode, 0u);
  int notRestored = lineOf(gone.host, "wndproc restored: no");
  ASSERT_GE(notRestored, 0);
  EXPECT_EQ(gone.host[notRestored + 1], "wndproc reset by host: the procedure's module is gone");
  EXPECT_EQ(gone.host.back(), "exit 0");
  EXPECT_EQ(gone.probe().back(), "detach unload");
}

TEST_F(StandinHostTest, FailedInitIsLoggedAndTheChosenPolicyFollowed) {
  SetEnvironmentVariableA("GEN_PROBE_INIT_ANSWER", "-1");
  HostRun kept = run(hostArgs("play:0 exit"));
  EXPECT_EQ(kept.exitCode, 0u);
  EXPECT_GE(lineOf(kept.host, "init gen_probe.dll answer=-1"), 0);
  EXPECT_GE(lineOf(kept.host, "quit gen_probe.dll called"), 0);
  EXPECT_GE(lineOf(kept.probe(), "quit no-hook"), 0);

  HostRun unloaded = run(hostArgs("--init-failure unload play:0 exit"));
  EXPECT_EQ(unloaded.exitCode, 0u);
  int init = lineOf(unloaded.host, "init gen_probe.dll answer=-1");
  int gone = lineOf(unloaded.host, "unloaded gen_probe.dll still-mapped=no (init failed)");
  ASSERT_GE(init, 0);
  EXPECT_EQ(gone, init + 1);
  EXPECT_LT(gone, lineOf(unloaded.host, "step play:0"));
  EXPECT_EQ(lineOf(unloaded.host, "quit gen_probe.dll called"), -1);
  auto probe = unloaded.probe();
  EXPECT_EQ(probe.back(), "detach unload");
  EXPECT_EQ(lineOf(probe, "settext", true), -1);
}

TEST_F(StandinHostTest, BenchmarkRetitlesTheSameTrack) {
  HostRun r = run(hostArgs("--bench-retitles 40 exit"));
  EXPECT_EQ(r.exitCode, 0u);
  auto bench = startingWith(r.host, "bench retitles=40 ");
  ASSERT_EQ(bench.size(), 1u);
  double total = 0, mean = 0;
  ASSERT_EQ(std::sscanf(bench[0].c_str(), "bench retitles=40 total_us=%lf mean_us=%lf", &total, &mean), 2)
      << bench[0];
  EXPECT_GT(mean, 0.0);
  EXPECT_NEAR(mean * 40, total, 1.0);
  // One untimed retitle first, then the timed ones, all of the same track.
  auto seen = startingWith(r.probe(), "settext");
  EXPECT_EQ(seen.size(), 41u);
  EXPECT_EQ(std::count(seen.begin(), seen.end(),
                       "settext pos=0 path=" + entries_[0] + " text=1. first - Winamp"),
            41);
}

TEST_F(StandinHostTest, SafetyExitEndsAHostStuckInADialog) {
  HostRun r = run(hostArgs("--exit-after 2 config exit"));
  EXPECT_EQ(r.exitCode, 3u);
  EXPECT_GE(lineOf(r.host, "safety-exit after 2 s"), 0);
  EXPECT_EQ(lineOf(r.host, "config gen_probe.dll returned"), -1);
}

#if !defined(_WIN64)
// The 32-bit player measures the stack pointer around every call into a
// plug-in: an init that removes 4 bytes it was never given (stdcall in a
// cdecl field) is reported, and the run fails at once.
TEST_F(StandinHostTest, APluginFunctionThatMovesTheStackPointerFailsTheRun) {
  SetEnvironmentVariableA("GEN_PROBE_INIT_CONVENTION", "stdcall");
  HostRun r = run(hostArgs("play:0 exit"));
  EXPECT_EQ(r.exitCode, 5u);
  EXPECT_EQ(r.host.back(), "stack-fault gen_probe.dll init: the stack pointer came back 4 bytes higher");
  EXPECT_GE(lineOf(r.probe(), "init answer 0"), 0) << r.probeText;
  EXPECT_EQ(lineOf(r.host, "step play:0"), -1);
}
#endif

TEST_F(StandinHostTest, BadInputEndsBeforeAnyPluginIsLoaded) {
  HostRun badStep = run(hostArgs("play:0 jump exit"));
  EXPECT_EQ(badStep.exitCode, 2u);
  EXPECT_EQ(badStep.host, (std::vector<std::string>{"error command line: unknown step \"jump\""}));

  HostRun noList = run("--playlist \"" + folder_ + "\\missing.m3u\" play exit");
  EXPECT_EQ(noList.exitCode, 1u);
  EXPECT_GE(lineOf(noList.host, "error cannot open playlist " + folder_ + "\\missing.m3u"), 0);
  EXPECT_EQ(lineOf(noList.host, "plugins ", true), -1);
  EXPECT_EQ(noList.host.back(), "exit 1");
  EXPECT_EQ(readFileBytes(folder_ + "\\probe.log"), "");
}

}  // namespace
}  // namespace tavrik::testing
