// The stand-in player: its main window, the playlist it answers the
// plug-ins' requests from, the titles it sets, and a close that waits until
// no step and no plug-in's init is on the stack.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <string>
#include <vector>

#include "host_log.h"
#include "host_script.h"
#include "playlist.h"
#include "plugin_host.h"
#include "script_runner.h"

namespace standin {

class Player {
 public:
  Player(HostOptions options, HostLog& log);
  ~Player();
  Player(const Player&) = delete;
  Player& operator=(const Player&) = delete;

  bool createWindow(HINSTANCE instance);
  bool loadPlaylist();
  // Loads the plug-ins, then runs the script from the next timer tick. A
  // plug-in's init may show a modal box: a close meanwhile waits for it.
  void loadPluginsAndStartScript();

  // What the script's steps do.
  std::size_t entryCount() const { return entries_.size(); }
  void playEntry(unsigned long index);
  void togglePause();
  void stop();
  void refresh();
  void repeat();
  // The stream playing gets a new song: its entry's title changes, and the
  // window is retitled.
  void songChange(const std::string& utf8Title);
  bool configure(const std::string& fileName) { return plugins_.configure(fileName); }
  void initAgain() { plugins_.initAgain(); }
  void benchRetitles(unsigned long count);
  void benchTrackChanges(unsigned long count);
  void benchLatency(unsigned long count, unsigned long intervalMs);
  void closeAfterThisStep() { closeRequested_ = true; }

  // A close from outside: at once, or as soon as the running step returns.
  void requestClose(const char* why);
  // After the message loop: quit and unload the plug-ins, close the window.
  int finish();
  void setExitCode(int code) { exitCode_ = code; }

  // For the window procedure.
  LRESULT answerRequest(WPARAM wParam, LPARAM lParam);
  void onScriptTimer();
  void onScrollTimer();
  void logLine(const std::string& text) { log_.line(text); }
  static constexpr UINT_PTR kScriptTimer = 1;
  static constexpr UINT_PTR kScrollTimer = 2;

 private:
  void schedule(unsigned long delayMs);
  void retitle();
  // SetWindowTextA or SetWindowTextW with the title as it stands.
  void setWindowTitle();
  std::string title() const;
  // The entry's title as requests 212 and 213 answer it and the title bar
  // shows it: a file's name without folder and extension; a stream's song,
  // empty while it connects (the bar then shows its address).
  void setEntryTitle(std::size_t index, const std::wstring& title);
  // Moves to the next entry, round the list, and answers its title.
  std::function<std::string()> nextTrackTitle();
  void leave();

  HostOptions options_;
  HostLog& log_;
  PluginHost plugins_;
  ScriptRunner script_;
  HWND window_ = nullptr;
  // Each entry's path three ways: as request 211 answers it (ANSI bytes,
  // "?" where the code page has no character), as 214 answers it (UTF-16),
  // and in UTF-8 for the Unicode window's titles.
  std::vector<std::string> entries_;
  std::vector<std::wstring> wideEntries_;
  std::vector<std::string> utf8Entries_;
  std::vector<std::wstring> wideTitles_;  // as request 213 answers them
  std::vector<std::string> ansiTitles_;   // as request 212 answers them
  std::vector<std::string> ansiNames_, utf8Names_;  // as the title bar shows them
  unsigned long scrollRetitles_ = 0;
  // The settings folder as requests 335 and 1335 answer it; empty: 0.
  std::string iniDirectory_;
  std::wstring wideIniDirectory_;
  std::size_t current_ = 0;
  Playback playback_ = Playback::Stopped;
  // A step may run a modal loop (a plug-in's dialog) that dispatches this
  // window's messages: no other step and no shutdown may run inside it.
  bool busy_ = false;
  bool closeRequested_ = false;
  bool leaving_ = false;
  int exitCode_ = 0;
  unsigned long listPosRequests_ = 0, playlistFileRequests_ = 0, isPlayingRequests_ = 0, otherRequests_ = 0;
  unsigned long widePlaylistFileRequests_ = 0, widePlaylistTitleRequests_ = 0, playlistTitleRequests_ = 0;
  unsigned long iniDirectoryRequests_ = 0, wideIniDirectoryRequests_ = 0;
};

}  // namespace standin
