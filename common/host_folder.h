// The host folder: the drive and directory of the host's executable, joined
// with a name relative to it ("Plugins\gen_tavrik.cfg").
#pragma once

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <string_view>

namespace tavrik {

// Windows paths hold at most 260 bytes in the ANSI code page, and at most 260
// UTF-16 units in the wide calls, the terminating NUL included.
inline constexpr std::size_t kMaxPathBytes = 260;
inline constexpr std::size_t kMaxPathUnits = 260;

// True when `path` fits a Windows path buffer with its NUL.
bool fitsWindowsPath(std::string_view path);
bool fitsWindowsPath(std::u16string_view path);

// Whether a byte starts a two-byte character in the ANSI code page. In code
// page 932 the second byte may be 0x5C, the backslash ("ソ" is 83 5C).
using LeadBytePredicate = std::function<bool(unsigned char)>;

// How many leading bytes of `path` are its drive and directory: everything up
// to and including its last backslash, slash or drive colon, as the C
// runtime's _splitpath finds them, stepping over the second byte of
// double-byte characters.
std::size_t folderLength(std::string_view path, const LeadBytePredicate& isLeadByte);

// The drive and directory of `executablePath` (everything up to and including
// its last backslash, slash or drive colon) followed by `relativeName`.
// Nothing when either path is too long: a truncated path would name some
// other file.
std::optional<std::string> joinHostFolder(std::string_view executablePath,
                                          std::string_view relativeName,
                                          const LeadBytePredicate& isLeadByte);

}  // namespace tavrik
