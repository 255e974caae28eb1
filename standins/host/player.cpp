#include "player.h"

#include "bench_harness.h"
#include "gen_interface.h"
#include "owners.h"
#include "playlist.h"

namespace standin {

namespace {

bool isLeadByte(unsigned char c) { return IsDBCSLeadByte(c) != FALSE; }
bool noLeadByte(unsigned char) { return false; }

std::wstring toWide(UINT codePage, const std::string& text) {
  int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length > 0 ? length : 0), L'\0');
  if (length > 0) MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

// As a player converts: characters the code page lacks become "?" (or a
// look-alike).
std::string fromWide(UINT codePage, const std::wstring& wide) {
  int length = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                   nullptr);
  std::string text(static_cast<std::size_t>(length > 0 ? length : 0), '\0');
  if (length > 0) {
    WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr,
                        nullptr);
  }
  return text;
}

}  // namespace

Player::Player(HostOptions options, HostLog& log)
    : options_(std::move(options)),
      log_(log),
      plugins_(log),
      script_(options_.steps, options_.intervalMs, log),
      iniDirectory_(options_.iniDirectory),
      wideIniDirectory_(options_.iniDirectoryWideGiven ? toWide(CP_UTF8, options_.iniDirectoryWide)
                                                       : toWide(CP_ACP, options_.iniDirectory)) {}

bool Player::loadPlaylist() {
  if (options_.playlist.empty()) {
    log_.line("playlist none entries=0");
    return true;
  }
  char full[MAX_PATH * 2];
  DWORD length = GetFullPathNameA(options_.playlist.c_str(), sizeof full, full, nullptr);
  if (length == 0 || length >= sizeof full) {
    log_.line("error playlist path " + options_.playlist);
    return false;
  }
  OwnedFile file(CreateFileA(full, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                             FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    log_.line("error cannot open playlist " + std::string(full));
    return false;
  }
  std::string bytes;
  char buffer[4096];
  DWORD got = 0;
  while (ReadFile(file.get(), buffer, sizeof buffer, &got, nullptr) && got > 0)
    bytes.append(buffer, got);
  std::string folder = folderOf(full, isLeadByte);
  if (isUtf8Playlist(full)) {
    utf8Entries_ = parseM3u(withoutUtf8Mark(bytes), fromWide(CP_UTF8, toWide(CP_ACP, folder)));
    for (const std::string& entry : utf8Entries_) wideEntries_.push_back(toWide(CP_UTF8, entry));
    for (const std::wstring& entry : wideEntries_) entries_.push_back(fromWide(CP_ACP, entry));
  } else {
    entries_ = parseM3u(bytes, folder);
    for (const std::string& entry : entries_) wideEntries_.push_back(toWide(CP_ACP, entry));
    for (const std::wstring& entry : wideEntries_) utf8Entries_.push_back(fromWide(CP_UTF8, entry));
  }
  wideTitles_.resize(entries_.size());
  ansiTitles_.resize(entries_.size());
  ansiNames_.resize(entries_.size());
  utf8Names_.resize(entries_.size());
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    setEntryTitle(i, isStreamEntry(entries_[i]) ? std::wstring() : toWide(CP_UTF8, stemOf(utf8Entries_[i], noLeadByte)));
  }
  log_.line("playlist " + std::string(full) + " entries=" + std::to_string(entries_.size()));
  for (std::size_t i = 0; i < entries_.size(); ++i)
    log_.line("entry " + std::to_string(i) + " " + entries_[i]);
  return true;
}

void Player::setEntryTitle(std::size_t index, const std::wstring& title) {
  wideTitles_[index] = title;
  ansiTitles_[index] = fromWide(CP_ACP, title);
  if (isStreamEntry(entries_[index])) {
    ansiNames_[index] = title.empty() ? entries_[index] : ansiTitles_[index];
    utf8Names_[index] = title.empty() ? utf8Entries_[index] : fromWide(CP_UTF8, title);
  } else {
    ansiNames_[index] = stemOf(entries_[index], isLeadByte);
    utf8Names_[index] = stemOf(utf8Entries_[index], noLeadByte);
  }
}

void Player::loadPluginsAndStartScript() {
  busy_ = true;
  plugins_.loadAll(executableFolder() + "\\Plugins", window_, options_.unloadOnInitFailure);
  busy_ = false;
  if (closeRequested_)
    leave();
  else
    schedule(0);
}

