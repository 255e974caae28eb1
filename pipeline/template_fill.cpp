#include "pipeline/template_fill.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <optional>
#include <string_view>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

// The first eight bytes of a placeholder and which of them count, as one
// little-endian word each: a candidate is checked with one compare.
struct PlaceholderWord {
  std::uint64_t bytes = 0;
  std::uint64_t mask = 0;
};

constexpr PlaceholderWord wordOf(std::string_view placeholder) {
  PlaceholderWord word;
  for (std::size_t i = 0; i < placeholder.size() && i < 8; ++i) {
    word.bytes |= std::uint64_t{static_cast<unsigned char>(placeholder[i])} << (8 * i);
    word.mask |= std::uint64_t{0xFF} << (8 * i);
  }
  return word;
}

constexpr std::array<PlaceholderWord, 5> kPlaceholderWords = {
    wordOf(kPlaceholders[0]), wordOf(kPlaceholders[1]), wordOf(kPlaceholders[2]),
    wordOf(kPlaceholders[3]), wordOf(kPlaceholders[4])};

bool startsWith(std::string_view text, std::size_t at, int k) {
  if (text.size() - at >= 8) {
    std::uint64_t word;
    std::memcpy(&word, text.data() + at, 8);
    return (word & kPlaceholderWords[k].mask) == kPlaceholderWords[k].bytes;
  }
  std::string_view what = kPlaceholders[k];
  return text.size() - at >= what.size() && text.compare(at, what.size(), what) == 0;
}

// Which placeholder starts at `at` (a '#'), if any.
int placeholderAt(std::string_view text, std::size_t at) {
  if (at + 1 >= text.size()) return -1;
  switch (text[at + 1]) {
    case 'A':
      if (startsWith(text, at, 0)) return 0;
      if (startsWith(text, at, 2)) return 2;
      return -1;
    case 'T': return startsWith(text, at, 1) ? 1 : -1;
    case 'C': return startsWith(text, at, 3) ? 3 : -1;
    case 'G': return startsWith(text, at, 4) ? 4 : -1;
    default: return -1;
  }
}

// A growing output that is written through a pointer, eight bytes at a time.
class Output {
 public:
  explicit Output(std::size_t expected) : text_(expected + 64, '\0'), at_(text_.data()) {}
  // Room for `count` more bytes.
  char* reserve(std::size_t count) {
    std::size_t used = static_cast<std::size_t>(at_ - text_.data());
    if (text_.size() - used < count) {
      text_.resize(std::max(text_.size() * 2, used + count + 64));
      at_ = text_.data() + used;
    }
    return at_;
  }
  void advance(std::size_t count) { at_ += count; }
  std::string finish() {
    text_.resize(static_cast<std::size_t>(at_ - text_.data()));
    return std::move(text_);
  }

 private:
  std::string text_;
  char* at_;
};

// A nonzero mask whose lowest set bit lies in the first byte of `word`
// (little-endian) that is one of `patterns`.
std::uint64_t specialBytes(std::uint64_t word, const std::array<std::uint64_t, 4>& patterns) {
  std::uint64_t any = 0;
  for (std::uint64_t pattern : patterns) {
    std::uint64_t x = word ^ pattern;
    any |= (x - 0x0101010101010101ull) & ~x;
  }
  return any & 0x8080808080808080ull;
}

// One left-to-right scan that gives the same text as the five passes, as
// long as no pass can find a placeholder that an earlier one put together:
// none of the values holds a '#', and no stray '#' stands close enough before
// a placeholder to join with the value that replaces it ("#TI" + "#ARTIST"
// with the artist "TLE" would make a "#TITLE"). Otherwise nothing.
//
// Sixteen (with SSE2) or eight bytes are checked at a time for '#', CR, LF
// and TAB, and copied as one when they hold none of them.
std::optional<std::string> fillInOneScan(const std::string& content,
                                         std::array<std::string, 5> values) {
  std::array<std::size_t, 5> lengths{};
  for (std::size_t k = 0; k < values.size(); ++k) {
    if (values[k].find('#') != std::string::npos) return std::nullopt;
    removeBytes(values[k], kRemoved);
    // Sixteen spare bytes let short values go out as one 16-byte copy.
    lengths[k] = values[k].size();
    values[k].append(16, '\0');
  }
  constexpr auto spread = [](unsigned char c) { return 0x0101010101010101ull * c; };
  const std::array<std::uint64_t, 4> patterns = {spread('#'), spread('\r'), spread('\n'),
                                                 spread('\t')};
  Output out(content.size());
  const char* data = content.data();
  const std::size_t size = content.size();
  std::size_t at = 0;
  std::size_t lastStray = std::string::npos;
  auto special = [&](std::size_t hash) -> bool {  // handles the byte at `hash`; false: give up
    char c = data[hash];
    if (c != '#') {
      at = hash + 1;  // CR, LF or TAB: dropped
      return true;
    }
    int k = placeholderAt(content, hash);
    if (k < 0) {
      lastStray = hash;
      *out.reserve(1) = '#';
      out.advance(1);
      at = hash + 1;
      return true;
    }
    if (lastStray != std::string::npos && hash - lastStray <= kMaxPlaceholderTail) return false;
    const std::size_t length = lengths[k];
    char* to = out.reserve(length + 16);
    if (length <= 16) {
      std::memcpy(to, values[k].data(), 16);
    } else {
      std::memcpy(to, values[k].data(), length);
    }
    out.advance(length);
    at = hash + kPlaceholders[k].size();
    return true;
  };
#if defined(__SSE2__)
  // Sixteen bytes at a time where the processor has SSE2 (every x86-64).
  const __m128i hashes = _mm_set1_epi8('#'), crs = _mm_set1_epi8('\r');
  const __m128i lfs = _mm_set1_epi8('\n'), tabs = _mm_set1_epi8('\t');
  while (size - at >= 16) {
    __m128i block = _mm_loadu_si128(reinterpret_cast<const __m128i*>(data + at));
    __m128i hits = _mm_or_si128(
        _mm_or_si128(_mm_cmpeq_epi8(block, hashes), _mm_cmpeq_epi8(block, crs)),
        _mm_or_si128(_mm_cmpeq_epi8(block, lfs), _mm_cmpeq_epi8(block, tabs)));
    unsigned mask = static_cast<unsigned>(_mm_movemask_epi8(hits));
    _mm_storeu_si128(reinterpret_cast<__m128i*>(out.reserve(16)), block);
    if (mask == 0) {
      out.advance(16);
      at += 16;
      continue;
    }
    std::size_t plain = static_cast<std::size_t>(__builtin_ctz(mask));
    out.advance(plain);
    if (!special(at + plain)) return std::nullopt;
  }
#endif
  while (size - at >= 8) {
    std::uint64_t word;
    std::memcpy(&word, data + at, 8);
    std::uint64_t mask = specialBytes(word, patterns);
    std::memcpy(out.reserve(8), &word, 8);
    if (mask == 0) {
      out.advance(8);
      at += 8;
      continue;
    }
    std::size_t plain = static_cast<std::size_t>(__builtin_ctzll(mask)) / 8;
    out.advance(plain);
    if (!special(at + plain)) return std::nullopt;
  }
  while (at < size) {
    char c = data[at];
    if (c == '#' || c == '\r' || c == '\n' || c == '\t') {
      if (!special(at)) return std::nullopt;
    } else {
      *out.reserve(1) = c;
      out.advance(1);
      ++at;
    }
  }
  return out.finish();
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
