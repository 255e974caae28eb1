// The open-file chooser's filter, from the bar-separated form the module
// keeps ("label|pattern|...||") to the NUL-separated form Windows reads.
#pragma once

#include <functional>
#include <string>
#include <string_view>

namespace tavrik {

// Each bar becomes a NUL, except a bar that is the second byte of a
// double-byte character ("ポ" is 83 7C).
std::string nulSeparatedFilter(std::string_view barSeparated,
                               const std::function<bool(unsigned char)>& isLeadByte);

}  // namespace tavrik
