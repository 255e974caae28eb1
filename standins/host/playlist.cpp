#include "playlist.h"

namespace standin {

namespace {

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Position of the last separator, stepping over double-byte characters.
std::string::size_type lastSeparator(const std::string& path, LeadByteTest isLeadByte) {
  std::string::size_type found = std::string::npos;
  for (std::string::size_type i = 0; i < path.size(); ++i) {
    if (isLeadByte(static_cast<unsigned char>(path[i])) && i + 1 < path.size()) {
      ++i;
      continue;
    }
    if (isSeparator(path[i])) found = i;
  }
  return found;
}

bool hasDrive(const std::string& path) {
  return path.size() >= 2 && path[1] == ':' &&
         ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z'));
}

}  // namespace

std::string folderOf(const std::string& path, LeadByteTest isLeadByte) {
  auto at = lastSeparator(path, isLeadByte);
  return at == std::string::npos ? std::string() : path.substr(0, at);
}

std::string stemOf(const std::string& path, LeadByteTest isLeadByte) {
  auto at = lastSeparator(path, isLeadByte);
  std::string name = at == std::string::npos ? path : path.substr(at + 1);
  // '.' is never a trail byte in the double-byte code pages.
  auto dot = name.rfind('.');
  return dot == std::string::npos || dot == 0 ? name : name.substr(0, dot);
}

bool isStreamEntry(const std::string& entry) {
  std::size_t letters = 0;
  while (letters < entry.size() && ((entry[letters] >= 'a' && entry[letters] <= 'z') ||
                                    (entry[letters] >= 'A' && entry[letters] <= 'Z')))
    ++letters;
  return letters >= 2 && entry.compare(letters, 3, "://") == 0;
}

std::string resolveEntry(const std::string& folder, const std::string& entry) {
  if (hasDrive(entry) || isStreamEntry(entry)) return entry;
  if (!entry.empty() && isSeparator(entry[0])) {
    // "\\server\x" is absolute; "\x" is on the list's drive.
    if (entry.size() > 1 && isSeparator(entry[1])) return entry;
    return hasDrive(folder) ? folder.substr(0, 2) + entry : entry;
  }
  if (folder.empty()) return entry;
  return folder + "\\" + entry;
}

std::vector<std::string> parseM3u(const std::string& bytes, const std::string& folder) {
  std::vector<std::string> entries;
  std::string::size_type start = 0;
  while (start < bytes.size()) {
    auto end = bytes.find('\n', start);
    if (end == std::string::npos) end = bytes.size();
    std::string line = bytes.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (!line.empty() && line[0] != '#') entries.push_back(resolveEntry(folder, line));
    start = end + 1;
  }
  return entries;
}

bool isUtf8Playlist(const std::string& path) {
  const std::string suffix = ".m3u8";
  if (path.size() < suffix.size()) return false;
  for (std::size_t i = 0; i < suffix.size(); ++i) {
    char c = path[path.size() - suffix.size() + i];
    if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    if (c != suffix[i]) return false;
  }
  return true;
}

std::string withoutUtf8Mark(const std::string& bytes) {
  return bytes.rfind("\xEF\xBB\xBF", 0) == 0 ? bytes.substr(3) : bytes;
}

std::string titleFor(const std::vector<std::string>& names, std::size_t index, Playback playback) {
  if (index >= names.size()) return "Winamp";
  std::string title = std::to_string(index + 1) + ". " + names[index] + " - Winamp";
  if (playback == Playback::Paused) title += " [Paused]";
  if (playback == Playback::Stopped) title += " [Stopped]";
  return title;
}

}  // namespace standin
