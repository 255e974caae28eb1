// Making the tags safe to stand in HTML, putting them into a template's
// placeholders and flattening the result to one line; or, for plain text,
// putting them in as they are.
#pragma once

#include <string>

#include "common/code_page.h"
#include "pipeline/title_change_ports.h"
#include "pipeline/track_tags.h"

namespace tavrik {

// "&", "<", ">" and the double quote become entities, "&" first, so that the
// entities made by the later steps are not escaped again. The apostrophe
// stays. The same on ANSI bytes and on UTF-16.
std::string escapeMarkup(const std::string& text);
std::u16string escapeMarkup(const std::u16string& text);

// Five replace-all passes, "#ARTIST", "#TITLE", "#ALBUM", "#COMMENT",
// "#GENRE" in this order, each working on the previous pass's result (so a
// placeholder that arrives inside an earlier tag is replaced too); then every
// CR, LF and TAB removed, in that order. On ANSI bytes when the template and
// all five tags are ANSI bytes, exactly as ever; on UTF-16 as soon as one of
// them is Unicode, the ANSI ones read through the code page.
AnsiOrWide fillTemplate(const AnsiOrWide& content, const TrackTags& tags, CodePage& codePage);

// The same, with the template's line breaks and tabs kept: for a page,
// where they are the user's own layout.
AnsiOrWide fillMarkupTemplate(const AnsiOrWide& content, const TrackTags& tags, CodePage& codePage);

// The same five passes for a text source that shows plain text (the caption
// file's own template, OBS): the tags go in as they are, and the template's
// line breaks and tabs stay.
AnsiOrWide fillPlainTemplate(const AnsiOrWide& content, const TrackTags& tags, CodePage& codePage);

// `text` with every CR, LF and TAB removed, in that order.
std::string oneLine(std::string_view text);
std::u16string oneLine(std::u16string_view text);

}  // namespace tavrik
