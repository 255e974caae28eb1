#include "pipeline/template_renderer.h"

#include "common/host_folder.h"
#include "pipeline/template_decoding.h"
#include "pipeline/template_fill.h"
#include "resources/resource_ids.h"

namespace tavrik {

namespace {

// Templates are read in chunks of this size; a chunk counts up to its first NUL.
constexpr std::size_t kTemplateChunkBytes = 32000;

// The tag field a condition type names, or nothing for any other text.
const AnsiOrWide* fieldNamedBy(const AnsiOrWide& conditionType, const TrackTags& tags) {
  if (equalsAscii(conditionType, "TITLE")) return &tags.title;
  if (equalsAscii(conditionType, "ARTIST")) return &tags.artist;
  if (equalsAscii(conditionType, "ALBUM")) return &tags.album;
  if (equalsAscii(conditionType, "COMMENT")) return &tags.comment;
  if (equalsAscii(conditionType, "GENRE")) return &tags.genre;
  return nullptr;
}

// A rule's path is whatever the user typed: one that does not fit names some
// other file, or none.
bool pathFits(const AnsiOrWide& path) {
  return path.isWide() ? fitsWindowsPath(path.wide()) : fitsWindowsPath(path.ansi());
}

}  // namespace

AnsiOrWide selectTemplate(const TrackTags& tags, const RuleList& rules,
                          const AnsiOrWide& defaultTemplatePath, CodePage& codePage) {
  const AnsiOrWide* chosen = &defaultTemplatePath;
  for (const TemplateRule& rule : rules.rules()) {
    const AnsiOrWide* field = fieldNamedBy(rule.conditionType, tags);
    // Tags are never empty, so an empty condition value never matches.
    if (field && !rule.conditionValue.empty() && valueMatchesTag(rule.conditionValue, *field, codePage)) {
      chosen = &rule.templatePath;
    }
  }
  return *chosen;
}

std::string defaultTemplatePath(ModuleServices& services) {
  return hostFilePath(services, IDS_DEFAULT_TEMPLATE).value_or(std::string());
}

std::optional<AnsiOrWide> readTemplateFile(Files& files, const AnsiOrWide& path) {
  if (path.empty() || !pathFits(path)) return std::nullopt;
  auto file = path.isWide() ? files.openExclusive(path.wide()) : files.openExclusive(path.ansi());
  if (!file) return std::nullopt;
  std::string bytes;
  readChunks(*file, kTemplateChunkBytes, false, bytes);
  return decodeTemplate(std::move(bytes), kTemplateChunkBytes);
}

AnsiOrWide TemplateRenderer::renderScriptText(const TrackTags& tags, const RuleList& rules) const {
  std::optional<AnsiOrWide> content =
      readTemplateFile(files_, selectTemplate(tags, rules, defaultTemplatePath_, codePage_));
  if (!content) return {};
  return fillTemplate(*content, tags, codePage_);
}

}  // namespace tavrik
