#include "rules/rule_file.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

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

std::string formatRuleFile(const RuleList& rules, std::string_view unreadRest) {
  std::size_t size = unreadRest.size();
  for (const TemplateRule& rule : rules.rules()) {
    size += rule.conditionType.size() + rule.conditionValue.size() + rule.templatePath.size() + 4;
  }
  std::string bytes;
  bytes.reserve(size);
  for (const TemplateRule& rule : rules.rules()) {
    bytes.append(rule.conditionType).append(1, '\t');
    bytes.append(rule.conditionValue).append(1, '\t');
    bytes.append(rule.templatePath).append("\r\n");
  }
  bytes.append(unreadRest);
  return bytes;
}

}  // namespace tavrik
