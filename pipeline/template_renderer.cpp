#include "pipeline/template_renderer.h"

#include <cstring>
#include <string_view>

#include "common/host_folder.h"
#include "common/unicode_codec.h"
#include "pipeline/template_fill.h"
#include "resources/resource_ids.h"

namespace tavrik {

namespace {

// Where the first NUL unit of `size` bytes at `data` starts, or `size`.
std::size_t firstNul(const char* data, std::size_t size, std::size_t unitBytes) {
  if (unitBytes == 1) {
    const void* nul = std::memchr(data, '\0', size);
    return nul ? static_cast<const char*>(nul) - data : size;
  }
  for (std::size_t i = 0; i + 1 < size; i += 2) {
    if (data[i] == '\0' && data[i + 1] == '\0') return i;
  }
  return size;
}

// Drops, in place, what follows the first NUL unit of every chunk.
void keepUpToNulInEachChunk(std::string& bytes, std::size_t chunkBytes, std::size_t unitBytes) {
  std::size_t kept = 0;
  for (std::size_t start = 0; start < bytes.size(); start += chunkBytes) {
    std::size_t size = std::min(chunkBytes, bytes.size() - start);
    std::size_t keep = firstNul(bytes.data() + start, size, unitBytes);
    if (kept != start) std::memmove(bytes.data() + kept, bytes.data() + start, keep);
    kept += keep;
  }
  bytes.resize(kept);
}

bool startsWith(const std::string& bytes, std::string_view mark) {
  return bytes.compare(0, mark.size(), mark) == 0;
}

}  // namespace

AnsiOrWide decodeTemplate(std::string file, std::size_t chunkBytes) {
  if (chunkBytes == 0) chunkBytes = file.size() + 1;
  if (startsWith(file, kUtf16LeMark)) {
    keepUpToNulInEachChunk(file, chunkBytes, 2);
    return decodeUtf16Le(std::string_view(file).substr(kUtf16LeMark.size()));
  }
  // The file's own first bytes say UTF-8, not what is left of them once the
  // NULs are dropped: a chunk that starts with NUL may bring a mark forward.
  bool utf8 = startsWith(file, kUtf8Mark);
  keepUpToNulInEachChunk(file, chunkBytes, 1);
  if (utf8) return decodeUtf8(std::string_view(file).substr(kUtf8Mark.size()));
  return file;
}

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
