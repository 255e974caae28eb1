// Turns a track's tags into the one-line script text: choose the template by
// the rules, escape the tags for HTML, fill the placeholders, drop line breaks.
#pragma once

#include <cstddef>
#include <string>

#include "common/file_system.h"
#include "common/module_services.h"
#include "pipeline/track_tags.h"
#include "rules/rule_list.h"

namespace tavrik {

// Templates are read in chunks of this size; a chunk counts up to its first NUL.
inline constexpr std::size_t kTemplateChunkBytes = 32000;

// "&", "<", ">" and the double quote become entities, "&" first.
std::string escapeMarkup(const std::string& text);

// The template path of the last rule that matches, else `defaultTemplatePath`.
std::string selectTemplate(const TrackTags& tags, const RuleList& rules,
                           const std::string& defaultTemplatePath);

// The template's bytes with the NUL rule applied; nothing when it does not open.
bool readTemplate(FileSystem& files, const std::string& path, std::string& content);

// Where the host keeps "Plugins\default.html"; empty when that path is too
// long, which then opens as no file at all.
std::string defaultTemplatePath(ModuleServices& services);

// The script text for the encoder; empty when the chosen template does not open.
std::string renderScriptText(const TrackTags& tags, const RuleList& rules, FileSystem& files,
                             const std::string& defaultTemplatePath);

}  // namespace tavrik
