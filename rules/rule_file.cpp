#include "rules/rule_file.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

#include "common/unicode_codec.h"

namespace tavrik {

namespace {
constexpr char kEndOfFile = '\x1A';

// The bytes from `first` to `last`, counted as the CString Mid of old: a
// negative start counts as zero and a negative length gives nothing.
std::string_view between(std::string_view line, std::ptrdiff_t first, std::ptrdiff_t count) {
  first = std::max(first, std::ptrdiff_t{0});
  count = std::max(count, std::ptrdiff_t{0});
  if (static_cast<std::size_t>(first) >= line.size()) return {};
  return line.substr(static_cast<std::size_t>(first), static_cast<std::size_t>(count));
}
// An upper bound of the rules in `text`, so that the list grows only once.
std::size_t countLines(std::string_view text) {
  std::size_t lines = 1;
  for (const char* at = text.data(); const void* hit = std::memchr(at, '\n', text.data() + text.size() - at);
       at = static_cast<const char*>(hit) + 1) {
    ++lines;
  }
  return lines;
}

// The lines of `bytes` as rules of their bytes, and what was not read.
ParsedRuleFile parseLines(std::string_view bytes) {
  ParsedRuleFile parsed;
  std::string_view text = bytes.substr(0, bytes.find(kEndOfFile));
  parsed.rules.reserve(countLines(text));
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t lineFeed = text.find('\n', start);
    std::size_t end = lineFeed == std::string_view::npos ? text.size() : lineFeed;
    std::string_view line = text.substr(start, end - start);
    if (lineFeed != std::string_view::npos && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    if (line.empty()) break;
    parsed.rules.append(splitRuleLine(line));
    start = lineFeed == std::string_view::npos ? text.size() : lineFeed + 1;
  }
  parsed.unreadRest = std::string(bytes.substr(std::min(start, bytes.size())));
  return parsed;
}

// Tab, CR, LF and 0x1A never occur inside a UTF-8 sequence, so a UTF-8 file
// splits into the same lines and fields as its bytes do.
AnsiOrWide fromUtf8(const AnsiOrWide& field) { return decodeUtf8(field.ansi()); }

bool beyondCodePage(const AnsiOrWide& text, CodePage& codePage) {
  return text.isWide() && !codePage.toAnsiExactly(text.wide());
}

void appendField(std::string& out, const AnsiOrWide& field, RuleFileEncoding encoding, CodePage& codePage) {
  if (!field.isWide()) {
    if (encoding == RuleFileEncoding::Utf8) {
      out.append(encodeUtf8(codePage.toWide(field.ansi())));
    } else {
      out.append(field.ansi());
    }
    return;
  }
  if (encoding == RuleFileEncoding::Ansi) {
    if (std::optional<std::string> bytes = codePage.toAnsiExactly(field.wide())) {
      out.append(*bytes);
      return;
    }
  }
  out.append(encodeUtf8(field.wide()));
}

// Room for the whole file, so that it grows only once.
std::size_t sizeOf(const AnsiOrWide& field) { return field.isWide() ? field.wide().size() * 3 : field.ansi().size(); }

}  // namespace

TemplateRule splitRuleLine(std::string_view line) {
  auto position = [](std::size_t found) {
    return found == std::string_view::npos ? -1 : static_cast<std::ptrdiff_t>(found);
  };
  std::ptrdiff_t t1 = position(line.find('\t'));
  std::ptrdiff_t t2 = position(line.find('\t', static_cast<std::size_t>(t1 + 1)));
  std::ptrdiff_t size = static_cast<std::ptrdiff_t>(line.size());
  TemplateRule rule;
  rule.conditionType = std::string(between(line, 0, t1));
  rule.conditionValue = std::string(between(line, t1 + 1, t2 - t1 - 1));
  rule.templatePath = std::string(between(line, t2 + 1, size - t2 - 1));
  return rule;
}

ParsedRuleFile parseRuleFile(std::string_view bytes) {
  if (bytes.substr(0, kUtf8Mark.size()) != kUtf8Mark) return parseLines(bytes);
  std::string_view body = bytes.substr(kUtf8Mark.size());
  ParsedRuleFile parsed = parseLines(body);
  if (!isWellFormedUtf8(body)) {
    parsed.encoding = RuleFileEncoding::MarkedBytes;
    return parsed;
  }
  parsed.encoding = RuleFileEncoding::Utf8;
  RuleList decoded;
  decoded.reserve(parsed.rules.count());
  for (const TemplateRule& rule : parsed.rules.rules()) {
    decoded.append({fromUtf8(rule.conditionType), fromUtf8(rule.conditionValue), fromUtf8(rule.templatePath)});
  }
  parsed.rules = std::move(decoded);
  return parsed;
}

RuleFileEncoding encodingForSave(RuleFileEncoding loaded, const RuleList& rules, CodePage& codePage) {
  if (loaded != RuleFileEncoding::Ansi) return loaded;
  for (const TemplateRule& rule : rules.rules()) {
    if (beyondCodePage(rule.conditionType, codePage) || beyondCodePage(rule.conditionValue, codePage) ||
        beyondCodePage(rule.templatePath, codePage))
      return RuleFileEncoding::Utf8;
  }
  return loaded;
}

std::string formatRuleFile(const RuleList& rules, std::string_view unreadRest, RuleFileEncoding encoding,
                           CodePage& codePage) {
  std::size_t size = kUtf8Mark.size() + unreadRest.size();
  for (const TemplateRule& rule : rules.rules()) {
    size += sizeOf(rule.conditionType) + sizeOf(rule.conditionValue) + sizeOf(rule.templatePath) + 4;
  }
  std::string bytes;
  bytes.reserve(size);
  if (encoding != RuleFileEncoding::Ansi) bytes.append(kUtf8Mark);
  for (const TemplateRule& rule : rules.rules()) {
    appendField(bytes, rule.conditionType, encoding, codePage);
    bytes.append(1, '\t');
    appendField(bytes, rule.conditionValue, encoding, codePage);
    bytes.append(1, '\t');
    appendField(bytes, rule.templatePath, encoding, codePage);
    bytes.append("\r\n");
  }
  bytes.append(unreadRest);
  return bytes;
}

}  // namespace tavrik
