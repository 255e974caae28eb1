// Replacing a file's whole content so that a failure, or the process being
// killed, at any point leaves the old content or the complete new one.
#pragma once

#include <string>
#include <string_view>

#include "common/file_operations.h"
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

// Deletes the leftovers of interrupted saves of `path`, writes `bytes` to a
// newly created temporary file beside it, flushes and closes that and only
// then puts it in the place of `path`. An existing file is never written into
// or truncated: `path` keeps its old content or gets all of the new, and a
// failure removes the temporary file (one that cannot be removed is cleaned up
// by the next save). False on any failure, and for a path that does not fit
// 260 bytes, which is never touched.
bool replaceFileContent(FileOperations& files, const std::string& path, std::string_view bytes,
                        const LeadBytePredicate& isLeadByte);

}  // namespace tavrik
