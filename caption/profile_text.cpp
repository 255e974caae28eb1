#include "caption/profile_text.h"

#include "common/ascii.h"

#include <vector>

namespace tavrik {

namespace {

template <typename Char>
using View = std::basic_string_view<Char>;

// The blanks the profile functions skip; 0x1A (Ctrl-Z) among them.
template <typename Char>
bool isBlank(Char c) {
  return c == ' ' || c == '\t' || c == '\r' || c == '\v' || c == '\f' || c == 0x1A;
}

template <typename Char>
View<Char> trimmed(View<Char> text) {
  while (!text.empty() && isBlank(text.front())) text.remove_prefix(1);
  while (!text.empty() && isBlank(text.back())) text.remove_suffix(1);
  return text;
}

template <typename Char>
bool sameName(View<Char> text, std::string_view ascii) {
  return equalsIgnoringAsciiCase(text, ascii);
}

// One line of the text: where it starts, where its content ends (before its
// LF) and where the next one starts.
template <typename Char>
struct Line {
  std::size_t begin, end, next;
  View<Char> content;  // without blanks at either end
  bool isSection() const { return !content.empty() && content.front() == '[' && content.find(']') != View<Char>::npos; }
  View<Char> sectionName() const { return content.substr(1, content.rfind(']') - 1); }
  View<Char> key() const { return trimmed(content.substr(0, content.find('='))); }
};

template <typename Char>
std::vector<Line<Char>> linesOf(View<Char> text) {
  std::vector<Line<Char>> lines;
  for (std::size_t begin = 0; begin < text.size();) {
    std::size_t lf = text.find(Char('\n'), begin);
    std::size_t end = lf == View<Char>::npos ? text.size() : lf;
    std::size_t next = lf == View<Char>::npos ? text.size() : lf + 1;
    lines.push_back({begin, end, next, trimmed(text.substr(begin, end - begin))});
    begin = next;
  }
  return lines;
}

// The lines of the first section named `section`, from its header on:
// [first, last). Nothing when there is none.
template <typename Char>
std::optional<std::pair<std::size_t, std::size_t>> sectionLines(const std::vector<Line<Char>>& lines,
                                                                std::string_view section) {
  for (std::size_t i = 0; i < lines.size(); ++i) {
    if (!lines[i].isSection() || !sameName(lines[i].sectionName(), section)) continue;
    std::size_t last = i + 1;
    while (last < lines.size() && !lines[last].isSection()) ++last;
    return std::make_pair(i, last);
  }
  return std::nullopt;
}

template <typename Char>
bool isKeyLine(const Line<Char>& line, std::string_view key) {
  return !line.content.empty() && line.content.front() != ';' && line.content.find('=') != View<Char>::npos &&
         sameName(line.key(), key);
}

template <typename Char>
std::basic_string<Char> ascii(std::string_view text) {
  return std::basic_string<Char>(text.begin(), text.end());
}

template <typename Char>
bool isQuote(Char c) {
  return c == '"' || c == '\'';
}

}  // namespace

template <typename Char>
std::optional<std::basic_string<Char>> ProfileText<Char>::value(std::string_view section,
                                                               std::string_view key) const {
  std::vector<Line<Char>> lines = linesOf<Char>(text_);
  auto found = sectionLines(lines, section);
  if (!found) return std::nullopt;
  for (std::size_t i = found->first + 1; i < found->second; ++i) {
    if (!isKeyLine(lines[i], key)) continue;
    View<Char> value = trimmed(lines[i].content.substr(lines[i].content.find('=') + 1));
    if (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()) {
      value = value.substr(1, value.size() - 2);
    }
    return String(value);
  }
  return std::nullopt;
}

template <typename Char>
void ProfileText<Char>::setValue(std::string_view section, std::string_view key, const String& value) {
  const String crlf = ascii<Char>("\r\n");
  bool quoted = !value.empty() && (isBlank(value.front()) || isBlank(value.back()) ||
                                   (value.size() >= 2 && isQuote(value.front()) && value.back() == value.front()));
  String line = ascii<Char>(key) + Char('=') + (quoted ? Char('"') + value + Char('"') : value);

  std::vector<Line<Char>> lines = linesOf<Char>(text_);
  auto found = sectionLines(lines, section);
  if (!found) {
    if (!text_.empty() && text_.back() != '\n') text_ += crlf;
    text_ += Char('[') + ascii<Char>(section) + Char(']') + crlf + line + crlf;
    return;
  }
  std::size_t lastFilled = found->first;
  for (std::size_t i = found->first + 1; i < found->second; ++i) {
    if (isKeyLine(lines[i], key)) {
      // The line's own ending (CR LF or LF) stays.
      std::size_t end = lines[i].end;
      if (end > lines[i].begin && text_[end - 1] == '\r') --end;
      text_.replace(lines[i].begin, end - lines[i].begin, line);
      return;
    }
    if (!lines[i].content.empty()) lastFilled = i;
  }
  const Line<Char>& after = lines[lastFilled];
  if (after.next == after.end) {  // the text's last line, without a line end
    text_ += crlf + line + crlf;
    return;
  }
  text_.insert(after.next, line + crlf);
}

template class ProfileText<char>;
template class ProfileText<char16_t>;

}  // namespace tavrik
