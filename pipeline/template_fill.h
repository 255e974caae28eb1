// Putting the escaped tags into a template's placeholders and flattening the
// result to one line.
#pragma once

#include <string>

#include "pipeline/track_tags.h"

namespace tavrik {

// The five placeholders, replaced in this order, each pass working on the
// previous pass's result; then every CR, LF and TAB removed.
std::string fillTemplate(const std::string& content, const TrackTags& tags);

// The same, pass by pass, exactly as defined: the reference that the fast
// single scan of fillTemplate falls back to.
std::string fillTemplateByPasses(const std::string& content, const TrackTags& tags);

}  // namespace tavrik
