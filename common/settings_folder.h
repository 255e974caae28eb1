// The settings folder: where the host keeps its users' settings, when that is
// not its own folder. A player installed under Program Files keeps them in
// the user's profile (%APPDATA%\Winamp, as its paths.ini says), where a
// standard user may write; the plug-in's files then live below it as they
// live below the host's folder ("Plugins\gen_tavrik.cfg").
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "common/code_page.h"
#include "common/host_folder.h"
#include "common/module_services.h"

namespace tavrik {

// The folder with its trailing backslash; nothing when the host names none.
using SettingsFolder = std::optional<std::u16string>;

// Asks the host once: IPC_GETINIDIRECTORYW, then IPC_GETINIDIRECTORY when that
// answers nothing. Nothing when it answers neither, or names its own folder
// (a player that keeps its settings beside itself: the files stay where they
// always were), or names no full path of a folder: a relative path would
// depend on the current folder, and a "?" stands where the ANSI code page
// lacked a character of the name.
SettingsFolder askSettingsFolder(ModuleServices& services, CodePage& codePage);

// Whether two full paths name the same folder, as Windows compares names:
// slashes as backslashes, trailing ones ignored, ASCII letters in either case.
bool sameFolder(std::u16string_view a, std::u16string_view b);

// `folder` followed by `relativeName`; nothing when that does not fit 259
// units (a truncated path would name some other file).
std::optional<std::u16string> joinSettingsFolder(const std::u16string& folder, std::u16string_view relativeName);

// The host's text up to its NUL, read no further than a path may be long:
// empty for null, and for a text with no NUL among its first 260 bytes or
// units, which names no folder a file of ours could fit in.
template <class Char>
std::basic_string<Char> copyOfHostText(const Char* text) {
  constexpr std::size_t limit = sizeof(Char) == 1 ? kMaxPathBytes : kMaxPathUnits;
  if (!text) return {};
  for (std::size_t length = 0; length < limit; ++length) {
    if (text[length] == Char(0)) return std::basic_string<Char>(text, length);
  }
  return {};
}

}  // namespace tavrik
