// The stand-in player's command line: options and the script of steps it plays
// through, free of <windows.h> so that the syntax is checked natively.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <vector>

namespace standin {

enum class StepKind {
  PlayAll, PlayIndex, Pause, Stop, Refresh, Repeat, Song, Config, InitAgain, Wait, Bench, BenchTracks, BenchLatency, Exit
};

struct Step {
  StepKind kind = StepKind::Exit;
  unsigned long number = 0;  // play:N index, wait:MS milliseconds, bench*:N count
  std::string name;          // config:NAME, the plug-in's file name (empty: all);
                             // song:TEXT, the song's title in UTF-8
  std::string text;          // the step as written, for the log
};

struct HostOptions {
  std::string playlist;
  std::string log;
  unsigned long intervalMs = 500;
  unsigned long exitAfterSeconds = 60;
  bool unloadOnInitFailure = false;
  // An older player answers neither IPC_GETPLAYLISTFILEW (214) nor
  // IPC_GETPLAYLISTTITLEW (213); a newer one answers both.
  bool wideRequests = true;
  // The main window a Unicode window, retitled in UTF-16, as newer players
  // have it; else an ANSI window.
  bool unicodeWindow = false;
  // While playing, the window is retitled this often with the same title, as
  // the player does when it scrolls its title; 0: never.
  unsigned long scrollMs = 0;
  // The folder answered to IPC_GETINIDIRECTORY (335), in the ANSI code page;
  // empty: 0, as players before it. Request 1335 (IPC_GETINIDIRECTORYW)
  // answers it in UTF-16, unless iniDirectoryWide (in UTF-8, from the
  // UTF-16 command line, for names the code page cannot hold) says
  // otherwise; empty there too: 0.
  std::string iniDirectory;
  bool iniDirectoryWideGiven = false;
  std::string iniDirectoryWide;
  std::vector<Step> steps;
};

struct ParsedCommandLine {
  HostOptions options;
  std::string error;  // empty when the command line is good
};

// Arguments after the program name, in the ANSI code page; `utf8Args`, when
// there are as many, the same arguments read from the UTF-16 command line.
ParsedCommandLine parseCommandLine(const std::vector<std::string>& args,
                                   const std::vector<std::string>& utf8Args = {});

// "%XX" sequences as the bytes they stand for, the rest as it is; nothing
// when a "%" is not followed by two hex digits.
std::optional<std::string> percentDecoded(const std::string& text);

// One step as written ("play:3"); false when it is not a step.
bool parseStep(const std::string& text, Step& step);

// What "play" stands for: each entry in turn, the interval after each.
std::vector<Step> expandPlayAll(std::size_t entryCount, unsigned long intervalMs);

}  // namespace standin
