#include "pipeline/title_change_handler.h"

#include <type_traits>

#include "common/ascii.h"
#include "common/unicode_codec.h"

namespace tavrik {

namespace {
// Windows paths hold at most 32767 units: an answer without its terminator
// that far is cut there, and then names no file. No title comes near it.
constexpr std::size_t kLongestWideText = 32768;

template <typename Char>
bool startsWithScheme(const std::basic_string<Char>& path) {
  std::size_t letters = 0;
  while (letters < path.size() && isAsciiLetter(static_cast<std::make_unsigned_t<Char>>(path[letters]))) ++letters;
  return letters >= 2 && path.compare(letters, 3, std::basic_string<Char>{':', '/', '/'}) == 0;
}
}  // namespace

bool isStreamUrl(const AnsiOrWide& path) {
  return path.isWide() ? startsWithScheme(path.wide()) : startsWithScheme(path.ansi());
}

AnsiOrWide TitleChangeHandler::entryPath(std::intptr_t index) {
  // The path as the host has it, not cleaned up in any way: it must name the
  // same file.
  if (const char16_t* wide = host_.playlistFileWide(index)) return copyWideText(wide, kLongestWideText);
  const char* answer = host_.playlistFile(index);
  return std::string(answer ? answer : "");
}

AnsiOrWide TitleChangeHandler::entryTitle(std::intptr_t index) {
  if (const char16_t* wide = host_.playlistTitleWide(index)) return copyWideText(wide, kLongestWideText);
  const char* answer = host_.playlistTitle(index);
  return std::string(answer ? answer : "");
}

TitleChange TitleChangeHandler::onTitleChange(bool wantsPlaybackStatus) {
  TitleChange change;
  std::intptr_t index = host_.currentListPosition();
  AnsiOrWide path = entryPath(index);
  if (isStreamUrl(path)) {
    // The songs of a stream change under one path: its title tells them apart.
    AnsiOrWide title = entryTitle(index);
    if (path != lastFilePath_ || lastStreamTitle_ != title) {
      lastFilePath_ = path;
      lastStreamTitle_ = title;
      if (!title.empty()) change.track = TrackRequest{std::move(path), std::move(title)};
    }
  } else if (path != lastFilePath_) {
    lastFilePath_ = path;
    lastStreamTitle_.reset();
    change.track = TrackRequest{std::move(path), std::nullopt};
  }
  // Stop and pause retitle the host on the same track: only its state tells.
  if (wantsPlaybackStatus) change.playbackStatus = playbackNow().playbackStatus;
  return change;
}

TitleChange TitleChangeHandler::playbackNow() { return TitleChange{std::nullopt, host_.playbackStatus()}; }

}  // namespace tavrik
