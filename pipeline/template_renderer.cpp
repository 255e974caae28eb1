#include "pipeline/template_renderer.h"

#include <cstring>

#include "common/text.h"
#include "pipeline/template_fill.h"
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
  readChunks(*file, kTemplateChunkBytes, true, content);
  return true;
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
