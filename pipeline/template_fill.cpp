#include "pipeline/template_fill.h"

#include <array>

#include "common/text.h"

namespace tavrik {

namespace {

template <typename String>
String escape(const String& text, String (*literal)(const char*)) {
  String escaped = replaceAll(text, literal("&"), literal("&amp;"));
  escaped = replaceAll(escaped, literal("<"), literal("&lt;"));
  escaped = replaceAll(escaped, literal(">"), literal("&gt;"));
  return replaceAll(escaped, literal("\""), literal("&quot;"));
}

std::string bytes(const char* ascii) { return ascii; }

// In the order they are replaced.
constexpr const char* kPlaceholders[] = {"#ARTIST", "#TITLE", "#ALBUM", "#COMMENT", "#GENRE"};
constexpr const char* kRemoved[] = {"\r", "\n", "\t"};

template <typename String>
String literal(const char* ascii);
template <>
std::string literal(const char* ascii) {
  return ascii;
}
template <>
std::u16string literal(const char* ascii) {
  return widenAscii(ascii);
}

template <typename String>
String withoutLineBreaks(String text) {
  for (const char* removed : kRemoved) text = replaceAll(text, literal<String>(removed), String());
  return text;
}

enum class Kind { Markup, MarkupLines, Plain };

// `tags` in the order of the placeholders.
template <typename String>
String fill(const String& content, const std::array<const String*, 5>& tags, Kind kind) {
  auto tag = [&](std::size_t i) { return kind == Kind::Plain ? *tags[i] : escapeMarkup(*tags[i]); };
  // Each pass is linear in its text: a 4 KiB template fills in microseconds,
  // far below what the encoder's messages cost.
  String text = replaceAll(content, literal<String>(kPlaceholders[0]), tag(0));
  for (std::size_t i = 1; i < tags.size(); ++i) {
    text = replaceAll(text, literal<String>(kPlaceholders[i]), tag(i));
  }
  return kind == Kind::Markup ? withoutLineBreaks(std::move(text)) : text;
}

AnsiOrWide fillAs(Kind kind, const AnsiOrWide& content, const TrackTags& tags, CodePage& codePage) {
  const std::array<const AnsiOrWide*, 5> inOrder = {&tags.artist, &tags.title, &tags.album,
                                                    &tags.comment, &tags.genre};
  bool anyWide = content.isWide();
  for (const AnsiOrWide* tag : inOrder) anyWide = anyWide || tag->isWide();
  if (!anyWide) {
    return fill<std::string>(content.ansi(), {&inOrder[0]->ansi(), &inOrder[1]->ansi(), &inOrder[2]->ansi(),
                                              &inOrder[3]->ansi(), &inOrder[4]->ansi()},
                             kind);
  }
  std::array<std::u16string, 5> wide;
  for (std::size_t i = 0; i < wide.size(); ++i) wide[i] = wideOf(*inOrder[i], codePage);
  return fill<std::u16string>(wideOf(content, codePage), {&wide[0], &wide[1], &wide[2], &wide[3], &wide[4]},
                              kind);
}

}  // namespace

std::string oneLine(std::string_view text) { return withoutLineBreaks(std::string(text)); }
std::u16string oneLine(std::u16string_view text) { return withoutLineBreaks(std::u16string(text)); }

std::string escapeMarkup(const std::string& text) { return escape(text, &bytes); }

std::u16string escapeMarkup(const std::u16string& text) { return escape(text, &widenAscii); }

AnsiOrWide fillTemplate(const AnsiOrWide& content, const TrackTags& tags, CodePage& codePage) {
  return fillAs(Kind::Markup, content, tags, codePage);
}

AnsiOrWide fillMarkupTemplate(const AnsiOrWide& content, const TrackTags& tags, CodePage& codePage) {
  return fillAs(Kind::MarkupLines, content, tags, codePage);
}

AnsiOrWide fillPlainTemplate(const AnsiOrWide& content, const TrackTags& tags, CodePage& codePage) {
  return fillAs(Kind::Plain, content, tags, codePage);
}

}  // namespace tavrik
