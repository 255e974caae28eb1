// The stand-in player's playlist and window title, free of <windows.h> so that
// the M3U reading and title rules are checked natively.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace standin {

// True for a byte that starts a double-byte character in the ANSI code page:
// such a pair may end in 0x5C, which is then not a path separator.
using LeadByteTest = bool (*)(unsigned char);

// The folder part of a path, without its last separator ("" when none).
std::string folderOf(const std::string& path, LeadByteTest isLeadByte);

// The file name without folder and without its last extension.
std::string stemOf(const std::string& path, LeadByteTest isLeadByte);

// Whether an entry is a stream: a URL, two or more letters then "://".
bool isStreamEntry(const std::string& entry);

// An M3U entry as the player keeps it: streams and absolute entries as
// written, relative ones joined to the list's folder, "\x" put on the
// folder's drive.
std::string resolveEntry(const std::string& folder, const std::string& entry);

// Entries of an M3U text (CR LF or LF lines; empty and '#' lines skipped).
std::vector<std::string> parseM3u(const std::string& bytes, const std::string& folder);

// Whether a playlist file holds UTF-8 (an ".m3u8" file) rather than bytes in
// the ANSI code page.
bool isUtf8Playlist(const std::string& path);

// The text after a UTF-8 byte-order mark, or the whole text.
std::string withoutUtf8Mark(const std::string& bytes);

enum class Playback { Playing, Paused, Stopped };

// What the player shows in its title bar: "2. name - Winamp", with
// " [Paused]" while paused and " [Stopped]" while stopped, and "Winamp" when
// there is no such entry. `names` are the entries' titles.
std::string titleFor(const std::vector<std::string>& names, std::size_t index, Playback playback);

}  // namespace standin
