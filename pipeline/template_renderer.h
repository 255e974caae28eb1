// Turns a track's tags into the one-line script text: choose the template by
// the rules, read it (its byte-order mark tells its encoding), and fill it
// (template_fill.h).
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "common/code_page.h"
#include "common/files.h"
#include "common/module_services.h"
#include "pipeline/title_change_ports.h"
#include "pipeline/track_tags.h"
#include "rules/rule_list.h"

namespace tavrik {

// What a template file's bytes hold: UTF-8 after the UTF-8 byte-order mark,
// UTF-16LE after the UTF-16LE mark, and ANSI bytes otherwise, as templates
// always were. A pure function over the bytes, whatever they are.
// `file` is the whole file as read, chunk after chunk of `chunkBytes` (even,
// so that a chunk holds whole UTF-16 units; the reader's is 32000). As
// with every template, each chunk counts only up to its first NUL (a NUL
// unit in UTF-16); the mark is not part of the text. Ill-formed UTF-8 or
// UTF-16 becomes U+FFFD.
AnsiOrWide decodeTemplate(std::string file, std::size_t chunkBytes);

// The template path of the last rule that matches, else `defaultTemplatePath`.
// A rule matches when its type names a tag and its value is that tag's text
// (valueMatchesTag in code_page.h).
AnsiOrWide selectTemplate(const TrackTags& tags, const RuleList& rules,
                          const AnsiOrWide& defaultTemplatePath, CodePage& codePage);

// Where the host keeps "Plugins\default.html"; empty when that path is too
// long, which then opens as no file at all.
std::string defaultTemplatePath(ModuleServices& services);

// A template file's text, decoded by its byte-order mark (decodeTemplate);
// nothing when the file does not open, or its path is empty or does not fit
// 260 bytes or units.
std::optional<AnsiOrWide> readTemplateFile(Files& files, const AnsiOrWide& path);

// What rendering reads besides the rules: the template files, and the
// template used when no rule matches.
class TemplateRenderer {
 public:
  TemplateRenderer(Files& files, CodePage& codePage, std::string defaultTemplatePath)
      : files_(files), codePage_(codePage), defaultTemplatePath_(std::move(defaultTemplatePath)) {}

  // The script text for the encoder, the template chosen by `rules`; the
  // empty text when the chosen template does not open.
  AnsiOrWide renderScriptText(const TrackTags& tags, const RuleList& rules) const;

 private:
  Files& files_;
  CodePage& codePage_;
  AnsiOrWide defaultTemplatePath_;
};

}  // namespace tavrik
