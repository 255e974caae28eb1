// The record the host reads from the plug-in: its layout is the host's, seven
// 32-bit fields on the 32-bit host.
#pragma once

#include <windows.h>

#include <cstddef>

namespace tavrik {

struct PluginDescriptor {
  int version;              // the interface version, 0x10
  const char* description;  // shown in the host's plug-in list
  int(__cdecl* init)();
  void(__cdecl* config)();
  void(__cdecl* quit)();
  HWND hwndParent;          // written by the host before init: its main window
  HINSTANCE hDllInstance;   // written by the host before init: this module
};

#if !defined(_WIN64)
static_assert(sizeof(PluginDescriptor) == 28, "the host reads seven 32-bit fields");
static_assert(offsetof(PluginDescriptor, version) == 0);
static_assert(offsetof(PluginDescriptor, description) == 4);
static_assert(offsetof(PluginDescriptor, init) == 8);
static_assert(offsetof(PluginDescriptor, config) == 12);
static_assert(offsetof(PluginDescriptor, quit) == 16);
static_assert(offsetof(PluginDescriptor, hwndParent) == 20);
static_assert(offsetof(PluginDescriptor, hDllInstance) == 24);
#endif

inline constexpr int kPluginInterfaceVersion = 0x10;

}  // namespace tavrik
