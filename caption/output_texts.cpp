#include "caption/output_texts.h"

#include "pipeline/template_fill.h"
#include "pipeline/template_renderer.h"

namespace tavrik {

AnsiOrWide plainTrackText(Files& files, const AnsiOrWide& plainTemplate, const TrackTags& tags,
                          CodePage& codePage) {
  std::optional<AnsiOrWide> content = readTemplateFile(files, plainTemplate);
  if (!content) return {};
  return fillPlainTemplate(*content, tags, codePage);
}

AnsiOrWide idleText(Files& files, const AnsiOrWide& idleTemplate) {
  if (idleTemplate.empty()) return {};
  return readTemplateFile(files, idleTemplate).value_or(AnsiOrWide());
}

}  // namespace tavrik
