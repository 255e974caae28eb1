#include "common/host_folder.h"

namespace tavrik {

bool fitsWindowsPath(std::string_view path) { return path.size() < kMaxPathBytes; }

bool isCodePage932LeadByte(unsigned char byte) {
  return (byte >= 0x81 && byte <= 0x9F) || (byte >= 0xE0 && byte <= 0xFC);
}

std::optional<std::string> joinHostFolder(std::string_view executablePath,
                                          std::string_view relativeName,
                                          const LeadBytePredicate& isLeadByte) {
  if (executablePath.empty() || !fitsWindowsPath(executablePath)) return std::nullopt;
  // Split as the C runtime's _splitpath does: the directory runs to the last
  // separator, stepping over the second byte of double-byte characters.
  std::size_t folderLength = 0;
  for (std::size_t i = 0; i < executablePath.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(executablePath[i]);
    if (isLeadByte(byte)) {
      ++i;
    } else if (byte == '\\' || byte == '/' || byte == ':') {
      folderLength = i + 1;
    }
  }
  std::string joined(executablePath.substr(0, folderLength));
  joined.append(relativeName);
  if (!fitsWindowsPath(joined)) return std::nullopt;
  return joined;
}

}  // namespace tavrik
