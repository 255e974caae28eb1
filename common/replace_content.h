// Replacing a file's whole content so that a failure, the process being
// killed or the power going, at any point, leaves the old content or the
// complete new one. Portable: every file call goes through Files.
#pragma once

#include <string>
#include <string_view>

#include "common/files.h"
#include "common/host_folder.h"

namespace tavrik {

// How many names a file's temporary file may take.
inline constexpr unsigned kTemporaryNames = 10;

// The name of a temporary file for a file named `fileName`, the `index`-th of
// kTemporaryNames: the name's last two bytes become "~" and a digit
// ("gen_tavrik.cfg" gives "gen_tavrik.c~0" to "gen_tavrik.c~9"), a double-byte
// character that would be cut going whole. So the temporary file's path fits
// wherever the file's own path fits, one-byte names aside (their temporary
// names take two bytes). Files by these names beside the file are taken for
// leftovers of our own interrupted saves.
std::string temporaryName(std::string_view fileName, unsigned index,
                          const LeadBytePredicate& isLeadByte);
// The same for a name in UTF-16, where a surrogate pair goes whole.
std::u16string temporaryName(std::u16string_view fileName, unsigned index);

// Deletes the leftovers of interrupted saves of `path`, writes `bytes` to a
// newly created temporary file beside it, flushes and closes that and only
// then puts it in the place of `path`. An existing file is never written into
// or truncated: `path` keeps its old content or gets all of the new, and a
// failure removes the temporary file (one that cannot be removed is cleaned up
// by the next save). False on any failure, for a file that is read-only or
// held open elsewhere before anything is written, and for a path that does
// not fit 260 bytes, which is never touched.
bool replaceFileContent(Files& files, const std::string& path, std::string_view bytes,
                        const LeadBytePredicate& isLeadByte);
// The same for a path in UTF-16 (at most 259 units).
bool replaceFileContent(Files& files, const std::u16string& path, std::string_view bytes);

// The same for a file that other programs read while we write it, named in
// UTF-16 (at most 259 units): `path` itself is never opened, so a reader is
// never shut out; one that holds it open gives HeldElsewhere, for the caller
// to try again. A failure says the error code of the step that failed, for
// the settings dialog to show why; a path that names no file it could write
// says ERROR_PATH_NOT_FOUND.
ReplaceResult replaceSharedFileContent(Files& files, const std::u16string& path, std::string_view bytes);

}  // namespace tavrik