LRESULT Player::answerRequest(WPARAM wParam, LPARAM lParam) {
  if (lParam == kIpcIsPlaying) {
    ++isPlayingRequests_;
    return playback_ == Playback::Playing ? 1 : playback_ == Playback::Paused ? 3 : 0;
  }
  if (lParam == kIpcGetListPos) {
    ++listPosRequests_;
    return static_cast<LRESULT>(current_);
  }
  if (lParam == kIpcGetPlaylistFile) {
    ++playlistFileRequests_;
    // The text stays ours and unchanged while the playlist does.
    return wParam < entries_.size() ? reinterpret_cast<LRESULT>(entries_[wParam].c_str()) : 0;
  }
  if (lParam == kIpcGetPlaylistFileW && options_.wideRequests) {
    ++widePlaylistFileRequests_;
    return wParam < wideEntries_.size() ? reinterpret_cast<LRESULT>(wideEntries_[wParam].c_str()) : 0;
  }
  if (lParam == kIpcGetPlaylistTitleW && options_.wideRequests) {
    ++widePlaylistTitleRequests_;
    return wParam < wideTitles_.size() ? reinterpret_cast<LRESULT>(wideTitles_[wParam].c_str()) : 0;
  }
  if (lParam == kIpcGetPlaylistTitle) {
    ++playlistTitleRequests_;
    return wParam < ansiTitles_.size() ? reinterpret_cast<LRESULT>(ansiTitles_[wParam].c_str()) : 0;
  }
  if (lParam == kIpcGetIniDirectory) {
    ++iniDirectoryRequests_;
    return iniDirectory_.empty() ? 0 : reinterpret_cast<LRESULT>(iniDirectory_.c_str());
  }
  if (lParam == kIpcGetIniDirectoryW) {
    ++wideIniDirectoryRequests_;
    return wideIniDirectory_.empty() ? 0 : reinterpret_cast<LRESULT>(wideIniDirectory_.c_str());
  }
  ++otherRequests_;
  return 0;
}

void Player::schedule(unsigned long delayMs) {
  SetTimer(window_, kScriptTimer, delayMs < USER_TIMER_MINIMUM ? USER_TIMER_MINIMUM : delayMs,
           nullptr);
}

void Player::onScriptTimer() {
  KillTimer(window_, kScriptTimer);
  if (busy_ || leaving_) return;
  busy_ = true;
  std::optional<unsigned long> delayMs = script_.runNextStep(*this);
  busy_ = false;
  if (closeRequested_) {
    leave();
  } else if (delayMs) {
    schedule(*delayMs);
  }
}

void Player::playEntry(unsigned long index) {
  if (index >= entries_.size()) {
    log_.line("error no entry " + std::to_string(index) + ", the playlist has " +
              std::to_string(entries_.size()));
    return;
  }
  current_ = index;
  playback_ = Playback::Playing;
  log_.line("track " + std::to_string(current_) + " " + entries_[current_]);
  retitle();
}

void Player::togglePause() {
  // As the player's own button: a stopped player has nothing to pause.
  if (playback_ == Playback::Stopped) {
    log_.line("error nothing to pause, the player is stopped");
    return;
  }
  playback_ = playback_ == Playback::Paused ? Playback::Playing : Playback::Paused;
  retitle();
}

void Player::stop() {
  playback_ = Playback::Stopped;
  retitle();
}

void Player::refresh() { retitle(); }

void Player::repeat() {
  playback_ = Playback::Playing;
  if (current_ < entries_.size())
    log_.line("repeat " + std::to_string(current_) + " " + entries_[current_]);
  retitle();
}

void Player::songChange(const std::string& utf8Title) {
  if (current_ >= entries_.size() || !isStreamEntry(entries_[current_])) {
    log_.line("error song: the current entry is no stream");
    return;
  }
  setEntryTitle(current_, toWide(CP_UTF8, utf8Title));
  log_.line("song " + std::to_string(current_) + " " + utf8Title);
  retitle();
}

void Player::onScrollTimer() {
  // Scrolling retitles a playing player with the title it already has.
  if (playback_ != Playback::Playing || leaving_) return;
  ++scrollRetitles_;
  setWindowTitle();
}

std::string Player::title() const { return titleFor(ansiNames_, current_, playback_); }

void Player::setWindowTitle() {
  if (options_.unicodeWindow) {
    SetWindowTextW(window_, toWide(CP_UTF8, titleFor(utf8Names_, current_, playback_)).c_str());
  } else {
    SetWindowTextA(window_, title().c_str());
  }
}

void Player::retitle() {
  log_.line("retitle " + std::to_string(current_) + " " + title());
  setWindowTitle();
  if (!options_.unicodeWindow) return;
  // The Unicode window says what it then shows.
  std::wstring shown(static_cast<std::size_t>(GetWindowTextLengthW(window_)) + 1, L'\0');
  shown.resize(static_cast<std::size_t>(GetWindowTextW(window_, shown.data(), static_cast<int>(shown.size()))));
  log_.line("shown " + std::to_string(current_) + " " + fromWide(CP_UTF8, shown));
}

void Player::benchRetitles(unsigned long count) {
  // The current entry plays; once untimed, so that a plug-in has seen this
  // track before the timing.
  playback_ = Playback::Playing;
  retitle();
  log_.line(standin::benchRetitles(window_, title(), count));
}

void Player::benchTrackChanges(unsigned long count) {
  if (entries_.size() < 2) {
    log_.line("error bench-tracks needs two entries");
    return;
  }
  log_.line(standin::benchTrackChanges(window_, nextTrackTitle(), count));
}

void Player::benchLatency(unsigned long count, unsigned long intervalMs) {
  if (entries_.size() < 2) {
    log_.line("error bench-latency needs two entries");
    return;
  }
  standin::benchLatency(window_, nextTrackTitle(), count, intervalMs,
                        [this](const std::string& line) { log_.line(line); });
}

std::function<std::string()> Player::nextTrackTitle() {
  return [this] {
    current_ = (current_ + 1) % entries_.size();
    playback_ = Playback::Playing;
    return title();
  };
}

}  // namespace standin
