// Putting the escaped tags into a template's placeholders and flattening the
// result to one line.
#pragma once

#include <string>

#include "pipeline/track_tags.h"

namespace tavrik {

// Five replace-all passes, "#ARTIST", "#TITLE", "#ALBUM", "#COMMENT",
// "#GENRE" in this order, each working on the previous pass's result (so a
// placeholder that arrives inside an earlier tag is replaced too); then every
// CR, LF and TAB removed, in that order.
std::string fillTemplate(const std::string& content, const TrackTags& tags);

}  // namespace tavrik
