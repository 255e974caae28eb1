#include "pipeline/template_renderer.h"

#include "pipeline/template_fill.h"
#include "resources/resource_ids.h"

namespace tavrik {

namespace {

// Templates are read in chunks of this size; a chunk counts up to its first NUL.
constexpr std::size_t kTemplateChunkBytes = 32000;

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

std::string defaultTemplatePath(ModuleServices& services) {
  return hostFilePath(services, IDS_DEFAULT_TEMPLATE).value_or(std::string());
}

std::string TemplateRenderer::renderScriptText(const TrackTags& tags) const {
  auto file = files_.openExclusive(selectTemplate(tags, rules_, defaultTemplatePath_));
  if (!file) return {};
  std::string content;
  readChunks(*file, kTemplateChunkBytes, true, content);
  return fillTemplate(content, tags);
}

}  // namespace tavrik
