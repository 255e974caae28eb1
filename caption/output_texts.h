// The texts the outputs beside the encoder show, read on the plug-in's
// thread: a track through an output's own plain-text template, and the idle
// template's text while the player is stopped.
#pragma once

#include "common/code_page.h"
#include "common/files.h"
#include "pipeline/track_tags.h"

namespace tavrik {

// `plainTemplate` filled with the tags as they are, its lines kept; the
// empty text when it does not open, as for the encoder.
AnsiOrWide plainTrackText(Files& files, const AnsiOrWide& plainTemplate, const TrackTags& tags,
                          CodePage& codePage);

// The idle template's text as it stands (no track plays: no placeholder is
// filled); the empty text without one, or when it does not open.
AnsiOrWide idleText(Files& files, const AnsiOrWide& idleTemplate);

}  // namespace tavrik
