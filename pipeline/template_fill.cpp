#include "pipeline/template_fill.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <optional>
#include <string_view>

#include "common/text.h"
#include "pipeline/template_renderer.h"

namespace tavrik {

namespace {

constexpr std::array<std::string_view, 5> kPlaceholders = {"#ARTIST", "#TITLE", "#ALBUM",
                                                           "#COMMENT", "#GENRE"};
// The longest placeholder less its '#'.
constexpr std::size_t kMaxPlaceholderTail = 7;
constexpr std::string_view kRemoved = "\r\n\t";

std::array<std::string, 5> escapedValues(const TrackTags& tags) {
  return {escapeMarkup(tags.artist), escapeMarkup(tags.title), escapeMarkup(tags.album),
          escapeMarkup(tags.comment), escapeMarkup(tags.genre)};
}

bool startsWith(std::string_view text, std::size_t at, std::string_view what) {
  return text.size() - at >= what.size() && std::memcmp(text.data() + at, what.data(), what.size()) == 0;
}

// Which placeholder starts at `at` (a '#'), if any.
int placeholderAt(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size()) return -1;
  switch (text[at + 1]) {
    case 'A':
      if (startsWith(text, at, kPlaceholders[0])) return 0;
      if (startsWith(text, at, kPlaceholders[2])) return 2;
      return -1;
    case 'T': return startsWith(text, at, kPlaceholders[1]) ? 1 : -1;
    case 'C': return startsWith(text, at, kPlaceholders[3]) ? 3 : -1;
    case 'G': return startsWith(text, at, kPlaceholders[4]) ? 4 : -1;
    default: return -1;
  }
}

// One left-to-right scan that gives the same text as the five passes, as
// long as no pass can find a placeholder that an earlier one put together:
// none of the values holds a '#', and no stray '#' stands close enough before
// a placeholder to join with the value that replaces it ("#TI" + "#ARTIST"
// with the artist "TLE" would make a "#TITLE"). Otherwise nothing.
std::optional<std::string> fillInOneScan(const std::string& content,
                                         std::array<std::string, 5> values) {
  const ByteRemover flatten(kRemoved);
  std::size_t longest = 0;
  for (std::string& value : values) {
    if (value.find('#') != std::string::npos) return std::nullopt;
    flatten.removeFrom(value);
    longest = std::max(longest, value.size());
  }
  std::string out;
  out.reserve(content.size() + content.size() / 8 * (longest > 7 ? longest - 5 : 1));
  const char* data = content.data();
  const std::size_t size = content.size();
  std::size_t done = 0;
  std::size_t lastStray = std::string::npos;
  for (;;) {
    const void* found = std::memchr(data + done, '#', size - done);
    std::size_t hash = found ? static_cast<const char*>(found) - data : size;
    std::size_t start = out.size();
    out.append(data + done, hash - done);
    flatten.removeFrom(out, start);
    if (hash == size) return out;
    int k = placeholderAt(content, hash);
    if (k < 0) {
      lastStray = hash;
      out.push_back('#');
      done = hash + 1;
      continue;
    }
    if (lastStray != std::string::npos && hash - lastStray <= kMaxPlaceholderTail) {
      return std::nullopt;
    }
    out.append(values[k]);
    done = hash + kPlaceholders[k].size();
  }
}

}  // namespace

std::string fillTemplateByPasses(const std::string& content, const TrackTags& tags) {
  std::array<std::string, 5> values = escapedValues(tags);
  std::string text = content;
  for (std::size_t k = 0; k < kPlaceholders.size(); ++k) {
    text = replaceAll(text, kPlaceholders[k], values[k]);
  }
  removeBytes(text, kRemoved);
  return text;
}

std::string fillTemplate(const std::string& content, const TrackTags& tags) {
  if (auto scanned = fillInOneScan(content, escapedValues(tags))) return std::move(*scanned);
  return fillTemplateByPasses(content, tags);
}

}  // namespace tavrik
