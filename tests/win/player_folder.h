// A player's folder for the end-to-end runs: the stand-in host, a stand-in
// tag library beside it, and the real plug-in with its rule file and default
// template in Plugins; and the host run in it.
#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <string>

#include "common/win32_handles.h"
#include "standin_encoder_process.h"
#include "win_test_support.h"

namespace tavrik::testing {

inline bool contains(const Lines& lines, const std::string& wanted) {
  return std::find(lines.begin(), lines.end(), wanted) != lines.end();
}

// A number after `key=` in a line of the host's log that starts with `head`;
// -1 when there is none.
inline long valueIn(const Lines& log, const std::string& head, const std::string& key) {
  for (const std::string& line : log) {
    if (line.rfind(head, 0) != 0) continue;
    std::size_t at = line.find(key + "=");
    if (at != std::string::npos) return std::stol(line.substr(at + key.size() + 1));
  }
  return -1;
}

inline std::string audio(const std::string& name) { return buildPath("audio\\" + name); }

class PlayerFolder {
 public:
  // `library`: the build folder of the stand-in tag library to put beside
  // the host ("taglib", or "taglib-ansi" for one older than the wide entries).
  explicit PlayerFolder(const std::string& name, const std::string& library = "taglib") {
    folder = freshFolder("e2e-" + name);
    plugins = folder + "\\Plugins";
    CreateDirectoryA(plugins.c_str(), nullptr);
    CopyFileA(buildPath("standin_host.exe").c_str(), (folder + "\\standin_host.exe").c_str(), FALSE);
    CopyFileA(buildPath(library + "\\mp3infp.dll").c_str(), (folder + "\\mp3infp.dll").c_str(), FALSE);
    CopyFileA(buildPath("gen_tavrik.dll").c_str(), (plugins + "\\gen_tavrik.dll").c_str(), FALSE);
    ruleFile = plugins + "\\gen_tavrik.cfg";
    libraryLog = folder + "\\mp3infp.log";
    SetEnvironmentVariableA("STANDIN_MP3INFP_LOG", libraryLog.c_str());
    SetEnvironmentVariableA("STANDIN_MP3INFP_VERSION", nullptr);
  }

  // An M3U list of ANSI paths.
  void playlist(const Lines& entries) {
    std::string m3u = "#EXTM3U\r\n";
    for (const std::string& entry : entries) m3u += entry + "\r\n";
    writeFileBytes(folder + "\\list.m3u", m3u);
    playlistFile = folder + "\\list.m3u";
  }
  // An M3U8 list, whose UTF-8 paths may hold any character.
  void utf8Playlist(const Lines& utf8Entries) {
    std::string m3u = "#EXTM3U\r\n";
    for (const std::string& entry : utf8Entries) m3u += entry + "\r\n";
    writeFileBytes(folder + "\\list.m3u8", m3u);
    playlistFile = folder + "\\list.m3u8";
  }

  // Runs the host with `steps` until it ends by itself (at most a minute).
  // Answers the host's exit code, or -1 when it had to be ended.
  // `wideOptions` go on the UTF-16 command line as they are: what the ANSI
  // code page cannot hold reaches the host's wide arguments.
  int runHost(const std::string& steps, const std::string& options = "", const std::wstring& wideOptions = L"") {
    std::string command = "\"" + folder + "\\standin_host.exe\" --playlist \"" + playlistFile +
                          "\" --log \"" + folder + "\\host.log\" --exit-after 50 " + options + " " + steps;
    std::wstring wideCommand = widened(command) + L" " + wideOptions;
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION info = {};
    if (!CreateProcessW(nullptr, wideCommand.data(), nullptr, nullptr, FALSE, 0, nullptr, widened(folder).c_str(),
                        &startup, &info)) {
      return -2;
    }
    UniqueKernelHandle process(info.hProcess), thread(info.hThread);
    hostProcessId = info.dwProcessId;
    if (whileRunning) whileRunning();
    if (WaitForSingleObject(process.get(), 60000) == WAIT_TIMEOUT) {
      TerminateProcess(process.get(), 99);
      return -1;
    }
    DWORD code = 0;
    GetExitCodeProcess(process.get(), &code);
    return static_cast<int>(code);
  }

  // As CreateProcessA reads its ANSI texts.
  static std::wstring widened(const std::string& ansi) {
    int length = MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    MultiByteToWideChar(CP_ACP, 0, ansi.data(), static_cast<int>(ansi.size()), wide.data(), length);
    return wide;
  }

  Lines hostLog() const { return hostEvents(readFileBytes(folder + "\\host.log")); }
  // Milliseconds from the host's start to its first `event`, or -1.
  long when(const std::string& event) const {
    for (const std::string& line : splitLines(readFileBytes(folder + "\\host.log"))) {
      std::size_t space = line.find(' ');
      if (space != std::string::npos && line.substr(space + 1) == event) return std::stol(line);
    }
    return -1;
  }
  Lines libraryEvents() const { return splitLines(readFileBytes(libraryLog)); }

  std::string folder, plugins, ruleFile, libraryLog, playlistFile;
  DWORD hostProcessId = 0;
  std::function<void()> whileRunning;
};

}  // namespace tavrik::testing
