#include "pipeline/template_renderer.h"

#include <cstring>
#include <vector>

#include "common/text.h"
#include "resources/resource_ids.h"

namespace tavrik {

namespace {

// The tag field a condition type names, or nothing for any other text.
const std::string* fieldNamedBy(const std::string& conditionType, const TrackTags& tags) {
  if (conditionType == "TITLE") return &tags.title;
  if (conditionType == "ARTIST") return &tags.artist;
  if (conditionType == "ALBUM") return &tags.album;
  if (conditionType == "COMMENT") return &tags.comment;
  if (conditionType == "GENRE") return &tags.genre;
  return nullptr;
}

}  // namespace

std::string escapeMarkup(const std::string& text) {
  std::string escaped = replaceAll(text, "&", "&amp;");
  escaped = replaceAll(escaped, "<", "&lt;");
  escaped = replaceAll(escaped, ">", "&gt;");
  return replaceAll(escaped, "\"", "&quot;");
}

std::string selectTemplate(const TrackTags& tags, const RuleList& rules,
                           const std::string& defaultTemplatePath) {
  const std::string* chosen = &defaultTemplatePath;
  for (const TemplateRule& rule : rules.rules()) {
    const std::string* field = fieldNamedBy(rule.conditionType, tags);
    // Tags are never empty, so an empty condition value never matches.
    if (field && !rule.conditionValue.empty() && rule.conditionValue == *field) {
      chosen = &rule.templatePath;
    }
  }
  return *chosen;
}

bool readTemplate(FileSystem& files, const std::string& path, std::string& content) {
  auto file = files.openExclusive(path);
  if (!file) return false;
  std::vector<char> chunk(kTemplateChunkBytes);
  for (;;) {
    std::size_t got = file->read(chunk.data(), chunk.size());
    const void* nul = std::memchr(chunk.data(), '\0', got);
    content.append(chunk.data(), nul ? static_cast<const char*>(nul) - chunk.data() : got);
    if (got < kTemplateChunkBytes) return true;
  }
}

std::string fillTemplate(const std::string& content, const TrackTags& tags) {
  // Each pass works on the previous one's result: a placeholder that arrived
  // inside an earlier tag text is replaced too.
  std::string text = replaceAll(content, "#ARTIST", escapeMarkup(tags.artist));
  text = replaceAll(text, "#TITLE", escapeMarkup(tags.title));
  text = replaceAll(text, "#ALBUM", escapeMarkup(tags.album));
  text = replaceAll(text, "#COMMENT", escapeMarkup(tags.comment));
  text = replaceAll(text, "#GENRE", escapeMarkup(tags.genre));
  removeBytes(text, "\r\n\t");
  return text;
}

std::string defaultTemplatePath(ModuleServices& services) {
  return hostFilePath(services, IDS_DEFAULT_TEMPLATE).value_or(std::string());
}

std::string renderScriptText(const TrackTags& tags, const RuleList& rules, FileSystem& files,
                             const std::string& defaultTemplatePath) {
  std::string content;
  if (!readTemplate(files, selectTemplate(tags, rules, defaultTemplatePath), content)) return {};
  return fillTemplate(content, tags);
}

}  // namespace tavrik
