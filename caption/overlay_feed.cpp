#include "caption/overlay_feed.h"

#include "common/unicode_codec.h"
#include "pipeline/template_fill.h"
#include "pipeline/template_renderer.h"

namespace tavrik {

namespace {

// A stylesheet is a page's worth of rules; anything larger is no stylesheet
// of the user's and is not served.
constexpr std::size_t kMaxStylesheetBytes = 1024 * 1024;

std::string utf8Of(const AnsiOrWide& text, CodePage& codePage) { return encodeUtf8(wideOf(text, codePage)); }

bool sameShown(OverlayCaption a, const OverlayCaption& b) {
  a.changedMs = b.changedMs;
  return a == b;
}

// FNV-1a over the bytes, 16 hex digits: a name for a picture's content.
std::string contentName(const std::string& bytes) {
  std::uint64_t hash = 14695981039346656037ull;
  for (unsigned char byte : bytes) hash = (hash ^ byte) * 1099511628211ull;
  static const char digits[] = "0123456789abcdef";
  std::string name(16, '0');
  for (int i = 15; i >= 0; --i, hash >>= 4) name[i] = digits[hash & 15];
  return name;
}

std::int64_t millisecondsSince1970() {
  using namespace std::chrono;
  return duration_cast<milliseconds>(system_clock::now().time_since_epoch()).count();
}

}  // namespace

std::optional<OverlayFeed::Clock::time_point> OverlayFeed::dueAt() const {
  if (state_.revision() != seenRevision_) return Clock::time_point::min();
  return timer_.hideAt();
}

void OverlayFeed::addCover(const CaptionToShow& wish, OverlayCaption& caption) {
  caption.showsCover = true;
  if (wish.idle || !wish.track || !wish.track->cover) return;
  const std::shared_ptr<const CoverPicture>& picture = wish.track->cover;
  // The address names the bytes: the next track of the same album keeps
  // it, and nothing reloads; a player started again gives the same names.
  if (!cover_ || !(*cover_ == *picture)) coverUrl_ = "/cover?" + contentName(picture->bytes);
  cover_ = picture;
  caption.cover = picture;
  caption.coverUrl = coverUrl_;
}

OverlayCaption OverlayFeed::captionOf(const CaptionToShow& wish) {
  OverlayCaption caption;
  caption.state = wish.playback == Playback::Stopped  ? OverlayState::stopped
                  : wish.playback == Playback::Paused ? OverlayState::paused
                                                      : OverlayState::playing;
  if (wish.settings.overlay.showsCover()) addCover(wish, caption);
  if (wish.idle) {
    caption.html = utf8Of(idleText(files_, wish.settings.idleTemplate), codePage_);
    return caption;
  }
  if (!wish.track) return caption;
  const TrackTags& tags = wish.track->tags;
  caption.title = utf8Of(tags.title, codePage_);
  caption.artist = utf8Of(tags.artist, codePage_);
  caption.album = utf8Of(tags.album, codePage_);
  caption.comment = utf8Of(tags.comment, codePage_);
  caption.genre = utf8Of(tags.genre, codePage_);
  const AnsiOrWide& pageTemplate = wish.settings.overlay.htmlTemplate;
  if (pageTemplate.empty()) {
    caption.html = utf8Of(wish.track->text, codePage_);
  } else {
    std::optional<AnsiOrWide> content = readTemplateFile(files_, pageTemplate);
    caption.html = content ? utf8Of(fillMarkupTemplate(*content, tags, codePage_), codePage_) : std::string();
  }
  return caption;
}

std::string OverlayFeed::stylesheet(const AnsiOrWide& path) {
  if (path.empty()) return {};
  std::unique_ptr<InputFile> file =
      path.isWide() ? files_.openExclusive(path.wide()) : files_.openExclusive(path.ansi());
  if (!file) return {};
  // As it stands, bytes and all: the page takes it as UTF-8.
  std::string bytes;
  char buffer[16384];
  while (std::size_t got = file->read(buffer, sizeof buffer)) {
    bytes.append(buffer, got);
    if (bytes.size() > kMaxStylesheetBytes) return {};
  }
  return bytes;
}

void OverlayFeed::perform(Clock::time_point now) {
  const CaptionToShow wish = state_.toShow();
  seenRevision_ = wish.revision;
  // Off means no socket and no thread: the server sees to that. A port
  // that was taken is tried again here.
  const std::uint16_t port = wish.settings.overlay.portNumber().value_or(0);
  server_.configure(port);
  if (port == 0) {
    shown_.reset();
    timer_.reset();
    return;
  }
  OverlayCaption caption = captionOf(wish);
  const std::string css = stylesheet(wish.settings.overlay.style);
  if (!shown_ || !sameShown(caption, *shown_)) {
    caption.changedMs = millisecondsSince1970();
    shown_ = caption;
    timer_.changed(now, wish.settings.overlay.showForSeconds());
    server_.publish(caption, css);
    return;
  }
  if (timer_.hidesNow(now)) {
    OverlayCaption hidden = *shown_;
    hidden.state = OverlayState::hidden;
    hidden.changedMs = millisecondsSince1970();
    server_.publish(hidden, css);
  }
}

}  // namespace tavrik
