// The general-purpose plug-in interface as the player declares it: the record
// a plug-in exports, seven fields, 32 bits each on the 32-bit player.
#pragma once

#include <windows.h>

#include <cstddef>

namespace standin {

struct GeneralPurposePlugin {
  int version;
  const char* description;
  int(__cdecl* init)();
  void(__cdecl* config)();
  void(__cdecl* quit)();
  HWND hwndParent;        // the player's main window, filled in before init
  HINSTANCE hDllInstance;  // the plug-in's module, filled in before init
};

#if !defined(_WIN64)
static_assert(sizeof(GeneralPurposePlugin) == 28, "seven 32-bit fields");
static_assert(offsetof(GeneralPurposePlugin, hwndParent) == 20);
static_assert(offsetof(GeneralPurposePlugin, hDllInstance) == 24);
#endif

using GetGeneralPurposePlugin = GeneralPurposePlugin*(__cdecl*)();
inline constexpr const char kPluginExport[] = "winampGetGeneralPurposePlugin";

// Window requests: WM_USER with the request number in lParam.
inline constexpr LPARAM kIpcIsPlaying = 104;  // 1 playing, 3 paused, 0 stopped
inline constexpr LPARAM kIpcGetListPos = 125;
inline constexpr LPARAM kIpcGetPlaylistFile = 211;
inline constexpr LPARAM kIpcGetPlaylistTitle = 212;  // the entry's title, ANSI
// Newer players: the entry's title and path as UTF-16.
inline constexpr LPARAM kIpcGetPlaylistTitleW = 213;
inline constexpr LPARAM kIpcGetPlaylistFileW = 214;
// The folder the player keeps its settings in (2.9 on), and in UTF-16.
inline constexpr LPARAM kIpcGetIniDirectory = 335;
inline constexpr LPARAM kIpcGetIniDirectoryW = 1335;

}  // namespace standin
