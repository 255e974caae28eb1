#include "common/host_folder.h"

namespace tavrik {

bool fitsWindowsPath(std::string_view path) { return path.size() < kMaxPathBytes; }
bool fitsWindowsPath(std::u16string_view path) { return path.size() < kMaxPathUnits; }

std::size_t folderLength(std::string_view path, const LeadBytePredicate& isLeadByte) {
  std::size_t length = 0;
  for (std::size_t i = 0; i < path.size(); ++i) {
    unsigned char byte = static_cast<unsigned char>(path[i]);
    if (isLeadByte(byte)) {
      ++i;
    } else if (byte == '\\' || byte == '/' || byte == ':') {
      length = i + 1;
    }
  }
  return length;
}

std::optional<std::string> joinHostFolder(std::string_view executablePath,
                                          std::string_view relativeName,
                                          const LeadBytePredicate& isLeadByte) {
  if (executablePath.empty() || !fitsWindowsPath(executablePath)) return std::nullopt;
  std::string joined(executablePath.substr(0, folderLength(executablePath, isLeadByte)));
  joined.append(relativeName);
  if (!fitsWindowsPath(joined)) return std::nullopt;
  return joined;
}

}  // namespace tavrik
